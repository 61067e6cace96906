#pragma once
// Reading and writing MASTER: the one reader that the duplicate check, the search for a free file number, the record
// update and the toolkit all use.
//
// The header's count and the records present can disagree (a file cut short, or written by a careless
// program). The rule: the securities of a MASTER are its first min(count, whole records) records; a count
// of less than 0 counts as 0. A writer refuses to change a MASTER whose count disagrees with its records
// (IndexDamage in directory_reader.h), since either could be the wrong one.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "metastock/extra_index_files.h"
#include "metastock/master_format.h"

namespace metastock {

struct MasterFile {
    MasterRecord header{};
    std::vector<MasterRecord> records;  // the first min(count, whole records) records
    int count = 0;                     // as the header gives it
    std::size_t wholeRecords = 0;      // whole 53-byte records after the header
    bool partRecord = false;           // the file ends in part of a record

};

// Reads the bytes of a whole MASTER; false with a message when they are shorter than the header.
bool ParseMaster(const std::vector<std::uint8_t>& bytes, MasterFile& master, std::string& problem);

// Reads the MASTER at path; false with a message naming the file when it cannot be read or is shorter
// than its header.
bool ReadMasterFile(const std::filesystem::path& path, MasterFile& master, std::string& error);

// Writing MASTER: the header and the records of master, all of them. A caller adds a record with
// AppendRecord and takes one out with EraseRecord; both set the header's numbers from the records.
std::vector<std::uint8_t> MasterFileBytes(const MasterFile& master);
void AppendRecord(MasterFile& master, const MasterRecord& record);
void EraseRecord(MasterFile& master, std::size_t nRecord);

// The highest file number that a record of master uses; 0 when none.
int HighestFileNumber(const MasterFile& master);

// A date code as YYYYMMDD (0 for date code 0).
int DateCodeToYyyymmdd(const MbfSingle& dateCode);

// A security record of MASTER as an index entry (dates as YYYYMMDD, 0 when unreadable).
IndexEntry MasterEntry(const MasterRecord& record);

}  // namespace metastock
