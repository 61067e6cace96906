#pragma once
// The kinds of file the desktop's open dialogs offer, in the order offered: price files first.

#include <string>
#include <vector>

namespace desktop {

struct FileType {
    std::string caption;                // "Price files (*.csv *.txt *.prn *.asc)"
    std::vector<std::string> patterns;  // "*.csv", ...
};

inline std::vector<FileType> PriceFileTypes()
{
    return {{"Price files (*.csv *.txt *.prn *.asc)", {"*.csv", "*.txt", "*.prn", "*.asc"}}, {"All Files (*)", {"*"}}};
}

}  // namespace desktop
