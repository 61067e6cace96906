// quoteforge-cli batch: symbols, overflow into numbered sub-directories, failing files, and the bytes
// against one convert per file.

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>
#include <string>
#include <vector>

#include "metastock/file_names.h"
#include "metastock/path_text.h"
#include "run_cli.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// prefix, i and extension as one name, built without the string concatenation that GCC 12 warns about at -O2.
std::string NumberedName(const char* prefix, int i, const char* extension = ".csv")
{
    std::string name = prefix;
    name += std::to_string(i);
    name += extension;
    return name;
}

// A price file of a few days whose prices depend on seed, with a ticker and a name column at the end.
std::string Prices(int seed, int rows = 3, const std::string& ticker = "tkr", const std::string& name = "Some Name")
{
    std::string text = "Date,Open,High,Low,Close,Volume,OpenInt,Ticker,Name\n";
    for (int day = 1; day <= rows; ++day) {
        const std::string price = std::to_string(10 + seed) + "." + std::to_string(day);
        text += "01/" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "/2024," + price + "," + price +
                "," + price + "," + price + "," + std::to_string(1000 * seed + day) + ",7," + ticker + "," + name +
                "\n";
    }
    return text;
}

// The symbols of a MASTER in record order.
std::vector<std::string> Symbols(const fs::path& master)
{
    const std::vector<unsigned char> bytes = ReadBytes(master);
    std::vector<std::string> symbols;
    for (std::size_t at = 53; at + 53 <= bytes.size(); at += 53) {
        std::string symbol(bytes.begin() + static_cast<long>(at) + 36, bytes.begin() + static_cast<long>(at) + 52);
        symbol.erase(symbol.find_last_not_of(' ') + 1);
        symbols.push_back(symbol);
    }
    return symbols;
}

class BatchTest : public ::testing::Test {
protected:
    // name is UTF-8 text, as a user types it on every platform.
    std::string Input(const std::string& name, const std::string& text)
    {
        const fs::path path = m_dir.Path() / metastock::PathFromText(name);
        WriteText(path, text);
        return metastock::TextFromPath(path);
    }

    CliResult Batch(const std::vector<std::string>& files, std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {"batch", m_dir / "out"};
        args.insert(args.end(), files.begin(), files.end());
        args.insert(args.end(), {"--date-format", "MM_DD_CCYY", "--skip", "1"});
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(args);
    }

    CKeepWorkingDirectory m_keep;
    CTempDir m_dir;
};

TEST_F(BatchTest, SymbolComesFromTheFileNameOrAColumnUpperCasedAndCutToSixteenCharacters)
{
    struct Case {
        std::string file;
        std::vector<std::string> options;
        std::string ticker;
        std::string symbol;
        std::string notice;  // part of standard error; empty when nothing is said
    };
    const std::vector<Case> cases = {
        {"msft.csv", {}, "x", "MSFT", ""},
        {"brk.b.txt", {}, "x", "BRK.B", ""},
        {"abcdefghijklmnopqrs.csv", {}, "x", "ABCDEFGHIJKLMNOP", "symbol ABCDEFGHIJKLMNOPQRS cut to 16 characters"},
        {"any.csv", {"--symbol-from", "column", "8"}, "ibm  ", "IBM", ""},
        {"any.csv", {"--symbol-from", "column", "8"}, "averyveryverylongticker", "AVERYVERYVERYLON", "cut to 16"},
        {"any.csv", {"--symbol-from", "column", "10"}, "x", "", "the first data row has no column 10"},
        {"any.csv", {"--symbol-from", "column", "8"}, " \xC3\xA9t\xC3\xA9 ", "\xC9T\xC9", ""},  // " été " as Windows-1252
        {"m\xC3\xBCller-aktien-gesellschaft.csv", {}, "x", "M\xDCLLER-AKTIEN-GE", "cut to 16 characters: M\xC3\x9CLLER-AKTIEN-GE"},
        {"\xCE\xA9mega.csv", {}, "x", "", "holds \"\xCE\xA9\", a character that MetaStock files cannot store"},
        {"any.csv", {"--name-from", "column", "8"}, "\xCE\xA9", "", "The Name holds \"\xCE\xA9\""},
    };
    for (const Case& c : cases) {
        CTempDir scratch;
        fs::create_directory(scratch.Path() / "in");
        const fs::path inputPath = scratch.Path() / "in" / metastock::PathFromText(c.file);
        WriteText(inputPath, Prices(1, 3, c.ticker));
        const std::string input = metastock::TextFromPath(inputPath);
        std::vector<std::string> args = {"batch", scratch / "out", input, "--date-format", "4", "--skip", "1"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliResult result = RunCli(args);
        EXPECT_EQ(result.status, c.symbol.empty() ? 1 : 0) << c.file << ": " << result.err;
        const std::vector<std::string> expected = c.symbol.empty() ? std::vector<std::string>{}
                                                                   : std::vector<std::string>{c.symbol};
        EXPECT_EQ(fs::exists(scratch.Path() / "out" / "MASTER") ? Symbols(scratch.Path() / "out" / "MASTER")
                                                                 : std::vector<std::string>{},
                  expected)
            << c.file;
        if (c.notice.empty())
            EXPECT_EQ(result.err, "") << c.file;
        else
            EXPECT_NE(result.err.find(c.notice), std::string::npos) << c.file << ": " << result.err;
    }
}

TEST_F(BatchTest, NameComesFromAColumn)
{
    const CliResult result = Batch({Input("a.csv", Prices(1, 2, "x", "Alpha Beta Gamma Delta"))},
                                   {"--name-from", "column", "9"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::vector<unsigned char> master = ReadBytes(m_dir.Path() / "out" / "MASTER");
    EXPECT_EQ(std::string(master.begin() + 53 + 7, master.begin() + 53 + 23), "Alpha Beta Gamma");
}

TEST_F(BatchTest, FullDirectoryGoesOnInNumberedSubDirectoriesWhoseSymbolsCountAsDuplicates)
{
    std::vector<std::string> files;
    for (int i = 1; i <= 5; ++i)
        files.push_back(Input(NumberedName("s", i), Prices(i)));
    const CliResult result = Batch(files, {"--max-per-dir", "2"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, 50), "5 securities added, 0 updated, 0 failed, 15 record");
    const fs::path out = m_dir.Path() / "out";
    EXPECT_EQ(Symbols(out / "MASTER"), (std::vector<std::string>{"S1", "S2"}));
    EXPECT_EQ(Symbols(out / "2" / "MASTER"), (std::vector<std::string>{"S3", "S4"}));
    EXPECT_EQ(Symbols(out / "3" / "MASTER"), (std::vector<std::string>{"S5"}));
    const std::string full = metastock::kPathSeparator + std::string("out is full (2 securities); going on in ");
    EXPECT_NE(result.err.find(full), std::string::npos) << result.err;

    // A second batch finds S4 in out/2 and fills the room left in out/3.
    const CliResult again = Batch({Input("s4.csv", Prices(9)), Input("s6.csv", Prices(6))}, {"--max-per-dir", "2"});
    EXPECT_EQ(again.status, 1);
    const std::string second = (m_dir / "out") + metastock::kPathSeparator + "2";
    EXPECT_NE(again.err.find("s4.csv: Duplicate Symbol S4 in " + second), std::string::npos) << again.err;
    EXPECT_EQ(Symbols(out / "3" / "MASTER"), (std::vector<std::string>{"S5", "S6"}));
}

// DIR made when missing, and DIR/2 when DIR is full: a directory that cannot be made fails the batch (or
// the files that need it) with the system's reason.
TEST_F(BatchTest, ADirectoryThatCannotBeMadeFailsWithTheSystemsReason)
{
    const std::vector<std::string> files = {Input("a.csv", Prices(1)), Input("b.csv", Prices(2))};
    const std::string out = m_dir / "out";
    const struct {
        const char* szCall;
        const char* szMaxPerDir;
        std::string strSaid;
    } cases[] = {
        {"mkdir out", "255", "Cannot make the directory " + out + ": Input/output error\n"},
        {"mkdir 2", "1", "Cannot make the directory " + out + metastock::kPathSeparator + "2: Input/output error\n"},
    };
    for (const auto& c : cases) {
        fs::remove_all(m_dir.Path() / "out");
        CliResult result;
        {
            CFaultFileSystem faults(c.szCall, EIO);
            result = Batch(files, {"--max-per-dir", c.szMaxPerDir});
        }
        EXPECT_EQ(result.status, 1) << c.szCall;
        EXPECT_NE(result.err.find(c.strSaid), std::string::npos) << c.szCall << ": " << result.err;
    }
}

TEST_F(BatchTest, FailingFileIsNamedAndTheBatchGoesOn)
{
    // \xC3\xA9 and \xC3\x89 are e and E with acute accent: one symbol once upper-cased in Windows-1252.
    const std::vector<std::string> files = {Input("a.csv", Prices(1)), m_dir / "missing.csv", Input("c.csv", Prices(3)),
                                            Input("\xC3\x89.csv", Prices(4)), Input("\xC3\xA9.csv", Prices(5))};
    const CliResult result = Batch(files);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("missing.csv: Cannot open the input file"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("\xC3\xA9.csv: Duplicate Symbol \xC3\x89 in "), std::string::npos) << result.err;
    EXPECT_EQ(Symbols(m_dir.Path() / "out" / "MASTER"), (std::vector<std::string>{"A", "C", "\xC9"}));
    EXPECT_EQ(result.out.substr(0, 52), "3 securities added, 0 updated, 2 failed, 9 records, ");
}

TEST_F(BatchTest, UpdateAppendsLaterRowsWhereverTheSymbolIsAndAddsTheRest)
{
    ASSERT_EQ(Batch({Input("a.csv", Prices(1, 3)), Input("b.csv", Prices(2, 3))}, {"--max-per-dir", "1"}).status, 0);
    const CliResult update = Batch({Input("a.csv", Prices(1, 5)), Input("b.csv", Prices(2, 3)), Input("c.csv", Prices(3, 3))},
                                   {"--max-per-dir", "1", "--update"});
    ASSERT_EQ(update.status, 0) << update.err;
    EXPECT_TRUE(update.out.starts_with("1 security added, 2 updated, 0 failed, 5 records, ")) << update.out;
    EXPECT_EQ(Symbols(m_dir.Path() / "out" / "2" / "MASTER"), (std::vector<std::string>{"B"}));
    EXPECT_EQ(Symbols(m_dir.Path() / "out" / "3" / "MASTER"), (std::vector<std::string>{"C"}));
    // A holds the bytes a conversion of its whole history gives.
    fs::create_directory(m_dir.Path() / "whole");
    ASSERT_EQ(RunCli({"convert", m_dir / "a.csv", "--dir", m_dir / "whole", "--symbol", "A", "--date-format", "4",
                      "--skip", "1"}).status, 0);
    EXPECT_EQ(Hex(ReadBytes(m_dir.Path() / "out" / "F1.DAT")), Hex(ReadBytes(m_dir.Path() / "whole" / "F1.DAT")));
    EXPECT_EQ(Batch({Input("a.csv", Prices(1, 5))}).status, 1);  // without --update a duplicate
}

TEST_F(BatchTest, WritesTheBytesOfOneConvertPerFileWhateverTheNumberOfThreads)
{
    std::vector<std::string> files;
    for (int i = 1; i <= 4; ++i)
        files.push_back(Input(NumberedName("f", i), Prices(i, 20 + i)));
    files.push_back(Input("f2.txt", Prices(9)));  // a duplicate among files read ahead
    const CliResult four = Batch(files, {"--oi-col", "off", "--threads", "4"});
    ASSERT_EQ(four.status, 1) << four.err;
    fs::rename(m_dir.Path() / "out", m_dir.Path() / "out4");
    const CliResult one = Batch(files, {"--oi-col", "off", "--threads", "1"});
    EXPECT_EQ(one.err, four.err);
    for (const fs::directory_entry& entry : fs::directory_iterator(m_dir.Path() / "out"))
        EXPECT_EQ(Hex(ReadBytes(entry.path())), Hex(ReadBytes(m_dir.Path() / "out4" / entry.path().filename())))
            << entry.path().filename() << " differs between 1 and 4 threads";
    fs::create_directory(m_dir.Path() / "one");
    for (int i = 1; i <= 4; ++i) {
        const CliResult single = RunCli({"convert", files[i - 1], "--dir", m_dir / "one", "--symbol", NumberedName("F", i, ""),
                                      "--date-format", "MM_DD_CCYY", "--skip", "1", "--oi-col", "off"});
        ASSERT_EQ(single.status, 0) << single.err;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(m_dir.Path() / "one")) {
        const fs::path name = entry.path().filename();
        EXPECT_EQ(Hex(ReadBytes(m_dir.Path() / "out" / name)), Hex(ReadBytes(entry.path()))) << name;
    }
}

TEST_F(BatchTest, DetectFindsTheLayoutOfEachFileAsConvertDetectDoes)
{
    std::string tabbed;  // no heading row, CCYYMMDD dates, each open the close before, no open interest
    for (int day = 1; day <= 20; ++day)
        tabbed += "202402" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "\t" + std::to_string(100 + day - 1) +
                  ".5\t" + std::to_string(100 + day + 1) + "\t" + std::to_string(100 + day - 2) + "\t" +
                  std::to_string(100 + day) + ".5\t" + std::to_string(100 * day) + "\n";
    const std::vector<std::string> files = {Input("a.csv", Prices(1, 20)), Input("b.txt", tabbed)};
    const CliResult batch = RunCli({"batch", m_dir / "out", files[0], files[1], "--detect"});
    ASSERT_EQ(batch.status, 0) << batch.err;
    fs::create_directory(m_dir.Path() / "one");
    for (const char* symbol : {"A", "B"}) {
        const std::string& file = files[symbol[0] - 'A'];
        const CliResult single = RunCli({"convert", file, "--dir", m_dir / "one", "--symbol", symbol, "--detect"});
        ASSERT_EQ(single.status, 0) << single.err;
    }
    for (const char* name : {"MASTER", "F1.DAT", "F1.DOP", "F2.DAT", "F2.DOP"})
        EXPECT_EQ(Hex(ReadBytes(m_dir.Path() / "out" / name)), Hex(ReadBytes(m_dir.Path() / "one" / name))) << name;
}

TEST_F(BatchTest, DetectWithAnOptionItCannotReadIsRefusedOnceUpFront)
{
    const std::vector<std::string> files = {Input("a.csv", Prices(1, 5)), Input("b.csv", Prices(1, 5))};
    const struct {
        std::vector<std::string> option;
        std::string named;
    } cases[] = {{{"--date-format", "QQQQ"}, "--date-format must be one of"},
                 {{"--open-col", "99"}, "--open-col must be a column from 1 to 20"},
                 {{"--threads", "0"}, "--threads must be from 1"}};
    for (const auto& c : cases) {
        std::vector<std::string> args = {"batch", m_dir / "out", files[0], files[1], "--detect"};
        args.insert(args.end(), c.option.begin(), c.option.end());
        const CliResult batch = RunCli(args);
        EXPECT_EQ(batch.status, 2) << c.option[0];
        EXPECT_NE(batch.err.find(c.named), std::string::npos) << batch.err;
        EXPECT_EQ(batch.err.find(c.named), batch.err.rfind(c.named)) << "said once, not per file: " << batch.err;
        EXPECT_FALSE(fs::exists(m_dir.Path() / "out")) << c.option[0];
    }
}

}  // namespace
