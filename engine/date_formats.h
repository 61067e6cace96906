#pragma once
// The date formats. A format's number is its position in this list, from 1; the stored settings keep
// these numbers.
//
//    1 YY_MM_DD      7 YYMMDD      13 DD_MMM_YY     (14-Mar-17)
//    2 CCYY_MM_DD    8 CCYYMMDD    14 DD_MMM_CCYY   (18-JAN-2023)
//    3 MM_DD_YY      9 MMDDYY      15 MMM_DD_CCYY   (Mar 14, 2017)
//    4 MM_DD_CCYY   10 MMDDCCYY    16 CCYY_MMM_DD   (2017-Mar-14)
//    5 DD_MM_YY     11 DDMMYY
//    6 DD_MM_CCYY   12 DDMMCCYY
//
// Formats 1 to 6 and 13 to 16 separate their parts by any of / - . and blank; a month or day there has
// one or two digits, a year the two or four that its format names, a month name is an English month or
// its first three letters in any case, and a comma may follow the day. Formats 7 to 12 are digits only.
// A time may follow the date after a blank or a T (00:00, 00:00:00, 000000, with fractions and a Z).

#include <cstdint>
#include <string_view>

namespace engine {

inline constexpr int kDateFormatCount = 16;
inline constexpr int kLastSeparatedFormat = 6;
inline constexpr int kLastNumericFormat = 12;
inline constexpr int kMmDdYyFormat = 3;
inline constexpr int kFirstYear = 1900;  // the first year that a date code holds
inline constexpr int kLastYear = 2140;

extern const char* const kDateFormatNames[kDateFormatCount];

enum class DateResult { kDate, kNotADate, kOutOfRange };

struct DateRead {
    DateResult eResult = DateResult::kNotADate;
    int nYear = 0;   // full year
    int nMonth = 0;
    int nDay = 0;
    int nTime = -1;  // HHMMSS of a time after the date; -1 when none
};

// Reads a date in format nFormat (1 to 16). Only real calendar dates read; two-digit years 00 to 59 mean
// 2000 to 2059, 60 to 99 mean 1960 to 1999; a date before 1900 or after 2140 is out of range.
DateRead ReadDate(std::string_view text, int nFormat);

// HHMMSS of a time of day such as 9:30, 09:30 or 09:30:00, as a column of times holds it; -1 when the
// text is no such time.
int TimeOfDay(std::string_view text);

// Whether a format keeps only digits in its dates.
inline bool IsNumericFormat(int nFormat)
{
    return nFormat > kLastSeparatedFormat && nFormat <= kLastNumericFormat;
}

// The day number of a date text in format nFormat (leading blanks and one double quote skipped); 0 when
// the text holds no date that ReadDate reads, or one outside 1 January 1961 to 4 June 2140.
std::uint16_t ParseDate(const char* szText, std::int16_t nFormat);

// (years since 1900) * 10000 + month * 100 + day, the value of a date code.
inline int DateCodeValue(int nYear, int nMonth, int nDay)
{
    return (nYear - 1900) * 10000 + nMonth * 100 + nDay;
}

// The number of a format given by its name (any case) or by its number as text; 0 when it is neither.
int DateFormatNumber(std::string_view nameOrNumber);

}  // namespace engine
