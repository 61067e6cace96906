#include "engine/input_rows.h"

#include <algorithm>

#include "engine/date_formats.h"
#include "engine/line_parsing.h"
#include "engine/text_reader.h"
#include "metastock/day_number.h"

namespace engine {

using namespace metastock;

namespace {

constexpr std::size_t kDateTextSize = 20;  // a date token is cut to 19 characters

std::string_view TokenAt(const CTokenTable& tokens, int column)
{
    return (column >= 0 && column < kMaxTokens) ? tokens[column] : std::string_view();
}

float ValueAt(const CTokenTable& tokens, int column)
{
    return (column >= 0 && column < kMaxTokens) ? tokens.Value(column) : 0.0f;
}

// Tokens past the last column that a field reads are never looked at.
int TokensNeeded(const InputLayout& layout)
{
    int needed = 1;
    for (int i = 0; i < kFieldCount; ++i)
        if (i == kDateField || layout.fieldOn[i])
            needed = std::max(needed, layout.fieldColumn[i] + 1);
    return std::min(needed, kMaxTokens);
}

std::int16_t DateFormatArgument(int nDateFormat)
{
    return static_cast<std::int16_t>(std::clamp(nDateFormat, 0, kDateFormatCount + 1));
}

// The date style of the format against the first date: digits only, or separated.
bool DateStyleMatches(const InputLayout& layout, std::string_view dateToken, IMessageSink& messages)
{
    const bool nonDigit = HasNonDigit(dateToken);
    if (layout.dateFormat > kLastSeparatedFormat && nonDigit) {
        messages.ShowMessage("You specified a numeric-only date format\nbut a non-numeric date character was found.");
        return false;
    }
    if (layout.dateFormat <= kLastSeparatedFormat && !nonDigit) {
        messages.ShowMessage("You specified a character-separated date format\n"
                             "but a only numeric date characters were found.");
        return false;
    }
    return true;
}

}  // namespace

RowsRead ReadInputRows(CTextReader& input, const InputLayout& layout, const RowWindow& window, IRecordSink& sink,
                       IMessageSink& messages)
{
    RowsRead rows;
    CTokenTable tokens;
    bool bFirstLine = true;
    std::string_view piece;
    for (int skipped = 0; skipped < layout.skipRows && input.ReadLine(piece); ++skipped) {
    }
    const int tokensNeeded = TokensNeeded(layout);
    while (input.ReadLine(piece)) {
        if (tokens.Split(WithoutLineFeed(piece), layout.delimiter, tokensNeeded) == 0)
            continue;
        const std::string_view dateToken = TokenAt(tokens, layout.fieldColumn[kDateField]);
        char szDateText[kDateTextSize];
        CopyText(szDateText, dateToken);
        const MbfSingle date = DayToDateCode(ParseDate(szDateText, DateFormatArgument(layout.dateFormat)));
        if (bFirstLine) {
            bFirstLine = false;
            rows.dateStyleFailed = !DateStyleMatches(layout, dateToken, messages);
        }
        if (window.afterDateOnly && !(MbfToFloat(date) > window.afterDate))
            continue;
        if (rows.records == window.room) {
            rows.beyondRoom = true;
            break;
        }
        if (rows.records == 0)
            rows.firstDate = date;
        rows.lastDate = date;
        std::uint8_t record[4 * kFieldCount];
        std::size_t recordLength = 0;
        for (int q = 0; q < kFieldCount; ++q) {
            if (!layout.fieldOn[q])
                continue;
            const MbfSingle value = q == kDateField ? date : FloatToMbf(ValueAt(tokens, layout.fieldColumn[q]));
            std::copy(value.begin(), value.end(), record + recordLength);
            recordLength += 4;
        }
        if (sink.Append(record, recordLength) != 0) {
            rows.status = 1;
            break;
        }
        ++rows.records;
    }
    rows.readFailed = input.Failed();
    if (rows.readFailed)
        rows.status = 1;
    input.Close();
    return rows;
}

}  // namespace engine
