// Files in the layouts that downloads come in: detect finds the options, and convert --detect writes
// exactly the rows of the file, oldest first.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run_cli.h"
#include "support/temp_dir.h"

namespace {

struct LayoutCase {
    const char* szCase;
    std::string text;
    std::string strExported;  // export of the security, CCYYMMDD dates, fields as detected
    const char* szDescribed = "";  // part of what detect says
};

const LayoutCase kCases[] = {
    {"every field quoted",
     "\"Date\",\"Open\",\"High\",\"Low\",\"Close\",\"Volume\"\n\"2018-05-23\",\"95.1800\",\"96.0000\",\"94.5\",\"95.5\",\"1000\"\n"
     "\"2018-05-24\",\"95.5\",\"97\",\"95\",\"96.25\",\"1200\"\n",
     "20180523,95.18,96,94.5,95.5,1000\n20180524,95.5,97,95,96.25,1200\n"},
    {"thousands inside quotes, a volume suffix, month names, newest first",
     "\"Date\",\"Price\",\"Open\",\"High\",\"Low\",\"Vol.\",\"Change %\"\n"
     "\"Mar 15, 2017\",\"102,799.9\",\"102,000.0\",\"103,000.5\",\"101,500.0\",\"1.25M\",\"0.5%\"\n"
     "\"Mar 14, 2017\",\"102,000.0\",\"101,000.0\",\"102,500.0\",\"100,750.5\",\"830.5K\",\"-0.2%\"\n",
     "20170314,101000,102500,100750.5,102000,830500\n20170315,102000,103000.5,101500,102799.9,1250000\n",
     "rows are newest first and will be written oldest first"},
    {"a billion suffix", "Date,Open,High,Low,Close,Volume\n2020-01-02,1,2,0.5,1.5,2B\n2020-01-03,1,2,0.5,1.5,3b\n",
     "20200102,1,2,0.5,1.5,2000000000\n20200103,1,2,0.5,1.5,3000000000\n"},
    {"one-digit month", "Date,Close\n2019/9/27,10\n2019/9/30,11\n", "20190927,10\n20190930,11\n"},
    {"one-digit month and day", "Date,Open,High,Low,Close,Volume\n8/25/2015,1,2,0.5,1.5,10\n8/26/2015,2,3,1.5,2.5,20\n",
     "20150825,1,2,0.5,1.5,10\n20150826,2,3,1.5,2.5,20\n"},
    {"DD-MMM-YY", "Date,Open,High,Low,Close,Volume\n14-Mar-17,1,2,0.5,1.5,100\n15-Mar-17,2,3,1.5,2.5,200\n",
     "20170314,1,2,0.5,1.5,100\n20170315,2,3,1.5,2.5,200\n", "(DD_MMM_YY)"},
    {"DD-MMM-CCYY in capitals", "Date,Open,High,Low,Close\n18-JAN-2023,1,2,0.5,1.5\n19-JAN-2023,2,3,1.5,2.5\n",
     "20230118,1,2,0.5,1.5\n20230119,2,3,1.5,2.5\n"},
    {"CCYY-MMM-DD", "Date,Close,Volume\n2017-Mar-14,1.5,10\n2017-Mar-15,2.5,20\n", "20170314,1.5,10\n20170315,2.5,20\n"},
    {"date and midnight in one field", "Date,Open,High,Low,Close,Volume\n2020-01-02 00:00:00,1,2,0.5,1.5,10\n2020-01-03 00:00:00,2,3,1.5,2.5,20\n",
     "20200102,1,2,0.5,1.5,10\n20200103,2,3,1.5,2.5,20\n", "times in the date column are all 00:00:00"},
    {"ISO date and time with a Z", "time,open,high,low,close\n2020-01-02T00:00:00Z,1,2,0.5,1.5\n2020-01-03T00:00:00Z,2,3,1.5,2.5\n",
     "20200102,1,2,0.5,1.5\n20200103,2,3,1.5,2.5\n"},
    {"digits only with a time", "Date,Open,High,Low,Close,Volume\n20200102 000000,1,2,0.5,1.5,10\n20200103 000000,2,3,1.5,2.5,20\n",
     "20200102,1,2,0.5,1.5,10\n20200103,2,3,1.5,2.5,20\n"},
    {"trading-platform export with tick and real volume",
     "<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<TICKVOL>,<VOL>,<SPREAD>\n"
     "2020.01.02,00:00,1.1,1.2,1.0,1.15,5000,100,2\n2020.01.03,00:00,1.15,1.25,1.1,1.2,6000,200,2\n",
     "20200102,1.1,1.2,1,1.15,100\n20200103,1.15,1.25,1.1,1.2,200\n", "volume taken from <VOL>, not <TICKVOL>"},
    {"a time column", "Date,Time,Open,High,Low,Close,Volume\n2020.01.02,00:00,1.1,1.2,1.0,1.15,100\n2020.01.03,00:00,1.15,1.25,1.1,1.2,200\n",
     "20200102,1.1,1.2,1,1.15,100\n20200103,1.15,1.25,1.1,1.2,200\n"},
    {"semicolons and decimal commas", "Datum;Eröffnung;Hoch;Tief;Schluss;Volumen\n13.01.2020;1,1052;1,1080;1,1000;1,1050;1000\n14.01.2020;1,1050;1,1100;1,1040;1,1090;1200\n",
     "20200113,1.1052,1.108,1.1,1.105,1000\n20200114,1.105,1.11,1.104,1.109,1200\n", "semicolon-delimited file"},
    {"semicolons with a heading", "Date;Open;High;Low;Close;Volume\n2020-01-02;1,5;2,5;1,25;2;10\n2020-01-03;2;3;1,75;2,5;20\n",
     "20200102,1.5,2.5,1.25,2,10\n20200103,2,3,1.75,2.5,20\n", "decimal comma"},
    {"a first heading field that is empty", ",Date,Open,High,Low,Close,Volume\n0,2020-01-02,1,2,0.5,1.5,10\n1,2020-01-03,2,3,1.5,2.5,20\n",
     "20200102,1,2,0.5,1.5,10\n20200103,2,3,1.5,2.5,20\n"},
    {"close headed Close/Last, newest first", "Date,Close/Last,Volume,Open,High,Low\n01/14/2020,2.5,20,2,3,1.5\n01/13/2020,1.5,10,1,2,0.5\n",
     "20200113,1,2,0.5,1.5,10\n20200114,2,3,1.5,2.5,20\n"},
    {"close headed Last", "Date,Open,High,Low,Last\n2020-01-02,1,2,0.5,1.5\n2020-01-03,2,3,1.5,2.5\n",
     "20200102,1,2,0.5,1.5\n20200103,2,3,1.5,2.5\n"},
    {"leading ticker and period", "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\nACME,D,20200102,000000,1,2,0.5,1.5,10\n"
     "ACME,D,20200103,000000,2,3,1.5,2.5,20\n",
     "20200102,1,2,0.5,1.5,10\n20200103,2,3,1.5,2.5,20\n"},
    {"adjusted close beside the close", "Date,Open,High,Low,Close,Adj Close,Volume\n2020-01-02,1,2,0.5,1.5,1.4,10\n2020-01-03,2,3,1.5,2.5,2.4,20\n",
     "20200102,1,2,0.5,1.5,10\n20200103,2,3,1.5,2.5,20\n", "close taken from Close, not Adj Close"},
    {"volume in coins", "Unix,Date,Symbol,Open,High,Low,Close,Volume BTC,Volume USD\n1,2020-01-02,BTCUSD,1,2,0.5,1.5,10,15\n"
     "2,2020-01-03,BTCUSD,2,3,1.5,2.5,20,50\n",
     "20200102,1,2,0.5,1.5,10\n20200103,2,3,1.5,2.5,20\n"},
    {"tick volume only", "Date,Open,High,Low,Close,Tick Volume\n2020-01-02,1,2,0.5,1.5,10\n2020-01-03,2,3,1.5,2.5,20\n",
     "20200102,1,2,0.5,1.5,10\n20200103,2,3,1.5,2.5,20\n"},
    {"open interest headed Open Interest", "Date,Open,High,Low,Close,Volume,Open Interest\n2020-01-02,1,2,0.5,1.5,10,7\n2020-01-03,2,3,1.5,2.5,20,8\n",
     "20200102,1,2,0.5,1.5,10,7\n20200103,2,3,1.5,2.5,20,8\n"},
    {"open interest headed OpenInt", "Date,Open,High,Low,Close,Volume,OpenInt\n20200102,1,2,0.5,1.5,10,7\n20200103,2,3,1.5,2.5,20,8\n",
     "20200102,1,2,0.5,1.5,10,7\n20200103,2,3,1.5,2.5,20,8\n"},
    {"quoted headings in lower case", "\"date\",\"open\",\"high\",\"low\",\"close\",\"oi\"\n\"2020-01-02\",1,2,0.5,1.5,7\n\"2020-01-03\",2,3,1.5,2.5,8\n",
     "20200102,1,2,0.5,1.5,7\n20200103,2,3,1.5,2.5,8\n"},
    {"symbol before the date", "Symbol,Date,Open,High,Low,Close,Volume\nACME,2020-01-02,1,2,0.5,1.5,10\nACME,2020-01-03,2,3,1.5,2.5,20\n",
     "20200102,1,2,0.5,1.5,10\n20200103,2,3,1.5,2.5,20\n"},
    {"a holiday row without prices", "Date,Open,High,Low,Close,Volume\n2020-01-02,1,2,0.5,1.5,10\n2020-01-03,null,null,null,null,null\n"
     "2020-01-06,2,3,1.5,2.5,20\n",
     "20200102,1,2,0.5,1.5,10\n20200106,2,3,1.5,2.5,20\n"},
    {"space-delimited", "Date Open High Low Close Volume\n20200102 1 2 0.5 1.5 10\n20200103 2 3 1.5 2.5 20\n", "20200102,1,2,0.5,1.5,10\n20200103,2,3,1.5,2.5,20\n"},
    {"tab-delimited with CR LF", "Date\tOpen\tHigh\tLow\tClose\r\n01/13/20\t1\t2\t0.5\t1.5\r\n01/14/20\t2\t3\t1.5\t2.5\r\n",
     "20200113,1,2,0.5,1.5\n20200114,2,3,1.5,2.5\n"},
    {"a UTF-8 byte-order mark", "\xEF\xBB\xBF" "Date,Open,High,Low,Close\n2020-01-02,1,2,0.5,1.5\n2020-01-03,2,3,1.5,2.5\n",
     "20200102,1,2,0.5,1.5\n20200103,2,3,1.5,2.5\n"},
    {"CR-only line ends", "Date,Open,High,Low,Close\r2020-01-02,1,2,0.5,1.5\r2020-01-03,2,3,1.5,2.5\r",
     "20200102,1,2,0.5,1.5\n20200103,2,3,1.5,2.5\n"},
    {"decimal commas inside quotes", "Date,Open,High,Low,Close\n\"13.01.2020\",\"1,5\",\"2,5\",\"1,25\",\"2\"\n\"14.01.2020\",\"2\",\"3\",\"1,75\",\"2,5\"\n",
     "20200113,1.5,2.5,1.25,2\n20200114,2,3,1.75,2.5\n"},
    {"dates from before 1961", "Date,Close\n1950-01-03,16.66\n1950-01-04,16.85\n", "19500103,16.66\n19500104,16.85\n"},
};

}  // namespace

TEST(Layouts, DetectFindsTheOptionsAndConvertWritesExactlyTheRows)
{
    ASSERT_GE(std::size(kCases), 30u);
    const CTempDir dir;
    int n = 0;
    for (const LayoutCase& c : kCases) {
        SCOPED_TRACE(c.szCase);
        const std::string input = (dir / ("prices" + std::to_string(++n) + ".csv"));
        const std::string out = (dir / ("out" + std::to_string(n)));
        WriteText(input, c.text);
        std::filesystem::create_directory(out);
        const CliResult detected = RunCli({"detect", input});
        EXPECT_EQ(detected.status, 0) << detected.err;
        EXPECT_NE(detected.out.find(c.szDescribed), std::string::npos) << detected.out;
        const CliResult converted = RunCli({"convert", input, "--dir", out, "--symbol", "X", "--detect"});
        EXPECT_EQ(converted.status, 0) << converted.err;
        const CliResult exported = RunCli({"export", out, "X"});
        EXPECT_EQ(exported.status, 0) << exported.err;
        EXPECT_EQ(exported.out, c.strExported) << detected.out;
    }
}

// detect names a frame other than daily in its sentence and gives it as --frame among the options.
TEST(Layouts, DetectNamesTheTimeFrameAndItsOption)
{
    const struct {
        const char* szCase;
        std::string text;
        const char* szSentence;
        const char* szOptionsEnd;
    } cases[] = {
        {"daily", "Date,Close\n2020-01-02,1\n2020-01-03,2\n2020-01-06,3\n", "comma-delimited file with 1 heading row",
         "--oi-col off\n"},
        {"monthly", "Date,Close\n2020-01-31,1\n2020-02-28,2\n2020-03-31,3\n", "file of monthly bars, one a month, with",
         "--oi-col off --frame monthly\n"},
        {"intraday bars", "Date,Time,Open,High,Low,Close\n2020-01-02,09:30,1,2,0.5,1.5\n2020-01-02,10:30,1,2,0.5,1.5\n",
         "file of 60-minute bars, 2 a day, with", "--oi-col off --frame intraday\n"},
    };
    const CTempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szCase);
        WriteText(dir / "prices.csv", c.text);
        const CliResult detected = RunCli({"detect", dir / "prices.csv"});
        EXPECT_EQ(detected.status, 0) << detected.err;
        EXPECT_NE(detected.out.find(c.szSentence), std::string::npos) << detected.out;
        EXPECT_TRUE(detected.out.ends_with(c.szOptionsEnd)) << detected.out;
    }
}

TEST(Layouts, FilesDetectionCannotReadAreRefusedWithTheReason)
{
    const struct {
        const char* szCase;
        std::string text;
        const char* szReason;
    } cases[] = {
        {"four prices whose open and close the values do not tell", "981230 10 11 9 10.5\n981231 10.5 12 10 11\n990104 11 12 10 11.5\n",
         "Give --open-col and --close-col with what detection found: --delimiter space --date-format YYMMDD --skip 0 "
         "--date-col 1 --high-col 3 --low-col 4 --volume-col off --oi-col off"},
        {"two prices that no heading names", "2020-01-02,1.5,1.6\n2020-01-03,2.5,2.6\n", "no heading names the close"},
        {"dates before 1900", "Date,Close\n1899-12-29,1\n1899-12-30,2\n", "before 1900"},
    };
    const CTempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szCase);
        WriteText(dir / "prices.csv", c.text);
        const CliResult detected = RunCli({"detect", dir / "prices.csv"});
        EXPECT_EQ(detected.status, 1);
        EXPECT_NE(detected.err.find(c.szReason), std::string::npos) << detected.err;
    }
}

// A security without a single record would be no security: an input that gives none is refused by every
// command that converts, naming the file, and nothing is written (in a batch, that file fails alone).
TEST(Layouts, AnInputWithoutAPriceRowIsRefusedAndWritesNothing)
{
    const std::vector<std::string> kLayout = {"--date-format", "CCYY_MM_DD", "--close-col", "2",  "--open-col", "off",
                                              "--high-col",    "off",        "--low-col",   "off", "--volume-col", "off",
                                              "--oi-col",      "off"};
    const struct {
        const char* szCase;
        const char* szText;  // nullptr: /dev/null
        std::vector<std::string> options;
    } inputs[] = {
        {"a 0-byte file", "", {}},
#ifndef _WIN32
        {"/dev/null", nullptr, {}},
#endif
        {"blank lines and delimiters only", "\n  \n,\n", {}},
        {"a heading that is skipped", "Date,Close\n", {"--skip", "1"}},
        {"rows without prices", "2020-01-02,\n2020-01-03,null\n", {}},
        {"every row bad and skipped", "1899-12-29,1\n1899-12-30,2\n", {"--skip-bad-rows"}},
    };
    for (const auto& input : inputs)
        for (const char* szCommand : {"convert", "convert --update", "batch", "batch --update"}) {
            SCOPED_TRACE(std::string(input.szCase) + ", " + szCommand);
            const bool bBatch = szCommand[0] == 'b';
            const CTempDir dir;
            const std::string out = dir / "out";
            std::vector<std::string> options = kLayout;
            options.insert(options.end(), input.options.begin(), input.options.end());
            // Rows that every case reads as they stand, past a heading that one case skips.
            const bool bSkipsHeading = !input.options.empty() && input.options[0] == "--skip";
            const std::string good = std::string(bSkipsHeading ? "Date,Close\n" : "") + "2020-01-02,1.5\n";
            WriteText(dir / "GOOD.csv", good);
            WriteText(dir / "OTHER.csv", good);
            std::vector<std::string> held = {"convert", dir / "GOOD.csv", "--dir", out, "--symbol", "HELD"};
            held.insert(held.end(), options.begin(), options.end());
            std::filesystem::create_directory(out);
            ASSERT_EQ(RunCli(held).status, 0);
            // In a batch the symbol is the file's name: HELD, the security that an update appends to.
            const std::string path = input.szText ? dir / "HELD.csv" : "/dev/null";
            if (input.szText)
                WriteText(path, input.szText);
            const DirectoryBytes before = SnapshotOf(out);
            std::vector<std::string> args = bBatch ? std::vector<std::string>{"batch", out, dir / "OTHER.csv", path}
                                                   : std::vector<std::string>{"convert", path, "--dir", out, "--symbol", "HELD"};
            if (std::string(szCommand).ends_with("--update"))
                args.push_back("--update");
            args.insert(args.end(), options.begin(), options.end());
            const CliResult refused = RunCli(args);
            EXPECT_EQ(refused.status, 1) << refused.out;
            EXPECT_NE(PathKey(refused.err).find(PathKey(path + " holds no price rows")), std::string::npos) << refused.err;
            if (bBatch) {
                EXPECT_EQ(RunCli({"export", out, "OTHER"}).out, "20200102,1.5\n") << "the other file is converted";
                EXPECT_EQ(RunCli({"export", out, "HELD"}).out, "20200102,1.5\n");
                EXPECT_EQ(RunCli({"export", out, "NULL"}).status, 1);
            } else {
                EXPECT_EQ(SnapshotOf(out), before);
            }
        }
}

TEST(Layouts, ABadRowAmongTheDatesIsNamedNotTakenForAHeading)
{
    const CTempDir dir;
    WriteText(dir / "prices.csv", "Date,Open,High,Low,Close\n2020-01-02,1,2,0.5,1.5\n2020-01-03,1,12.5abc,0.5,1.5\n"
                                  "2020-02-30,1,2,0.5,1.5\n2020-01-06,1,2,0.5,1.5\n2020-01-07,1,2,0.5,1.5\n");
    std::filesystem::create_directory(dir / "out");
    const CliResult converted = RunCli({"convert", dir / "prices.csv", "--dir", dir / "out", "--symbol", "X", "--detect"});
    EXPECT_EQ(converted.status, 1);
    EXPECT_NE(converted.err.find("Line 3: the high `12.5abc` is not a number Line 4: 2020-02-30 is not a date Nothing was "
                                 "converted."),
              std::string::npos)
        << converted.err;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dir / "out") / "MASTER"));
}

TEST(Layouts, IntradayBarsConvertWithDetectAsBarsOrCombinedIntoDays)
{
    const CTempDir dir;
    WriteText(dir / "bars.csv", "Date,Time,Open,High,Low,Close,Volume\n2020-01-02,09:30,1,2,0.5,1.5,10\n"
                                "2020-01-02,10:30,1.5,3,1,2.5,20\n2020-01-03,09:30,2,2,2,2,5\n");
    std::filesystem::create_directory(dir / "out");
    const std::vector<std::string> convert = {"convert", dir / "bars.csv", "--dir", dir / "out", "--symbol", "X", "--detect"};
    std::vector<std::string> bars = convert;
    bars[5] = "BARS";
    const CliResult intraday = RunCli(bars);
    EXPECT_EQ(intraday.status, 0) << intraday.err;
    EXPECT_EQ(intraday.out, "BARS: F1.DAT, 3 records, 2020-01-02 09:30 to 2020-01-03 09:30, 60-minute bars\n");
    std::vector<std::string> daily = convert;
    daily.push_back("--daily");
    const CliResult combined = RunCli(daily);
    EXPECT_EQ(combined.status, 0) << combined.err;
    EXPECT_EQ(RunCli({"export", dir / "out", "X"}).out, "20200102,1,3,0.5,2.5,30\n20200103,2,2,2,2,5\n");
}

TEST(Layouts, InABatchAFileWithBadRowsFailsAloneWithItsLines)
{
    const CTempDir dir;
    WriteText(dir / "GOOD.csv", "Date,Close\n2020-01-02,1.5\n2020-01-03,2.5\n");
    WriteText(dir / "BAD.csv", "Date,Close\n2020-01-02,1.5\n2020-01-03,2.5x\n");
    WriteText(dir / "ALSO.csv", "Date,Close\n2020-01-06,3\n");
    const CliResult result = RunCli({"batch", dir / "out", dir / "GOOD.csv", dir / "BAD.csv", dir / "ALSO.csv", "--detect"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Line 3: the close `2.5x` is not a number"), std::string::npos) << result.err;
    EXPECT_EQ(RunCli({"export", dir / "out", "GOOD"}).out, "20200102,1.5\n20200103,2.5\n");
    EXPECT_EQ(RunCli({"export", dir / "out", "ALSO"}).out, "20200106,3\n");
    EXPECT_EQ(RunCli({"export", dir / "out", "BAD"}).status, 1);
}
