#pragma once
// The first data row of an input file as the run finds it: the first line after the skipped lines whose
// fields are not all empty. The settings check and the batch's symbol and name columns read it here, so
// that they judge the row the run will read.

#include <string>

namespace engine {

struct FirstDataRow {
    bool opened = false;  // the file could be opened
    bool found = false;   // false at the end of the file, or when it cannot be read
    int line = 0;         // 1-based; with failure, the line the read stopped at
    std::string text;     // the line without its line end
    std::string failure;  // the file cannot be opened or read: the system's reason
};

FirstDataRow ReadFirstDataRow(const std::string& path, char delimiter, int skipRows);

}  // namespace engine
