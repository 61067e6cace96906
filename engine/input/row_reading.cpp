#include "engine/input/row_reading.h"
#include "engine/input/settings_fit.h"

#include "engine/text/option_phrases.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "engine/input/layout_detection.h"
#include "engine/input/time_frame.h"
#include "engine/job/conversion_settings.h"
#include "engine/text/date_formats.h"
#include "engine/text/line_parsing.h"
#include "engine/text/text_reader.h"
#include "engine/text/field_names.h"
#include "metastock/day_number.h"

namespace engine {

using namespace metastock;

namespace {

constexpr std::size_t kListedOffsets = 3;

const char* const kNumericOnlyMessage =
    "You specified a numeric-only date format\nbut a non-numeric date character was found.";
const char* const kSeparatedMessage =
    "You specified a character-separated date format\nbut a only numeric date characters were found.";

std::int64_t DateOf(std::int64_t nKey)
{
    return nKey / 1000000;
}

std::string IsoDate(int code)
{
    return IsoDateText(CalendarDate{code / 10000 + 1900, code / 100 % 100, code % 100});
}

bool IsAllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

float ValueAt(const std::uint8_t* at)
{
    return MbfToFloat(MbfAt(at));
}

// 093000 as "09:30", 093015 as "09:30:15".
std::string ClockText(int hhmmss)
{
    const auto two = [](int n) { return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10); };
    const std::string text = two(hhmmss / 10000) + ":" + two(hhmmss / 100 % 100);
    return hhmmss % 100 == 0 ? text : text + ":" + two(hhmmss % 100);
}

int SecondsOfDay(int hhmmss)
{
    return hhmmss / 10000 * 3600 + hhmmss / 100 % 100 * 60 + hhmmss % 100;
}

// The offset from UTC that ends a date and time ("+01:00" of 2024-01-05T09:30:00+01:00: +01, +0100 or
// +01:00); empty when there is none.
std::string_view TimeOffset(std::string_view text)
{
    const std::size_t sign = text.find_last_of("+-");
    if (sign == std::string_view::npos || sign == 0 || text[sign - 1] < '0' || text[sign - 1] > '9')
        return {};
    const std::string_view digits = text.substr(sign + 1);
    const bool bColon = digits.size() == 5 && digits[2] == ':';
    if (digits.size() != 2 && digits.size() != 4 && !bColon)
        return {};
    for (std::size_t i = 0; i < digits.size(); ++i)
        if ((digits[i] < '0' || digits[i] > '9') && !(bColon && i == 2))
            return {};
    return text.substr(sign);
}

// Writes a record of `length` bytes to `to` with the time HHMMSS put after its date: an intraday bar
// of length + 4 bytes.
void PutBar(std::uint8_t* to, const std::uint8_t* record, std::size_t length, int hhmmss)
{
    std::memcpy(to, record, 4);
    PutMbf(to + 4, static_cast<float>(hhmmss));
    std::memcpy(to + 8, record + 4, length - 4);
}

// The even gap in minutes between the bars of each day, by the rule detection uses (BarsOfDays), so that
// its sentence and the index agree; 0 when the gaps are not even or no whole minutes.
int EvenInterval(const CheckedRows& bars)
{
    std::vector<std::vector<int>> days;  // the bars' times in seconds, one list per date
    for (std::size_t k = 0; k < bars.Count(); ++k) {
        if (k == 0 || std::memcmp(bars.Record(k), bars.Record(k - 1), 4) != 0)
            days.emplace_back();
        days.back().push_back(SecondsOfDay(bars.Time(k)));
    }
    const int interval = BarsOfDays(days, true).intervalSeconds;
    return interval > 0 && interval % 60 == 0 ? interval / 60 : 0;
}

class CRowReader {
public:
    explicit CRowReader(const InputLayout& layout) : m_layout(layout)
    {
        m_style.decimalComma = layout.decimalComma;
        m_style.delimiter = layout.delimiter;
        std::size_t offset = 0;
        for (std::size_t i = 0; i < m_nColumn.size(); ++i) {
            const bool bOn = i == kDateField || layout.fieldOn[i];
            m_nColumn[i] = bOn ? layout.fieldColumn[i] : -1;
            m_nOffset[i] = bOn ? static_cast<int>(offset) : -1;
            offset += bOn ? 4 : 0;
        }
        m_nRecordLength = offset;
        for (int i = kOpenField; i <= kCloseField; ++i)
            if (m_nColumn[static_cast<std::size_t>(i)] >= 0)
                m_nPrices++;
    }

    CheckedRows Read(IReadableFile& input);

private:
    void ReadLine(std::string_view line, int nLine);
    void Bad(int nLine, std::string strReason);
    bool FooterLine(std::string_view line, const TextField (&fields)[kMaxFields], int nFields);
    bool FirstRow(int nLine, const TextField (&fields)[kMaxFields], int nFields);
    void Finish(CheckedRows& result);
    bool IntradayBars(const CheckedRows& result) const;
    void FinishIntraday(CheckedRows& result, const std::vector<std::uint32_t>& order);
    void Order(CheckedRows& result, std::vector<std::uint32_t>& order);
    void Combine(CheckedRows& result, std::size_t first, std::size_t end) const;
    int LineOf(std::size_t readIndex);

    const InputLayout& m_layout;
    std::array<int, kFieldCount> m_nColumn = {};  // of each field, -1 when it is not read
    std::array<int, kFieldCount> m_nOffset = {};  // of each field in a record, -1 when it is not read
    std::size_t m_nRecordLength = 0;
    NumberStyle m_style;
    int m_nPrices = 0;
    int m_nTimeColumn = -1;
    bool m_bFirstRow = true;
    bool m_bMisfit = false;  // the first data row did not fit the layout
    std::string m_scratch;
    TextField m_fields[kMaxFields];  // of the current line; kept here so that no line clears them again
    std::vector<BadRow> m_bad;
    // Lines of text after the last row read so far ("Data provided by ..."): a footer when no row follows.
    std::vector<BadRow> m_footer;
    // What the order of the rows read was: any row before the one above it, any after it, any on its date.
    bool m_bAnyDown = false;
    bool m_bAnyUp = false;
    bool m_bAnySameDate = false;
    std::int64_t m_nLastKey = 0;  // date code * 1,000,000 + HHMMSS of the last row read
    // The time of day (HHMMSS, -1 for none) of each row read; empty as long as no row has one.
    std::vector<int> m_times;
    // Lines are not kept with the rows: the lines after the skipped ones that gave no record are, so that
    // the line of a row can be found when a message names it.
    int m_nFirstLine = 1;
    std::vector<int> m_lostLines;
    std::vector<int> m_lines;  // of each row read, once a message needs them
    std::size_t m_nRead = 0;   // rows read and kept
    float m_scratchValue = 0;
    std::size_t m_nNotKept = 0;  // rows beyond the most a data file takes, when they are not kept
    CheckedRows m_result;
};

void CRowReader::Bad(int nLine, std::string strReason)
{
    m_bad.push_back({nLine, "Line " + std::to_string(nLine) + ": " + std::move(strReason)});
}

// Text, not a row cut short: no date where the date stands, a letter somewhere, and no number for the close.
bool CRowReader::FooterLine(std::string_view line, const TextField (&fields)[kMaxFields], int nFields)
{
    const auto cell = [&](int column) { return column >= 0 && column < std::min(nFields, kMaxFields) ? fields[column] : TextField{}; };
    const bool bLetter = std::any_of(line.begin(), line.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0x80;
    });
    return bLetter && ReadDate(cell(m_nColumn[kDateField]).text, m_layout.dateFormat).result == DateResult::kNotADate &&
           ReadNumber(cell(m_nColumn[kCloseField]), m_style, m_scratchValue) != NumberResult::kNumber;
}

// The first data row decides what later rows are compared with: a date whose style does not match the
// format refuses the run as a whole, and a column of times beside the chosen ones marks intraday bars.
bool CRowReader::FirstRow(int nLine, const TextField (&fields)[kMaxFields], int nFields)
{
    m_bFirstRow = false;
    if (m_layout.refuseMisfit) {
        const SettingsMisfitAt misfit = RowMisfit(m_layout, fields, nFields, nLine);
        if (misfit.Found()) {
            m_result.problem = "The settings do not fit this file: " + misfit.text;
            m_bMisfit = true;
            return false;
        }
    }
    const int nDateColumn = m_nColumn[kDateField];
    const std::string_view date = nDateColumn < nFields ? fields[nDateColumn].text : std::string_view();
    const int nFormat = m_layout.dateFormat;
    if (ReadDate(date, nFormat).result == DateResult::kNotADate && !date.empty()) {
        if (IsNumericFormat(nFormat) && !IsAllDigits(date)) {
            m_result.problem = kNumericOnlyMessage;
            return false;
        }
        if (!IsNumericFormat(nFormat) && nFormat <= kLastSeparatedFormat && IsAllDigits(date)) {
            m_result.problem = kSeparatedMessage;
            return false;
        }
    }
    m_nTimeColumn = m_layout.timeColumn;
    for (int c = 0; m_nTimeColumn < 0 && c < std::min(nFields, kMaxFields); ++c)
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
    if (IsBlankRow(fields, nFields))
        return;
    if (m_bFirstRow && !FirstRow(nLine, fields, nFields))
        return;
    const auto fieldAt = [&](int column) { return column >= 0 && column < nKept ? fields[column] : TextField{}; };
    // A row after lines of text makes them rows that cannot be read: they were no footer.
    if (!m_footer.empty() && !FooterLine(line, fields, nFields)) {
        m_bad.insert(m_bad.end(), m_footer.begin(), m_footer.end());
        m_footer.clear();
    }

    const TextField date = fieldAt(m_nColumn[kDateField]);
    if (date.text.empty())
        return Bad(nLine, "the date is missing");
    const DateRead read = ReadDate(date.text, m_layout.dateFormat);
    if (read.result == DateResult::kNotADate) {
        if (m_nRead > 0 && FooterLine(line, fields, nFields)) {
            m_footer.push_back({nLine, "Line " + std::to_string(nLine) + ": " + std::string(date.text) + " is not a date"});
            return;
        }
        return Bad(nLine, std::string(date.text) + " is not a date");
    }
    if (read.result == DateResult::kOutOfRange)
        return Bad(nLine, std::string(date.text) + " lies outside the years 1900 to 2140");
    const int code = DateCodeValue(read.year, read.month, read.day);
    if ((m_layout.fromDate != 0 && code < m_layout.fromDate) || (m_layout.toDate != 0 && code > m_layout.toDate)) {
        ++m_result.outsideDates;
        return;
    }
    int nTime = read.time;
    if (nTime >= 0 && m_result.timeOffsets.size() < kListedOffsets) {
        const std::string_view offset = TimeOffset(date.text);
        if (!offset.empty() && std::find(m_result.timeOffsets.begin(), m_result.timeOffsets.end(), offset) == m_result.timeOffsets.end())
            m_result.timeOffsets.emplace_back(offset);
    }
    if (m_layout.timeColumn >= 0 && nTime < 0) {
        const std::string_view time = fieldAt(m_layout.timeColumn).text;
        nTime = NamedTimeOfDay(time);
        if (nTime < 0)
            return Bad(nLine, "the time `" + std::string(time) + "` is no time of day");
    } else if (m_nTimeColumn >= 0 && nTime < 0) {
        nTime = TimeOfDay(fieldAt(m_nTimeColumn).text);
    }

    std::uint8_t record[4 * kFieldCount];
    PutMbf(record, static_cast<float>(code));
    int nEmptyPrices = 0;
    int nFirstEmpty = -1;
    for (int q = kOpenField; q < kFieldCount; ++q) {
        const int column = m_nColumn[static_cast<std::size_t>(q)];
        if (column < 0)
            continue;
        const TextField field = fieldAt(column);
        float value = 0;
        const NumberResult result = ReadNumber(field, m_style, value);
        if (result == NumberResult::kNotANumber)
            return Bad(nLine, std::string("the ") + kFieldWords[q] + " `" + std::string(field.text) + "` is not a number");
        if (result == NumberResult::kEmpty && q <= kCloseField) {
            ++nEmptyPrices;
            if (nFirstEmpty < 0)
                nFirstEmpty = q;
        }
        PutMbf(record + m_nOffset[static_cast<std::size_t>(q)], value);
    }
    const int nCloseColumn = m_nColumn[kCloseField];
    const bool bNoClose = nCloseColumn >= 0 && ReadNumber(fieldAt(nCloseColumn), m_style, m_scratchValue) == NumberResult::kEmpty;
    if (bNoClose || (nEmptyPrices > 0 && nEmptyPrices == m_nPrices)) {
        ++m_result.withoutPrices;
        return;
    }
    if (nEmptyPrices > 0 && nEmptyPrices == m_nPrices - 1 && nCloseColumn >= 0) {
        // The old rows of a long history often hold only a close: it stands for the open, high and low too.
        for (int q = kOpenField; q < kCloseField; ++q)
            if (m_nOffset[static_cast<std::size_t>(q)] >= 0)
                std::copy_n(record + m_nOffset[kCloseField], 4, record + m_nOffset[static_cast<std::size_t>(q)]);
        ++m_result.closeOnly;
        nEmptyPrices = 0;
    }
    if (nEmptyPrices > 0)
        return Bad(nLine, std::string("the ") + kFieldWords[nFirstEmpty] + " is missing");

    // Rows that can only make the run fail for their number are counted, not kept: the memory of a run
    // stays bounded, however large the input. Combined bars and skipped dates may still bring the rows
    // within the limit, so those runs keep them all.
    if (m_nRead > static_cast<std::size_t>(kMaxDataRecords) && !m_layout.combineIntraday && !m_layout.skipBadRows) {
        ++m_nNotKept;
        return;
    }
    const std::int64_t nKey = std::int64_t{code} * 1000000 + std::max(nTime, 0);
    if (m_nRead > 0) {
        m_bAnyDown |= nKey < m_nLastKey;
        m_bAnyUp |= nKey > m_nLastKey;
        m_bAnySameDate |= DateOf(nKey) == DateOf(m_nLastKey);
    }
    m_nLastKey = nKey;
    if (nTime >= 0 && m_times.empty())
        m_times.assign(m_nRead, -1);  // the rows before had no time
    if (nTime >= 0 || !m_times.empty())
        m_times.push_back(nTime);
    m_result.records.insert(m_result.records.end(), record, record + m_nRecordLength);
    ++m_nRead;
}

int CRowReader::LineOf(std::size_t readIndex)
{
    if (m_lines.empty()) {
        m_lines.resize(m_nRead);
        int nLine = m_nFirstLine;
        auto lost = m_lostLines.begin();
        for (int& line : m_lines) {
            for (; lost != m_lostLines.end() && *lost == nLine; ++lost)
                ++nLine;
            line = nLine++;
        }
    }
    return m_lines[readIndex];
}

// Puts the records in date order. order receives the read position of each record when that is not
// simply the reverse of the rows read.
void CRowReader::Order(CheckedRows& result, std::vector<std::uint32_t>& order)
{
    const std::size_t n = result.Count();
    const std::size_t length = m_nRecordLength;
    RecordBytes& records = result.records;
    result.sorted = true;
    result.newestFirst = !m_bAnyUp;
    if (result.newestFirst) {
        for (std::size_t i = 0, j = n - 1; i < j; ++i, --j)
            std::swap_ranges(records.begin() + static_cast<std::ptrdiff_t>(i * length),
                             records.begin() + static_cast<std::ptrdiff_t>((i + 1) * length),
                             records.begin() + static_cast<std::ptrdiff_t>(j * length));
        std::reverse(m_times.begin(), m_times.end());
        return;
    }
    std::vector<std::int64_t> keys(n);
    for (std::size_t k = 0; k < n; ++k)
        keys[k] = static_cast<std::int64_t>(ValueAt(result.Record(k))) * 1000000 + (m_times.empty() ? 0 : std::max(m_times[k], 0));
    order.resize(n);
    for (std::size_t k = 0; k < n; ++k)
        order[k] = static_cast<std::uint32_t>(k);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    RecordBytes sorted(records.size());
    std::vector<int> times(m_times.size());
    for (std::size_t k = 0; k < n; ++k) {
        std::copy_n(result.Record(order[k]), length, sorted.begin() + static_cast<std::ptrdiff_t>(k * length));
        if (!m_times.empty())
            times[k] = m_times[order[k]];
    }
    records.swap(sorted);
    m_times.swap(times);
}

// Combines the bars of one day into the first of them: open of the first bar, highest high, lowest low,
// close of the last, volumes summed, open interest of the last.
void CRowReader::Combine(CheckedRows& result, std::size_t first, std::size_t end) const
{
    std::uint8_t* const day = result.records.data() + first * m_nRecordLength;
    const auto field = [&](int q) { return m_nOffset[static_cast<std::size_t>(q)]; };
    for (std::size_t r = first + 1; r < end; ++r) {
        const std::uint8_t* const bar = result.Record(r);
        const auto merge = [&](int q, auto how) {
            if (field(q) >= 0)
                PutMbf(day + field(q), how(ValueAt(day + field(q)), ValueAt(bar + field(q))));
        };
        merge(kHighField, [](float a, float b) { return std::max(a, b); });
        merge(kLowField, [](float a, float b) { return std::min(a, b); });
        merge(kCloseField, [](float, float b) { return b; });
        merge(kVolumeField, [](float a, float b) { return a + b; });
        merge(kOpenInterestField, [](float, float b) { return b; });
    }
}

// Whether the rows are intraday bars, written with their times: some date has rows at different times,
// or intraday bars are stated and the rows have times. Bars combined into days are not.
bool CRowReader::IntradayBars(const CheckedRows& result) const
{
    if (m_layout.combineIntraday || m_times.empty())
        return false;
    if (m_layout.frame == FrameChoice::kIntraday)
        return true;
    // In rows that were in order (either way) a date that comes twice comes in neighbouring rows.
    if (!m_bAnySameDate && !(m_bAnyDown && m_bAnyUp))
        return false;
    for (std::size_t k = 1; k < result.Count(); ++k)
        if (std::equal(result.Record(k - 1), result.Record(k - 1) + 4, result.Record(k)) &&
            std::max(m_times[k - 1], 0) != std::max(m_times[k], 0))
            return true;
    return false;
}

// Puts each bar's time after its date, leaves out a row that repeats the bar before, and lists two bars
// at one date and time as rows that cannot be read. A row without a time is taken as at midnight.
void CRowReader::FinishIntraday(CheckedRows& result, const std::vector<std::uint32_t>& order)
{
    const std::size_t n = result.Count();
    const std::size_t length = m_nRecordLength;
    const auto readIndex = [&](std::size_t k) { return !order.empty() ? order[k] : result.newestFirst ? n - 1 - k : k; };
    const auto timeOf = [&](std::size_t k) { return std::max(m_times[k], 0); };
    RecordBytes bars(n * (length + 4));
    std::size_t kept = 0;
    std::size_t first = 0;  // the first record at the date and time of record k
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint8_t* const record = result.Record(k);
        const bool bSameBar = k > 0 && std::equal(record, record + 4, result.Record(first)) && timeOf(k) == timeOf(first);
        if (!bSameBar) {
            first = k;
        } else if (std::equal(record, record + length, result.Record(first))) {
            ++result.repeatedRows;
            continue;
        } else {
            const auto [a, b] = std::minmax({LineOf(readIndex(first)), LineOf(readIndex(k))});
            m_bad.push_back({b, "Lines " + std::to_string(a) + " and " + std::to_string(b) + " have the same date and time " +
                                    IsoDate(static_cast<int>(ValueAt(record))) + " " + ClockText(timeOf(k))});
            continue;
        }
        PutBar(bars.data() + kept++ * (length + 4), record, length, timeOf(k));
    }
    bars.resize(kept * (length + 4));
    result.records.swap(bars);
    result.recordLength = length + 4;
    result.frame = TimeFrame::kIntraday;
    result.intervalMinutes = EvenInterval(result);
}

// Puts the records in date order, then finds the days with several rows: intraday bars to write with
// their times or to combine, or the same date twice. Records are ordered, combined and thinned out in
// place.
void CRowReader::Finish(CheckedRows& result)
{
    std::vector<std::uint32_t> order;  // read position of each record, when ordering moved them about
    if (m_bAnyDown)
        Order(result, order);
    if (IntradayBars(result))
        return FinishIntraday(result, order);
    if (!m_bAnySameDate && !(m_bAnyDown && m_bAnyUp))
        return;
    const std::size_t n = result.Count();
    const std::size_t length = m_nRecordLength;
    const auto readIndex = [&](std::size_t k) { return !order.empty() ? order[k] : result.newestFirst ? n - 1 - k : k; };
    const auto sameDate = [&](std::size_t a, std::size_t b) { return std::equal(result.Record(a), result.Record(a) + 4, result.Record(b)); };
    std::size_t out = 0;  // never beyond first, so a record is read before its place is written
    for (std::size_t first = 0; first < n;) {
        std::size_t end = first + 1;
        while (end < n && sameDate(first, end))
            ++end;
        const bool bIntraday = !m_times.empty() && m_times[first] >= 0 && m_times[end - 1] != m_times[first];
        const int code = static_cast<int>(ValueAt(result.Record(first)));
        // A row given twice (the same date and values, no other time) is one bar: it is written once.
        bool bRepeated = !bIntraday;
        for (std::size_t r = first + 1; r < end && bRepeated; ++r)
            bRepeated = std::equal(result.Record(first), result.Record(first) + length, result.Record(r));
        if (end - first == 1) {
        } else if (bRepeated) {
            result.repeatedRows += static_cast<int>(end - first - 1);
        } else if (m_layout.combineIntraday) {
            Combine(result, first, end);
            ++result.combinedDays;
        } else {
            for (std::size_t r = first + 1; r < end; ++r) {
                const auto [a, b] = std::minmax({LineOf(readIndex(first)), LineOf(readIndex(r))});
                m_bad.push_back({b, "Lines " + std::to_string(a) + " and " + std::to_string(b) + " have the same date " +
                                        IsoDate(code)});
            }
        }
        if (out != first) {
            std::copy_n(result.Record(first), length, result.records.begin() + static_cast<std::ptrdiff_t>(out * length));
            if (!m_times.empty())
                m_times[out] = m_times[first];
        }
        ++out;
        first = end;
    }
    result.records.resize(out * length);
    if (!m_times.empty())
        m_times.resize(out);
}

CheckedRows CRowReader::Read(IReadableFile& input)
{
    CLineSource source(&input);
    m_result.recordLength = m_nRecordLength;
    // Room for as many records as the file can hold rows (a date and a delimiter and digit per other
    // field, or more), up to the most a data file takes, so that the records are seldom moved while
    // they are read; pages that no record reaches are never touched.
    const std::int64_t nSize = input.SizeHint();
    const std::size_t nShortestRow = 6 + 2 * (m_nRecordLength / 4 - 1) + 1;
    const std::size_t nRows = nSize < 0 ? 1024 : static_cast<std::size_t>(nSize) / nShortestRow + 1;
    m_result.records.reserve(std::min<std::size_t>(nRows, kMaxDataRecords + 1) * m_nRecordLength);
    std::string_view line;
    int nLine = 0;
    // Up to the first data row the lines are kept when a misfit refuses the run: what detection reads.
    std::vector<std::string>& head = m_result.misfitLines;
    const auto keep = [&] {
        if (m_layout.refuseMisfit && m_bFirstRow && head.size() < static_cast<std::size_t>(kDetectedLines))
            head.emplace_back(line);
    };
    while (nLine < m_layout.skipRows && source.NextLine(line)) {
        keep();
        ++nLine;
    }
    m_nFirstLine = nLine + 1;
    while (m_result.problem.empty() && source.NextLine(line)) {
        keep();
        const std::size_t nBefore = m_nRead;
        if (source.LastLineCut())
            Bad(++nLine, "the line is longer than " + std::to_string(CLineSource::kMaxLine) + " characters");
        else
            ReadLine(line, ++nLine);
        if (m_nRead == nBefore && m_nNotKept == 0)
            m_lostLines.push_back(nLine);
    }
    if (m_bMisfit)
        while (head.size() < static_cast<std::size_t>(kDetectedLines) && source.NextLine(line))
            head.emplace_back(line);
    else
        head.clear();
    CheckedRows result = std::move(m_result);
    result.footerLines = static_cast<int>(m_footer.size());
    if (source.Failed()) {
        result.readFailed = true;
        result.readFailure = source.FailureReason();
        result.problem = "Cannot read the input file";
        result.misfitLines.clear();
        return result;
    }
    if (!result.problem.empty())
        return result;
    Finish(result);
    if (!result.problem.empty()) {
        result.records.clear();
        return result;
    }
    std::stable_sort(m_bad.begin(), m_bad.end(), [](const BadRow& a, const BadRow& b) { return a.line < b.line; });
    result.badRowCount = static_cast<int>(m_bad.size());
    m_bad.resize(std::min<std::size_t>(m_bad.size(), kListedBadRows));
    result.badRows = std::move(m_bad);
    if (result.badRowCount > 0 && !m_layout.skipBadRows) {
        result.problem = ListBadRows(result);
        result.records.clear();
    } else if (result.Count() > static_cast<std::size_t>(kMaxDataRecords)) {
        // Intraday bars soon reach the limit: a range of dates at a time fits.
        const bool bIntraday = result.frame == TimeFrame::kIntraday;
        result.problem = "The input holds " + std::to_string(result.Count() + m_nNotKept) + (bIntraday ? " bars" : " data rows") +
                         ",\nmore than the 65,534 that one data file can hold" +
                         (bIntraday ? std::string("; ") + kSplitByDatesPhrase : std::string()) + ".\nNothing was converted.";
        result.records.clear();
    }
    if (result.outsideDates > 0) {
        result.fromDate = m_layout.fromDate;
        result.toDate = m_layout.toDate;
    }
    DecideFrame(result, m_layout.frame);
    if (!result.Failed() && result.frame != TimeFrame::kIntraday && !m_layout.combineIntraday &&
        std::any_of(m_times.begin(), m_times.end(), [](int time) { return time > 0; }))
        result.dayTimes = std::move(m_times);
    return result;
}

}  // namespace

CheckedRows ReadRows(IReadableFile& input, const InputLayout& layout)
{
    return CRowReader(layout).Read(input);
}

bool TakeAsBars(CheckedRows& rows)
{
    const std::size_t n = rows.Count();
    if (rows.frame == TimeFrame::kIntraday || rows.dayTimes.size() != n || n == 0)
        return false;
    const std::size_t length = rows.recordLength;
    RecordBytes bars(n * (length + 4));
    for (std::size_t k = 0; k < n; ++k)
        PutBar(bars.data() + k * (length + 4), rows.Record(k), length, std::max(rows.dayTimes[k], 0));
    rows.records.swap(bars);
    rows.recordLength = length + 4;
    rows.frame = TimeFrame::kIntraday;
    rows.intervalMinutes = EvenInterval(rows);
    rows.dayTimes.clear();
    return true;
}

std::string ListBadRows(const CheckedRows& rows)
{
    std::string text;
    for (const BadRow& bad : rows.badRows)
        text += (text.empty() ? "" : "\n") + bad.reason;
    const int rest = rows.badRowCount - static_cast<int>(rows.badRows.size());
    if (rest > 0)
        text += "\nand " + std::to_string(rest) + (rest == 1 ? " more row" : " more rows") + " that cannot be read";
    return text;
}

std::string RowNotes(const CheckedRows& rows)
{
    std::string text;
    const auto add = [&](const std::string& note) { text += (text.empty() ? "" : "; ") + note; };
    const auto rowsText = [](int n) { return std::to_string(n) + (n == 1 ? " row" : " rows"); };
    if (rows.withoutPrices > 0)
        add(rowsText(rows.withoutPrices) + " without prices skipped");
    if (rows.closeOnly > 0)
        add(std::to_string(rows.closeOnly) + (rows.closeOnly == 1 ? " row" : " rows") +
            " had only a close: open, high and low set to it");
    if (rows.newestFirst)
        add("rows were newest first; written oldest first");
    else if (rows.sorted)
        add("rows were out of date order; written oldest first");
    if (rows.badRowCount > 0)
        add(rowsText(rows.badRowCount) + " that cannot be read skipped");
    if (rows.footerLines > 0)
        add(std::to_string(rows.footerLines) + (rows.footerLines == 1 ? " line" : " lines") +
            " of text after the last row left out");
    if (rows.repeatedRows > 0)
        add(rowsText(rows.repeatedRows) + " repeating the row before left out");
    if (rows.combinedDays > 0)
        add("intraday bars combined into " + std::to_string(rows.combinedDays) + (rows.combinedDays == 1 ? " day" : " days"));
    if (rows.outsideDates > 0) {
        const std::string from = rows.fromDate != 0 ? IsoDate(rows.fromDate) : std::string();
        const std::string to = rows.toDate != 0 ? IsoDate(rows.toDate) : std::string();
        const std::string range = from.empty() ? "after " + to : to.empty() ? "before " + from : "outside " + from + " to " + to;
        add(rowsText(rows.outsideDates) + " dated " + range + " left out");
    }
    if (!rows.timeOffsets.empty()) {
        std::string offsets;
        for (std::size_t i = 0; i < rows.timeOffsets.size(); ++i)
            offsets += (i == 0 ? "" : i + 1 == rows.timeOffsets.size() ? " and " : ", ") + rows.timeOffsets[i];
        add(std::string("times kept as written, with their ") + (rows.timeOffsets.size() == 1 ? "offset " : "offsets ") + offsets);
    }
    return text;
}

}  // namespace engine
