#include "metastock/day_number.h"

#include <cmath>

namespace metastock {

namespace {

constexpr int kLastDayNumber = 65535;  // 4 June 2140

bool IsLeapYear(int nYearsSince1900)
{
    return nYearsSince1900 % 4 == 0;
}

}  // namespace

void SplitDayNumber(std::uint16_t nDayNumber, std::int16_t& nYear, std::int16_t& nMonth, std::int16_t& nDay)
{
    if (nDayNumber == 0) {
        nYear = nMonth = nDay = 0;
        return;
    }
    const int n = nDayNumber;
    const int c = (4 * n - 1) / 1461;
    const int r = n - (1461 * c) / 4;  // day of the year, from 1
    const int years = c + 61;
    const int leap = IsLeapYear(years) ? 1 : 0;
    int i = 11;
    while (i > 0 && kCumulativeDays[i] + (i >= 2 ? leap : 0) >= r)
        --i;
    nYear = static_cast<std::int16_t>(years);
    nMonth = static_cast<std::int16_t>(i + 1);
    nDay = static_cast<std::int16_t>(r - (kCumulativeDays[i] + (i >= 2 ? leap : 0)));
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

MbfSingle DayToDateCode(std::uint16_t nDayNumber)
{
    std::int16_t y = 0, m = 0, d = 0;
    SplitDayNumber(nDayNumber, y, m, d);
    const double code = m * 100.0 + y * 10000.0 + d;
    return FloatToMbf(static_cast<float>(code));
}

CalendarDate DateCodeToDate(const MbfSingle& dateCode)
{
    const float value = MbfToFloat(dateCode);
    if (!(value >= 1.0f && value < 16777216.0f))
        return {};
    const long code = std::lround(value);
    return {static_cast<int>(code / 10000) + 1900, static_cast<int>(code / 100 % 100), static_cast<int>(code % 100)};
}

}  // namespace metastock
