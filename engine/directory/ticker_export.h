#pragma once
// Writes many securities of a directory into one text in the vendors' ticker layout, one heading line
// and then one line per bar:
//   <TICKER>,<NAME>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>,<OPENINT>
// PER is D, W, M, Q or Y, or for intraday data the bar interval in minutes (I when the bars are not
// evenly spaced); TIME is HHMMSS (000000 for bars without a time). A field the security does not hold
// is left empty. Each security's bars come oldest first, as its data file holds them; the securities
// come in the order asked for, or in the directory's order.

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "engine/job/services.h"

namespace engine {

// symbols empty: every security of directory. 0 when done, 1 after a message naming the directory, the
// symbol or the data file (no readable MASTER, no such symbol, an unreadable data file, a time frame not
// known here, a time that is no time of day); nothing is written to out then.
int ExportTickerRows(const std::filesystem::path& directory, const std::vector<std::string>& symbols, std::ostream& out,
                     IMessageSink& messages);

// The same into the file at path, made only once every row is there (a temporary file renamed over it).
int ExportTickerRowsToFile(const std::filesystem::path& directory, const std::vector<std::string>& symbols,
                           const std::filesystem::path& path, IMessageSink& messages);

}  // namespace engine
