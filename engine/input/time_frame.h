#pragma once
// The time frame of rows without times, found from the gaps between their dates, the check of a frame
// the user stated against it, and the interval and count of intraday bars found from their times.

#include <string>
#include <vector>

#include "engine/job/conversion_job.h"
#include "metastock/master_format.h"

namespace engine {

// The frame that dates (date codes, oldest or newest first) make: the median gap between neighbouring
// dates in calendar days (the shorter middle one of an even count), up to 4 daily, 5 to 10 weekly, 20 to 40 monthly, anything else daily. Fewer
// than 3 dates are daily.
metastock::TimeFrame FrameFromDates(const std::vector<int>& dateCodes);

// What the dates say, for a refusal: "one a day", "one a week", "one a month".
const char* FrameRate(metastock::TimeFrame frame);

// The frame a stated choice names; kFromDates gives kUnknown.
metastock::TimeFrame StatedFrame(FrameChoice choice);

// Why rows found to be `found` (from `rowCount` dates) cannot be written as the stated choice; empty
// when they can: "weekly bars are stated, but the dates are one a day". A stated frame is taken as it
// is for fewer than 3 rows without times; intraday is refused for rows without times.
std::string FrameMismatch(FrameChoice stated, metastock::TimeFrame found, std::size_t rowCount);

// The bars of intraday rows, found from their times (seconds after midnight), one list per day in date
// order. The interval is the smallest gap between neighbouring times of a day when it is also the
// commonest and every gap is a whole multiple of it (missing bars, a lunch break), else 0. Bars a day is
// the median count of the days that are whole: all when wholeFirstAndLast, else all but the first and the
// last, which the lines read may cut; 0 when there is no such day.
struct IntradayBars {
    int intervalSeconds = 0;
    int perDay = 0;
};
IntradayBars BarsOfDays(const std::vector<std::vector<int>>& daySeconds, bool wholeFirstAndLast);

// For people: "5-minute bars, 78 a day", "30-second bars", or "intraday bars, several a day" when the
// interval is not even.
std::string IntradayRate(const IntradayBars& bars);

}  // namespace engine

namespace engine {

struct CheckedRows;

// Sets the frame of read rows without times from their dates, or refuses (rows.problem) a stated frame
// the dates (or the times of intraday rows) contradict.
void DecideFrame(CheckedRows& rows, FrameChoice stated);

// Whether rows without times may be bars of a daily, weekly or monthly security: their frame is the
// security's, or they are too few (fewer than 8) to tell a frame by and no two of them lie closer than
// its bars do (5 days for weekly bars, 20 for monthly ones). The few rows of an update are often days
// around a weekend or holiday, which their median gap alone would take for weeks.
bool RowsFitFrame(const CheckedRows& rows, metastock::TimeFrame frame);

}  // namespace engine
