#pragma once
// Day numbers (days counted from 1 January 1961 = day 1) and date codes
// ((years since 1900) * 10000 + month * 100 + day, held as an MBF single).

#include <cstdint>
#include <string>

#include "metastock/mbf.h"

namespace metastock {

// Days of a common year before the first of each month. In a leap year (every year since 1900 that
// divides by 4, 2100 included) March to December are one higher.
inline constexpr std::uint16_t kCumulativeDays[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// Splits a day number into years since 1900, month and day. Day 0 marks an unreadable date and has no
// calendar date: it gives 0, 0, 0.
void SplitDayNumber(std::uint16_t nDayNumber, std::int16_t& nYear, std::int16_t& nMonth, std::int16_t& nDay);

// The day number of a date; the year counts from 1900 (a full year above 1900 is accepted too). A day
// beyond its month's end rolls into the next month, day 0 is the last day of the month before. A month
// outside 1 to 12, or a date outside 1 January 1961 to 4 June 2140, gives 0.
std::uint16_t DayNumber(int nYear, int nMonth, int nDay);

// The date code of a day number as MBF bytes. Day 0, the unreadable date, gives date code 0 (four 0 bytes).
MbfSingle DayToDateCode(std::uint16_t nDayNumber);

struct CalendarDate {
    int year = 0;  // full year, 0 for date code 0
    int month = 0;
    int day = 0;
};

// Reads a date code back into a calendar date.
CalendarDate DateCodeToDate(const MbfSingle& dateCode);

// YYYY-MM-DD, of a calendar date or of a date held as the number YYYYMMDD.
std::string IsoDateText(const CalendarDate& date);
std::string IsoDateText(int nYyyymmdd);

}  // namespace metastock
