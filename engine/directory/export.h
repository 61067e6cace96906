#pragma once
// Writes a security's records back out as the text that a conversion reads: one line per record, the
// date first, the time next for an intraday security, then the fields the security has in the order
// open, high, low, close, volume, open interest. Each value has the fewest digits that read back to the
// same single, so converting the text of a daily security with matching options gives the same data file
// byte for byte. Weekly, monthly, quarterly and yearly securities are written as daily ones are: a
// record's date is the date it holds.

#include <filesystem>
#include <ostream>
#include <string_view>

#include "engine/job/services.h"

namespace engine {

// How the time of an intraday record is written: 170517, 17:05:17 or 17:05.
enum class TimeFormat { kHhmmss, kHhMmSs, kHhMm };

// The format that "HHMMSS", "HH:MM:SS" or "HH:MM" names; false for another text.
bool TimeFormatFromName(std::string_view name, TimeFormat& format);

struct ExportOptions {
    int dateFormat = 8;   // CCYYMMDD: four-digit years, so no century is lost
    char delimiter = ',';
    bool header = false;  // a first line naming the fields (Date,Time,Open,High,Low,Close,Volume,OpenInt)
    TimeFormat timeFormat = TimeFormat::kHhMmSs;  // of intraday records
};

// Writes the rows of symbol in directory to out; 0 when done, 1 after a message: no readable MASTER, no
// such symbol, a time frame not known here, an unreadable data file, a date that the format cannot write,
// or a time that is no time of day or has seconds that the format cannot write.
int ExportSecurity(const std::filesystem::path& directory, std::string_view symbol, const ExportOptions& options,
                   std::ostream& out, IMessageSink& messages);

// The same into the file at path, which is made only once every row is there: the text goes into a
// temporary file beside it that is flushed and renamed over it, so a failed export leaves any earlier file
// as it was. A file that cannot be written is said with the system's reason.
int ExportSecurityToFile(const std::filesystem::path& directory, std::string_view symbol, const ExportOptions& options,
                         const std::filesystem::path& path, IMessageSink& messages);

// The shortest text that reads back to exactly value: plain decimals where they are short, else the
// exponent form.
std::string ShortestText(float value);

}  // namespace engine
