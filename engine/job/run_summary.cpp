#include "engine/job/run_summary.h"

#include <algorithm>
#include <cstdio>

#include "metastock/day_number.h"
#include "metastock/file_names.h"

namespace engine {

using namespace metastock;

namespace {

std::string IsoDate(const MbfSingle& dateCode)
{
    const CalendarDate date = DateCodeToDate(dateCode);
    if (date.year == 0)
        return "(unreadable date)";
    return IsoDateText(date);
}

// 093000 as "09:30", 093015 as "09:30:15".
std::string ClockText(int hhmmss)
{
    char text[9];
    const int written = hhmmss % 100 == 0
                            ? std::snprintf(text, sizeof text, "%02d:%02d", hhmmss / 10000 % 100, hhmmss / 100 % 100)
                            : std::snprintf(text, sizeof text, "%02d:%02d:%02d", hhmmss / 10000 % 100, hhmmss / 100 % 100,
                                            hhmmss % 100);
    return std::string(text, static_cast<std::size_t>(std::max(written, 0)));
}

// The first and last bar: dates, and the times of intraday bars.
std::string DateRange(const ConversionResult& result)
{
    const bool bTimes = result.firstTime >= 0 && result.lastTime >= 0;
    std::string range = IsoDate(result.firstDate);
    if (bTimes)
        range.append(" ").append(ClockText(result.firstTime));
    range.append(" to ").append(IsoDate(result.lastDate));
    if (bTimes)
        range.append(" ").append(ClockText(result.lastTime));
    return range;
}

// What the bars are, for a security that is not daily: ", 5-minute bars", ", weekly bars".
std::string FrameWords(const ConversionResult& result)
{
    if (result.frame == TimeFrame::kDaily)
        return {};
    std::string words = ", ";
    if (result.frame == TimeFrame::kIntraday && result.intervalMinutes > 0)
        words += std::to_string(result.intervalMinutes) + "-minute";
    else
        words += TimeFrameWord(result.frame);
    return words += " bars";
}

std::string UpdateLine(const ConversionResult& result)
{
    const std::string head = result.symbol + ": " + DataFileName(result.fileNumber) + ", ";
    if (result.records == 0)
        return head + "no new records";
    return head + "+" + WithThousands(result.records) + (result.records == 1 ? " record (" : " records (") +
           WithThousands(result.heldRecords + result.records) + " in all), " + DateRange(result) + FrameWords(result);
}

std::string RowsLine(const ConversionResult& result)
{
    if (result.updated)
        return UpdateLine(result);
    std::string line = result.symbol + ": " + DataFileName(result.fileNumber) + ", " + std::to_string(result.records) +
                       (result.records == 1 ? " record" : " records");
    if (result.records > 0)
        line += ", " + DateRange(result) + FrameWords(result);
    return line;
}

}  // namespace

std::string RunSummary(const ConversionResult& result)
{
    const std::string line = RowsLine(result);
    return result.rowNotes.empty() ? line : line + " (" + result.rowNotes + ")";
}

std::string WithThousands(std::int64_t value)
{
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

}  // namespace engine
