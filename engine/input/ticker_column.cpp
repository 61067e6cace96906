#include "engine/input/ticker_column.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "engine/text/date_formats.h"
#include "engine/text/heading_names.h"
#include "engine/text/line_parsing.h"
#include "engine/text/text_folding.h"
#include "engine/text/text_reader.h"
#include "engine/text/trimmed_text.h"
#include "metastock/path_text.h"

namespace engine {

using namespace metastock;

namespace {

// Headings folded as FoldedText folds them: "<TICKER>" and "Ticker" alike, "ts_code" as "tscode".
const std::vector<std::string_view> kTickerHeadings = {"ticker", "symbol", "code", "instrument", "secid", "tscode",
                                                       "\xE4\xBB\xA3\xE7\xA0\x81" /* 代码 */};
const std::vector<std::string_view> kNameHeadings = {"name", "company"};
const std::vector<std::string_view> kPeriodHeadings = {"per", "period"};

bool Among(const std::vector<std::string_view>& words, const std::string& folded)
{
    return std::find(words.begin(), words.end(), folded) != words.end();
}

bool IsField(const InputLayout& layout, int column)
{
    for (std::size_t i = 0; i < layout.fieldOn.size(); ++i)
        if ((i == kDateField || layout.fieldOn[i]) && layout.fieldColumn[i] == column)
            return true;
    return false;
}

bool HasLetter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0x80;
    });
}

// What the values of one column show: two securities have rows at the same moment (date and time), where
// the text of a column that describes the bars (a signal, a weekday) never differs.
struct ColumnValues {
    bool letter = false;
    bool sharedMoment = false;
    std::unordered_set<std::string> distinct;
    std::unordered_map<std::int64_t, std::string> firstAt;

    void Add(const std::string& value, std::int64_t moment)
    {
        letter |= HasLetter(value);
        const auto [at, added] = firstAt.emplace(moment, value);
        if (!added && at->second != value)
            sharedMoment = true;
        distinct.insert(value);
    }
    bool Ticker() const { return letter && sharedMoment && distinct.size() >= 2; }
};

void AddTicker(TickerColumns& columns, std::unordered_set<std::string>& seen, std::string ticker)
{
    if (ticker.empty() || !seen.insert(ticker).second)
        return;
    columns.tickers.push_back(std::move(ticker));
    columns.count = columns.tickers.size();
}

}  // namespace

std::string TickerOf(std::string_view field)
{
    return Trimmed(field);
}

FrameChoice FrameOfPeriod(std::string_view period)
{
    const std::string text = Trimmed(period);
    if (text == "D" || text == "d")
        return FrameChoice::kDaily;
    if (text == "W" || text == "w")
        return FrameChoice::kWeekly;
    if (text == "M" || text == "m")
        return FrameChoice::kMonthly;
    if (text == "I" || text == "i" ||
        (!text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })))
        return FrameChoice::kIntraday;
    return FrameChoice::kFromDates;
}

TickerColumns FindTickerColumns(const std::vector<std::string>& lines, const InputLayout& layout, int givenTicker,
                                int givenName)
{
    TickerColumns columns;
    TextField fields[kMaxFields];
    std::string scratch;
    const std::size_t nSkip = static_cast<std::size_t>(std::max(layout.skipRows, 0));
    std::vector<std::string> headings;
    if (nSkip > 0 && nSkip <= lines.size()) {
        const int nFields = std::min(SplitFields(lines[nSkip - 1], layout.delimiter, fields, scratch), kMaxFields);
        for (int c = 0; c < nFields; ++c)
            headings.emplace_back(fields[c].text);
    }
    for (int c = 0; c < static_cast<int>(headings.size()); ++c) {
        const std::string folded = FoldedText(headings[static_cast<std::size_t>(c)]);
        if (IsField(layout, c))
            continue;
        if (columns.ticker < 0 && Among(kTickerHeadings, folded))
            columns.ticker = c;
        else if (columns.name < 0 && Among(kNameHeadings, folded))
            columns.name = c;
        else if (columns.period < 0 && Among(kPeriodHeadings, folded))
            columns.period = c;
        else if (bool bWhole = false; columns.time < 0 && FindHeadingRole(headings[static_cast<std::size_t>(c)], bWhole) == HeadingRole::kTime)
            columns.time = c;
    }
    if (givenTicker >= 0)
        columns.ticker = givenTicker;
    if (givenName >= 0)
        columns.name = givenName;

    std::vector<ColumnValues> values(kMaxFields);
    std::unordered_set<std::string> seen;
    const int nDateColumn = layout.fieldColumn[kDateField];
    int nTimeColumn = -2;  // of the first row's time of day beside the date; -1 when it has none
    for (std::size_t i = nSkip; i < lines.size(); ++i) {
        const int nFields = std::min(SplitFields(lines[i], layout.delimiter, fields, scratch), kMaxFields);
        if (IsBlankRow(fields, nFields) || nDateColumn >= nFields)
            continue;
        const DateRead date = ReadDate(fields[nDateColumn].text, layout.dateFormat);
        if (date.result != DateResult::kDate)
            continue;
        if (columns.ticker >= 0) {
            if (columns.ticker < nFields)
                AddTicker(columns, seen, TickerOf(fields[columns.ticker].text));
            continue;
        }
        if (nTimeColumn == -2) {
            nTimeColumn = -1;
            for (int c = 0; c < nFields && nTimeColumn < 0; ++c)
                if (!IsField(layout, c) && TimeOfDay(fields[c].text) >= 0)
                    nTimeColumn = c;
        }
        const int time = date.time >= 0 ? date.time
                         : nTimeColumn >= 0 && nTimeColumn < nFields ? std::max(TimeOfDay(fields[nTimeColumn].text), 0)
                                                                     : 0;
        const std::int64_t moment = (std::int64_t{date.year} * 10000 + date.month * 100 + date.day) * 1000000 + time;
        for (int c = 0; c < nFields; ++c)
            if (!IsField(layout, c) && c != nTimeColumn && !fields[c].text.empty())
                values[static_cast<std::size_t>(c)].Add(std::string(fields[c].text), moment);
    }
    const auto headingOf = [&] {
        if (columns.ticker < static_cast<int>(headings.size())) {
            columns.heading = headings[static_cast<std::size_t>(columns.ticker)];
            const std::string trimmed = Trimmed(columns.heading);
            columns.vendorHeading = trimmed.size() > 2 && trimmed.front() == '<' && trimmed.back() == '>';
        }
    };
    if (columns.ticker >= 0) {
        headingOf();
        return columns;
    }
    // The ticker has the most values of the columns that could be one (an exchange has fewer); of equals,
    // the first (a name without a heading follows its ticker).
    std::size_t nMost = 0;
    for (int c = 0; c < kMaxFields; ++c) {
        const ColumnValues& column = values[static_cast<std::size_t>(c)];
        if (column.Ticker() && c != columns.name && c != columns.period && column.distinct.size() > nMost) {
            columns.ticker = c;
            nMost = column.distinct.size();
        }
    }
    if (columns.ticker < 0)
        return columns;
    headingOf();
    for (std::size_t i = nSkip; i < lines.size(); ++i) {
        const int nFields = std::min(SplitFields(lines[i], layout.delimiter, fields, scratch), kMaxFields);
        if (columns.ticker < nFields && nDateColumn < nFields &&
            ReadDate(fields[nDateColumn].text, layout.dateFormat).result == DateResult::kDate)
            AddTicker(columns, seen, TickerOf(fields[columns.ticker].text));
    }
    return columns;
}

bool CountTickers(IReadableFile& input, const InputLayout& layout, TickerColumns& columns, std::string& reason)
{
    columns.tickers.clear();
    columns.count = 0;
    if (!columns.Found())
        return true;
    CLineSource source(&input);
    std::unordered_set<std::string> seen;
    TextField fields[kMaxFields];
    std::string scratch;
    std::string_view line;
    const int nDateColumn = layout.fieldColumn[kDateField];
    for (int nLine = 1; source.NextLine(line); ++nLine) {
        if (nLine <= layout.skipRows)
            continue;
        const int nFields = std::min(SplitFields(line, layout.delimiter, fields, scratch), kMaxFields);
        if (columns.ticker < nFields && nDateColumn < nFields &&
            ReadDate(fields[nDateColumn].text, layout.dateFormat).result == DateResult::kDate)
            AddTicker(columns, seen, TickerOf(fields[columns.ticker].text));
    }
    reason = source.FailureReason();
    return !source.Failed();
}

bool FindFileTickers(const std::string& absolutePath, const InputLayout& layout, int givenTicker, int givenName,
                     TickerColumns& columns, std::string& reason)
{
    std::vector<std::string> lines;
    {
        std::unique_ptr<IReadableFile> input = CurrentFileSystem().OpenForReading(PathFromText(absolutePath));
        if (!input) {
            reason = LastFailureReason();
            return false;
        }
        CLineSource source(input.get());
        std::string_view line;
        while (lines.size() < static_cast<std::size_t>(kDetectedLines) && source.NextLine(line))
            lines.emplace_back(line);
        if (source.Failed()) {
            reason = source.FailureReason();
            return false;
        }
    }
    columns = FindTickerColumns(lines, layout, givenTicker, givenName);
    if (!columns.Found())
        return true;
    std::unique_ptr<IReadableFile> input = CurrentFileSystem().OpenForReading(PathFromText(absolutePath));
    if (!input) {
        reason = LastFailureReason();
        return false;
    }
    return CountTickers(*input, layout, columns, reason);
}

std::string TickerList(const TickerColumns& columns)
{
    constexpr std::size_t kListed = 5;
    std::string text;
    const std::size_t listed = columns.count > kListed ? kListed : columns.tickers.size();
    for (std::size_t i = 0; i < listed && i < columns.tickers.size(); ++i)
        text += (i == 0 ? "" : ", ") + columns.tickers[i];
    if (columns.count > listed)
        text += " and " + std::to_string(columns.count - listed) + " more";
    return text;
}

InputLayout DetectedInputLayout(const DetectedLayout& detected)
{
    static constexpr char kDelimiters[] = {',', '\t', ' ', ';'};
    InputLayout layout;
    layout.delimiter = detected.delimiter >= 0 && detected.delimiter < 4 ? kDelimiters[detected.delimiter] : ',';
    layout.dateFormat = detected.dateFormat;
    layout.skipRows = detected.skipRows;
    layout.decimalComma = detected.decimalComma;
    for (std::size_t i = 0; i < layout.fieldOn.size(); ++i) {
        layout.fieldOn[i] = detected.column[i] != 0;
        layout.fieldColumn[i] = detected.column[i] != 0 ? detected.column[i] - 1 : 0;
    }
    return layout;
}

std::string TickerSentence(const TickerColumns& columns)
{
    if (!columns.Found() || columns.count == 0)
        return {};
    const std::string where = "column " + std::to_string(columns.ticker + 1) +
                              (columns.heading.empty() ? "" : " (" + columns.heading + ")");
    if (columns.count == 1)
        return " The security is named in " + where + ": " + columns.tickers.front() + ".";
    return " It holds " + std::to_string(columns.count) + " securities, named in " + where + ": " +
           TickerList(columns) + ".";
}

}  // namespace engine
