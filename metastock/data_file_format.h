#pragma once
// A security's data files.
//
// F<n>.DAT: records of L = 4 * fields bytes. Record 1 is the header, a row of int16 words: 0, the number
// of the last record (data records + 1), then alternately 0 and 1 up to L bytes. Records 2, 3 ... hold
// the MBF values of the fields that are on, in field order: date, open, high, low, close, volume, open
// interest. At most 65,534 data records fit, since the header word counts them plus one.
//
// An intraday security's records hold the time of the bar after the date, as the MBF value HHMMSS
// (170517 is 17:05:17).
//
// F<n>.DOP: one line per field that is on, in the same order, such as "DATE",0,0 and "CLOSE",4,4,
// each ending in CR LF; an intraday security's list has "TIME",0,0 after the date.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace metastock {

inline constexpr int kFieldCount = 7;
inline constexpr int kMaxDataRecords = 65534;

enum Field { kDateField, kOpenField, kHighField, kLowField, kCloseField, kVolumeField, kOpenInterestField };

// The header record of a new data file: the words 0 and 1, nFields times.
std::vector<std::uint8_t> NewDataFileHeader(int nFields);

// Sets header word 1 to the number of the last record, nDataRecords + 1 (kept to 16 bits).
void SetLastRecordNumber(std::uint8_t* header, int nDataRecords);

// The text of F<n>.DOP for the fields that are on, with the time after the date for intraday records.
std::string ColumnListText(const std::array<bool, kFieldCount>& fieldOn, bool time = false);

}  // namespace metastock
