#pragma once
// The index files that charting programs keep beside MASTER: EMASTER (the same securities with longer
// fields) and XMASTER (securities beyond 255, with data files F<n>.MWD). Both are read only: a writer of
// MASTER must know which file numbers and symbols they hold, so that it never takes another security's
// data file or symbol. All numbers are little-endian.
//
// EMASTER: a 192-byte header (0 record count, int16 | 2 highest file number in use, int16 | zeros), then
// 192-byte records, every byte not named here zero:
//   2 file number | 6 fields per data record | 7 one bit per field (0x7F for seven) | 9 0x20
//   11 symbol (14 bytes) | 32 name (16 bytes) | 60 time frame | 62 intraday bar interval in minutes (int16)
//   | 64 first date, 72 last date (IEEE singles, YYYMMDD: years since 1900 * 10000 + month * 100 + day)
//   | 68 first time, 76 last time of intraday bars (IEEE singles, HHMMSS) | 126 first date (int32, YYYYMMDD)
//   139 long name, NUL padded, to the end of the record (only where the name is longer than 16)
// XMASTER: a 150-byte header (0 the bytes 5D FE 'X' 'M' | 10 record count, int16 | 14 the count again
// | 18 the next free file number, the highest in use + 1 | zeros), then 150-byte records, every byte not
// named here zero:
//   0 0x01 | 1 symbol (14 bytes) | 16 name (45 bytes) | 62 time frame | 65 file number (uint16)
//   70 one bit per field (0x7F for seven) | 104 and 108 first date, 116 last date (int32, YYYYMMDD)
// A record whose file number is 0 is an empty slot.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace metastock {

namespace emaster_offset {
inline constexpr std::size_t kRecordSize = 192;
inline constexpr std::size_t kRecordCount = 0;
inline constexpr std::size_t kLastFileNumber = 2;
inline constexpr std::size_t kFileNumber = 2;
inline constexpr std::size_t kFieldCount = 6;
inline constexpr std::size_t kFieldMask = 7;
inline constexpr std::size_t kMarker = 9;
inline constexpr std::uint8_t kMarkerValue = 0x20;
inline constexpr std::size_t kSymbol = 11;
inline constexpr std::size_t kSymbolWidth = 14;
inline constexpr std::size_t kName = 32;
inline constexpr std::size_t kNameWidth = 16;
inline constexpr std::size_t kTimeFrame = 60;
inline constexpr std::size_t kInterval = 62;
inline constexpr std::size_t kFirstDate = 64;
inline constexpr std::size_t kFirstTime = 68;
inline constexpr std::size_t kLastDate = 72;
inline constexpr std::size_t kLastTime = 76;
inline constexpr std::size_t kFirstDateLong = 126;
inline constexpr std::size_t kLongName = 139;
}  // namespace emaster_offset

namespace xmaster_offset {
inline constexpr std::size_t kRecordSize = 150;
inline constexpr std::uint8_t kMagic[] = {0x5D, 0xFE, 'X', 'M'};
inline constexpr std::size_t kRecordCount = 10;
inline constexpr std::size_t kRecordCountAgain = 14;
inline constexpr std::size_t kNextFileNumber = 18;
inline constexpr std::size_t kMarker = 0;
inline constexpr std::uint8_t kMarkerValue = 0x01;
inline constexpr std::size_t kFieldMask = 70;
inline constexpr std::size_t kStartDate = 104;
inline constexpr std::size_t kSymbol = 1;
inline constexpr std::size_t kSymbolWidth = 14;
inline constexpr std::size_t kName = 16;
inline constexpr std::size_t kNameWidth = 45;
inline constexpr std::size_t kTimeFrame = 62;
inline constexpr std::size_t kFileNumber = 65;
inline constexpr std::size_t kFirstDate = 108;
inline constexpr std::size_t kLastDate = 116;
}  // namespace xmaster_offset

enum class IndexKind { kMaster, kEmaster, kXmaster };

// One security as an index file lists it. Texts are the file's bytes (Windows-1252) without trailing
// blanks and NULs.
struct IndexEntry {
    IndexKind kind = IndexKind::kMaster;
    int fileNumber = 0;    // F<n>.DAT (MASTER, EMASTER) or F<n>.MWD (XMASTER)
    int fields = 0;        // values per data record; 0 when the index does not say (XMASTER)
    char timeFrame = 'D';  // 'D' for daily
    std::string symbol;
    std::string name;    // EMASTER: its long name when that is present
    int firstDate = 0;     // YYYYMMDD; 0 when unknown
    int lastDate = 0;
};

// What one index file holds: the count its header gives, how many whole records follow the header, and
// the securities of every whole record that is not an empty slot (all of them, whatever the count says:
// a number that any record uses is not free).
struct IndexFile {
    int count = 0;
    std::size_t wholeRecords = 0;
    bool partRecord = false;  // the file ends in part of a record
    std::vector<IndexEntry> entries;
    std::filesystem::path path;        // as found in the directory, or the name a new one would get
    std::vector<std::uint8_t> bytes;   // the whole file as read, for a writer to change
};

// Reads the bytes of a whole EMASTER or XMASTER. False, with a message naming what is wrong, when the
// bytes are shorter than the header.
bool ParseEmaster(const std::vector<std::uint8_t>& bytes, IndexFile& index, std::string& problem);
bool ParseXmaster(const std::vector<std::uint8_t>& bytes, IndexFile& index, std::string& problem);

// The EMASTER and XMASTER of directory, found in any case of their names; a missing one counts as empty.
// False with a message naming the file when one is there but cannot be read or is shorter than its header.
struct ExtraIndexes {
    bool hasEmaster = false;
    bool hasXmaster = false;
    IndexFile emaster;
    IndexFile xmaster;
};
bool ReadExtraIndexes(const std::filesystem::path& directory, ExtraIndexes& indexes, std::string& error);

// Keeps a whole EMASTER's bytes in step with a change to MASTER: the dates of the security with file
// number nFileNumber (YYYYMMDD, and HHMMSS of an intraday security's first and last bar; -1 leaves the
// times as they are), or its removal (the records after it move up, the count goes down). False when no
// whole record has that file number.
bool SetEmasterDates(std::vector<std::uint8_t>& bytes, int nFileNumber, int nFirstDate, int nLastDate,
                     int nFirstTime = -1, int nLastTime = -1);
bool RemoveEmasterRecord(std::vector<std::uint8_t>& bytes, int nFileNumber);

// A security that a writer adds to an index; texts as stored (Windows-1252), dates YYYYMMDD.
struct NewIndexRecord {
    int fileNumber = 0;
    int fields = 0;
    std::string symbol;
    std::string name;
    int firstDate = 0;
    int lastDate = 0;
    char timeFrame = 'D';
    int intervalMinutes = 0;  // of intraday bars; 0 when not even
};
// Appends the security's record to a whole EMASTER's bytes (an empty vector: a new EMASTER) and sets the
// header's count and highest file number from the records. Both remove and append keep the header so.
void AppendEmasterRecord(std::vector<std::uint8_t>& bytes, const NewIndexRecord& security);

// The same for a whole XMASTER (an empty vector: a new one, with its header), whose header then gives
// the count and the next free file number; false from the date and removal functions when no whole
// record has the file number.
void AppendXmasterRecord(std::vector<std::uint8_t>& bytes, const NewIndexRecord& security);
bool SetXmasterDates(std::vector<std::uint8_t>& bytes, int nFileNumber, int nFirstDate, int nLastDate);
bool RemoveXmasterRecord(std::vector<std::uint8_t>& bytes, int nFileNumber);

// The numbers a new security of XMASTER may take: from 256 up.
inline constexpr int kFirstWideFileNumber = 256;
inline constexpr int kLastWideFileNumber = 65535;

// A text field of an index record: the bytes up to the first NUL, trailing blanks removed.
std::string IndexText(const std::uint8_t* field, std::size_t width);

}  // namespace metastock
