#include "engine/row_reading.h"

#include <algorithm>
#include <cstdint>

#include "engine/date_formats.h"
#include "engine/line_parsing.h"
#include "engine/text_reader.h"
#include "metastock/day_number.h"

namespace engine {

using namespace metastock;

namespace {

const char* const kFieldWords[kFieldCount] = {"date", "open", "high", "low", "close", "volume", "open interest"};

const char* const kNumericOnlyMessage =
    "You specified a numeric-only date format\nbut a non-numeric date character was found.";
const char* const kSeparatedMessage =
    "You specified a character-separated date format\nbut a only numeric date characters were found.";

std::int64_t DateOf(std::int64_t nKey)
{
    return nKey / 1000000;
}

std::string IsoDate(std::int64_t nKey)
{
    const int code = static_cast<int>(DateOf(nKey));
    return IsoDateText(CalendarDate{code / 10000 + 1900, code / 100 % 100, code % 100});
}

bool IsAllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

class CRowReader {
public:
    explicit CRowReader(const InputLayout& layout) : m_layout(layout)
    {
        m_style.bDecimalComma = layout.decimalComma;
        m_style.delimiter = layout.delimiter;
        for (std::size_t i = 0; i < m_nColumn.size(); ++i)
            m_nColumn[i] = (i == kDateField || layout.fieldOn[i]) ? layout.fieldColumn[i] : -1;
        for (int i = kOpenField; i <= kCloseField; ++i)
            if (m_nColumn[static_cast<std::size_t>(i)] >= 0)
                m_nPrices++;
    }

    CheckedRows Read(IReadableFile& input);

private:
    void ReadLine(std::string_view line, int nLine);
    void Bad(int nLine, std::string strReason);
    bool FirstRow(int nLine, const TextField (&fields)[kMaxFields], int nFields);
    void Finish(CheckedRows& result);

    const InputLayout& m_layout;
    std::array<int, kFieldCount> m_nColumn = {};  // of each field, -1 when it is not read
    NumberStyle m_style;
    int m_nPrices = 0;
    int m_nTimeColumn = -1;
    bool m_bFirstRow = true;
    std::string m_scratch;
    TextField m_fields[kMaxFields];  // of the current line; kept here so that no line clears them again
    std::vector<BadRow> m_bad;
    bool m_bAnyDown = false;
    bool m_bAnyUp = false;
    CheckedRows m_result;
};

void CRowReader::Bad(int nLine, std::string strReason)
{
    m_bad.push_back({nLine, "Line " + std::to_string(nLine) + ": " + std::move(strReason)});
}

// The first data row decides what later rows are compared with: a date whose style does not match the
// format refuses the run as a whole, and a column of times beside the chosen ones marks intraday bars.
bool CRowReader::FirstRow(int nLine, const TextField (&fields)[kMaxFields], int nFields)
{
    (void)nLine;
    m_bFirstRow = false;
    const int nDateColumn = m_nColumn[kDateField];
    const std::string_view date = nDateColumn < nFields ? fields[nDateColumn].text : std::string_view();
    const int nFormat = m_layout.dateFormat;
    if (ReadDate(date, nFormat).eResult == DateResult::kNotADate && !date.empty()) {
        if (IsNumericFormat(nFormat) && !IsAllDigits(date)) {
            m_result.strProblem = kNumericOnlyMessage;
            return false;
        }
        if (!IsNumericFormat(nFormat) && nFormat <= kLastSeparatedFormat && IsAllDigits(date)) {
            m_result.strProblem = kSeparatedMessage;
            return false;
        }
    }
    for (int c = 0; c < std::min(nFields, kMaxFields); ++c)
        if (std::find(m_nColumn.begin(), m_nColumn.end(), c) == m_nColumn.end() &&
            TimeOfDay(fields[c].text) >= 0) {
            m_nTimeColumn = c;
            break;
        }
    return true;
}

void CRowReader::ReadLine(std::string_view line, int nLine)
{
    TextField (&fields)[kMaxFields] = m_fields;
    const int nFields = SplitFields(line, m_layout.delimiter, fields, m_scratch);
    const int nKept = std::min(nFields, kMaxFields);
    if (std::all_of(fields, fields + nKept, [](const TextField& f) { return f.text.empty(); }))
        return;  // a blank line, or delimiters only
    if (m_bFirstRow && !FirstRow(nLine, fields, nKept))
        return;
    const auto fieldAt = [&](int column) { return column >= 0 && column < nKept ? fields[column] : TextField{}; };

    RowRecord row;
    row.nLine = nLine;
    const TextField date = fieldAt(m_nColumn[kDateField]);
    if (date.text.empty())
        return Bad(nLine, "the date is missing");
    const DateRead read = ReadDate(date.text, m_layout.dateFormat);
    if (read.eResult == DateResult::kNotADate)
        return Bad(nLine, std::string(date.text) + " is not a date");
    if (read.eResult == DateResult::kOutOfRange)
        return Bad(nLine, std::string(date.text) + " lies outside the years 1900 to 2140");
    int nTime = read.nTime;
    if (m_nTimeColumn >= 0 && nTime < 0)
        nTime = TimeOfDay(fieldAt(m_nTimeColumn).text);
    row.bTimed = nTime >= 0;
    const int code = DateCodeValue(read.nYear, read.nMonth, read.nDay);
    row.nKey = std::int64_t{code} * 1000000 + std::max(nTime, 0);
    row.values[kDateField] = static_cast<float>(code);

    int nEmptyPrices = 0;
    int nFirstEmpty = -1;
    for (int q = kOpenField; q < kFieldCount; ++q) {
        const int column = m_nColumn[static_cast<std::size_t>(q)];
        if (column < 0)
            continue;
        const TextField field = fieldAt(column);
        float& value = row.values[static_cast<std::size_t>(q)];
        const NumberResult result = ReadNumber(field, m_style, value);
        if (result == NumberResult::kNotANumber)
            return Bad(nLine, std::string("the ") + kFieldWords[q] + " `" + std::string(field.text) + "` is not a number");
        if (result == NumberResult::kEmpty && q <= kCloseField) {
            ++nEmptyPrices;
            if (nFirstEmpty < 0)
                nFirstEmpty = q;
        }
    }
    if (nEmptyPrices > 0 && nEmptyPrices == m_nPrices) {
        ++m_result.nWithoutPrices;
        return;
    }
    if (nEmptyPrices > 0)
        return Bad(nLine, std::string("the ") + kFieldWords[nFirstEmpty] + " is missing");
    std::vector<RowRecord>& rows = m_result.records;
    if (!rows.empty()) {
        m_bAnyDown |= row.nKey < rows.back().nKey;
        m_bAnyUp |= row.nKey > rows.back().nKey;
    }
    rows.push_back(row);
}

// Puts the rows in date order, then finds the days with several rows: intraday bars to combine or
// refuse, or the same date twice.
void CRowReader::Finish(CheckedRows& result)
{
    // The rows are ordered, combined and thinned out in place: a second copy of every row would cost
    // as much again in memory and time.
    std::vector<RowRecord>& rows = result.records;
    if (m_bAnyDown) {
        result.bSorted = true;
        result.bNewestFirst = !m_bAnyUp;
        if (result.bNewestFirst)
            std::reverse(rows.begin(), rows.end());
        else
            std::stable_sort(rows.begin(), rows.end(), [](const RowRecord& a, const RowRecord& b) { return a.nKey < b.nKey; });
    }
    std::size_t out = 0;  // never beyond first, so a row is read before its place is written
    for (std::size_t first = 0; first < rows.size();) {
        std::size_t end = first + 1;
        while (end < rows.size() && DateOf(rows[end].nKey) == DateOf(rows[first].nKey))
            ++end;
        const bool bIntraday = rows[first].bTimed && rows[end - 1].nKey != rows[first].nKey;
        RowRecord day = rows[first];
        if (end - first == 1) {
        } else if (m_layout.combineIntraday) {
            // Open of the first bar, highest high, lowest low, close of the last, volumes summed, open
            // interest of the last.
            for (std::size_t r = first + 1; r < end; ++r) {
                const auto& bar = rows[r].values;
                day.values[kHighField] = std::max(day.values[kHighField], bar[kHighField]);
                day.values[kLowField] = std::min(day.values[kLowField], bar[kLowField]);
                day.values[kCloseField] = bar[kCloseField];
                day.values[kVolumeField] += bar[kVolumeField];
                day.values[kOpenInterestField] = bar[kOpenInterestField];
            }
            ++result.nCombinedDays;
        } else if (bIntraday) {
            result.strProblem = "this file holds intraday bars (" + std::to_string(end - first) + " rows on " +
                                IsoDate(rows[first].nKey) + "); convert daily bars, or use --daily";
            return;
        } else {
            for (std::size_t r = first + 1; r < end; ++r) {
                const int a = std::min(rows[first].nLine, rows[r].nLine);
                const int b = std::max(rows[first].nLine, rows[r].nLine);
                m_bad.push_back({b, "Lines " + std::to_string(a) + " and " + std::to_string(b) + " have the same date " +
                                        IsoDate(rows[first].nKey)});
            }
        }
        rows[out++] = day;
        first = end;
    }
    rows.resize(out);
}

CheckedRows CRowReader::Read(IReadableFile& input)
{
    CLineSource source(&input);
    // Room for the most rows a data file takes, so that the rows are never moved while they are read;
    // pages that no row reaches are never touched.
    m_result.records.reserve(kMaxDataRecords + 1);
    std::string_view line;
    int nLine = 0;
    while (nLine < m_layout.skipRows && source.NextLine(line))
        ++nLine;
    while (m_result.strProblem.empty() && source.NextLine(line))
        if (source.LastLineCut())
            Bad(++nLine, "the line is longer than " + std::to_string(CLineSource::kMaxLine) + " characters");
        else
            ReadLine(line, ++nLine);
    CheckedRows result = std::move(m_result);
    if (source.Failed()) {
        result.bReadFailed = true;
        result.strProblem = "Cannot read the input file";
        return result;
    }
    if (!result.strProblem.empty())
        return result;
    Finish(result);
    if (!result.strProblem.empty()) {
        result.records.clear();
        return result;
    }
    std::stable_sort(m_bad.begin(), m_bad.end(), [](const BadRow& a, const BadRow& b) { return a.nLine < b.nLine; });
    result.nBadRows = static_cast<int>(m_bad.size());
    m_bad.resize(std::min<std::size_t>(m_bad.size(), kListedBadRows));
    result.badRows = std::move(m_bad);
    if (result.nBadRows > 0 && !m_layout.skipBadRows) {
        result.strProblem = ListBadRows(result);
        result.records.clear();
    } else if (result.records.size() > static_cast<std::size_t>(kMaxDataRecords)) {
        result.strProblem = "The input holds " + std::to_string(result.records.size()) +
                            " data rows,\nmore than the 65,534 that one data file can hold.\nNothing was converted.";
        result.records.clear();
    }
    return result;
}

}  // namespace

CheckedRows ReadRows(IReadableFile& input, const InputLayout& layout)
{
    return CRowReader(layout).Read(input);
}

std::string ListBadRows(const CheckedRows& rows)
{
    std::string text;
    for (const BadRow& bad : rows.badRows)
        text += (text.empty() ? "" : "\n") + bad.strReason;
    const int rest = rows.nBadRows - static_cast<int>(rows.badRows.size());
    if (rest > 0)
        text += "\nand " + std::to_string(rest) + (rest == 1 ? " more row" : " more rows") + " that cannot be read";
    return text;
}

std::string RowNotes(const CheckedRows& rows)
{
    std::string text;
    const auto add = [&](const std::string& note) { text += (text.empty() ? "" : "; ") + note; };
    const auto rowsText = [](int n) { return std::to_string(n) + (n == 1 ? " row" : " rows"); };
    if (rows.nWithoutPrices > 0)
        add(rowsText(rows.nWithoutPrices) + " without prices skipped");
    if (rows.bNewestFirst)
        add("rows were newest first; written oldest first");
    else if (rows.bSorted)
        add("rows were out of date order; written oldest first");
    if (rows.nBadRows > 0)
        add(rowsText(rows.nBadRows) + " that cannot be read skipped");
    if (rows.nCombinedDays > 0)
        add("intraday bars combined into " + std::to_string(rows.nCombinedDays) + (rows.nCombinedDays == 1 ? " day" : " days"));
    return text;
}

}  // namespace engine
