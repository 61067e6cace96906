#include "engine/input/time_frame.h"

#include <algorithm>
#include <cstdlib>

#include "engine/input/row_reading.h"

namespace engine {

namespace {

// Days since 1 March of year 0 of a date code: days between two codes are the difference.
long DaysOf(int code)
{
    int year = code / 10000 + 1900;
    const int month = code / 100 % 100;
    const int day = code % 100;
    year -= month <= 2;
    const long era = year / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153L * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
}

}  // namespace

metastock::TimeFrame FrameFromDates(const std::vector<int>& dateCodes)
{
    using metastock::TimeFrame;
    if (dateCodes.size() < 3)
        return TimeFrame::kDaily;
    std::vector<long> gaps;
    gaps.reserve(dateCodes.size() - 1);
    for (std::size_t k = 1; k < dateCodes.size(); ++k)
        gaps.push_back(std::labs(DaysOf(dateCodes[k]) - DaysOf(dateCodes[k - 1])));
    // Of two middle gaps the shorter: three days around a holiday are no weeks.
    const auto middle = gaps.begin() + static_cast<std::ptrdiff_t>((gaps.size() - 1) / 2);
    std::nth_element(gaps.begin(), middle, gaps.end());
    const long median = *middle;
    if (median >= 5 && median <= 10)
        return TimeFrame::kWeekly;
    if (median >= 20 && median <= 40)
        return TimeFrame::kMonthly;
    return TimeFrame::kDaily;
}

const char* FrameRate(metastock::TimeFrame frame)
{
    switch (frame) {
    case metastock::TimeFrame::kWeekly: return "one a week";
    case metastock::TimeFrame::kMonthly: return "one a month";
    case metastock::TimeFrame::kIntraday: return "several a day";
    default: return "one a day";
    }
}

metastock::TimeFrame StatedFrame(FrameChoice choice)
{
    switch (choice) {
    case FrameChoice::kDaily: return metastock::TimeFrame::kDaily;
    case FrameChoice::kWeekly: return metastock::TimeFrame::kWeekly;
    case FrameChoice::kMonthly: return metastock::TimeFrame::kMonthly;
    case FrameChoice::kIntraday: return metastock::TimeFrame::kIntraday;
    case FrameChoice::kFromDates: break;
    }
    return metastock::TimeFrame::kUnknown;
}

std::string FrameMismatch(FrameChoice stated, metastock::TimeFrame found, std::size_t rowCount)
{
    if (stated == FrameChoice::kFromDates)
        return {};
    const metastock::TimeFrame frame = StatedFrame(stated);
    if (stated == FrameChoice::kIntraday && found != metastock::TimeFrame::kIntraday)
        return "intraday bars are stated, but the rows have no times";
    // Intraday bars show themselves by their times, however few they are.
    if ((rowCount < 3 && found != metastock::TimeFrame::kIntraday) || frame == found)
        return {};
    return std::string(metastock::TimeFrameWord(frame)) + " bars are stated, but the dates are " + FrameRate(found);
}

IntradayBars BarsOfDays(const std::vector<std::vector<int>>& daySeconds, bool wholeFirstAndLast)
{
    std::vector<int> gaps;
    std::vector<int> counts;
    for (std::size_t d = 0; d < daySeconds.size(); ++d) {
        std::vector<int> times = daySeconds[d];
        std::sort(times.begin(), times.end());
        times.erase(std::unique(times.begin(), times.end()), times.end());
        for (std::size_t k = 1; k < times.size(); ++k)
            gaps.push_back(times[k] - times[k - 1]);
        if (wholeFirstAndLast || (d > 0 && d + 1 < daySeconds.size()))
            counts.push_back(static_cast<int>(times.size()));
    }
    IntradayBars bars;
    if (!counts.empty()) {
        std::nth_element(counts.begin(), counts.begin() + static_cast<std::ptrdiff_t>(counts.size() / 2), counts.end());
        bars.perDay = counts[counts.size() / 2];
    }
    if (gaps.empty())
        return bars;
    std::sort(gaps.begin(), gaps.end());
    const int smallest = gaps.front();
    int commonest = smallest;
    std::ptrdiff_t most = 0;
    for (auto run = gaps.begin(); run != gaps.end();) {
        const auto end = std::upper_bound(run, gaps.end(), *run);
        if (end - run > most) {
            most = end - run;
            commonest = *run;
        }
        run = end;
    }
    if (commonest == smallest && std::all_of(gaps.begin(), gaps.end(), [&](int gap) { return gap % smallest == 0; }))
        bars.intervalSeconds = smallest;
    return bars;
}

std::string IntradayRate(const IntradayBars& bars)
{
    if (bars.intervalSeconds <= 0)
        return "intraday bars, several a day";
    const int seconds = bars.intervalSeconds;
    std::string text = seconds % 60 == 0 ? std::to_string(seconds / 60) + "-minute bars" : std::to_string(seconds) + "-second bars";
    if (bars.perDay > 0)
        text += ", " + std::to_string(bars.perDay) + " a day";
    return text;
}

void DecideFrame(CheckedRows& rows, FrameChoice stated)
{
    if (rows.Failed())
        return;
    if (rows.frame == metastock::TimeFrame::kIntraday) {
        rows.problem = FrameMismatch(stated, rows.frame, rows.Count());
        if (rows.Failed())
            rows.records.clear();
        return;
    }
    std::vector<int> codes;
    codes.reserve(rows.Count());
    for (std::size_t k = 0; k < rows.Count(); ++k)
        codes.push_back(static_cast<int>(metastock::MbfToFloat(rows.Date(k))));
    const metastock::TimeFrame found = FrameFromDates(codes);
    rows.problem = FrameMismatch(stated, found, codes.size());
    if (rows.Failed()) {
        rows.records.clear();
        return;
    }
    rows.frame = stated == FrameChoice::kFromDates ? found : StatedFrame(stated);
}

bool RowsFitFrame(const CheckedRows& rows, metastock::TimeFrame frame)
{
    using metastock::TimeFrame;
    constexpr std::size_t kFewRows = 8;
    if (rows.frame == frame)
        return true;
    if (rows.frame == TimeFrame::kIntraday || rows.Count() >= kFewRows ||
        (frame != TimeFrame::kDaily && frame != TimeFrame::kWeekly && frame != TimeFrame::kMonthly))
        return false;
    const long closest = frame == TimeFrame::kWeekly ? 5 : frame == TimeFrame::kMonthly ? 20 : 1;
    for (std::size_t k = 1; k < rows.Count(); ++k)
        if (DaysOf(static_cast<int>(metastock::MbfToFloat(rows.Date(k)))) -
                DaysOf(static_cast<int>(metastock::MbfToFloat(rows.Date(k - 1)))) < closest)
            return false;
    return true;
}

}  // namespace engine
