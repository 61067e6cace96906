// Arbitrary bytes as input text: first as one line handed straight to the per-line work of the row reader
// (split, date, six numbers, MBF encoding), then as an input file read by CTextReader, each piece going
// through the same work, and read whole by the row reader; last, as the first lines of a file, by detection.
//
// Input: byte 0 and byte 1 choose the settings, the rest is the text.
//   byte 0, bits 0-6 (modulo 42): delimiter (comma, tab, space) + 3 * date format (0 to 13: the twelve
//           formats and an invalid number on either side);
//   byte 0, bit 7: place the text across the reader's 64 KB buffer boundary, behind a filler;
//   byte 1: date column (modulo 20), and the step between the value columns.
//
// Besides the sanitizers, each step is held to what it promises: fields as a slow split gives them,
// real dates whose day numbers survive the date code, plain numbers as the C library reads them, MBF
// singles that read back as the value, pieces of the text as text mode and the 299-character limit cut
// them, and rows read in ascending date order.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/input/layout_detection.h"
#include "engine/input/row_reading.h"
#include "engine/text/date_formats.h"
#include "engine/text/line_parsing.h"
#include "engine/text/text_reader.h"
#include "fuzz_support.h"
#include "metastock/day_number.h"
#include "metastock/file_system.h"
#include "metastock/mbf.h"
#include "support/slow_split.h"

using namespace metastock;
using namespace engine;

namespace {

constexpr char kDelimiters[] = {',', '\t', ' '};
constexpr int kSettingChoices = 3 * (kDateFormatCount + 2);
constexpr std::uint8_t kAcrossBufferBoundary = 0x80;
constexpr std::size_t kReaderBufferSize = 64 * 1024;
constexpr int kValueCount = 6;
constexpr char kCtrlZ = '\x1A';

struct LineSettings {
    char delimiter = ',';
    std::int16_t nDateFormat = 0;
    int columns[1 + kValueCount] = {};  // date, then the six values
};

LineSettings ChooseSettings(std::uint8_t first, std::uint8_t second)
{
    LineSettings settings;
    const int choice = (first & ~kAcrossBufferBoundary) % kSettingChoices;
    settings.delimiter = kDelimiters[choice % 3];
    settings.nDateFormat = static_cast<std::int16_t>(choice / 3);
    const int step = 1 + second / kMaxFields % 7;
    for (int q = 0; q <= kValueCount; ++q)
        settings.columns[q] = (second + q * step) % kMaxFields;
    return settings;
}

// Splits the line and checks the fields against the slow split; returns how many the line holds.
int CheckSplit(std::string_view line, char delimiter, TextField (&fields)[kMaxFields], std::string& scratch)
{
    const int count = SplitFields(line, delimiter, fields, scratch);
    const std::vector<SlowField> expected = SlowSplit(line, delimiter);
    FUZZ_CHECK(count == static_cast<int>(expected.size()));
    for (int k = 0; k < std::min(count, kMaxFields); ++k)
        FUZZ_CHECK(fields[k].text == expected[static_cast<std::size_t>(k)].text &&
                   fields[k].quoted == expected[static_cast<std::size_t>(k)].bQuoted);
    return count;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A field that is wholly a plain number (a sign, digits with one full stop, an exponent) reads as the C
// library reads it, unless that lies beyond what a single holds; anything ReadNumber takes is a number.
void CheckNumber(const TextField& field, NumberResult result, float value)
{
    const std::string_view text = field.text;
    std::size_t i = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    std::size_t digits = 0;
    bool bPoint = false;
    for (; i < text.size() && (IsDigit(text[i]) || (text[i] == '.' && !bPoint)); ++i) {
        bPoint = bPoint || text[i] == '.';
        digits += text[i] != '.';
    }
    if (digits > 0 && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t start = j;
        while (j < text.size() && IsDigit(text[j]))
            ++j;
        i = j > start ? j : text.size() + 1;
    }
    if (digits == 0 || i != text.size())
        return;
    const std::string number(text);
    errno = 0;
    const float expected = std::strtof(number.c_str(), nullptr);
    if (errno == ERANGE && (expected == 0 || std::isinf(expected)))
        return;
    FUZZ_CHECK(result == NumberResult::kNumber);
    FUZZ_CHECK(std::memcmp(&value, &expected, sizeof value) == 0);
}

// Magnitudes from 2^127 up, infinities included, become the largest MBF magnitude with their sign; zeros,
// NaN and subnormals become MBF zero; every other single comes back unchanged.
void CheckMbf(float value, const MbfSingle& mbf)
{
    const float back = MbfToFloat(mbf);
    if (std::fabs(value) >= std::ldexp(1.0f, 127)) {
        const float largest = std::ldexp(2.0f - std::ldexp(1.0f, -23), 126);
        FUZZ_CHECK(back == std::copysign(largest, value));
    } else if (!std::isnormal(value)) {
        FUZZ_CHECK(mbf == MbfSingle{});
    } else {
        FUZZ_CHECK(back == value);
    }
}

void CheckDayNumber(std::uint16_t nDayNumber)
{
    const MbfSingle dateCode = DayToDateCode(nDayNumber);
    if (nDayNumber == 0) {
        FUZZ_CHECK(dateCode == MbfSingle{});
        return;
    }
    std::int16_t year = 0, month = 0, day = 0;
    SplitDayNumber(nDayNumber, year, month, day);
    FUZZ_CHECK(DayNumber(year, month, day) == nDayNumber);
    const CalendarDate date = DateCodeToDate(dateCode);
    FUZZ_CHECK(date.year == 1900 + year && date.month == month && date.day == day);
}

// What the row reader does with one line once it is read.
void LineWork(std::string_view line, const LineSettings& settings)
{
    TextField fields[kMaxFields];
    std::string scratch;
    const int count = std::min(CheckSplit(line, settings.delimiter, fields, scratch), kMaxFields);
    const auto fieldAt = [&](int column) { return column < count ? fields[column] : TextField{}; };

    const DateRead date = ReadDate(fieldAt(settings.columns[0]).text, settings.nDateFormat);
    if (settings.nDateFormat < 1 || settings.nDateFormat > kDateFormatCount)
        FUZZ_CHECK(date.result == DateResult::kNotADate);
    if (date.result == DateResult::kDate) {
        FUZZ_CHECK(date.year >= kFirstYear && date.year <= kLastYear);
        if (date.year >= 1961 && DateCodeValue(date.year, date.month, date.day) <= 2400604)
            CheckDayNumber(DayNumber(date.year - 1900, date.month, date.day));
    }

    for (int q = 1; q <= kValueCount; ++q) {
        const TextField field = fieldAt(settings.columns[q]);
        float value = 0;
        const NumberResult result = ReadNumber(field, NumberStyle{false, settings.delimiter}, value);
        CheckNumber(field, result, value);
        if (result == NumberResult::kNumber)
            CheckMbf(value, FloatToMbf(value));
    }
}

// What CTextReader must hand over for a file (given in two parts): the text up to the first Ctrl-Z with
// each CR LF pair made one line feed, cut after every line feed and into pieces of at most 299 characters.
class CExpectedPieces {
public:
    CExpectedPieces(std::string_view head, std::string_view tail) : m_head(head), m_tail(tail) {}

    // The next piece; empty after the last.
    std::string_view Next()
    {
        m_piece.clear();
        while (m_piece.size() < CTextReader::kMaxPiece) {
            const int c = NextChar();
            if (c == kEnd)
                break;
            m_piece += static_cast<char>(c);
            if (c == '\n')
                break;
        }
        return m_piece;
    }

private:
    static constexpr int kEnd = -1;

    int At(std::size_t i) const
    {
        if (i < m_head.size())
            return static_cast<unsigned char>(m_head[i]);
        i -= m_head.size();
        return i < m_tail.size() ? static_cast<unsigned char>(m_tail[i]) : kEnd;
    }

    int NextChar()
    {
        const int c = At(m_nPos);
        if (c == kEnd || c == kCtrlZ) {
            m_nPos = m_head.size() + m_tail.size();
            return kEnd;
        }
        ++m_nPos;
        if (c == '\r' && At(m_nPos) == '\n') {
            ++m_nPos;
            return '\n';
        }
        return c;
    }

    std::string_view m_head;
    std::string_view m_tail;
    std::size_t m_nPos = 0;
    std::string m_piece;
};

// A filler of short CR LF lines to put before the text, so that the middle of the text lies at the
// boundary between the reader's first and second buffer.
std::string_view FillerBefore(std::string_view text)
{
    static const std::string filler = [] {
        std::string made(kReaderBufferSize, '0');
        for (std::size_t i = 0; i < made.size(); ++i)
            made[i] = (i % 32 == 30) ? '\r' : (i % 32 == 31) ? '\n' : static_cast<char>('0' + i % 10);
        return made;
    }();
    return std::string_view(filler).substr(0, kReaderBufferSize - std::min(text.size() / 2, kReaderBufferSize));
}

// What the run reads of the file: refused, or records of real dates from 1900 on, strictly ascending.
void CheckRows(const std::filesystem::path& path, const LineSettings& settings, bool bLenient)
{
    InputLayout layout;
    layout.delimiter = settings.delimiter;
    layout.dateFormat = settings.nDateFormat;
    for (int q = 0; q <= kValueCount; ++q) {
        layout.fieldOn[static_cast<std::size_t>(q)] = true;
        layout.fieldColumn[static_cast<std::size_t>(q)] = settings.columns[q];
    }
    layout.combineIntraday = layout.skipBadRows = bLenient;
    const auto file = metastock::CurrentFileSystem().OpenForReading(path);
    FUZZ_CHECK(file != nullptr);
    const CheckedRows rows = ReadRows(*file, layout);
    FUZZ_CHECK(!rows.Failed() || rows.records.empty());
    FUZZ_CHECK(rows.records.size() % rows.recordLength == 0);
    FUZZ_CHECK(rows.Count() <= static_cast<std::size_t>(metastock::kMaxDataRecords));
    for (std::size_t i = 0; i < rows.Count(); ++i) {
        const float date = metastock::MbfToFloat(rows.Date(i));
        FUZZ_CHECK(date >= 101.0f && date <= 2401231.0f);
        FUZZ_CHECK(i == 0 || metastock::MbfToFloat(rows.Date(i - 1)) < date);
    }
}

// Reads the file made of head and tail; with bLineWork, each piece also goes through the line work.
void ReadAsFile(std::string_view head, std::string_view tail, const LineSettings& settings, bool bLineWork)
{
    static const std::filesystem::path path = ScratchDir() / "input.txt";
    WriteFileBytes(path, head, tail);
    CExpectedPieces expected(head, tail);

    CTextReader reader;
    FUZZ_CHECK(reader.Open(path.string()));
    std::string_view piece;
    while (reader.ReadLine(piece)) {
        FUZZ_CHECK(piece == expected.Next());
        if (bLineWork)
            LineWork(WithoutLineFeed(piece), settings);
    }
    FUZZ_CHECK(expected.Next().empty());
    FUZZ_CHECK(!reader.ReadLine(piece));
    CheckRows(path, settings, (head.size() + tail.size()) % 2 == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const LineSettings settings = ChooseSettings(data[0], data[1]);
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

    if (data[0] & kAcrossBufferBoundary) {
        ReadAsFile(FillerBefore(text), text, settings, false);
        return 0;
    }
    LineWork(text, settings);
    ReadAsFile({}, text, settings, true);
    // Detection reads the same text as the first lines of a file: it finds a layout or says why not.
    std::vector<std::string> lines;
    for (std::size_t at = 0; at <= text.size() && lines.size() < 40;) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        lines.emplace_back(text.substr(at, end - at));
        at = end + 1;
    }
    const DetectedLayout layout = DetectLayoutInLines(lines);
    if (!layout.found && layout.problem.empty())
        std::abort();
    if (DescribeLayout(layout).empty())
        std::abort();
    return 0;
}
