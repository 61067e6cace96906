// Files of many securities: convert refuses them naming the securities, detect names them, and batch
// makes one security per ticker from any number of such files, as export --all writes them back.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run_cli.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const std::string kExported = "<TICKER>,<NAME>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>,<OPENINT>\n";

class TickersTest : public ::testing::Test {
protected:
    std::string Input(const std::string& name, const std::string& text)
    {
        std::ofstream(m_dir / name, std::ios::binary) << text;
        return m_dir / name;
    }
    std::string Exported(const std::string& dir)
    {
        const CliResult result = RunCli({"export", m_dir / dir, "--all"});
        EXPECT_EQ(result.status, 0) << result.err;
        return result.out;
    }
    CTempDir m_dir;
};

// One row per security per day, ticker D close volume: "AAA,20240102,1.5,100".
std::string EndOfDay(const std::vector<std::string>& rows)
{
    std::string text = "Symbol,Date,Open,High,Low,Close,Volume\n";
    for (const std::string& row : rows) {
        const std::size_t a = row.find(','), b = row.find(',', a + 1), c = row.find(',', b + 1);
        const std::string close = row.substr(b + 1, c - b - 1);
        text += row.substr(0, b) + "," + close + "," + close + "," + close + "," + close + "," + row.substr(c + 1) + "\n";
    }
    return text;
}

}  // namespace

// convert refuses a file of several securities before writing anything and names them (five, then a
// count); one security in a ticker column converts; detect adds which column names the securities.
TEST_F(TickersTest, ConvertRefusesSeveralSecuritiesAndDetectNamesThem)
{
    std::vector<std::string> many;
    for (int i = 0; i < 2000; ++i)
        many.push_back(std::string(1, 'T').append(std::to_string(i)).append(",20240102,1.5,100"));
    const struct {
        const char* szFile;
        std::string text;
        int status;
        std::string err;
        std::string sentence;
    } kCases[] = {
        {"vendor.txt",
         "<TICKER>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\n"
         "AAA,D,20240102,000000,10,11,9,10.5,100\nAAA,D,20240103,000000,10.5,12,10,11,120\n"
         "BBBB,D,20240102,000000,20,21,19,20.5,200\nCC,D,20240102,000000,30,31,29,30.5,300\n",
         1, "vendor.txt holds 3 securities: AAA, BBBB, CC; convert them with batch",
         " It holds 3 securities, named in column 1 (<TICKER>): AAA, BBBB, CC."},
        {"market.csv", EndOfDay(many), 1,
         "market.csv holds 2000 securities: T0, T1, T2, T3, T4 and 1995 more; convert them with batch",
         " It holds 2000 securities, named in column 1 (Symbol): T0, T1, T2, T3, T4 and 1995 more."},
        {"one.csv", EndOfDay({"AAA,20240102,1.5,100", "AAA,20240103,1.6,110"}), 0, "",
         " The security is named in column 1 (Symbol): AAA."},
    };
    for (const auto& c : kCases) {
        const std::string file = Input(c.szFile, c.text);
        fs::create_directory(m_dir.Path() / "d");
        const fs::path cwd = fs::current_path();
        fs::current_path(m_dir.Path());
        const CliResult convert = RunCli({"convert", c.szFile, "--dir", "d", "--symbol", "X", "--detect"});
        fs::current_path(cwd);
        EXPECT_EQ(convert.status, c.status) << c.szFile << ": " << convert.err;
        if (!c.err.empty()) {
            EXPECT_NE(convert.err.find(c.err), std::string::npos) << c.szFile << ": " << convert.err;
        }
        EXPECT_EQ(fs::exists(m_dir.Path() / "d" / "MASTER"), c.status == 0) << c.szFile << ": nothing written on a refusal";
        const CliResult detect = RunCli({"detect", file});
        EXPECT_EQ(detect.status, 0) << detect.err;
        EXPECT_NE(detect.out.find(c.sentence + "\n"), std::string::npos) << c.szFile << ": " << detect.out;
        fs::remove_all(m_dir.Path() / "d");
    }
}

// The vendors' layout, a Symbol-first CSV with names, and the ticker after the date make the same
// securities; rows of one ticker in several files are gathered.
TEST_F(TickersTest, BatchMakesOneSecurityPerTickerInEveryLayout)
{
    const std::string expected = kExported +
                                 "AAA,Acme,D,20240102,000000,10,11,9,10.5,100,\nAAA,Acme,D,20240103,000000,10.5,12,10,11,120,\n"
                                 "BB,Bee,D,20240102,000000,20,21,19,20.5,200,\n";
    const struct {
        const char* szCase;
        std::vector<std::pair<std::string, std::string>> files;
        std::vector<std::string> options;
    } kCases[] = {
        {"vendor layout",
         {{"v.txt", "<TICKER>,<NAME>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\n"
                    "AAA,Acme,D,20240102,000000,10,11,9,10.5,100\nAAA,Acme,D,20240103,000000,10.5,12,10,11,120\n"
                    "BB,Bee,D,20240102,000000,20,21,19,20.5,200\n"}},
         {"--detect"}},
        {"Symbol first, in two files",
         {{"a.csv", "Symbol,Company,Date,Open,High,Low,Close,Volume\nAAA,Acme,2024-01-02,10,11,9,10.5,100\n"
                    "BB,Bee,2024-01-02,20,21,19,20.5,200\n"},
          {"b.csv", "Symbol,Company,Date,Open,High,Low,Close,Volume\nAAA,Acme,2024-01-03,10.5,12,10,11,120\n"}},
         {"--detect"}},
        {"ticker after the date, columns given",
         {{"c.csv", "2024-01-02,AAA,10,11,9,10.5,100,Acme\n2024-01-03,AAA,10.5,12,10,11,120,Acme\n"
                    "2024-01-02,BB,20,21,19,20.5,200,Bee\n"}},
         {"--date-format", "CCYY_MM_DD", "--open-col", "3", "--high-col", "4", "--low-col", "5", "--close-col", "6",
          "--volume-col", "7", "--oi-col", "off", "--ticker-col", "2", "--name-col", "8"}},
    };
    for (const auto& c : kCases)
        for (const char* szThreads : {"1", "4"}) {  // the tickers read ahead on workers or not
            std::vector<std::string> args = {"batch", m_dir / "out", "--threads", szThreads};
            for (const auto& [name, text] : c.files)
                args.push_back(Input(name, text));
            args.insert(args.end(), c.options.begin(), c.options.end());
            const CliResult batch = RunCli(args);
            EXPECT_EQ(batch.status, 0) << c.szCase << ": " << batch.err;
            EXPECT_EQ(batch.out.substr(0, batch.out.find("2 securities")), "AAA: added\nBB: added\n") << c.szCase;
            EXPECT_EQ(Exported("out"), expected) << c.szCase << ", threads " << szThreads;
            fs::remove_all(m_dir.Path() / "out");
        }
}

// Day files of a market in any order make each security's history; a ticker missing on a day has no bar
// then, a new one is added, and --update appends a later day to every security the directory holds.
TEST_F(TickersTest, DayFilesInAnyOrderMakeAndUpdateEachSecurity)
{
    const std::string day2 = Input("eod_20240102.csv", EndOfDay({"AAA,20240102,1.5,100", "BB,20240102,2.5,200"}));
    const std::string day3 = Input("eod_20240103.csv", EndOfDay({"AAA,20240103,1.6,110", "CC,20240103,3.6,310"}));
    const std::string day4 = Input("eod_20240104.csv", EndOfDay({"BB,20240104,2.7,220", "AAA,20240104,1.7,120",
                                                                 "CC,20240104,3.7,320"}));
    const std::string day5 = Input("eod_20240105.csv", EndOfDay({"DD,20240105,4.8,430", "AAA,20240105,1.8,130"}));
    const CliResult made = RunCli({"batch", m_dir / "out", day4, day2, day3, "--detect"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_TRUE(made.out.starts_with("BB: added\nAAA: added\nCC: added\n3 securities added, 0 updated, 0 failed, 7 records"))
        << made.out;
    const CliResult updated = RunCli({"batch", "--update", m_dir / "out", day5, day4, "--detect"});
    ASSERT_EQ(updated.status, 0) << updated.err;
    EXPECT_TRUE(updated.out.starts_with("DD: added\nAAA: updated\nBB: unchanged\nCC: unchanged\n")) << updated.out;
    const std::string exported = Exported("out");
    EXPECT_EQ(exported, kExported +
                            "BB,,D,20240102,000000,2.5,2.5,2.5,2.5,200,\nBB,,D,20240104,000000,2.7,2.7,2.7,2.7,220,\n"
                            "AAA,,D,20240102,000000,1.5,1.5,1.5,1.5,100,\nAAA,,D,20240103,000000,1.6,1.6,1.6,1.6,110,\n"
                            "AAA,,D,20240104,000000,1.7,1.7,1.7,1.7,120,\nAAA,,D,20240105,000000,1.8,1.8,1.8,1.8,130,\n"
                            "CC,,D,20240103,000000,3.6,3.6,3.6,3.6,310,\nCC,,D,20240104,000000,3.7,3.7,3.7,3.7,320,\n"
                            "DD,,D,20240105,000000,4.8,4.8,4.8,4.8,430,\n");
}

// A bad row, or a date given twice, fails its ticker alone, named with the file and the line; the other
// tickers are added; --skip-bad-rows skips such rows within their ticker, the first of a date kept.
TEST_F(TickersTest, ABadRowFailsItsTickerAloneNamingFileAndLine)
{
    const std::string day2 = Input("d2.csv", EndOfDay({"AAA,20240102,1.5,100", "BB,20240102,2.5,200"}));
    const std::string day3 = Input("d3.csv", EndOfDay({"AAA,20240103,1.x,110", "BB,20240102,2.6,210", "CC,20240103,3.6,310"}));
    const struct {
        std::vector<std::string> options;
        int status;
        std::string out;
        std::vector<std::string> said;
    } kCases[] = {
        {{}, 1, "AAA: refused: Rows of ", {"AAA: Rows of ", "Line 2 of ", "d3.csv: the open `1.x` is not a number",
                                        "BB: Rows of ", "Line 3 of ", "d2.csv and line 3 of ", "have the same date 2024-01-02"}},
        {{"--skip-bad-rows"}, 0, "AAA: added\nBB: added\n", {}},
    };
    for (const auto& c : kCases) {
        std::vector<std::string> args = {"batch", m_dir / "out", day2, day3, "--detect", "--threads", "3"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliResult batch = RunCli(args);
        EXPECT_EQ(batch.status, c.status) << batch.err;
        EXPECT_TRUE(batch.out.starts_with(c.out)) << batch.out;
        EXPECT_NE(batch.out.find("CC: added\n"), std::string::npos) << batch.out;
        for (const std::string& said : c.said)
            EXPECT_NE(batch.err.find(said), std::string::npos) << said << " in " << batch.err;
        fs::remove_all(m_dir.Path() / "out");
    }
}

// A dated row without a ticker belongs to no security: every ticker that its file could hold is refused
// rather than converted without it, or with --skip-bad-rows the row is skipped with a notice.
TEST_F(TickersTest, ARowWithoutATickerRefusesTheTickersOrIsSkipped)
{
    const std::string day = Input("d4.csv", EndOfDay({"AAA,20240104,1.5,100", ",20240104,9.5,900", "BB,20240104,2.5,200"}));
    const struct {
        std::vector<std::string> options;
        int status;
        std::string out;
        std::string said;
    } kCases[] = {
        {{}, 1, "AAA: refused: not converted: " + day + " has rows that name no ticker, and it may hold rows of this ticker\n",
         day + ": the row of line 3 names no ticker\n"},
        {{"--skip-bad-rows"}, 0, "AAA: added\nBB: added\n", day + ": the row of line 3 names no ticker; skipped\n"},
    };
    for (const auto& c : kCases) {
        std::vector<std::string> args = {"batch", m_dir / "out", day, "--detect"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliResult batch = RunCli(args);
        EXPECT_EQ(batch.status, c.status) << batch.err;
        EXPECT_TRUE(batch.out.starts_with(c.out)) << batch.out;
        EXPECT_NE(batch.err.find(c.said), std::string::npos) << batch.err;
        fs::remove_all(m_dir.Path() / "out");
    }
}

// export --all of a genuine directory, batch into a new one, and export --all again: the same securities
// and records, names cut to the 16 characters that MASTER holds. A directory of one security comes back
// under its symbol too, not the name of the exported file.
TEST_F(TickersTest, ExportAllAndBatchRebuildTheSameSecurities)
{
    fs::create_directory(m_dir.Path() / "one");
    ASSERT_EQ(RunCli({"convert", Input("p.csv", EndOfDay({"X,20240102,1.5,100", "X,20240103,1.6,110"})), "--dir",
                      m_dir / "one", "--symbol", "SOC", "--name", "Soci\xC3\xA9t\xC3\xA9", "--detect"}).status, 0);
    // An intraday and a weekly security too: the time column and each security's own frame come back.
    const struct {
        const char* symbol;
        const char* rows;
    } others[] = {{"BARS", "Date,Time,Open,High,Low,Close\n2024-01-02,09:30,1,2,0.5,1.5\n2024-01-02,09:35,1,2,0.5,1.5\n"
                           "2024-01-03,09:30,1,2,0.5,1.5\n2024-01-03,09:35:30,1,2,0.5,1.5\n"},
                  {"WK", "Date,Close\n2024-01-05,1\n2024-01-12,2\n2024-01-19,3\n2024-01-26,4\n"}};
    for (const auto& other : others)
        ASSERT_EQ(RunCli({"convert", Input(std::string(other.symbol) + ".csv", other.rows), "--dir", m_dir / "one", "--symbol",
                          other.symbol, "--detect"}).status, 0) << other.symbol;
    std::ofstream(m_dir / "one.txt", std::ios::binary) << Exported("one");
    const CliResult back = RunCli({"batch", m_dir / "back", m_dir / "one.txt", "--detect"});
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(Exported("back"), Exported("one"));
    const std::string listed = RunCli({"list", m_dir / "back", "--format", "csv"}).out;
    EXPECT_NE(listed.find("BARS,,F2.DAT,DTOHLC,intraday,2024-01-02,2024-01-03,4,"), std::string::npos) << listed;
    EXPECT_NE(listed.find("WK,,F3.DAT,DC,weekly,"), std::string::npos) << listed;

    const fs::path genuine = fs::path(QUOTEFORGE_GENUINE) / "futures-euro-oat";
    if (!fs::exists(genuine))
        GTEST_SKIP() << "no genuine directories beside the checkout";
    fs::copy(genuine, m_dir.Path() / "copy");
    const std::string first = Exported("copy");
    std::ofstream(m_dir / "all.txt", std::ios::binary) << first;
    const CliResult batch = RunCli({"batch", m_dir / "new", m_dir / "all.txt", "--detect"});
    ASSERT_EQ(batch.status, 0) << batch.err;
    const std::string second = Exported("new");
    // Field 2 is the name: the same as far as MASTER holds it.
    const auto withoutNames = [](const std::string& text, bool bCut) {
        std::string out;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find('\n', at);
            const std::string line = text.substr(at, end - at);
            const std::size_t a = line.find(','), b = line.find(',', a + 1);
            out += line.substr(0, a + 1) + line.substr(a + 1, std::min<std::size_t>(bCut ? 16 : 99, b - a - 1)) + line.substr(b) + "\n";
            at = end + 1;
        }
        return out;
    };
    EXPECT_EQ(withoutNames(second, false), withoutNames(first, true));
    EXPECT_GT(std::count(first.begin(), first.end(), '\n'), 700);
}

// A failing file-system call anywhere in a batch of ticker files (reading the inputs, the temporary file
// of the gathered rows, the directory's files) fails with a message, and the directory holds each
// ticker whole or not at all.
TEST_F(TickersTest, AFailingCallAnywhereLeavesEachTickerWholeOrAbsent)
{
    const std::string day2 = Input("d2.csv", EndOfDay({"AAA,20240102,1.5,100", "BB,20240102,2.5,200"}));
    const std::string day3 = Input("d3.csv", EndOfDay({"AAA,20240103,1.6,110", "BB,20240103,2.6,210", "CC,20240103,3.6,310"}));
    const std::vector<std::string> args = {"batch", m_dir / "out", day2, day3, "--detect"};
    std::size_t nCalls = 0;
    {
        CFaultFileSystem recorder;
        ASSERT_EQ(RunCli(args).status, 0);
        nCalls = recorder.calls.size();
    }
    const std::string whole = Exported("out");
    const auto linesOf = [](const std::string& text, const std::string& ticker) {
        std::string lines;
        for (std::size_t at = text.find('\n') + 1; at < text.size();) {
            const std::size_t end = text.find('\n', at);
            if (text.compare(at, ticker.size() + 1, ticker + ",") == 0)
                lines += text.substr(at, end + 1 - at);
            at = end + 1;
        }
        return lines;
    };
    for (std::size_t n = 1; n <= nCalls; ++n) {
        fs::remove_all(m_dir.Path() / "out");
        CliResult result;
        {
            CFaultFileSystem faults(static_cast<int>(n));
            result = RunCli(args);
        }
        EXPECT_TRUE(result.status == 0 || !result.err.empty()) << "call " << n << " failed without a message";
        if (!fs::exists(m_dir.Path() / "out" / "MASTER"))
            continue;
        const std::string exported = Exported("out");
        for (const char* ticker : {"AAA", "BB", "CC"}) {
            const std::string held = linesOf(exported, ticker);
            EXPECT_TRUE(held.empty() || held == linesOf(whole, ticker)) << "call " << n << ": " << ticker << " is not whole";
            EXPECT_TRUE(result.status != 0 || held == linesOf(whole, ticker)) << "call " << n << ": " << ticker << " is missing";
        }
    }
}
