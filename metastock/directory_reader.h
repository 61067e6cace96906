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
    IndexEntry entry;         // from MASTER, from XMASTER beyond 255, or from EMASTER alone
    std::string dataFile;  // F3.DAT, or F300.MWD for an XMASTER security; empty when the number names none
    int masterRecord = -1;   // its place among the MASTER records; -1 for a security MASTER does not list
};

// The one rule for which data file belongs to an index record: F<n>.DAT for MASTER and EMASTER (n from 1
// to 255), F<n>.MWD for XMASTER (n from 256 up). Empty for a number outside its index's range: such a
// record names no data file, and reading or writing one under that name would take another security's.
std::string IndexDataFile(const IndexEntry& entry);

// What makes the indexes unsafe to change, one line naming the file: a count that disagrees with the
// records, a file that ends in part of a record, an XMASTER number below 256. Empty when there is none.
// Every writer refuses such a directory, since either the count or the records could be the wrong one.
std::string IndexDamage(const std::filesystem::path& masterPath, const MasterFile& master, bool bHasMaster,
                        const ExtraIndexes& extras);

struct DirectoryContents {
    std::filesystem::path directory;
    std::filesystem::path masterPath;
    MasterFile master;
    ExtraIndexes extras;
    // In file-number order; "<DIR>" entries are not securities. Those that only EMASTER lists come
    // too (entry.kind kEmaster), since their numbers and symbols are taken.
    std::vector<SecurityEntry> securities;
};

// The securities that MASTER, EMASTER and XMASTER list, as DirectoryContents::securities holds them.
std::vector<SecurityEntry> SecuritiesOf(const MasterFile& master, const ExtraIndexes& extras);

// Reads MASTER, EMASTER and XMASTER of directory (names in any case). False with a message naming the file
// when MASTER is missing, unreadable or shorter than its header, or an EMASTER or XMASTER is unreadable.
bool ReadDirectory(const std::filesystem::path& directory, DirectoryContents& contents, std::string& error);

// The security whose symbol is symbol, ignoring the case of ASCII letters and trailing blanks; null when none.
const SecurityEntry* FindSecurity(const DirectoryContents& contents, std::string_view symbol);

struct SecurityData {
    DataLayout layout;
    bool fromColumnList = false;  // the layout came from F<n>.DOP
    DataFile file;
};

// Reads a security's field list and data file. False with a message naming the file when the data file
// is missing or unreadable, its field list cannot be told or disagrees with the index, or it is shorter
// than its header says.
bool ReadSecurityData(const DirectoryContents& contents, const SecurityEntry& security, SecurityData& data,
                      std::string& error);

// A security's time frame as its index gives it ('D' daily, 'W' weekly, 'M' monthly, 'Q' quarterly, 'Y'
// yearly, 'I' intraday), and intraday too when its records hold a time.
TimeFrame TimeFrameOf(const SecurityEntry& security, const DataLayout& layout);
// The same as a word: "daily", "weekly", ... or "time frame X" for a letter not known here.
std::string TimeFrameName(const SecurityEntry& security, const DataLayout& layout);
// Whether the toolkit appends to a security's rows: daily data only.
bool IsDaily(const SecurityEntry& security, const DataLayout& layout);

// The time of an intraday record, which its time field holds as the number HHMMSS (170517 is 17:05:17).
struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// False when the value is no time of day: not a whole number, or an hour, minute or second out of range.
bool TimeCodeToTime(const MbfSingle& code, TimeOfDay& time);

}  // namespace metastock
