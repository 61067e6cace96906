// Day numbers (1 January 1961 is day 1) and the date codes stored for them.

#include <cstdint>

#include <gtest/gtest.h>

#include "metastock/day_number.h"
#include "support/temp_dir.h"

using namespace metastock;

TEST(DayNumber, CalendarDatesAndTheirDateCodes)
{
    const struct {
        std::uint16_t nDay;
        int nYear, nMonth, nDayOfMonth;  // year counted from 1900
        float code;
        const char* mbf;  // nullptr: only the value is checked
    } cases[] = {
        {1, 61, 1, 1, 610101, "50 F3 14 94"},
        {14, 61, 1, 14, 610114, "20 F4 14 94"},
        {366, 62, 1, 1, 620101, nullptr},
        {1461, 64, 12, 31, 641231, nullptr},  // 1964 is a leap year
        {1462, 65, 1, 1, 650101, nullptr},
        {14244, 99, 12, 31, 991231, "F0 FF 71 94"},
        {14245, 100, 1, 1, 1000101, "50 2A 74 94"},
        {14304, 100, 2, 29, 1000229, "50 32 74 94"},
        {24081, 126, 12, 6, 1261206, "B0 F4 19 95"},
        {50829, 200, 2, 29, 2000229, nullptr},  // 2100 counts as a leap year
        {50830, 200, 3, 1, 2000301, nullptr},
        {65535, 240, 6, 4, 2400604, "70 85 12 96"},
    };
    for (const auto& c : cases) {
        std::int16_t y = -1, m = -1, d = -1;
        SplitDayNumber(c.nDay, y, m, d);
        EXPECT_EQ(y, c.nYear) << "day " << c.nDay;
        EXPECT_EQ(m, c.nMonth) << "day " << c.nDay;
        EXPECT_EQ(d, c.nDayOfMonth) << "day " << c.nDay;
        EXPECT_EQ(DayNumber(c.nYear, c.nMonth, c.nDayOfMonth), c.nDay);
        const MbfSingle code = DayToDateCode(c.nDay);
        EXPECT_EQ(MbfToFloat(code), c.code) << "day " << c.nDay;
        if (c.mbf) {
            EXPECT_EQ(Hex(code), c.mbf) << "day " << c.nDay;
        }
    }
}

TEST(DayNumber, EveryDayNumberSplitsAndRecombinesToItself)
{
    for (int n = 1; n <= 65535; ++n) {
        std::int16_t y = 0, m = 0, d = 0;
        SplitDayNumber(static_cast<std::uint16_t>(n), y, m, d);
        ASSERT_TRUE(m >= 1 && m <= 12 && d >= 1 && d <= 31) << "day " << n << ": " << m << "/" << d;
        ASSERT_EQ(DayNumber(y, m, d), n) << "years since 1900 " << y << ", month " << m << ", day " << d;
        ASSERT_EQ(DayNumber(y + 1900, m, d), n) << "full year " << y + 1900;
        const CalendarDate date = DateCodeToDate(DayToDateCode(static_cast<std::uint16_t>(n)));
        ASSERT_TRUE(date.year == y + 1900 && date.month == m && date.day == d) << "date code of day " << n;
    }
}

TEST(DayNumber, DatesWithoutADayNumberAreStoredAsDateCodeZero)
{
    EXPECT_EQ(Hex(DayToDateCode(0)), "00 00 00 00");
    EXPECT_EQ(DayNumber(98, 13, 1), 0) << "month 13";
    EXPECT_EQ(DayNumber(98, 0, 15), 0) << "month 0";
    EXPECT_EQ(DayNumber(98, -1, 15), 0) << "negative month";
    EXPECT_EQ(DayNumber(60, 12, 31), 0) << "31 December 1960 lies before day 1";
    EXPECT_EQ(DayNumber(60, 12, 32), 1) << "32 December 1960 rolls over to 1 January 1961";
    EXPECT_EQ(DayNumber(61, 1, 0), 0) << "the day before 1 January 1961";
    EXPECT_EQ(DayNumber(240, 6, 5), 0) << "the day after 4 June 2140";
    EXPECT_EQ(DayNumber(-1900, 1, 1), 0) << "year 0";
}
