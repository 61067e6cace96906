#pragma once
// Verifies a MetaStock directory without changing anything in it.

#include <filesystem>
#include <string>
#include <vector>

namespace engine {

struct DirectoryReport {
    int securities = 0;
    std::vector<std::string> problems;  // one plain line each, naming the file
};

// Looks for every problem it knows: index counts against the records present, duplicate symbols and file
// numbers, missing or cut data files, column lists that disagree with the index, dates out of order,
// outside the index's range or unreadable, intraday bars whose time is unreadable, out of order or the
// same as the bar's ahead, a time frame that the records or their dates contradict, leftover temporary
// files, and EMASTER records that disagree with MASTER. A directory without a readable MASTER is one
// problem.
DirectoryReport CheckDirectory(const std::filesystem::path& directory);

}  // namespace engine
