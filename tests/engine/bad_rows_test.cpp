// Every record written is a row of the input, or the run refuses, names the lines, and writes nothing.

#include <string>

#include <gtest/gtest.h>

#include "test_job.h"

namespace {

struct Outcome {
    int nStatus = -1;
    std::string strMessage;  // the messages joined, the input's path shown as INPUT
    std::string strNotes;    // what the summary says of the rows
    std::string strSkipped;  // the rows left out, with their reasons
    Rows records;
    bool bMaster = false;
};

struct Options {
    int nDateFormat = 3;
    bool bDaily = false;
    bool bSkipBadRows = false;
    int nTimeColumn = -1;  // a column before the prices, which then move one to the right
    bool bNoOpen = false;  // the open is not converted: records of six fields
    int nSkip = 0;
};

// Converts text with all seven fields in columns 1 to 7 (after the time column, when there is one).
Outcome Convert(const std::string& text, const Options& options = {})
{
    CTempDir dir;
    WriteText(dir / "input.txt", text);
    CTestJob test(dir / "input.txt", dir.Path());
    test.job.layout.dateFormat = options.nDateFormat;
    test.job.layout.combineIntraday = options.bDaily;
    test.job.layout.skipBadRows = options.bSkipBadRows;
    if (options.nTimeColumn >= 0)
        for (int field = kOpenField; field < kFieldCount; ++field)
            ++test.job.layout.fieldColumn[static_cast<std::size_t>(field)];
    test.job.layout.fieldOn[kOpenField] = !options.bNoOpen;
    test.job.layout.skipRows = options.nSkip;
    Outcome outcome;
    outcome.nStatus = test.Run();
    for (std::string message : test.recorder.messages) {
        const std::size_t at = message.find(test.job.inputPath);
        if (at != std::string::npos)
            message.replace(at, test.job.inputPath.size(), "INPUT");
        outcome.strMessage += message;
    }
    outcome.strNotes = test.result.rowNotes;
    outcome.strSkipped = test.result.skippedRows;
    // An intraday security's records hold the time after the date.
    const bool bTimes = test.result.frame == TimeFrame::kIntraday;
    outcome.records = DataRecords(dir / "F1.DAT", test.FieldsOn() + (bTimes ? 1 : 0));
    outcome.bMaster = fs::exists(dir / "MASTER");
    return outcome;
}

std::string Refused(const std::string& lines)
{
    return "Rows of INPUT cannot be read:\n" + lines + "\nNothing was converted.";
}

}  // namespace

TEST(BadRows, EachRowIsReadExactlyOrTheRunRefusesWithItsLine)
{
    const struct {
        const char* szCase;
        std::string text;
        Options options;
        std::string strMessage;  // empty: the run succeeds
        Rows records;
        std::string strNotes;
    } cases[] = {
        {"quoted numbers", "\"01/02/98\",\"95.1800\",\"96\",\"94.5\",\"95.5\",\"1000\",\"0\"\n", {}, "",
         {{980102, 95.18f, 96, 94.5f, 95.5f, 1000, 0}}, ""},
        {"a row without prices is skipped", "01/02/98,1,2,0.5,1.5,100,7\n01/05/98,,,,,0,0\n01/06/98,null,NaN,-,,,\n", {}, "",
         {{980102, 1, 2, 0.5f, 1.5f, 100, 7}}, "2 rows without prices skipped"},
        {"a missing volume and open interest read as 0", "01/02/98,1,2,0.5,1.5,100,7\n01/05/98,1,2,0.5,1.5\n", {}, "",
         {{980102, 1, 2, 0.5f, 1.5f, 100, 7}, {980105, 1, 2, 0.5f, 1.5f, 0, 0}}, ""},
        {"a short row takes nothing from the row before", "01/02/98,1,2,0.5,1.5,100,7\n01/05/98,1,,0.5,1.5,0,0\n", {},
         Refused("Line 2: the high is missing"), {}, ""},
        {"newest first", "01/05/98,2,2,2,2,2,2\n01/02/98,1,1,1,1,1,1\n", {}, "",
         {{980102, 1, 1, 1, 1, 1, 1}, {980105, 2, 2, 2, 2, 2, 2}}, "rows were newest first; written oldest first"},
        {"out of order", "01/05/98,2,2,2,2,2,2\n01/02/98,1,1,1,1,1,1\n01/06/98,3,3,3,3,3,3\n", {}, "",
         {{980102, 1, 1, 1, 1, 1, 1}, {980105, 2, 2, 2, 2, 2, 2}, {980106, 3, 3, 3, 3, 3, 3}},
         "rows were out of date order; written oldest first"},
        {"a row given twice is written once", "01/02/98,1,2,0.5,1.5,100,7\n01/02/98,1,2,0.5,1.5,100,7\n01/05/98,2,2,2,2,2,2\n",
         {}, "", {{980102, 1, 2, 0.5f, 1.5f, 100, 7}, {980105, 2, 2, 2, 2, 2, 2}}, "1 row repeating the row before left out"},
        {"text after the last row is a footer", "01/02/98,1,2,0.5,1.5,100,7\n\nData provided by Example Corp.\n(c) 1998\n", {}, "",
         {{980102, 1, 2, 0.5f, 1.5f, 100, 7}}, "2 lines of text after the last row left out"},
        {"text with a row after it is a row that cannot be read", "01/02/98,1,2,0.5,1.5,100,7\nDividend 0.25\n01/05/98,2,2,2,2,2,2\n",
         {}, Refused("Line 2: Dividend 0.25 is not a date"), {}, ""},
        {"a row cut short at the end is no footer", "01/02/98,1,2,0.5,1.5,100,7\n01/0\n", {},
         Refused("Line 2: 01/0 is not a date"), {}, ""},
        {"intraday in the date", "01/02/98 09:30,1,2,1,2,5,1\n01/02/98 10:30,2,3,1,2,5,1\n", {}, "",
         {{980102, 93000, 1, 2, 1, 2, 5, 1}, {980102, 103000, 2, 3, 1, 2, 5, 1}}, ""},
        {"intraday in an ISO date", "2024-01-02 09:30,1,2,1,2,5,1\n2024-01-02 10:30,2,3,1,2,5,1\n", {2}, "",
         {{1240102, 93000, 1, 2, 1, 2, 5, 1}, {1240102, 103000, 2, 3, 1, 2, 5, 1}}, ""},
        {"intraday in an ISO date combined", "2024-01-02 09:30,1,2,1,2,5,1\n2024-01-02 10:30,2,3,1,2,5,1\n", {2, true},
         "", {{1240102, 1, 3, 1, 2, 10, 1}}, "intraday bars combined into 1 day"},
        {"intraday in a time column", "01/02/98,09:30,1,2,1,2,5,1\n01/02/98,10:30,2,3,1,2,5,1\n", {3, false, false, 1}, "",
         {{980102, 93000, 1, 2, 1, 2, 5, 1}, {980102, 103000, 2, 3, 1, 2, 5, 1}}, ""},
        {"intraday combined", "01/02/98,10:30,2,4,1.5,3,5,8\n01/02/98,09:30,1,2,1,2,5,7\n01/05/98,09:30,3,3,3,3,3,3\n",
         {3, true, false, 1}, "", {{980102, 1, 4, 1, 3, 10, 8}, {980105, 3, 3, 3, 3, 3, 3}},
         "rows were out of date order; written oldest first; intraday bars combined into 1 day"},
        {"dates from 1900", "01/02/1900,1,1,1,1,1,1\n12/31/1960,1,1,1,1,1,1\n", {4}, "",
         {{102, 1, 1, 1, 1, 1, 1}, {601231, 1, 1, 1, 1, 1, 1}}, ""},
        {"dates before 1900", "12/31/1899,1,1,1,1,1,1\n", {4},
         Refused("Line 1: 12/31/1899 lies outside the years 1900 to 2140"), {}, ""},
        {"not wholly a number", "01/02/98,1,12.5abc,1,1,1,1\n", {}, Refused("Line 1: the high `12.5abc` is not a number"),
         {}, ""},
        // The rest of an overlong line would read as a row of its own.
        {"a line too long to read whole", "01/02/98,1,1,1,1,1,1" + std::string(1024 * 1024 - 20, ' ') + "01/05/98,2,2,2,2,2,2\n",
         {}, Refused("Line 1: the line is longer than 1048576 characters"), {}, ""},
        {"no roll-over", "01/02/98,1,1,1,1,1,1\n02/30/98,1,1,1,1,1,1\n", {}, Refused("Line 2: 02/30/98 is not a date"), {},
         ""},
        {"a doubled separator", "2017-03-13,1,1,1,1,1,1\n2017-03--14,1,1,1,1,1,1\n", {2},
         Refused("Line 2: 2017-03--14 is not a date"), {}, ""},
        {"no 29 February in 2100", "29/02/2100,1,1,1,1,1,1\n", {6}, Refused("Line 1: 29/02/2100 is not a date"), {}, ""},
        {"one-digit month and day", "1/5/98,1,1,1,1,1,1\n", {}, "", {{980105, 1, 1, 1, 1, 1, 1}}, ""},
        {"byte-order mark", "\xEF\xBB\xBF" "01/02/98,1,1,1,1,1,1\r01/05/98,2,2,2,2,2,2\r", {}, "",
         {{980102, 1, 1, 1, 1, 1, 1}, {980105, 2, 2, 2, 2, 2, 2}}, ""},
        {"the same date twice", "01/02/98,1,1,1,1,1,1\n01/02/98,2,2,2,2,2,2\n", {},
         Refused("Lines 1 and 2 have the same date 1998-01-02"), {}, ""},
        // Lines are named as the file has them, whatever order the rows are written in, and past blank
        // lines, skipped lines and rows without prices.
        {"the same date twice, out of order", "Date\n01/05/98,1,1,1,1,1,1\n\n01/06/98,,,,,0,0\n01/02/98,2,2,2,2,2,2\n01/05/98,3,3,3,3,3,3\n",
         {3, false, false, -1, false, 1}, Refused("Lines 2 and 6 have the same date 1998-01-05"), {}, ""},
        {"the same date twice, newest first", "01/06/98,1,1,1,1,1,1\n01/05/98,2,2,2,2,2,2\n\n01/05/98,3,3,3,3,3,3\n", {},
         Refused("Lines 2 and 4 have the same date 1998-01-05"), {}, ""},
        {"intraday combined, newest first, without the open",
         "01/05/98,10:30,9,4,3,4,2,6\n01/05/98,09:30,9,5,1,2,1,5\n01/02/98,09:30,9,3,3,3,3,3\n", {3, true, false, 1, true}, "",
         {{980102, 3, 3, 3, 3, 3}, {980105, 5, 1, 4, 3, 6}},
         "rows were newest first; written oldest first; intraday bars combined into 1 day"},
        {"five lines named, the rest counted", "a\nb\nc\nd\ne\nf\ng\n", {},
         Refused("Line 1: a is not a date\nLine 2: b is not a date\nLine 3: c is not a date\nLine 4: d is not a date\n"
                 "Line 5: e is not a date\nand 2 more rows that cannot be read"),
         {}, ""},
        {"one row counted past the five", "a\nb\nc\nd\ne\nf\n", {},
         Refused("Line 1: a is not a date\nLine 2: b is not a date\nLine 3: c is not a date\nLine 4: d is not a date\n"
                 "Line 5: e is not a date\nand 1 more row that cannot be read"),
         {}, ""},
        {"bad rows skipped when asked", "01/02/98,1,1,1,1,1,1\n01/05/98,x,1,1,1,1,1\n01/06/98,3,3,3,3,3,3\n",
         {3, false, true}, "", {{980102, 1, 1, 1, 1, 1, 1}, {980106, 3, 3, 3, 3, 3, 3}},
         "1 row that cannot be read skipped"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szCase);
        const Outcome outcome = Convert(c.text, c.options);
        EXPECT_EQ(outcome.nStatus != 0, !c.strMessage.empty());
        EXPECT_EQ(outcome.strMessage, c.strMessage);
        EXPECT_EQ(outcome.records, c.records);
        EXPECT_EQ(outcome.bMaster, c.strMessage.empty()) << "a refused run writes nothing";
        if (c.strMessage.empty()) {
            EXPECT_EQ(outcome.strNotes, c.strNotes);
        }
    }
}

TEST(BadRows, SkippedRowsAreListedWithTheirReasons)
{
    Options options;
    options.bSkipBadRows = true;
    const Outcome outcome = Convert("01/02/98,1,1,1,1,1,1\n01/05/98,x,1,1,1,1,1\n01/06/98,3,3,3,3,3,3\n01/06/98,4,4,4,4,4,4\n",
                                    options);
    EXPECT_EQ(outcome.nStatus, 0);
    EXPECT_EQ(outcome.strSkipped, "Line 2: the open `x` is not a number\nLines 3 and 4 have the same date 1998-01-06");
}
