// Files of many securities: the ticker, name and period columns found beside the layout that detection
// finds, and the lines of a ticker's gathered rows named as the lines of their own files.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "engine/input/layout_detection.h"
#include "engine/input/ticker_column.h"
#include "engine/input/ticker_spool.h"

using namespace engine;

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace

// Detection finds the prices beside a ticker column (never in it), and the ticker column is found by its
// heading in any case and with or without brackets, or by values that change where the dates start again;
// a text column of one value, or one that changes as the dates go on, is no ticker column.
TEST(TickersTest, TickerNameAndPeriodColumnsAreFoundByHeadingOrByValues)
{
    const struct {
        const char* szCase;
        std::string text;
        int close;  // 1-based, as detection gives it
        int ticker, name, period;  // 0-based, -1 for none
        std::vector<std::string> tickers;
    } kCases[] = {
        {"vendor layout",
         "<TICKER>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\n"
         "AAA,D,20240102,000000,10,11,9,10.5,100\nAAA,D,20240103,000000,10.5,12,10,11,120\n"
         "BB,D,20240102,000000,20,21,19,20.5,200\nBB,D,20240103,000000,20.5,22,20,21,220\n",
         8, 0, -1, 1, {"AAA", "BB"}},
        {"Symbol first, a name",
         "Symbol,Name,Date,Open,High,Low,Close\nAAA,Acme Inc,2024-01-02,1,2,0.5,1.5\nBB,Bee Co,2024-01-02,2,3,1.5,2.5\n",
         7, 0, 1, -1, {"AAA", "BB"}},
        {"ticker after the date",
         "Date,ticker,Open,High,Low,Close,Volume\n2024-01-02,AAA,1,2,0.5,1.5,10\n2024-01-03,AAA,1,2,0.5,1.5,10\n"
         "2024-01-02,CC,2,3,1.5,2.5,20\n",
         6, 1, -1, -1, {"AAA", "CC"}},
        {"a heading that names no ticker: by values",
         "Sec,Date,Open,High,Low,Close,Volume\nAAA,20240102,1,2,0.5,1.5,10\nBB,20240102,2,3,1.5,2.5,20\nAAA,20240103,1,2,0.5,1.5,10\nBB,20240103,2,3,1.5,2.5,20\n",
         6, 0, -1, -1, {"AAA", "BB"}},
        {"Chinese code heading",
         "\xE4\xBB\xA3\xE7\xA0\x81,Date,Open,High,Low,Close\n600000,2024-01-02,1,2,0.5,1.5\n600001,2024-01-02,2,3,1.5,2.5\n",
         6, 0, -1, -1, {"600000", "600001"}},
        {"one security with a Symbol heading",
         "Symbol,Date,Open,High,Low,Close\nAAA,2024-01-02,1,2,0.5,1.5\nAAA,2024-01-03,1,2,0.5,1.6\n", 6, 0, -1, -1, {"AAA"}},
        {"a text column of one value",
         "Date,Open,High,Low,Close,Currency\n2024-01-02,1,2,0.5,1.5,USD\n2024-01-03,1,2,0.5,1.6,USD\n2024-01-04,1,2,0.5,1.7,USD\n", 5, -1, -1, -1, {}},
        {"weekdays, newest first",
         "Date,Open,High,Low,Close,Day\n2024-01-04,1,2,0.5,1.5,Thu\n2024-01-03,1,2,0.5,1.6,Wed\n2024-01-02,1,2,0.5,1.7,Tue\n", 5, -1, -1, -1, {}},
    };
    for (const auto& c : kCases) {
        const DetectedLayout detected = DetectLayoutInLines(Lines(c.text));
        EXPECT_TRUE(detected.found) << c.szCase << ": " << detected.problem;
        if (!detected.found)
            continue;
        EXPECT_EQ(detected.column[4], c.close) << c.szCase;
        const TickerColumns columns = FindTickerColumns(Lines(c.text), DetectedInputLayout(detected));
        EXPECT_EQ(columns.ticker, c.ticker) << c.szCase;
        EXPECT_EQ(columns.name, c.name) << c.szCase;
        EXPECT_EQ(columns.period, c.period) << c.szCase;
        EXPECT_EQ(columns.tickers, c.tickers) << c.szCase;
    }
}

// What detect adds, and the periods that set a security's time frame.
TEST(TickersTest, SentencesNameTheSecuritiesAndPeriodsGiveTimeFrames)
{
    TickerColumns columns;
    columns.ticker = 0;
    columns.heading = "Symbol";
    columns.tickers = {"AAA"};
    columns.count = 1;
    EXPECT_EQ(TickerSentence(columns), " The security is named in column 1 (Symbol): AAA.");
    columns.tickers = {"A", "B", "C", "D", "E", "F"};
    columns.count = 2000;
    EXPECT_EQ(TickerSentence(columns), " It holds 2000 securities, named in column 1 (Symbol): A, B, C, D, E and 1995 more.");
    EXPECT_EQ(TickerSentence(TickerColumns{}), "");
    const struct {
        const char* szPeriod;
        FrameChoice frame;
    } kPeriods[] = {{"D", FrameChoice::kDaily},    {"w", FrameChoice::kWeekly},    {"M", FrameChoice::kMonthly},
                    {"I", FrameChoice::kIntraday}, {"5", FrameChoice::kIntraday}, {"X", FrameChoice::kFromDates},
                    {"", FrameChoice::kFromDates}};
    for (const auto& p : kPeriods)
        EXPECT_EQ(FrameOfPeriod(p.szPeriod), p.frame) << p.szPeriod;
}

// A ticker's gathered lines 1, 2, 3 are line 4 of a.csv and lines 2 and 9 of b.csv: messages name those.
TEST(TickersTest, MessagesNameTheLinesOfTheFilesTheRowsCameFrom)
{
    TickerGroup group;
    group.files = {0, 1};
    group.lines = {{0, 1, 4, 0}, {2, 1, 2, 1}, {4, 1, 9, 1}};
    const std::vector<std::string> shown = {"a.csv", "b.csv"};
    const struct {
        std::string text;
        std::string said;
    } kCases[] = {
        {"Rows of /abs/a.csv cannot be read:\nLine 2: the high `x` is not a number",
         "Rows of a.csv and 1 more file cannot be read:\nLine 2 of b.csv: the high `x` is not a number"},
        {"Lines 2 and 3 have the same date 2024-01-02", "Lines 2 and 9 of b.csv have the same date 2024-01-02"},
        {"Lines 1 and 3 have the same date 2024-01-02", "Line 4 of a.csv and line 9 of b.csv have the same date 2024-01-02"},
        {"Line 7: beyond the lines", "Line 7: beyond the lines"},
        {"Deadline 3", "Deadline 3"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(WithInputLines(c.text, group, shown, "/abs/a.csv", "a.csv and 1 more file"), c.said) << c.text;
    group.files = {1};
    EXPECT_EQ(WithInputLines("Line 3: x", group, shown, "", ""), "Line 9: x") << "one file: its own numbering";
}
