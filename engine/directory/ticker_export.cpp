#include "engine/directory/ticker_export.h"

#include <cmath>
#include <sstream>

#include "engine/directory/export.h"
#include "engine/text/code_page.h"
#include "metastock/day_number.h"
#include "metastock/directory_names.h"
#include "metastock/directory_reader.h"
#include "metastock/path_text.h"
#include "metastock/replacement_file.h"

namespace engine {

using namespace metastock;

namespace {

constexpr const char* kHeading = "<TICKER>,<NAME>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>,<OPENINT>\n";

std::string Digits(int value, int width)
{
    std::string text = std::to_string(value);
    return std::string(text.size() < static_cast<std::size_t>(width) ? width - text.size() : 0, '0') + text;
}

int Seconds(const TimeOfDay& time)
{
    return time.hour * 3600 + time.minute * 60 + time.second;
}

// The even gap in minutes between the bars of each day, or 0 when the gaps differ or are no whole minutes.
int IntervalMinutes(const std::vector<std::pair<int, int>>& bars)  // date, seconds of the day
{
    int gap = 0;
    for (std::size_t k = 1; k < bars.size(); ++k) {
        if (bars[k].first != bars[k - 1].first)
            continue;
        const int step = bars[k].second - bars[k - 1].second;
        if (step <= 0 || step % 60 != 0 || (gap != 0 && step != gap))
            return 0;
        gap = step;
    }
    return gap / 60;
}

// The lines of one security, appended to text; false after a message.
bool AppendSecurity(const DirectoryContents& contents, const SecurityEntry& security, std::string& text,
                    IMessageSink& messages)
{
    const std::string symbol = EscapeControls(Windows1252ToUtf8(security.entry.symbol));
    SecurityData data;
    std::string error;
    if (!ReadSecurityData(contents, security, data, error)) {
        messages.ShowMessage(error);
        return false;
    }
    const TimeFrame frame = TimeFrameOf(security, data.layout);
    if (frame == TimeFrame::kUnknown) {
        messages.ShowMessage(symbol + " (" + security.dataFile + ") holds " + TimeFrameName(security, data.layout) +
                             " data, which the ticker layout has no period for");
        return false;
    }
    const std::size_t records = static_cast<std::size_t>(data.file.headerRecords);
    const int timeColumn = data.layout.ColumnOf(kTimeColumn);
    std::vector<std::pair<int, int>> bars;  // date and time of each record, for the interval
    std::vector<std::string> times(records, "000000");
    for (std::size_t k = 0; k < records && timeColumn >= 0; ++k) {
        TimeOfDay time;
        if (!TimeCodeToTime(data.file.Value(k, timeColumn), time)) {
            messages.ShowMessage(security.dataFile + " holds " + ShortestText(MbfToFloat(data.file.Value(k, timeColumn))) +
                                 " as the time of bar " + std::to_string(k + 1) + ", which is no time of day (HHMMSS)");
            return false;
        }
        times[k] = Digits(time.hour, 2) + Digits(time.minute, 2) + Digits(time.second, 2);
        bars.emplace_back(static_cast<int>(MbfToFloat(data.file.Value(k, data.layout.ColumnOf(kDateField)))), Seconds(time));
    }
    std::string period(1, TimeFrameLetter(frame));
    if (frame == TimeFrame::kIntraday && IntervalMinutes(bars) > 0)
        period = std::to_string(IntervalMinutes(bars));
    // The name as the user knows it: EMASTER's or XMASTER's long name where the index has one.
    std::string name = EscapeControls(Windows1252ToUtf8(security.entry.name));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    // A name holding a comma or a quote goes in quotes, its quotes doubled, as readers of such files expect.
    if (name.find_first_of(",\"") != std::string::npos) {
        std::string quoted = "\"";
        for (const char c : name)
            quoted += c == '"' ? std::string(2, c) : std::string(1, c);
        name = quoted + '"';
    }
    const std::string lead = symbol + ',' + name + ',' + period + ',';
    for (std::size_t k = 0; k < records; ++k) {
        const CalendarDate date = DateCodeToDate(data.file.Value(k, data.layout.ColumnOf(kDateField)));
        text += lead;
        text += Digits(date.year, 4) + Digits(date.month, 2) + Digits(date.day, 2);
        text += ',' + times[k];
        for (int field = kOpenField; field < kFieldCount; ++field) {
            text += ',';
            if (data.layout.ColumnOf(field) >= 0)
                text += ShortestText(MbfToFloat(data.file.Value(k, data.layout.ColumnOf(field))));
        }
        text += '\n';
    }
    return true;
}

}  // namespace

int ExportTickerRows(const std::filesystem::path& directory, const std::vector<std::string>& symbols, std::ostream& out,
                     IMessageSink& messages)
{
    DirectoryContents contents;
    std::string error;
    if (!ReadDirectory(directory, contents, error)) {
        messages.ShowMessage(error);
        return 1;
    }
    std::vector<const SecurityEntry*> chosen;
    if (symbols.empty()) {
        for (const SecurityEntry& security : contents.securities)
            if (!security.dataFile.empty())
                chosen.push_back(&security);
    }
    for (const std::string& symbol : symbols) {
        const SecurityEntry* security = FindSecurity(contents, symbol);
        if (!security) {
            messages.ShowMessage("Symbol " + symbol + " is not in " + directory.string());
            return 1;
        }
        chosen.push_back(security);
    }
    std::string text = kHeading;
    for (const SecurityEntry* security : chosen)
        if (!AppendSecurity(contents, *security, text, messages))
            return 1;
    out << text;
    out.flush();
    if (!out) {
        messages.ShowMessage("Cannot write the rows of " + directory.string());
        return 1;
    }
    return 0;
}

int ExportTickerRowsToFile(const std::filesystem::path& directory, const std::vector<std::string>& symbols,
                           const std::filesystem::path& path, IMessageSink& messages)
{
    std::ostringstream text;
    if (ExportTickerRows(directory, symbols, text, messages) != 0)
        return 1;
    const std::string rows = std::move(text).str();
    const std::filesystem::path temp =
        path.parent_path() / PathFromText(TemporaryName(TextFromPath(path.filename())));
    std::string error;
    if (!ReplaceFileContents(path, temp, rows.data(), rows.size(), error)) {
        messages.ShowMessage(error);
        return 1;
    }
    return 0;
}

}  // namespace engine
