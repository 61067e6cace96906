#pragma once
// The securities of a directory as list and the desktop's panel show them: every security the indexes
// name, in file-number order, with what its data file says; one whose data file cannot be read keeps
// its index's dates and a note.

#include <filesystem>
#include <string>
#include <vector>

#include "engine/job/services.h"

namespace engine {

struct ListedSecurity {
    std::string symbol;        // UTF-8
    std::string storedSymbol;  // as the index holds it (Windows-1252), to name it to remove and export
    std::string name;          // UTF-8
    std::string dataFile;      // F<n>.DAT or F<n>.MWD
    std::string fields;        // the field letters, e.g. DOHLCV; empty when the data file cannot be read
    std::string frame;         // daily, weekly, intraday, ...
    std::string first, last;   // YYYY-MM-DD, empty when the index holds no date
    std::string records;       // empty when the data file cannot be read
    std::string note;          // why a row lacks what its data file would say
};

// false with error when the directory's indexes cannot be read. A data file that cannot be read is
// reported to notices (ShowNotice) and listed all the same.
bool ListSecurities(const std::filesystem::path& directory, std::vector<ListedSecurity>& securities, std::string& error,
                    IMessageSink& notices);

}  // namespace engine
