// Date text in the eighteen formats.

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "engine/text/date_formats.h"
#include "metastock/day_number.h"

using namespace metastock;
using namespace engine;

TEST(DateFormats, OnlyRealCalendarDatesRead)
{
    const struct {
        const char* szText;
        int nFormat;
        int nCode;   // date code value; 0 not a date, -1 out of range
        int nTime;   // HHMMSS after the date, -1 none
    } cases[] = {
        {"98/12/31", 1, 981231, -1},
        {"1998/12/31", 2, 981231, -1},
        {"12/31/98", 3, 981231, -1},
        {"12/31/1998", 4, 981231, -1},
        {"31/12/98", 5, 981231, -1},
        {"31-12-1999", 6, 991231, -1},
        {"981231", 7, 981231, -1},
        {"19981231", 8, 981231, -1},
        {"123198", 9, 981231, -1},
        {"12311998", 10, 981231, -1},
        {"010100", 11, 1000101, -1},
        {"31121998", 12, 981231, -1},
        {"14-Mar-17", 13, 1170314, -1},
        {"18-JAN-2023", 14, 1230118, -1},
        {"Mar 14, 2017", 15, 1170314, -1},
        {"september 4 2017", 15, 1170904, -1},
        {"2017-Mar-14", 16, 1170314, -1},
        {"2017.sept.14", 16, 1170914, -1},
        {"1/5/98", 3, 980105, -1},  // one or two digits for month and day
        {"2019/9/27", 2, 1190927, -1},
        {"8 25 2015", 4, 1150825, -1},
        {"12.31.98", 3, 981231, -1},
        {"2020-01-02 00:00:00", 2, 1200102, 0},
        {"2020-01-02T09:30:00Z", 2, 1200102, 93000},
        {"2020-01-02 9:30", 2, 1200102, 93000},
        {"20200102 000000", 8, 1200102, 0},
        {"01/01/59", 3, 1590101, -1},  // 00 to 59 are 2000 to 2059
        {"12/31/60", 3, 601231, -1},
        {"01/01/1900", 4, 101, -1},
        {"12/31/2140", 4, 2401231, -1},
        {"12/31/1899", 4, -1, -1},
        {"01/01/2141", 4, -1, -1},
        {"02/29/2000", 4, 1000229, -1},
        {"02/29/2100", 4, 0, -1},  // centuries are leap years only every 400 years
        {"29/02/1900", 6, 0, -1},
        {"02/29/2096", 4, 1960229, -1},
        {"02/29/2101", 4, 0, -1},
        {"02/30/98", 3, 0, -1},    // no roll-over into March
        {"03/00/98", 3, 0, -1},
        {"13/01/98", 3, 0, -1},
        {"123/1/98", 3, 0, -1},
        {"12/31/98 and more", 3, 0, -1},
        {"12/31/98x", 3, 0, -1},
        {"1231988", 9, 0, -1},
        {"12/31/98", 9, 0, -1},
        {"14-Maps-17", 13, 0, -1},
        {"14-Mars-17", 13, 1170314, -1},  // month names of the heading languages, full or abbreviated
        {"13-July-2020", 14, 1200713, -1},
        {"14 Aug 2024", 14, 1240814, -1},
        {"14. Mär 2021", 14, 1210314, -1},
        {"janv. 14, 2019", 15, 1190114, -1},
        {"2 февраля 2019", 14, 1190202, -1},
        {"2012년 01월 27일", 2, 1120127, -1},
        {"2012年1月27日", 2, 1120127, -1},
        {"2021-01-01T00:00:00+02:00", 2, 1210101, 0},  // the date as written
        {"2021-01-01 23:00:00-0500", 2, 1210101, 230000},
        {"1502928000", 17, 1170817, 0},  // seconds since 1970, in UTC
        {"1502928000000", 18, 1170817, 0},
        {"1502971200", 17, 1170817, 120000},
        {"15029280", 17, 0, -1},
        {"2020-01-02 25:00", 2, 0, -1},
        {"", 3, 0, -1},
        {"12/31/98", 0, 0, -1},
        {"12/31/98", 17, 0, -1},
        {"12/31/98", 20, 0, -1},
        {"36160", 19, 981231, 0},  // a spreadsheet's day number, from 1899-12-30
        {"45293.75", 19, 1240102, 180000},
        {"61", 19, 301, 0},
        {"60", 19, 0, -1},  // the 29 February 1900 that spreadsheets count
        {"981231", 19, 0, -1},  // past 2140: another number
        {"45293.", 19, 0, -1},
    };
    for (const auto& c : cases) {
        const DateRead read = ReadDate(c.szText, c.nFormat);
        const int code = read.result == DateResult::kDate         ? DateCodeValue(read.year, read.month, read.day)
                         : read.result == DateResult::kOutOfRange ? -1
                                                                   : 0;
        EXPECT_EQ(code, c.nCode) << "\"" << c.szText << "\" in format " << c.nFormat;
        if (read.result == DateResult::kDate) {
            EXPECT_EQ(read.time, c.nTime) << "\"" << c.szText << "\" in format " << c.nFormat;
        }
    }
}

TEST(DateFormats, DayNumbersFromTheSameDatesAsBefore)
{
    EXPECT_EQ(ParseDate("  \"06/15/05\"", 3), 16237);
    EXPECT_EQ(ParseDate("12/31/98", 3), 13879);
    EXPECT_EQ(ParseDate("01/01/61", 3), 1);
    EXPECT_EQ(ParseDate("12/31/60", 3), 0) << "before day 1";
    EXPECT_EQ(ParseDate("06/04/2140", 4), 65535);
    EXPECT_EQ(ParseDate("06/05/2140", 4), 0);
    EXPECT_EQ(MbfToFloat(DayToDateCode(ParseDate("12/31/1999", 4))), 991231.0f);
}
