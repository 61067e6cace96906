#pragma once
// What a MetaStock directory holds, as the toolkit reads it: the securities of MASTER (with their
// EMASTER long names) and of XMASTER, each with its data file, and each security's data.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "metastock/data_file_reader.h"
#include "metastock/extra_index_files.h"
#include "metastock/master_file.h"

namespace metastock {

struct SecurityEntry {
    IndexEntry entry;         // from MASTER, or from XMASTER beyond 255
    std::string strDataFile;  // F3.DAT, or F300.MWD for an XMASTER security
    int nMasterRecord = -1;   // its place among the MASTER records; -1 for an XMASTER security
};

struct DirectoryContents {
    std::filesystem::path directory;
    std::filesystem::path masterPath;
    MasterFile master;
    ExtraIndexes extras;
    std::vector<SecurityEntry> securities;  // in file-number order; "<DIR>" entries are not securities
};

// Reads MASTER, EMASTER and XMASTER of directory (names in any case). False with a message naming the file
// when MASTER is missing, unreadable or shorter than its header, or an EMASTER or XMASTER is unreadable.
bool ReadDirectory(const std::filesystem::path& directory, DirectoryContents& contents, std::string& error);

// The security whose symbol is symbol, ignoring the case of ASCII letters and trailing blanks; null when none.
const SecurityEntry* FindSecurity(const DirectoryContents& contents, std::string_view symbol);

struct SecurityData {
    DataLayout layout;
    bool bFromColumnList = false;  // the layout came from F<n>.DOP
    DataFile file;
};

// Reads a security's field list and data file. False with a message naming the file when the data file
// is missing or unreadable, its field list cannot be told or disagrees with the index, or it is shorter
// than its header says.
bool ReadSecurityData(const DirectoryContents& contents, const SecurityEntry& security, SecurityData& data,
                      std::string& error);

// A security's time frame as its index gives it ('D' daily, 'W' weekly, 'M' monthly, 'Q' quarterly, 'Y'
// yearly, 'I' intraday), and intraday too when its records hold a time: "daily", "weekly", ... or "time
// frame X" for a letter not known here.
std::string TimeFrameName(const SecurityEntry& security, const DataLayout& layout);
// Whether the toolkit writes and appends a security's rows: daily data only.
bool IsDaily(const SecurityEntry& security, const DataLayout& layout);

}  // namespace metastock
