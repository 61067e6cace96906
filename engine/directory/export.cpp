#include "engine/directory/export.h"

#include <charconv>
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/text/code_page.h"
#include "engine/text/date_formats.h"
#include "engine/text/field_names.h"
#include "metastock/day_number.h"
#include "metastock/directory_names.h"
#include "metastock/directory_reader.h"
#include "metastock/path_text.h"
#include "metastock/replacement_file.h"

namespace engine {

using namespace metastock;

namespace {

// Longer plain decimals (tiny or huge values) are written in the exponent form, which a conversion reads
// as well, so that a line stays well inside the 299 characters that one read takes.
constexpr std::ptrdiff_t kLongestPlainNumber = 16;

// How each format writes 31 December 1998, with C, Y, M, D for the digits of century, year, month and day.
constexpr const char* kDatePatterns[kLastNumericFormat] = {
    "YY/MM/DD", "CCYY/MM/DD", "MM/DD/YY", "MM/DD/CCYY", "DD/MM/YY", "DD/MM/CCYY",
    "YYMMDD",   "CCYYMMDD",   "MMDDYY",   "MMDDCCYY",   "DDMMYY",   "DDMMCCYY",
};

// Indexed by TimeFormat.
constexpr const char* kTimeFormatNames[] = {"HHMMSS", "HH:MM:SS", "HH:MM"};

std::string TwoDigits(int n)
{
    return {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
}

std::string FormatTime(const metastock::TimeOfDay& time, TimeFormat format)
{
    const std::string hh = TwoDigits(time.hour), mm = TwoDigits(time.minute), ss = TwoDigits(time.second);
    switch (format) {
    case TimeFormat::kHhmmss: return hh + mm + ss;
    case TimeFormat::kHhMmSs: return hh + ':' + mm + ':' + ss;
    case TimeFormat::kHhMm: break;
    }
    return hh + ':' + mm;
}

bool HasCentury(int nFormat)
{
    return std::string_view(kDatePatterns[nFormat - 1]).find('C') != std::string_view::npos;
}

// Two-digit years read as 1960 to 2059, so only those years are written without their century.
bool FormatFits(const CalendarDate& date, int nFormat)
{
    return HasCentury(nFormat) || (date.year >= 1960 && date.year <= 2059);
}

std::string FormatDate(const CalendarDate& date, int nFormat)
{
    std::string text = kDatePatterns[nFormat - 1];
    for (std::size_t i = 0; i < text.size();) {
        int part = 0;
        switch (text[i]) {
        case 'C': part = date.year / 100; break;
        case 'Y': part = date.year % 100; break;
        case 'M': part = date.month; break;
        case 'D': part = date.day; break;
        default: ++i; continue;  // the separator
        }
        text[i] = static_cast<char>('0' + part / 10);
        text[i + 1] = static_cast<char>('0' + part % 10);
        i += 2;
    }
    return text;
}

}  // namespace

bool TimeFormatFromName(std::string_view name, TimeFormat& format)
{
    for (std::size_t k = 0; k < std::size(kTimeFormatNames); ++k)
        if (name == kTimeFormatNames[k]) {
            format = static_cast<TimeFormat>(k);
            return true;
        }
    return false;
}

std::string ShortestText(float value)
{
    char text[64];
    const auto plain = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (plain.ec == std::errc() && plain.ptr - text <= kLongestPlainNumber)
        return std::string(text, plain.ptr);
    const auto shortest = std::to_chars(text, text + sizeof text, value);
    return std::string(text, shortest.ptr);
}

int ExportSecurity(const std::filesystem::path& directory, std::string_view symbol, const ExportOptions& options,
                   std::ostream& out, IMessageSink& messages)
{
    if (options.dateFormat < 1 || options.dateFormat > kLastNumericFormat) {
        messages.ShowMessage("Export writes dates in the formats 1 to 12 only");
        return 1;
    }
    DirectoryContents contents;
    std::string error;
    if (!ReadDirectory(directory, contents, error)) {
        messages.ShowMessage(error);
        return 1;
    }
    const SecurityEntry* security = FindSecurity(contents, symbol);
    if (!security) {
        messages.ShowMessage("Symbol " + std::string(symbol) + " is not in " + directory.string());
        return 1;
    }
    SecurityData data;
    if (!ReadSecurityData(contents, *security, data, error)) {
        messages.ShowMessage(error);
        return 1;
    }
    if (TimeFrameOf(*security, data.layout) == TimeFrame::kUnknown) {
        messages.ShowMessage(EscapeControls(Windows1252ToUtf8(security->entry.symbol)) + " (" + security->dataFile + ") holds " +
                             TimeFrameName(*security, data.layout) +
                             " data; export writes daily, weekly, monthly, quarterly, yearly and intraday data only");
        return 1;
    }

    // The date, the time when the records hold one, then the other fields in field order.
    std::vector<int> order = {kDateField};
    if (data.layout.HasTime())
        order.push_back(kTimeColumn);
    for (int field = kOpenField; field < kFieldCount; ++field)
        order.push_back(field);
    std::vector<std::pair<int, int>> columns;  // heading index, column of the record
    for (const int field : order)
        if (data.layout.ColumnOf(field) >= 0)
            columns.emplace_back(field, data.layout.ColumnOf(field));
    std::string text;
    if (options.header) {
        for (const auto& [field, column] : columns)
            (text += field == kDateField ? "" : std::string(1, options.delimiter)) += field < kFieldCount ? kFieldHeadings[field] : kTimeHeading;
        text += '\n';
    }
    const auto records = static_cast<std::size_t>(data.file.headerRecords);
    for (std::size_t k = 0; k < records; ++k) {
        const CalendarDate date = DateCodeToDate(data.file.Value(k, data.layout.ColumnOf(kDateField)));
        for (const auto& [field, column] : columns) {
            if (field == kDateField) {
                if (date.year == 0)
                    continue;
                if (!FormatFits(date, options.dateFormat)) {
                    messages.ShowMessage(security->dataFile + " holds the date " + IsoDateText(date) + ", which " +
                                         kDateFormatNames[options.dateFormat - 1] +
                                         " cannot write; choose a format with the century");
                    return 1;
                }
                text += FormatDate(date, options.dateFormat);
                continue;
            }
            text += options.delimiter;
            if (field != kTimeColumn) {
                text += ShortestText(MbfToFloat(data.file.Value(k, column)));
                continue;
            }
            metastock::TimeOfDay time;
            const auto bar = [&] { return "bar " + std::to_string(k + 1) + " (" + IsoDateText(date) + ")"; };
            if (!TimeCodeToTime(data.file.Value(k, column), time)) {
                messages.ShowMessage(security->dataFile + " holds " + ShortestText(MbfToFloat(data.file.Value(k, column))) +
                                     " as the time of " + bar() + ", which is no time of day (HHMMSS)");
                return 1;
            }
            if (options.timeFormat == TimeFormat::kHhMm && time.second != 0) {
                messages.ShowMessage(security->dataFile + " holds the time " + FormatTime(time, TimeFormat::kHhMmSs) +
                                     " at " + bar() + ", which HH:MM cannot write; choose a format with the seconds");
                return 1;
            }
            text += FormatTime(time, options.timeFormat);
        }
        text += '\n';
    }
    out << text;
    out.flush();
    if (!out) {
        messages.ShowMessage("Cannot write the rows of " + EscapeControls(Windows1252ToUtf8(security->entry.symbol)));
        return 1;
    }
    return 0;
}

int ExportSecurityToFile(const std::filesystem::path& directory, std::string_view symbol, const ExportOptions& options,
                         const std::filesystem::path& path, IMessageSink& messages)
{
    std::ostringstream text;
    if (ExportSecurity(directory, symbol, options, text, messages) != 0)
        return 1;
    const std::string rows = std::move(text).str();
    const std::filesystem::path temp =
        path.parent_path() / metastock::PathFromText(metastock::TemporaryName(metastock::TextFromPath(path.filename())));
    std::string error;
    if (!metastock::ReplaceFileContents(path, temp, rows.data(), rows.size(), error)) {
        messages.ShowMessage(error);
        return 1;
    }
    return 0;
}

}  // namespace engine
