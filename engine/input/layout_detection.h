#pragma once
// Finds the layout of a price text file from its first lines: the delimiter, the heading rows to skip,
// the column and format of the dates, and the column of each price field. Every column's role is a claim
// that the values bear out; where they leave a choice open, detection refuses and names it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "metastock/data_file_format.h"
#include "metastock/file_system.h"

namespace engine {

struct ConversionSettings;

// How many of a file's first lines detection reads.
inline constexpr int kDetectedLines = 300;

// Where a field's column came from.
enum class EvidenceSource {
    kNone,     // the field is off: the file has no such column, or none that the values bear out
    kHeading,  // its heading names it, and the values agree
    kValues,   // the values alone: the largest and smallest prices, the only whole numbers, the dates
};

struct FieldEvidence {
    int nColumn = 0;  // 1-based; 0 when the field is off or not known
    EvidenceSource eSource = EvidenceSource::kNone;
    std::string strHeading;  // the column's heading as the file has it (UTF-8), empty when none
    std::string strReason;   // for people: "Open from Откр.", "Volume: column 6, the only whole numbers"
};

// The options that name each field's column (date, open, ..., open interest), as refusals name them.
extern const char* const kColumnOptions[metastock::kFieldCount];

struct DetectedLayout {
    bool bFound = false;             // a column of dates with a close beside it was found, and nothing is left open
    int nDelimiter = 0;              // 0 comma, 1 tab, 2 space, 3 semicolon (as the Delimiter setting)
    bool bDecimalComma = false;      // numbers have a decimal comma
    bool bIntraday = false;          // several rows a day with different times (strProblem says so)
    int nSkipRows = 0;
    int nDateFormat = 0;             // 1 to 18; 0 when not known
    int nOtherDateFormat = 0;        // another format that also reads every date; 0 when none
    bool bGuessed = false;           // kept for old callers: detection never guesses, so always false
    int nColumn[metastock::kFieldCount] = {};  // 1-based column per field (date, open, ..., open interest); 0 off
    FieldEvidence fields[metastock::kFieldCount];  // the same columns, each with where it came from
    std::vector<std::string> columnNames;      // of the fields found, in field order
    std::string strExampleDate;                // the first date as it stands in the file
    std::vector<std::string> notes;            // what else detection saw: order, times, bad rows, columns left out
    std::string strProblem;                    // why the file is refused; empty when it is not
    // On a refusal: the options detection could not settle ("--open-col", "--close-col", "--date-format"),
    // and the options it did settle, as convert takes them. A run given the open ones converts the file.
    std::vector<std::string> openOptions;
    std::string strKnownOptions;
};

// Reads the first lines of the file as a run reads them. When the file cannot be opened or read,
// strProblem says so with the system's reason.
DetectedLayout DetectLayout(const std::string& path);
// The same from an input already open, named path in messages.
DetectedLayout DetectLayout(metastock::IReadableFile& input, const std::string& path);
DetectedLayout DetectLayoutInLines(const std::vector<std::string>& lines);

// One or two sentences for people: the delimiter, the heading rows, the dates, and for every field where
// its column came from ("Open from Откр.; Volume: column 6, the only whole numbers"). On a refusal, the
// reason and the options to give.
std::string DescribeLayout(const DetectedLayout& layout);

// The options of a layout as one line that convert takes: "--delimiter comma --date-format CCYY_MM_DD
// --skip 1 --date-col 1 --open-col 2 ...". On a refusal, only the options that detection settled.
std::string LayoutOptionsText(const DetectedLayout& layout);

}  // namespace engine
