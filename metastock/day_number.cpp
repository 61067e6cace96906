#include "metastock/day_number.h"

#include <cstdio>

#include <cmath>

namespace metastock {

namespace {

constexpr int kLastDayNumber = 65535;  // 4 June 2140

bool IsLeapYear(int nYearsSince1900)
{
    return nYearsSince1900 % 4 == 0;
}

// Month * 100 + day of every day of the year (from 1), in a common and in a leap year.
struct MonthDays {
    std::uint16_t m_nMonthDay[2][367] = {};
};

constexpr MonthDays MakeMonthDays()
{
    MonthDays table;
    for (int leap = 0; leap <= 1; ++leap)
        for (int month = 0; month < 12; ++month) {
            const int first = kCumulativeDays[month] + (month >= 2 ? leap : 0) + 1;
            const int last = month == 11 ? 365 + leap : kCumulativeDays[month + 1] + (month + 1 >= 2 ? leap : 0);
            for (int day = first; day <= last; ++day)
                table.m_nMonthDay[leap][day] = static_cast<std::uint16_t>((month + 1) * 100 + day - first + 1);
        }
    return table;
}

constexpr MonthDays kMonthDays = MakeMonthDays();

// Years since 1900 and month * 100 + day of a day number other than 0. Four years from 1961 on hold
// 1461 days, the last of them a leap year.
int SplitIntoYearAndMonthDay(int nDayNumber, int& nMonthDay)
{
    const int cycleYears = (4 * nDayNumber - 1) / 1461;
    const int dayOfYear = nDayNumber - (1461 * cycleYears) / 4;
    const int years = cycleYears + 61;
    nMonthDay = kMonthDays.m_nMonthDay[IsLeapYear(years) ? 1 : 0][dayOfYear];
    return years;
}

}  // namespace

void SplitDayNumber(std::uint16_t nDayNumber, std::int16_t& nYear, std::int16_t& nMonth, std::int16_t& nDay)
{
    if (nDayNumber == 0) {
        nYear = nMonth = nDay = 0;
        return;
    }
    int monthDay = 0;
    nYear = static_cast<std::int16_t>(SplitIntoYearAndMonthDay(nDayNumber, monthDay));
    nMonth = static_cast<std::int16_t>(monthDay / 100);
    nDay = static_cast<std::int16_t>(monthDay % 100);
}

std::uint16_t DayNumber(int nYear, int nMonth, int nDay)
{
    if (nYear > 1900)
        nYear -= 1900;
    if (nMonth < 1 || nMonth > 12)
        return 0;
    // Far-off years cannot give a day in range; bounding them first keeps the arithmetic small.
    if (nYear < 0 || nYear > 300 || nDay < -1000 || nDay > 1000)
        return 0;
    // Days from 1 January 1961 to 1 January of the year, rounded down so that a year before 1961 counts in full
    // (rounding toward zero would make 31 December 1960 day 1).
    const int yearDays = (nYear - 61) * 1461;
    int n = nDay + kCumulativeDays[nMonth - 1] + (yearDays >= 0 ? yearDays / 4 : -((3 - yearDays) / 4));
    if (nMonth > 2 && IsLeapYear(nYear))
        ++n;
    if (n < 1 || n > kLastDayNumber)
        return 0;
    return static_cast<std::uint16_t>(n);
}

// Date codes up to 2401231 are exact in a single.
MbfSingle DayToDateCode(std::uint16_t nDayNumber)
{
    if (nDayNumber == 0)
        return {};
    int monthDay = 0;
    const int years = SplitIntoYearAndMonthDay(nDayNumber, monthDay);
    return FloatToMbf(static_cast<float>(years * 10000 + monthDay));
}

CalendarDate DateCodeToDate(const MbfSingle& dateCode)
{
    const float value = MbfToFloat(dateCode);
    if (!(value >= 1.0f && value < 16777216.0f))
        return {};
    const long code = std::lround(value);
    return {static_cast<int>(code / 10000) + 1900, static_cast<int>(code / 100 % 100), static_cast<int>(code % 100)};
}

std::string IsoDateText(const CalendarDate& date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year % 10000, date.month % 100, date.day % 100);
    return text;
}

std::string IsoDateText(int nYyyymmdd)
{
    return IsoDateText(CalendarDate{nYyyymmdd / 10000, nYyyymmdd / 100 % 100, nYyyymmdd % 100});
}

}  // namespace metastock
