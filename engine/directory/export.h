#pragma once
// Writes a security's records back out as the text that a conversion reads: one line per record, the
// date first, then the fields the security has in the order open, high, low, close, volume, open
// interest. Each value has the fewest digits that read back to the same single, so converting the text
// with matching options gives the same data file byte for byte.

#include <filesystem>
#include <ostream>
#include <string_view>

#include "engine/job/services.h"

namespace engine {

struct ExportOptions {
    int dateFormat = 8;   // CCYYMMDD: four-digit years, so no century is lost
    char delimiter = ',';
    bool header = false;  // a first line naming the fields (Date,Open,High,Low,Close,Volume,OpenInt)
};

// Writes the rows of symbol in directory to out; 0 when done, 1 after a message: no readable MASTER, no
// such symbol, an intraday security, an unreadable data file, or a date that the format cannot write.
int ExportSecurity(const std::filesystem::path& directory, std::string_view symbol, const ExportOptions& options,
                   std::ostream& out, IMessageSink& messages);

// The shortest text that reads back to exactly value: plain decimals where they are short, else the
// exponent form.
std::string ShortestText(float value);

}  // namespace engine
