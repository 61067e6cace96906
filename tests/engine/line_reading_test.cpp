// How the input text becomes data records: lines, tokens, the date-style check and the values.

#include <algorithm>
#include <cmath>
#include <string>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include "engine/text_reader.h"
#include "test_job.h"

using namespace metastock;
using namespace engine;

namespace {

const char* const kNumericOnlyMessage =
    "You specified a numeric-only date format\nbut a non-numeric date character was found.";
const char* const kSeparatedMessage =
    "You specified a character-separated date format\nbut a only numeric date characters were found.";

}  // namespace

TEST(LineReading, TokensAreRunsOfCharactersBetweenDelimiters)
{
    const struct {
        const char* szText;
        char delimiter;
        Rows rows;  // date code, open, close
    } cases[] = {
        {"12/31/98,,10,11\n", ',', {{981231, 10, 11}}},  // an empty field shifts the rest left
        {",,12/31/98,10,,11,,\n", ',', {{981231, 10, 11}}},
        {"12/31/98   10  11\n", ' ', {{981231, 10, 11}}},
        {"12/31/98\t\t10\t11\n", '\t', {{981231, 10, 11}}},
        {"12/31/98 10 11\n   \n", ' ', {{981231, 10, 11}}},               // blanks only: no token
        {"12/31/98,10,11\n   \n", ',', {{981231, 10, 11}, {0, 10, 11}}},  // one token, an unreadable date
        {"12/31/98,10,11\n,,,\n\n", ',', {{981231, 10, 11}}},
        // A short line reads its missing columns from earlier lines, or "123" before any.
        {"12/31/98,5\n01/04/99,6,7\n01/05/99,8\n", ',', {{981231, 5, 123}, {990104, 6, 7}, {990105, 8, 7}}},
    };
    for (const auto& c : cases) {
        const CConversion result = ConvertText(c.szText, [&](CTestJob& test) {
            test.Fields({{kDateField, 0}, {kOpenField, 1}, {kCloseField, 2}});
            test.job.layout.delimiter = c.delimiter;
        });
        EXPECT_EQ(result.nStatus, 0) << c.szText;
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
        {"12/31/98,1\r01/04/99,2\n", {{981231, 1}}},              // a lone CR is a character
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

TEST(LineReading, LongLinesAreReadInPiecesOf299Characters)
{
    // 700 characters: pieces of 299, 299 and 102, each a line of its own.
    const std::string line = "12/31/98,1," + std::string(288, 'a') + "01/04/99,2," + std::string(288, 'b') +
                             "01/05/99,3," + std::string(91, 'c') + "\n";
    EXPECT_EQ(ConvertDateAndClose(line).records, (Rows{{981231, 1}, {990104, 2}, {990105, 3}}));
    const CConversion skipped = ConvertText(line, [](CTestJob& test) {
        test.Fields({{kDateField, 0}, {kCloseField, 1}});
        test.job.layout.skipRows = 1;
    });
    EXPECT_EQ(skipped.records, (Rows{{990104, 2}, {990105, 3}})) << "a skipped row is one piece";
}

TEST(LineReading, LeadingRowsAreSkippedOnlyWhenAsked)
{
    const struct {
        int bSkipOn, nSkipRows;
        Rows rows;
    } cases[] = {
        {1, 1, {{981231, 1}, {990104, 2}}},
        {1, 0, {{0, 0}, {981231, 1}, {990104, 2}}},  // the header is a record; "Close" holds no number
        {0, 5, {{0, 0}, {981231, 1}, {990104, 2}}},
        {1, 3, {}},
        {1, 200, {}},
    };
    for (const auto& c : cases) {
        const CConversion result = ConvertText("Date,Close\n12/31/98,1\n01/04/99,2\n", [&](CTestJob& test) {
            test.Fields({{kDateField, 0}, {kCloseField, 1}});
            test.job.layout.skipRows = c.bSkipOn ? c.nSkipRows : 0;
        });
        EXPECT_EQ(result.nStatus, 0) << "skip " << c.bSkipOn << ", " << c.nSkipRows;
        EXPECT_EQ(result.records, c.rows) << "skip " << c.bSkipOn << ", " << c.nSkipRows;
    }
}

TEST(LineReading, FirstDateTokenMustMatchTheStyleOfTheFormat)
{
    const struct {
        std::string text;
        int nFormat;
        const char* szMessage;  // nullptr: none
        float firstDate;
    } cases[] = {
        {"Date,Close\n123198,1\n", 9, kNumericOnlyMessage, 0},
        {"Date,Close\n12/31/98,1\n", 3, nullptr, 0},
        {"\"123198\",1\n", 9, kNumericOnlyMessage, 981231},  // read all the same
        {" 123198,1\n", 9, kNumericOnlyMessage, 981231},
        {"123198,1\n", 9, nullptr, 981231},
        {"123198,1\n12/31/98,2\n", 9, nullptr, 981231},  // only the first record is checked
        {"12/31/98,1\n123198,2\n", 3, nullptr, 981231},
        {"981231,1\n", 3, kSeparatedMessage, 0},  // month 98
        {"123198,1\n", 0, kSeparatedMessage, 0},  // no format chosen: no date, separated style
        {"12/31/98ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789,1\n", 3, nullptr, 981231},
    };
    for (const auto& c : cases) {
        const CConversion result = ConvertDateAndClose(c.text, c.nFormat);
        EXPECT_EQ(result.messages, c.szMessage ? Strings{c.szMessage} : Strings{}) << c.text << c.nFormat;
        EXPECT_EQ(result.nStatus != 0, c.szMessage != nullptr) << c.text << " in format " << c.nFormat;
        ASSERT_EQ(result.records.size(), static_cast<std::size_t>(std::count(c.text.begin(), c.text.end(), '\n')))
            << "every line is converted: " << c.text;
        EXPECT_EQ(result.records.front().front(), c.firstDate) << c.text << " in format " << c.nFormat;
    }
}

TEST(LineReading, ValuesAreReadAsFarAsTheyAreNumbers)
{
    const float largest = std::ldexp(2.0f - std::ldexp(1.0f, -23), 126);
    const struct {
        const char* szToken;
        float value;
    } cases[] = {
        {"12.375", 12.375f}, {" 12.5", 12.5f},       {"-27.25", -27.25f},    {"+4", 4.0f},     {"1e3", 1000.0f},
        {"12.375abc", 12.375f}, {"1,5", 1.0f},       {".5", 0.5f},           {"abc", 0.0f},    {"-", 0.0f},
        {".", 0.0f},         {"--5", 0.0f},          {"+-5", 0.0f},          {"nan", 0.0f},    {"16777217", 16777216},
        {"1e40", largest},   {"-1e40", -largest},
    };
    // Every row follows one whose close is 5: a token without a number must not repeat it.
    std::string text;
    for (const auto& c : cases)
        text += std::string("12/31/98\t5\n12/31/98\t") + c.szToken + "\n";
    const CConversion result = ConvertDateAndClose(text, 3, '\t');
    ASSERT_EQ(result.records.size(), 2 * std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(result.records[2 * i + 1][1], cases[i].value) << "token \"" << cases[i].szToken << "\"";
}
