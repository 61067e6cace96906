// How the input text becomes data records: lines, tokens, the date-style check and the values.

#include <algorithm>
#include <cmath>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include "engine/text/line_parsing.h"
#include "engine/text/text_reader.h"
#include "support/slow_split.h"
#include "test_job.h"

using namespace metastock;
using namespace engine;

namespace {

const char* const kNumericOnlyMessage =
    "You specified a numeric-only date format\nbut a non-numeric date character was found.";
const char* const kSeparatedMessage =
    "You specified a character-separated date format\nbut a only numeric date characters were found.";

// ASCII text in UTF-16 with its byte-order mark.
std::string Utf16(const std::string& text, bool bBigEndian)
{
    std::string bytes = bBigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text)
        bytes += bBigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
}

}  // namespace

TEST(LineReading, EveryDelimiterEndsAFieldAndQuotesHoldThem)
{
    const struct {
        const char* szText;
        char delimiter;
        Rows rows;  // date code, open, close
    } cases[] = {
        {"12/31/98,10,,11\n", ',', {{981231, 10, 11}}},  // the empty field keeps its column
        {"12/31/98,9,10,11\n", ',', {{981231, 9, 11}}},
        {"12/31/98   10  x  11\n", ' ', {{981231, 10, 11}}},  // blanks: a run is one delimiter
        {"12/31/98\t10\t\t11\n", '\t', {{981231, 10, 11}}},
        {"12/31/98 10 x 11\n   \n", ' ', {{981231, 10, 11}}},  // a line of blanks is no row
        {"12/31/98,10,,11\n,,,\n\n", ',', {{981231, 10, 11}}},  // nor one of delimiters only
        {"\"12/31/98\",\"10\",\"x,y\",\"11\"\n", ',', {{981231, 10, 11}}},
        {"\"12/31/98\" , \"1,234.5\" ,\"say \"\"hi\"\"\", 11\n", ',', {{981231, 1234.5f, 11}}},
        {"12/31/98;\"1,5\";x;2,25\n", ';', {{981231, 1.5f, 2.25f}}},  // decimal comma, see below
    };
    for (const auto& c : cases) {
        const CConversion result = ConvertText(c.szText, [&](CTestJob& test) {
            test.Fields({{kDateField, 0}, {kOpenField, 1}, {kCloseField, 3}});
            test.job.layout.delimiter = c.delimiter;
            test.job.layout.decimalComma = c.delimiter == ';';
        });
        EXPECT_EQ(result.messages, Strings{}) << c.szText;
        EXPECT_EQ(result.records, c.rows) << "input \"" << c.szText << "\", delimiter '" << c.delimiter << "'";
    }
}

TEST(LineReading, LineEndsAndTheEndOfInput)
{
    std::string blankLines;  // CR LF pairs at every odd offset, so that one straddles the end of any buffer
    for (int i = 0; i < 40000; ++i)
        blankLines += "\r\n";
    const struct {
        std::string text;
        Rows rows;  // date code, close
    } cases[] = {
        {"12/31/98,1\r\n\r\n01/04/99,2\r\n", {{981231, 1}, {990104, 2}}},  // CR LF is one line end
        {"12/31/98,12\r\n" + blankLines + "01/04/99,2\r\n", {{981231, 12}, {990104, 2}}},
        {"12/31/98,1\r01/04/99,2\r", {{981231, 1}, {990104, 2}}},  // so is a lone CR
        {"\xEF\xBB\xBF" "12/31/98,1\n", {{981231, 1}}},                // a UTF-8 byte-order mark is skipped
        {Utf16("12/31/98,7\r\n01/04/99,8", false), {{981231, 7}, {990104, 8}}},  // UTF-16 is decoded
        {Utf16("12/31/98,7\r\n01/04/99,8", true), {{981231, 7}, {990104, 8}}},
        {"12/31/98,1\n01/04/99,2", {{981231, 1}, {990104, 2}}},  // no newline at the end
        {"12/31/98,1\n\x1A" "01/04/99,2\n", {{981231, 1}}},      // Ctrl-Z ends the input
        {"12/31/98,1\n01/04/99,2\x1A,3\n01/05/99,4\n", {{981231, 1}, {990104, 2}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertDateAndClose(c.text).records, c.rows) << c.text.substr(0, 40);

    // The CR of a CR LF pair is not part of a numeric-only date at the end of the line.
    const CConversion result = ConvertText("5,123198\r\n", [](CTestJob& test) {
        test.Fields({{kDateField, 1}, {kCloseField, 0}});
        test.job.layout.dateFormat = 9;
    });
    EXPECT_EQ(result.messages, Strings{});
    EXPECT_EQ(result.records, (Rows{{981231, 5}}));
}

namespace {

Strings ReadPieces(CTextReader& reader)
{
    Strings pieces;
    std::string_view piece;
    while (reader.ReadLine(piece))
        pieces.emplace_back(piece);
    return pieces;
}

}  // namespace

#ifndef _WIN32
TEST(LineReading, InputFromAFifoReadsLikeAFile)
{
    const CTempDir directory;
    const std::string fifo = directory / "prices.fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Written in parts that cut a CR LF pair, and more than one buffer of the reader in all.
    const std::string filler(70000, 'x');
    std::thread writer([&] {
        std::FILE* out = std::fopen(fifo.c_str(), "wb");
        for (const std::string& part : {std::string("12/31/98,1\r"), std::string("\n01/04/99,2\n"), filler + "\n"}) {
            std::fwrite(part.data(), 1, part.size(), out);
            std::fflush(out);
        }
        std::fclose(out);
    });
    CTextReader reader;
    ASSERT_TRUE(reader.Open(fifo));
    const Strings pieces = ReadPieces(reader);
    writer.join();
    EXPECT_FALSE(reader.Failed());
    ASSERT_EQ(pieces.size(), 2 + (filler.size() + 1 + 298) / 299);
    EXPECT_EQ(pieces[0], "12/31/98,1\n");
    EXPECT_EQ(pieces[1], "01/04/99,2\n");
    EXPECT_EQ(pieces.back(), std::string(filler.size() % 299, 'x') + "\n");
}
#endif

TEST(LineReading, AReadErrorEndsTheInputAndIsReported)
{
    const CTempDir directory;
    CTextReader reader;
    WriteText(directory / "prices.txt", "12/31/98,1\n");
    ASSERT_TRUE(reader.Open(directory / "prices.txt"));
    EXPECT_EQ(ReadPieces(reader), Strings{"12/31/98,1\n"});
    EXPECT_FALSE(reader.Failed());
    // A directory opens for reading on the platforms that matter here, and every read of it fails.
    if (!reader.Open(directory.Path().string()))
        GTEST_SKIP() << "a directory cannot be opened as a file here";
    EXPECT_EQ(ReadPieces(reader), Strings{});
    EXPECT_TRUE(reader.Failed()) << "reading a directory as a file";
}

TEST(LineReading, ALongLineIsOneRow)
{
    const std::string line = "12/31/98,1,\"" + std::string(70000, 'a') + "\"\n01/04/99,2\n";
    EXPECT_EQ(ConvertDateAndClose(line).records, (Rows{{981231, 1}, {990104, 2}}));
}

TEST(LineReading, LeadingRowsAreSkippedOnlyWhenAsked)
{
    const struct {
        int bSkipOn, nSkipRows;
        int nStatus;
        Rows rows;
    } cases[] = {
        {1, 1, 0, {{981231, 1}, {990104, 2}}},
        {1, 0, 1, {}},  // the heading is a row whose date cannot be read
        {0, 5, 1, {}},
        {1, 3, 1, {}},  // no row left: refused
        {1, 200, 1, {}},
    };
    for (const auto& c : cases) {
        const CConversion result = ConvertText("Date,Close\n12/31/98,1\n01/04/99,2\n", [&](CTestJob& test) {
            test.Fields({{kDateField, 0}, {kCloseField, 1}});
            test.job.layout.skipRows = c.bSkipOn ? c.nSkipRows : 0;
        });
        EXPECT_EQ(result.nStatus, c.nStatus) << "skip " << c.bSkipOn << ", " << c.nSkipRows;
        EXPECT_EQ(result.records, c.rows) << "skip " << c.bSkipOn << ", " << c.nSkipRows;
    }
}

TEST(LineReading, AFirstDateOfTheWrongStyleRefusesTheRun)
{
    const struct {
        std::string text;
        int nFormat;
        const char* szMessage;  // nullptr: none
    } cases[] = {
        {"Date,Close\n123198,1\n", 9, kNumericOnlyMessage},
        {"\"12-31-98\",1\n", 9, kNumericOnlyMessage},
        {"123198,1\n", 9, nullptr},
        {"981231,1\n", 3, kSeparatedMessage},
        {"123198,1\n", 1, kSeparatedMessage},
    };
    for (const auto& c : cases) {
        const CConversion result = ConvertDateAndClose(c.text, c.nFormat);
        EXPECT_EQ(result.messages, c.szMessage ? Strings{c.szMessage} : Strings{}) << c.text << c.nFormat;
        EXPECT_EQ(result.nStatus != 0, c.szMessage != nullptr) << c.text << " in format " << c.nFormat;
        EXPECT_EQ(result.records.empty(), c.szMessage != nullptr) << "nothing is written: " << c.text;
    }
}

TEST(LineReading, AValueIsWhollyANumberOrTheRowIsBad)
{
    const std::string longZeros = "99.75" + std::string(130, '0');
    const struct {
        const char* szToken;
        float value;  // NaN: the row is bad
    } cases[] = {
        {longZeros.c_str(), 99.75f},
        {"12.375", 12.375f}, {" 12.5", 12.5f},    {"-27.25", -27.25f}, {"+4", 4.0f},          {"1e3", 1000.0f},
        {".5", 0.5f},        {"16777217", 16777216}, {"1.25M", 1250000}, {"830.5K", 830500}, {"2B", 2e9f},
        {"\"1,234,567\"", 1234567}, {"0.1", 0.1f}, {"12.375abc", NAN}, {"1,5", NAN}, {"abc", NAN},
        {".", NAN}, {"--5", NAN}, {"+-5", NAN}, {"1e40", NAN}, {"\"1,23\"", NAN}, {"12:30", NAN}, {"5X", NAN},
    };
    for (const auto& c : cases) {
        const CConversion result = ConvertDateAndClose(std::string("12/31/98\t") + c.szToken + "\n", 3, '\t');
        if (std::isnan(c.value)) {
            EXPECT_EQ(result.nStatus, 1) << c.szToken;
            EXPECT_EQ(result.records, Rows{}) << c.szToken;
            continue;
        }
        ASSERT_EQ(result.records.size(), 1u) << c.szToken;
        EXPECT_EQ(result.records[0][1], c.value) << "token \"" << c.szToken << "\"";
    }
}

namespace {

// The slow, obviously correct reading of a plain number: the C library's, when the whole text is a sign,
// digits with one full stop and an optional exponent.
bool SlowNumber(const std::string& text, float& value)
{
    std::size_t at = text[0] == '-' || text[0] == '+' ? 1 : 0;
    std::size_t digits = 0;
    bool bPoint = false;
    for (; at < text.size() && (std::isdigit(static_cast<unsigned char>(text[at])) || (text[at] == '.' && !bPoint)); ++at) {
        bPoint = bPoint || text[at] == '.';
        digits += text[at] != '.';
    }
    if (digits == 0)
        return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        at += at < text.size() && (text[at] == '-' || text[at] == '+');
        const std::size_t start = at;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
            ++at;
        if (at == start)
            return false;
    }
    if (at != text.size())
        return false;
    errno = 0;
    value = std::strtof(text.c_str(), nullptr);
    return !(errno == ERANGE && (value == 0 || std::isinf(value)));  // beyond what a single holds
}

}  // namespace

TEST(LineReading, NumbersReadAsTheSlowReadingReadsThemOnRandomText)
{
    std::mt19937 random(15);
    const std::string alphabet = "0123456789..-+eE5x";
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        const std::size_t length = 1 + random() % 18;
        for (std::size_t k = 0; k < length; ++k)
            text += random() % 4 ? static_cast<char>('0' + random() % 10) : alphabet[random() % alphabet.size()];
        float slow = 0;
        float fast = 0;
        const bool bSlow = SlowNumber(text, slow);
        const NumberResult result = ReadNumber(TextField{text, false}, NumberStyle{}, fast);
        ASSERT_EQ(result == NumberResult::kNumber, bSlow) << "\"" << text << "\"";
        if (bSlow) {
            ASSERT_EQ(fast, slow) << "\"" << text << "\"";
        }
    }
}

TEST(LineReading, FieldsSplitAsTheSlowSplitSplitsThemOnRandomLines)
{
    std::mt19937 random(16);
    const std::string alphabet = ",,;\t\t  \"\"\r1a.";
    TextField fields[kMaxFields];
    std::string scratch;
    for (int i = 0; i < 100000; ++i) {
        std::string line;
        const std::size_t length = random() % 60;
        for (std::size_t k = 0; k < length; ++k)
            line += alphabet[random() % alphabet.size()];
        for (const char delimiter : {',', ';', '\t', ' '}) {
            const std::vector<SlowField> slow = SlowSplit(line, delimiter);
            const int count = SplitFields(line, delimiter, fields, scratch);
            ASSERT_EQ(count, static_cast<int>(slow.size())) << "\"" << line << "\" split at '" << delimiter << "'";
            for (int k = 0; k < std::min(count, kMaxFields); ++k) {
                ASSERT_EQ(fields[k].text, slow[static_cast<std::size_t>(k)].text) << "\"" << line << "\" field " << k;
                ASSERT_EQ(fields[k].quoted, slow[static_cast<std::size_t>(k)].bQuoted) << "\"" << line << "\" field " << k;
            }
        }
    }
}
