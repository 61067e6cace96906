#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/input/time_frame.h"

namespace {

using engine::FrameChoice;
using metastock::TimeFrame;

TEST(TimeFrame, FoundFromTheMedianGapOfTheDates)
{
    struct Case {
        const char* name;
        std::vector<int> codes;
        TimeFrame frame;
    };
    const Case cases[] = {
        {"daily over a weekend and a holiday", {1231222, 1231223, 1231226, 1231227, 1231229, 1240102, 1240103}, TimeFrame::kDaily},
        {"weekly on Fridays, one holiday week", {1240105, 1240112, 1240119, 1240125, 1240202, 1240209}, TimeFrame::kWeekly},
        {"monthly across February", {1231229, 1240131, 1240229, 1240328, 1240430, 1240531}, TimeFrame::kMonthly},
        {"monthly over a year's end before 1961", {591130, 591231, 600129, 600229}, TimeFrame::kMonthly},
        {"irregular gaps", {1240101, 1240115, 1240130, 1240214, 1240301}, TimeFrame::kDaily},
        {"newest first weekly", {1240209, 1240202, 1240126, 1240119}, TimeFrame::kWeekly},
        {"two rows a week apart", {1240105, 1240112}, TimeFrame::kDaily},
        {"three days around a holiday", {1240103, 1240104, 1240109}, TimeFrame::kDaily},
        {"quarterly", {1240102, 1240402, 1240702, 1241001}, TimeFrame::kDaily},
    };
    for (const Case& c : cases)
        EXPECT_EQ(engine::FrameFromDates(c.codes), c.frame) << c.name;
}

TEST(TimeFrame, StatedFrameIsCheckedAgainstTheDates)
{
    struct Case {
        FrameChoice stated;
        TimeFrame found;
        std::size_t rows;
        const char* problem;
    };
    const Case cases[] = {
        {FrameChoice::kFromDates, TimeFrame::kMonthly, 10, ""},
        {FrameChoice::kWeekly, TimeFrame::kWeekly, 10, ""},
        {FrameChoice::kWeekly, TimeFrame::kDaily, 2, ""},
        {FrameChoice::kWeekly, TimeFrame::kDaily, 3, "weekly bars are stated, but the dates are one a day"},
        {FrameChoice::kDaily, TimeFrame::kMonthly, 12, "daily bars are stated, but the dates are one a month"},
        {FrameChoice::kMonthly, TimeFrame::kWeekly, 5, "monthly bars are stated, but the dates are one a week"},
        {FrameChoice::kIntraday, TimeFrame::kDaily, 1, "intraday bars are stated, but the rows have no times"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(engine::FrameMismatch(c.stated, c.found, c.rows), c.problem)
            << metastock::TimeFrameWord(engine::StatedFrame(c.stated)) << " " << c.rows;
}

// The interval is the smallest gap when it is the commonest and divides every other (a lunch break, a
// bar without trades); the bars a day come from the days the lines read whole.
TEST(TimeFrame, IntradayBarsFromTheTimesOfEachDay)
{
    struct Case {
        const char* name;
        std::vector<std::vector<int>> days;  // seconds after midnight
        bool whole;
        int interval, perDay;
    };
    const Case cases[] = {
        {"a lunch break", {{0, 300, 600, 3900, 4200}, {0, 300, 600, 3900, 4200}}, true, 300, 5},
        {"a bar without trades", {{0, 60, 180, 240}, {0, 60, 120, 180, 240}, {0, 60}}, false, 60, 5},
        {"one odd gap", {{0, 60, 300, 600, 900}}, true, 0, 5},
        {"first and last day cut", {{0, 300}, {0, 300, 600}}, false, 300, 0},
    };
    for (const Case& c : cases) {
        const engine::IntradayBars bars = engine::BarsOfDays(c.days, c.whole);
        EXPECT_EQ(bars.intervalSeconds, c.interval) << c.name;
        EXPECT_EQ(bars.perDay, c.perDay) << c.name;
    }
}

}  // namespace
