#pragma once
// The twelve fixed-position date formats. A format's number is its position in this list, from 1.
//
// Every component is two characters at a fixed offset, counted after leading blanks and one double quote;
// the characters between components are not looked at. Offsets (century, year, month, day; -1: none):
//    1 YY_MM_DD    -  0 3 6     7 YYMMDD      -  0 2 4
//    2 CCYY_MM_DD  0  2 5 8     8 CCYYMMDD    0  2 4 6
//    3 MM_DD_YY    -  6 0 3     9 MMDDYY      -  4 0 2
//    4 MM_DD_CCYY  6  8 0 3    10 MMDDCCYY    4  6 0 2
//    5 DD_MM_YY    -  6 3 0    11 DDMMYY      -  4 2 0
//    6 DD_MM_CCYY  6  8 3 0    12 DDMMCCYY    4  6 2 0
// Formats 1 to 6 separate their components by a character, 7 to 12 are digits only.

#include <cstdint>
#include <string_view>

namespace engine {

inline constexpr int kDateFormatCount = 12;
inline constexpr int kLastSeparatedFormat = 6;
inline constexpr int kMmDdYyFormat = 3;

extern const char* const kDateFormatNames[kDateFormatCount];

// The day number of a date text in format nFormat; 0 when the text holds no readable date (no text, a
// format number outside 1 to 12, all components 0, a month outside 1 to 12, or a date outside 1 January
// 1961 to 4 June 2140). Two-digit years 00 to 59 mean 2000 to 2059, 60 to 99 mean 1960 to 1999.
std::uint16_t ParseDate(const char* szText, std::int16_t nFormat);

// The number of a format given by its name (any case) or by its number as text; 0 when it is neither.
int DateFormatNumber(std::string_view nameOrNumber);

}  // namespace engine
