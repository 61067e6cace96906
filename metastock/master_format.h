#pragma once
// The MASTER file: a 53-byte header, then one 53-byte record per security (at most 255), little-endian.
//
// Header:  0 record count (int16) | 2 highest file number in use (int16), which other programs take their
//          next number from | 4..52 carried over unchanged
// Record:  0 file number n (F<n>.DAT) | 1 0x00 | 2 0x65 | 3 data record length (4 * fields)
//          4 fields per data record | 5..6 zero | 7..22 name, space padded | 23..24 zero
//          25 first date (MBF date code) | 29 last date | 33 time frame ('D' daily, 'W' weekly, 'M'
//          monthly, 'I' intraday) | 34 intraday bar interval in minutes (int16), 0 when not even or not
//          intraday
//          36..51 symbol, space padded | 52 zero
// A record whose bytes 18..22 read "<DIR>" and whose byte 7 is not a space is a directory entry:
// bytes 7..14 name a sub-directory that holds a MASTER of its own.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "metastock/mbf.h"

namespace metastock {

inline constexpr std::size_t kMasterRecordSize = 53;
inline constexpr int kMaxSecurities = 255;

using MasterRecord = std::array<std::uint8_t, kMasterRecordSize>;

namespace master_offset {
inline constexpr std::size_t kRecordCount = 0;
inline constexpr std::size_t kHighestFileNumber = 2;

inline constexpr std::size_t kFileNumber = 0;
inline constexpr std::size_t kMarker = 2;
inline constexpr std::size_t kRecordLength = 3;
inline constexpr std::size_t kFieldCount = 4;
inline constexpr std::size_t kName = 7;
inline constexpr std::size_t kNameWidth = 16;
inline constexpr std::size_t kDirectoryTag = 18;
inline constexpr std::size_t kDirectoryNameWidth = 8;
inline constexpr std::size_t kFirstDate = 25;
inline constexpr std::size_t kLastDate = 29;
inline constexpr std::size_t kTimeFrame = 33;
inline constexpr std::size_t kInterval = 34;
inline constexpr std::size_t kSymbol = 36;
inline constexpr std::size_t kSymbolWidth = 16;
}  // namespace master_offset

// A security's time frame, as the letter its index records hold ('D', 'W', 'M', 'Q', 'Y', 'I').
enum class TimeFrame { kDaily, kWeekly, kMonthly, kQuarterly, kYearly, kIntraday, kUnknown };
char TimeFrameLetter(TimeFrame frame);
// "daily", "weekly", "monthly", "quarterly", "yearly", "intraday"; "unknown" for kUnknown.
const char* TimeFrameWord(TimeFrame frame);

std::int16_t ReadInt16(const std::uint8_t* bytes);
void WriteInt16(std::uint8_t* bytes, std::int16_t value);

// The record of a new security as the converter adds it; name and symbol are cut to 16 characters.
// intervalMinutes: of intraday bars, 0 when they are not evenly spaced.
MasterRecord BuildSecurityRecord(std::uint8_t nFileNumber, int nFields, std::string_view name,
                                 std::string_view symbol, const MbfSingle& date, TimeFrame frame = TimeFrame::kDaily,
                                 int intervalMinutes = 0);

bool IsDirectoryEntry(const MasterRecord& record);

// The sub-directory name of a directory entry: bytes 7..14 up to the first 0 byte, trailing spaces removed.
std::string DirectoryEntryName(const MasterRecord& record);

// Whether a security record answers to the sought text, ignoring the case of ASCII letters: either its
// name (trailing spaces removed) equals the text, or its symbol field's leading words do, taking as many
// words as the text has (a text with k spaces is compared with the field up to its (k+1)-th space).
bool RecordMatches(const MasterRecord& record, std::string_view sought);

}  // namespace metastock
