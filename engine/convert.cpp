// The conversion proper: one data record per input line that holds a token.

#include <algorithm>
#include <string>

#include "engine/converter.h"
#include "engine/date_formats.h"
#include "engine/directory_commit.h"
#include "engine/line_parsing.h"
#include "engine/text_reader.h"
#include "metastock/day_number.h"
#include "metastock/file_names.h"
#include "metastock/master_format.h"
#include "metastock/replacement_file.h"

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

int CConverter::ReadAhead()
{
    m_bReadingAhead = true;
    const int status = (m_pInput || CheckInput() == 0) ? ReadRecords() : 1;
    m_bReadingAhead = false;
    return status;
}

// Reads every line of the input into data records: into the staged data file, or into memory when the
// run reads ahead of staging (the records then go into the data file when it is made).
int CConverter::ReadRecords()
{
    const std::uint8_t fileNumber = m_nFileNumber;  // the number AddSymbol gave the new security
    if (!m_pInput && CheckInput() != 0)
        return 1;
    CTextReader& input = *m_pInput;  // opened once, by CheckInput
    CTokenTable tokens;
    bool bFirstLine = true;
    m_bRead = true;
    m_bDateStyleFailed = 0;
    m_bRowsFailed = 0;
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
            m_bRowsFailed = 1;
            break;
        }
        const std::string_view dateToken = TokenAt(tokens, m_nFieldCol[kDateField]);
        char szDateText[kDateTextSize];
        CopyText(szDateText, dateToken);
        m_record[kDateField] = DayToDateCode(ParseDate(szDateText, DateFormatArgument(m_nDateFormat)));
        if (bFirstLine) {
            bFirstLine = false;
            const bool nonDigit = HasNonDigit(dateToken);
            if (m_nDateFormat > kLastSeparatedFormat && nonDigit) {
                ShowMessage("You specified a numeric-only date format\nbut a non-numeric date character was found.");
                m_bDateStyleFailed = 1;
            } else if (m_nDateFormat <= kLastSeparatedFormat && !nonDigit) {
                ShowMessage("You specified a character-separated date format\n"
                            "but a only numeric date characters were found.");
                m_bDateStyleFailed = 1;
            }
        }
        // An update takes only the rows after the security's last date.
        if (m_bUpdating && !(MbfToFloat(m_record[kDateField]) > m_fHeldLastDate))
            continue;
        if (m_bUpdating && m_nHeldRecords + m_nRecords == kMaxDataRecords) {
            ShowMessage(std::string(m_szSymbol) + ": the update would give " + DataFileName(fileNumber) +
                        " more than 65,534 records, the most that one data file can hold.\nNothing was changed.");
            return 1;
        }
        if (m_nRecords == 0)
            m_firstDate = m_record[kDateField];
        m_lastDate = m_record[kDateField];
        for (int q = kOpenField; q < kFieldCount; ++q)
            m_record[q] = FloatToMbf(m_bFieldOn[q] ? ValueAt(tokens, m_nFieldCol[q]) : 0.0f);
        if (AppendRecord(fileNumber) != 0) {
            m_bRowsFailed = 1;
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
    return 0;
}

bool CConverter::MasterDatesLag(std::uint8_t nFileNumber)
{
    const MasterRecord* record = m_pCommit ? m_pCommit->Record(nFileNumber) : nullptr;
    if (!record)
        return false;
    const MbfSingle heldFirst = m_heldFirstDate;
    const MbfSingle heldLast = FloatToMbf(m_fHeldLastDate);
    return !std::equal(heldFirst.begin(), heldFirst.end(), &(*record)[master_offset::kFirstDate]) ||
           !std::equal(heldLast.begin(), heldLast.end(), &(*record)[master_offset::kLastDate]);
}

int CConverter::Convert()
{
    const std::uint8_t fileNumber = m_nFileNumber;
    if (!m_bRead && ReadRecords() != 0)
        return 1;
    if (m_pDataFile && !m_pDataFile->Error().empty())
        return 1;  // a record could not be written; that was reported, and nothing is committed

    if (m_bUpdating && m_nRecords == 0) {
        // Nothing new: the directory stays as it was, unless MASTER's dates lag behind the data file (an
        // update killed between the data file's rename and MASTER's), which this run puts right.
        if (m_nHeldRecords == 0 || !MasterDatesLag(fileNumber))
            return m_bDateStyleFailed;
        m_lastDate = FloatToMbf(m_fHeldLastDate);
    }

    // Without a single record the new security keeps its creation date as first and last date.
    const MbfSingle firstDate = m_bUpdating && m_nHeldRecords > 0 ? m_heldFirstDate : m_firstDate;
    const bool bDated = m_nRecords > 0 || (m_bUpdating && m_nHeldRecords > 0);
    const int bDatesFailed = bDated ? UpdateMasterDates(firstDate, m_lastDate, fileNumber) : 0;
    if (bDatesFailed || UpdateRecordCount(m_nHeldRecords + m_nRecords, fileNumber) != 0 ||
        (m_bUpdating && UpdateExtendedIndex(firstDate, m_lastDate) != 0) || Commit() != 0)
        return 1;
    // A date style that does not match, or rows beyond the limit, still leave the security committed.
    return m_bDateStyleFailed | m_bRowsFailed;
}

}  // namespace engine
