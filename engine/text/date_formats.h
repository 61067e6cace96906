#pragma once
// The date formats. A format's number is its position in this list, from 1; the stored settings keep
// these numbers.
//
//    1 YY_MM_DD      7 YYMMDD      13 DD_MMM_YY     (14-Mar-17)
//    2 CCYY_MM_DD    8 CCYYMMDD    14 DD_MMM_CCYY   (18-JAN-2023)
//    3 MM_DD_YY      9 MMDDYY      15 MMM_DD_CCYY   (Mar 14, 2017)
//    4 MM_DD_CCYY   10 MMDDCCYY    16 CCYY_MMM_DD   (2017-Mar-14)
//    5 DD_MM_YY     11 DDMMYY      17 UNIX_SECONDS  (1502928000)
//    6 DD_MM_CCYY   12 DDMMCCYY    18 UNIX_MS       (1502928000000)
//                                  19 SERIAL_DAYS   (45293, a spreadsheet's day number)
//
// Formats 1 to 6 and 13 to 16 separate their parts by any of / - . and blank (and the year, month and day
// marks of Chinese, Japanese and Korean: 2012년 01월 27일, 2012年1月27日); a month or day there has one or
// two digits, a year the two or four that its format names, a month name is a month of the heading
// languages in full or abbreviated, in any case ("July", "Sept", "Mär", "janv.", "Okt"), and a comma may
// follow the day. Formats 7 to 12 are digits only. A time may follow the date after a blank or a T
// (00:00, 00:00:00, 000000, with fractions, and a Z or an offset such as +02:00, which leave the date as
// written). Formats 17 and 18 are seconds or milliseconds since 1970 (9 to 10 or 12 to 13 digits), dated
// in UTC. Format 19 counts days from 1899-12-30 as spreadsheets do, from 61 (1900-03-01) on; a fraction
// is the time of day.

#include <cstdint>
#include <string_view>

namespace engine {

inline constexpr int kDateFormatCount = 19;
inline constexpr int kLastSeparatedFormat = 6;
inline constexpr int kLastNumericFormat = 12;
inline constexpr int kMmDdYyFormat = 3;
inline constexpr int kLastCalendarFormat = 16;
inline constexpr int kUnixSecondsFormat = 17;
inline constexpr int kUnixMillisecondsFormat = 18;
inline constexpr int kSerialDaysFormat = 19;
inline constexpr int kFirstYear = 1900;  // the first year that a date code holds
inline constexpr int kLastYear = 2140;

extern const char* const kDateFormatNames[kDateFormatCount];

enum class DateResult { kDate, kNotADate, kOutOfRange };

struct DateRead {
    DateResult result = DateResult::kNotADate;
    int year = 0;   // full year
    int month = 0;
    int day = 0;
    int time = -1;  // HHMMSS of a time after the date; -1 when none
};

// Reads a date in format nFormat (1 to 18). Only real calendar dates read; two-digit years 00 to 59 mean
// 2000 to 2059, 60 to 99 mean 1960 to 1999; a date before 1900 or after 2140 is out of range.
DateRead ReadDate(std::string_view text, int nFormat);

// HHMMSS of a time of day such as 9:30, 09:30 or 09:30:00, as a column of times holds it; -1 when the
// text is no such time.
int TimeOfDay(std::string_view text);
// The same of a column that its heading names a time: also HHMM or HHMMSS in digits alone (093000), as
// vendors' ticker files write it.
int NamedTimeOfDay(std::string_view text);

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
