#pragma once
// What `quoteforge-cli convert` (and, for its input options, `batch`) is asked to do: the options as given,
// their one table, and their translation into the conversion settings that the desktop uses too, checked
// against the same limits.

#include <string>
#include <utility>
#include <vector>

#include "cli/command.h"
#include "engine/job/conversion_settings.h"

namespace engine {
struct DetectedLayout;
enum class LayoutChoice;
}

namespace cli {

struct ConvertRequest {
    std::string input;
    std::string dir;
    std::string symbol;
    std::string name;
    std::string dateFormat = engine::ConversionSettings{}.DateFormat;
    std::string delimiter = "comma";
    int skip = 0;
    // Columns as given: a number from 1 to 20, or "off" for the fields that may be left out.
    std::string dateCol = "1";
    std::string openCol = "2";
    std::string highCol = "3";
    std::string lowCol = "4";
    std::string closeCol = "5";
    std::string volumeCol = "6";
    std::string oiCol = "7";
    std::string master = "auto";
    std::string frame;  // daily, weekly, monthly or intraday; empty: found from the dates and times
    int timeCol = 0;    // 1-based column of the bars' times; 0: a column of times beside the others is found
    std::string from;   // YYYY-MM-DD: only rows dated from..to (inclusive) are converted; empty: no bound
    std::string to;
    bool decimalComma = false;
    bool daily = false;
    bool skipBadRows = false;
    bool detect = false;
    bool update = false;
    bool xmaster = false;
    bool noSync = false;
    // Files of many securities: the 1-based columns of each row's ticker and name; 0 finds them.
    int tickerCol = 0;
    int nameCol = 0;
};

// The options that say how an input file is read (date format, delimiter, skip, columns), for every
// command that converts.
std::vector<Option> InputOptions(ConvertRequest& request);

// --ticker-col and --name-col, for the commands that read files of many securities.
std::vector<Option> TickerOptions(ConvertRequest& request);

// false with the message when --ticker-col or --name-col lies outside the columns.
bool CheckTickerOptions(const ConvertRequest& request, std::string& error);

// The input options with the values of a detected layout, in the order `detect` prints them; on a
// refusal, only those that detection settled.
std::vector<std::pair<std::string, std::string>> LayoutOptions(const engine::DetectedLayout& layout);

// The options of LayoutOptions as one line that convert takes: "--delimiter comma --date-format ...".
std::string LayoutOptionsLine(const engine::DetectedLayout& layout);

// Why detection refused the file, with the flags that settle what it left open ("Give --open-col and
// --close-col with what detection found: ...") or the flag of a phrase such as combining intraday bars.
std::string DetectionProblem(const engine::DetectedLayout& layout);

// Detected values fill the input options that the command line leaves out. False with the problem when
// no layout was found.
bool FillFromDetection(const engine::DetectedLayout& layout, const Given& given, ConvertRequest& request,
                       std::string& problem);

// The input options' flags that the command line gives, as the layout choices they stand for.
std::vector<engine::LayoutChoice> GivenLayoutChoices(const Given& given);

// Fills the settings and the date format's number from the options as ValidateRequest does, without the
// checks of the settings' limits; false with the message of an option that cannot be read.
bool ReadRequest(const ConvertRequest& request, engine::ConversionSettings& settings, int& nDateFormat,
                 std::string& error);

// The command line's wording of a fault that the settings' checks found: it names the option and the limit.
std::string OptionMessage(const engine::SettingsCheck& check);

// Checks every limit and fills the settings and the date format's number: the symbol without trailing
// blanks and in upper case, "auto" as the directory's MASTER when there is one. On a violation returns
// false with a message that names the option and the limit.
bool ValidateRequest(const ConvertRequest& request, engine::ConversionSettings& settings, int& nDateFormat,
                     std::string& error);

}  // namespace cli
