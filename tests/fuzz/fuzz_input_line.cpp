// Arbitrary bytes as input text: first as one line handed straight to the per-line work of a conversion
// (split, date, date-style check, six numbers, MBF encoding), then as an input file read by CTextReader,
// each piece going through the same work with the token table carried from line to line.
//
// Input: byte 0 and byte 1 choose the settings, the rest is the text.
//   byte 0, bits 0-6 (modulo 42): delimiter (comma, tab, space) + 3 * date format (0 to 13: the twelve
//           formats and an invalid number on either side);
//   byte 0, bit 7: place the text across the reader's 64 KB buffer boundary, behind a filler;
//   byte 1: date column (modulo 20), and the step between the value columns.
//
// Besides the sanitizers, each step is held to what it promises: tokens as a plain split gives them,
// day numbers that survive the date code, numbers as the scan conversion reads them (the token table's
// own reading of them too), MBF singles that
// read back as the value, and pieces of the text as text mode and the 299-character limit cut them.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/date_formats.h"
#include "engine/input_rows.h"
#include "engine/line_parsing.h"
#include "engine/row_reading.h"
#include "engine/text_reader.h"
#include "fuzz_support.h"
#include "metastock/day_number.h"
#include "metastock/file_system.h"
#include "metastock/mbf.h"

using namespace metastock;
using namespace engine;

namespace {

constexpr char kDelimiters[] = {',', '\t', ' '};
constexpr int kSettingChoices = 3 * (kDateFormatCount + 2);
constexpr std::uint8_t kAcrossBufferBoundary = 0x80;
constexpr std::size_t kReaderBufferSize = 64 * 1024;
constexpr std::size_t kDateTextSize = 20;
constexpr int kValueCount = 6;
constexpr std::size_t kSplitWidth = 300;  // Split looks at no more of a line
constexpr char kCtrlZ = '\x1A';

struct LineSettings {
    char delimiter = ',';
    std::int16_t nDateFormat = 0;
    int columns[1 + kValueCount] = {};  // date, then the six values
    int nTokensNeeded = 1;               // the last column read, plus one
};

LineSettings ChooseSettings(std::uint8_t first, std::uint8_t second)
{
    LineSettings settings;
    const int choice = (first & ~kAcrossBufferBoundary) % kSettingChoices;
    settings.delimiter = kDelimiters[choice % 3];
    settings.nDateFormat = static_cast<std::int16_t>(choice / 3);
    const int step = 1 + second / kMaxTokens % 7;
    for (int q = 0; q <= kValueCount; ++q) {
        settings.columns[q] = (second + q * step) % kMaxTokens;
        settings.nTokensNeeded = std::max(settings.nTokensNeeded, settings.columns[q] + 1);
    }
    return settings;
}

// The tokens a plain split gives: maximal runs of characters other than the delimiter, all of them.
std::vector<std::string_view> PlainSplit(std::string_view line, char delimiter)
{
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == delimiter)
            ++i;
        const std::size_t begin = i;
        while (i < line.size() && line[i] != delimiter)
            ++i;
        if (i > begin)
            tokens.push_back(line.substr(begin, i - begin));
    }
    return tokens;
}

// Splits the line into the table, keeping the tokens that are needed, and checks the table against a
// plain split of the line's first 300 characters: the line's tokens first, the entries past them as they
// were. Returns the number of tokens kept.
int CheckSplit(CTokenTable& tokens, std::string_view line, char delimiter, int nTokensNeeded)
{
    std::vector<std::string> before(kMaxTokens);
    for (int k = 0; k < kMaxTokens; ++k)
        before[k] = tokens[k];
    const int count = tokens.Split(line, delimiter, nTokensNeeded);
    const std::vector<std::string_view> expected = PlainSplit(line.substr(0, kSplitWidth), delimiter);
    FUZZ_CHECK(count == static_cast<int>(std::min<std::size_t>(expected.size(), nTokensNeeded)));
    for (int k = 0; k < kMaxTokens; ++k)
        FUZZ_CHECK(tokens[k] == (k < count ? expected[k] : std::string_view(before[k])));
    return count;
}

bool IsWhiteSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The number at the start of a token as "%f" reads it: white space, one optional sign, digits with an
// optional decimal point, an optional exponent. Empty when the token does not start with a number.
// Words such as "inf" and "nan" are left out (false): the C conversion reads them, and whatever is made
// of them, the MBF check still holds.
bool LeadingNumber(std::string_view token, std::string& number)
{
    std::size_t i = 0;
    while (i < token.size() && IsWhiteSpace(token[i]))
        ++i;
    const std::size_t begin = i;
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
        ++i;
    if (i < token.size() && (token[i] == 'i' || token[i] == 'I' || token[i] == 'n' || token[i] == 'N'))
        return false;
    std::size_t digits = 0;
    for (; i < token.size() && IsDigit(token[i]); ++i)
        ++digits;
    if (i < token.size() && token[i] == '.')
        for (++i; i < token.size() && IsDigit(token[i]); ++i)
            ++digits;
    if (digits == 0) {
        number.clear();
        return true;
    }
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < token.size() && (token[j] == '+' || token[j] == '-'))
            ++j;
        if (j < token.size() && IsDigit(token[j])) {
            while (j < token.size() && IsDigit(token[j]))
                ++j;
            i = j;
        }
    }
    number.assign(token.substr(begin, i - begin));
    return true;
}

void CheckScan(std::string_view token, float value)
{
    std::string number;
    if (!LeadingNumber(token, number))
        return;
    const float expected = number.empty() ? 0.0f : std::strtof(number.c_str(), nullptr);
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
    FUZZ_CHECK(date.nYear == 1900 + year && date.nMonth == month && date.nDay == day);
}

// What Convert does with one line once it is read.
void LineWork(CTokenTable& tokens, std::string_view line, const LineSettings& settings)
{
    if (CheckSplit(tokens, line, settings.delimiter, settings.nTokensNeeded) == 0)
        return;

    const std::string_view dateToken = tokens[settings.columns[0]];
    char szDateText[kDateTextSize];
    CopyText(szDateText, dateToken);
    const std::uint16_t nDayNumber = ParseDate(szDateText, settings.nDateFormat);
    if (settings.nDateFormat < 1 || settings.nDateFormat > kDateFormatCount)
        FUZZ_CHECK(nDayNumber == 0);
    CheckDayNumber(nDayNumber);
    FUZZ_CHECK(HasNonDigit(dateToken) == (dateToken.find_first_not_of("0123456789") != std::string_view::npos));

    for (int q = 1; q <= kValueCount; ++q) {
        const std::string_view token = tokens[settings.columns[q]];
        const float value = ScanFloat(token);
        CheckScan(token, value);
        const float tableValue = tokens.Value(settings.columns[q]);
        FUZZ_CHECK(std::memcmp(&tableValue, &value, sizeof value) == 0);
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
    FUZZ_CHECK(rows.records.size() <= static_cast<std::size_t>(metastock::kMaxDataRecords));
    for (std::size_t i = 0; i < rows.records.size(); ++i) {
        const float date = rows.records[i].values[0];
        FUZZ_CHECK(date >= 101.0f && date <= 2401231.0f);
        FUZZ_CHECK(i == 0 || rows.records[i - 1].values[0] < date);
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
    CTokenTable tokens;
    std::string_view piece;
    while (reader.ReadLine(piece)) {
        FUZZ_CHECK(piece == expected.Next());
        if (bLineWork)
            LineWork(tokens, WithoutLineFeed(piece), settings);
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
    CTokenTable tokens;
    LineWork(tokens, text, settings);
    ReadAsFile({}, text, settings, true);
    return 0;
}
