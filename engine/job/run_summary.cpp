#include "engine/job/run_summary.h"

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

std::string UpdateLine(const ConversionResult& result)
{
    const std::string head = result.symbol + ": " + DataFileName(result.fileNumber) + ", ";
    if (result.records == 0)
        return head + "no new records";
    return head + "+" + WithThousands(result.records) + (result.records == 1 ? " record (" : " records (") +
           WithThousands(result.heldRecords + result.records) + " in all), " + IsoDate(result.firstDate) + " to " +
           IsoDate(result.lastDate);
}

std::string RowsLine(const ConversionResult& result)
{
    if (result.updated)
        return UpdateLine(result);
    std::string line = result.symbol + ": " + DataFileName(result.fileNumber) + ", " + std::to_string(result.records) +
                       (result.records == 1 ? " record" : " records");
    if (result.records > 0)
        line += ", " + IsoDate(result.firstDate) + " to " + IsoDate(result.lastDate);
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
