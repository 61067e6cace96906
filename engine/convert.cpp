// The conversion proper: one data record per input line that holds a token.

#include <algorithm>
#include <string>

#include "engine/converter.h"
#include "engine/date_formats.h"
#include "engine/line_parsing.h"
#include "engine/text_reader.h"
#include "metastock/day_number.h"
#include "metastock/replacement_file.h"

namespace engine {

using namespace metastock;

namespace {

constexpr std::size_t kDateTextSize = 20;  // a date token is cut to 19 characters

std::string_view TokenAt(const CTokenTable& tokens, int column)
{
    return (column >= 0 && column < kMaxTokens) ? tokens[column] : std::string_view();
}

// Tokens past the last column that a field reads are never looked at.
int TokensNeeded(const int bFieldOn[kFieldCount], const int nFieldCol[kFieldCount])
{
    int needed = 1;
    for (int i = 0; i < kFieldCount; ++i)
        if (i == kDateField || bFieldOn[i])
            needed = std::max(needed, nFieldCol[i] + 1);
    return std::min(needed, kMaxTokens);
}

std::int16_t DateFormatArgument(int nDateFormat)
{
    return static_cast<std::int16_t>(std::clamp(nDateFormat, 0, kDateFormatCount + 1));
}

}  // namespace

int CConverter::Convert()
{
    const std::uint8_t fileNumber = m_nFileNumber;  // the number AddSymbol gave the new security
    if (!m_pInput && CheckInput() != 0)
        return 1;
    CTextReader& input = *m_pInput;  // opened once, by CheckInput
    CTokenTable tokens;
    int bDateStyleFailed = 0;
    int bRowsFailed = 0;
    m_nRecords = 0;
    m_firstDate = m_lastDate = MbfSingle{};

    std::string_view piece;
    if (m_bSkipOn)
        for (int skipped = 0; skipped < m_nSkipRows && input.ReadLine(piece); ++skipped) {
        }
    const char delimiter = m_szDelimiter[0];
    const int tokensNeeded = TokensNeeded(m_bFieldOn, m_nFieldCol);
    while (input.ReadLine(piece)) {
        if (tokens.Split(WithoutLineFeed(piece), delimiter, tokensNeeded) == 0)
            continue;
        if (m_nRecords == kMaxDataRecords) {
            ShowMessage("The input holds more than 65,534 data rows,\nthe most that one data file can hold.\n"
                        "Only the first 65,534 rows were converted.");
            bRowsFailed = 1;
            break;
        }
        const std::string_view dateToken = TokenAt(tokens, m_nFieldCol[kDateField]);
        char szDateText[kDateTextSize];
        CopyText(szDateText, dateToken);
        m_record[kDateField] = DayToDateCode(ParseDate(szDateText, DateFormatArgument(m_nDateFormat)));
        if (m_nRecords == 0) {
            m_firstDate = m_record[kDateField];
            const bool nonDigit = HasNonDigit(dateToken);
            if (m_nDateFormat > kLastSeparatedFormat && nonDigit) {
                ShowMessage("You specified a numeric-only date format\nbut a non-numeric date character was found.");
                bDateStyleFailed = 1;
            } else if (m_nDateFormat <= kLastSeparatedFormat && !nonDigit) {
                ShowMessage("You specified a character-separated date format\n"
                            "but a only numeric date characters were found.");
                bDateStyleFailed = 1;
            }
        }
        m_lastDate = m_record[kDateField];
        for (int q = kOpenField; q < kFieldCount; ++q)
            m_record[q] = FloatToMbf(m_bFieldOn[q] ? ScanFloat(TokenAt(tokens, m_nFieldCol[q])) : 0.0f);
        if (AppendRecord(fileNumber) != 0) {
            bRowsFailed = 1;
            break;
        }
        ++m_nRecords;
    }
    const bool bReadFailed = input.Failed();
    input.Close();
    if (bReadFailed) {
        ShowMessage("Cannot read the input file\n" + m_strInputPath);
        return 1;
    }
    if (m_pDataFile && !m_pDataFile->Error().empty())
        return 1;  // a record could not be written; that was reported, and nothing is committed

    // Without a single record the new security keeps its creation date as first and last date.
    const int bDatesFailed = m_nRecords > 0 ? UpdateMasterDates(m_firstDate, m_lastDate, fileNumber) : 0;
    if (bDatesFailed || UpdateRecordCount(m_nRecords, fileNumber) != 0 || Commit() != 0)
        return 1;
    // A date style that does not match, or rows beyond the limit, still leave the security committed.
    return bDateStyleFailed | bRowsFailed;
}

}  // namespace engine
