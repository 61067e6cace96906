// Date text in the twelve fixed-position formats.

#include <cstdint>

#include <gtest/gtest.h>

#include "engine/date_formats.h"
#include "metastock/day_number.h"

using namespace metastock;
using namespace engine;

TEST(DateFormats, DateTextsAndTheirDayNumbers)
{
    const struct {
        const char* szText;
        int nFormat;
        std::uint16_t nDay;  // 0: no readable date, stored as date code 0
        float code;
    } cases[] = {
        {"98/12/31", 1, 13879, 981231},
        {"1998/12/31", 2, 13879, 981231},
        {"12/31/98", 3, 13879, 981231},
        {"12/31/1998", 4, 13879, 981231},
        {"31/12/98", 5, 13879, 981231},
        {"31-12-1999", 6, 14244, 991231},
        {"981231", 7, 13879, 981231},
        {"19981231", 8, 13879, 981231},
        {"123198", 9, 13879, 981231},
        {"12311998", 10, 13879, 981231},
        {"010100", 11, 14245, 1000101},
        {"31121998", 12, 13879, 981231},
        {"  \"06/15/05\"", 3, 16237, 1050615},  // blanks and a quote are skipped
        {" 12/31/98", 3, 13879, 981231},
        {"\"\"12/31/98", 3, 0, 0},  // only one quote is skipped
        {"12.31.98 and more", 3, 13879, 981231},  // any separator; the rest is not read
        {"1/5/98", 3, 14244, 991231},            // month "1/", day "/9", year past the end
        {"01/01/59", 3, 35795, 1590101},         // 00 to 59 are 2000 to 2059
        {"01/01/61", 3, 1, 610101},
        {"12/31/60", 3, 0, 0},  // 1960 lies before day 1
        {"12/31/1960", 4, 0, 0},
        {"06/04/2140", 4, 65535, 2400604},
        {"06/05/2140", 4, 0, 0},
        {"02/30/98", 3, 13575, 980302},  // days past the month's end roll over
        {"03/00/98", 3, 13573, 980228},
        {"13/01/98", 3, 0, 0},
        {"00/15/98", 3, 0, 0},
        {"00/00/00", 1, 0, 0},
        {"", 3, 0, 0},
        {"   \"", 8, 0, 0},
        {"12/31/98", 0, 0, 0},
        {"12/31/98", 13, 0, 0},
        {"12/31/98", -1, 0, 0},
    };
    for (const auto& c : cases) {
        const std::uint16_t nDay = ParseDate(c.szText, static_cast<std::int16_t>(c.nFormat));
        EXPECT_EQ(nDay, c.nDay) << "\"" << c.szText << "\" in format " << c.nFormat;
        EXPECT_EQ(MbfToFloat(DayToDateCode(nDay)), c.code) << "\"" << c.szText << "\" in format " << c.nFormat;
    }
}
