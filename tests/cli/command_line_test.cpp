// quoteforge-cli convert: option limits, exit statuses, messages and the summary line.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "engine/job/conversion_settings.h"
#include "metastock/path_text.h"
#include "run_cli.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteText(m_dir / "prices.csv",
                  "Date,Open,High,Low,Close,Volume,OpenInt\n"
                  "01/02/2024,10.5,11,10,10.75,1000,50\n"
                  "01/15/2024,10.75,12,10.5,11.5,2000,55\n");
        std::filesystem::create_directory(m_dir.Path() / "out");
    }

    CliResult Run(std::vector<std::string> args) { return RunCli(std::move(args)); }

    // A conversion of the sample file with the given extra options.
    CliResult Convert(std::vector<std::string> extra)
    {
        std::vector<std::string> args = {"convert", m_dir / "prices.csv", "--dir", m_dir / "out", "--symbol", "abc",
                                         "--date-format", "MM_DD_CCYY", "--skip", "1"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args);
    }

    bool OutputIsEmpty() const { return std::filesystem::is_empty(m_dir.Path() / "out"); }

    CKeepWorkingDirectory m_keep;
    CTempDir m_dir;
};

TEST_F(CommandLineTest, SuccessfulConversionPrintsOneSummaryLine)
{
    const CliResult result = Convert({"--name", "Alpha Beta"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "ABC: F1.DAT, 2 records, 2024-01-02 to 2024-01-15\n");
    EXPECT_EQ(ReadBytes(m_dir.Path() / "out" / "F1.DAT").size(), 3u * 28);
}

TEST_F(CommandLineTest, AutoMasterAddsToAnExistingMasterAndRefusesTheSameSymbolTwice)
{
    ASSERT_EQ(Convert({}).status, 0);
    const CliResult second = Convert({"--symbol", "XYZ"});
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.out.substr(0, 12), "XYZ: F2.DAT,");
    EXPECT_TRUE(std::filesystem::exists(m_dir.Path() / "out" / "MASTER.BAK"));

    const CliResult duplicate = Convert({"--symbol", "xyz"});
    EXPECT_EQ(duplicate.status, 1);
    EXPECT_EQ(duplicate.err, "Duplicate Symbol\n");
    EXPECT_EQ(duplicate.out, "");
}

TEST_F(CommandLineTest, RunMessagesGoToStandardErrorOneLineEach)
{
    const CliResult existing = Convert({"--master", "existing"});
    EXPECT_EQ(existing.status, 1);
    EXPECT_EQ(existing.err, "Path specified does not point to a Master file\n");

    // A numeric-only format meets a separated date: the run refuses, names the options that fit, and
    // writes nothing; it reads the input once, for the check as for the rows.
    CFaultFileSystem counter;
    const CliResult style = Convert({"--date-format", "mmddccyy", "--master", "new"});
    EXPECT_EQ(std::count(counter.calls.begin(), counter.calls.end(), "open prices.csv"), 1);
    EXPECT_EQ(style.status, 1);
    EXPECT_EQ(style.err,
              "The settings do not fit this file: the date \"01/02/2024\" in row 2 is not in the "
              "format MMDDCCYY\ndetect finds: --delimiter comma --date-format MM_DD_CCYY --skip 1 "
              "--date-col 1 --open-col 2 --high-col 3 --low-col 4 --close-col 5 --volume-col 6 --oi-col 7\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "out" / "MASTER"));
}

TEST_F(CommandLineTest, LimitViolationsAreUsageErrorsThatWriteNothing)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--close-col", "21"}, "--close-col must be a column from 1 to 20"},
        {{"--date-col", "0"}, "--date-col must be a column from 1 to 20"},
        {{"--open-col", "x"}, "--open-col must be a column from 1 to 20 or off"},
        {{"--high-col", "2"}, "--open-col and --high-col both name column 2"},
        {{"--skip", "201"}, "--skip must be from 0 to 200"},
        {{"--symbol", "   "}, "--symbol must be 1 to 16 characters"},
        {{"--symbol", "ABCDEFGHIJKLMNOPQ"}, "--symbol must be 1 to 16 characters"},
        {{"--name", "ABCDEFGHIJKLMNOPQ"}, "--name must be at most 16 characters"},
        {{"--date-format", "20"}, "--date-format must be one of the 19 format names"},
        {{"--dir", std::string(201, 'd')}, "--dir must be 1 to 200 characters"},
    };
    for (const auto& [options, message] : cases) {
        const CliResult result = Convert(options);
        EXPECT_EQ(result.status, 2) << options[0];
        EXPECT_NE(result.err.find(message), std::string::npos) << "for " << options[0] << ": " << result.err;
        EXPECT_TRUE(OutputIsEmpty()) << options[0];
    }
    EXPECT_EQ(Convert({"--delimiter", "pipe"}).status, 2);
    EXPECT_EQ(Convert({"--master", "maybe"}).status, 2);
    EXPECT_EQ(Run({"convert", "x.csv"}).status, 2);  // --dir and --symbol are required
    EXPECT_TRUE(OutputIsEmpty());
}

TEST_F(CommandLineTest, ColumnsOfFieldsThatAreOffAreNotCompared)
{
    const CliResult result = Convert({"--volume-col", "off", "--oi-col", "off", "--open-col", "off",
                                      "--symbol", "  sym  "});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, 8), "  SYM: F");  // trailing blanks go, leading ones stay
    const auto columns = ReadBytes(m_dir.Path() / "out" / "F1.DOP");
    EXPECT_EQ(std::string(columns.begin(), columns.end()),
              "\"DATE\",0,0\r\n\"HIGH\",4,4\r\n\"LOW\",4,4\r\n\"CLOSE\",4,4\r\n");
}

TEST_F(CommandLineTest, RelativeInputWorksAlthoughTheRunChangesDirectory)
{
    std::filesystem::current_path(m_dir.Path());
    const CliResult result = Run({"convert", "prices.csv", "--dir", "out", "--symbol", "REL", "--date-format", "4",
                                  "--skip", "1"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "REL: F1.DAT, 2 records, 2024-01-02 to 2024-01-15\n");
}

TEST_F(CommandLineTest, MissingInputFailsBeforeTheOutputDirectoryChanges)
{
    const CliResult result = Run({"convert", m_dir / "missing.csv", "--dir", m_dir / "out", "--symbol", "M"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("missing.csv"), std::string::npos) << result.err;
    EXPECT_TRUE(OutputIsEmpty());
}

TEST_F(CommandLineTest, HelpExplainsEveryOptionWithItsDefault)
{
    const CliResult result = Run({"convert", "--help"});
    EXPECT_EQ(result.status, 0);
    for (const char* text : {"--dir", "--symbol", "--name", "--date-format", "default: MMDDYY", "--delimiter",
                             "default: comma", "--skip", "--date-col", "--open-col", "--high-col", "--low-col",
                             "--close-col", "--volume-col", "--oi-col", "default: 7", "--master", "default: auto"})
        EXPECT_NE(result.out.find(text), std::string::npos) << text;
}

TEST_F(CommandLineTest, DetectPrintsTheLayoutAndTheOptionsThatReadIt)
{
    const CliResult found = Run({"detect", m_dir / "prices.csv"});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(found.out,
              "This looks like a comma-delimited file with 1 heading row, dates like 01/02/2024 (MM_DD_CCYY), and the "
              "columns Date, Open, High, Low, Close, Volume, OpenInt. Dates: column 1, read as MM_DD_CCYY; Open from Open; "
              "High from High; Low from Low; Close from Close; Volume from Volume; Open interest from OpenInt.\n"
              "--delimiter comma --date-format MM_DD_CCYY --skip 1 --date-col 1 --open-col 2 --high-col 3 "
              "--low-col 4 --close-col 5 --volume-col 6 --oi-col 7\n");

    WriteText(m_dir / "words.txt", "Name,Sector\nACME,Industry\n");
    const CliResult nothing = Run({"detect", m_dir / "words.txt"});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_NE(nothing.err.find("words.txt: no column holds dates"), std::string::npos) << nothing.err;
    EXPECT_EQ(Run({"convert", m_dir / "words.txt", "--detect", "--dir", m_dir / "out", "--symbol", "W"}).status, 1);
    EXPECT_TRUE(OutputIsEmpty());

    // Options given win over detected ones.
    const CliResult given = Run({"convert", m_dir / "prices.csv", "--detect", "--dir", m_dir / "out", "--symbol", "abc",
                                 "--oi-col", "off"});
    EXPECT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(given.out, "ABC: F1.DAT, 2 records, 2024-01-02 to 2024-01-15\n");
    EXPECT_EQ(ReadBytes(m_dir.Path() / "out" / "F1.DAT").size(), 3u * 24);
}

TEST_F(CommandLineTest, DetectedSampleConversionWritesTheQuickStartBytes)
{
    std::filesystem::create_directory(m_dir.Path() / "quick");
    std::filesystem::create_directory(m_dir.Path() / "detected");
    ASSERT_EQ(Run({"convert", QUOTEFORGE_SAMPLE, "--dir", m_dir / "quick", "--symbol", "QFDEMO", "--name",
                   "Quoteforge Demo", "--date-format", "MM_DD_CCYY", "--skip", "1", "--master", "new"})
                  .status,
              0);
    // Detection and the run read the input through one opening, so a pipe serves as well as a file.
    std::vector<std::string> inputs = {QUOTEFORGE_SAMPLE};
#ifndef _WIN32
    inputs.push_back(m_dir / "fifo");
    ASSERT_EQ(::mkfifo(inputs.back().c_str(), 0600), 0);
#endif
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input);
        std::filesystem::remove_all(m_dir.Path() / "detected");
        std::filesystem::create_directory(m_dir.Path() / "detected");
        std::thread writer;
        if (input != QUOTEFORGE_SAMPLE)
            writer = std::thread([&] {
                const std::vector<unsigned char> sample = ReadBytes(QUOTEFORGE_SAMPLE);
                WriteText(input, std::string(sample.begin(), sample.end()));
            });
        CliResult detected;
        {
            CFaultFileSystem counter;
            detected = Run({"convert", input, "--detect", "--dir", m_dir / "detected", "--symbol", "QFDEMO", "--name",
                            "Quoteforge Demo"});
            EXPECT_EQ(std::count(counter.calls.begin(), counter.calls.end(),
                                 "open " + std::filesystem::path(input).filename().string()),
                      1);
        }
        if (writer.joinable())
            writer.join();
        EXPECT_EQ(detected.out, "QFDEMO: F1.DAT, 1500 records, 2015-01-01 to 2020-09-30\n") << detected.err;
        for (const char* name : {"MASTER", "F1.DAT", "F1.DOP"})
            EXPECT_EQ(ReadBytes(m_dir.Path() / "quick" / name), ReadBytes(m_dir.Path() / "detected" / name)) << name;
    }
}

TEST_F(CommandLineTest, SymbolAndNameAreStoredInWindows1252)
{
    const std::string u16 = "üüüüüüüüüüüüüüüü";
    const struct {
        std::string strSymbol;
        std::string strName;
        int nStatus;
        std::string strStored;  // bytes expected in MASTER, or the message part
    } cases[] = {
        {"müller", "Müller Zürich AG", 0, "M\xFCller Z\xFCrich AG"},
        {"müller", "", 0, "M\xDCLLER"},
        {u16, "", 0, std::string(16, '\xDC')},
        {u16 + "ü", "", 2, "--symbol must be 1 to 16 characters"},
        {"ABC", "Ω Fund", 2, "--name holds \"Ω\""},
    };
    for (const auto& c : cases) {
        // A run works inside out, and Windows removes no process's working directory.
        std::filesystem::current_path(m_dir.Path());
        std::filesystem::remove_all(m_dir.Path() / "out");
        std::filesystem::create_directory(m_dir.Path() / "out");
        const CliResult result = Convert({"--symbol", c.strSymbol, "--name", c.strName});
        EXPECT_EQ(result.status, c.nStatus) << c.strSymbol << ": " << result.err;
        if (c.nStatus != 0) {
            EXPECT_NE(result.err.find(c.strStored), std::string::npos) << result.err;
            EXPECT_TRUE(OutputIsEmpty());
            continue;
        }
        EXPECT_EQ(result.out.rfind(engine::NormalisedSymbol(c.strSymbol) + ": F1.DAT", 0), 0u) << result.out;
        const auto master = ReadBytes(m_dir.Path() / "out" / "MASTER");
        EXPECT_NE(std::string(master.begin(), master.end()).find(c.strStored), std::string::npos) << c.strSymbol;
    }
}

}  // namespace

TEST_F(CommandLineTest, ASummaryThatCannotBeWrittenIsAFailure)
{
    for (const bool bNoSync : {false, true}) {
        std::vector<std::string> args = {"quoteforge-cli", "convert", m_dir / "prices.csv", "--dir", m_dir / "out",
                                         "--symbol", bNoSync ? "B" : "A", "--date-format", "4", "--skip", "1"};
        if (bNoSync)
            args.push_back("--no-sync");
        std::vector<const char*> argv;
        for (const std::string& arg : args)
            argv.push_back(arg.c_str());
        std::ofstream full("/dev/full");  // every write fails: the device is full
        std::ostringstream err;
        EXPECT_EQ(cli::RunCommandLine(static_cast<int>(argv.size()), argv.data(), full, err), 1) << bNoSync;
        EXPECT_NE(err.str().find("standard output"), std::string::npos) << err.str();
    }
}

// A directory named outside ASCII, and on Windows the other spellings of one directory that the system
// accepts: forward slashes, no drive letter, names in upper case.
TEST_F(CommandLineTest, OutputDirectoryIsFoundInEverySpellingThePlatformAccepts)
{
    const std::filesystem::path muller = m_dir.Path() / std::filesystem::path(u8"M\u00fcller");
    std::filesystem::create_directory(muller);
    WriteText(muller / "prices.csv", "Date,Close\n01/02/2024,10.5\n");
    const std::u8string text = muller.u8string();
    const std::string dir(text.begin(), text.end());
    std::vector<std::string> spellings = {dir};
#ifdef _WIN32
    std::string forward = dir;
    for (char& c : forward)
        c = c == '\\' ? '/' : c;
    spellings.insert(spellings.end(), {forward, dir.substr(2), PathKey(dir)});
    // A path without a drive letter lies on the drive of the working directory.
    std::filesystem::current_path(m_dir.Path());
#endif
    for (std::size_t i = 0; i < spellings.size(); ++i) {
        const std::string symbol = std::string("S").append(std::to_string(i + 1));
        const CliResult result = Run({"convert", dir + "/prices.csv", "--dir", spellings[i], "--symbol", symbol,
                                      "--date-format", "MM_DD_CCYY", "--skip", "1", "--close-col", "2", "--open-col",
                                      "off", "--high-col", "off", "--low-col", "off", "--volume-col", "off", "--oi-col",
                                      "off"});
        EXPECT_EQ(result.status, 0) << spellings[i] << ": " << result.err;
        EXPECT_EQ(result.out, symbol + ": F" + std::to_string(i + 1) + ".DAT, 1 record, 2024-01-02 to 2024-01-02\n")
            << spellings[i];
    }
    EXPECT_EQ(ReadBytes(muller / "MASTER").size(), 53 * (spellings.size() + 1));
}

// Limits count characters, not the bytes of their UTF-8 form: 150 accented characters (300 bytes) are
// well within the 200 characters of the directory, and its full path within 293.
TEST_F(CommandLineTest, AccentedDirectoryIsMeasuredInCharacters)
{
    std::string half;
    for (int i = 0; i < 75; ++i)
        half += "\xC3\xA9";  // é
    const std::filesystem::path deep = m_dir.Path() / "a" / metastock::PathFromText(half) / metastock::PathFromText(half);
    std::filesystem::create_directories(deep);
    std::filesystem::current_path(m_dir.Path() / "a");
    const std::string relative = half + "/" + half;  // 151 characters, 301 bytes
    const CliResult result = Convert({"--dir", relative});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(std::filesystem::exists(deep / "F1.DAT"));
}

// Symbols reach the terminal as UTF-8, whatever bytes MASTER stores them in.
TEST_F(CommandLineTest, MessagesAndSummariesNameTheSymbolInUtf8)
{
    const struct {
        std::vector<std::string> options;
        int nStatus;
        std::string strOut, strErr;
    } cases[] = {
        {{}, 0, "CAFÉ: F1.DAT, 2 records, 2024-01-02 to 2024-01-15\n", ""},
        {{"--update"}, 0, "CAFÉ: F1.DAT, no new records\n", ""},
        {{"--update", "--oi-col", "off"}, 1, "",
         "CAFÉ (F1.DAT) holds the fields DOHLCVI but the options give DOHLCV. Nothing was changed.\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> options = {"--symbol", "café"};
        options.insert(options.end(), c.options.begin(), c.options.end());
        const CliResult result = Convert(options);
        EXPECT_EQ(result.status, c.nStatus) << c.strErr;
        EXPECT_EQ(result.out, c.strOut);
        EXPECT_EQ(result.err, c.strErr);
    }
}

// The first word names the command; a word that starts with a slash is an argument on every platform,
// never a Windows-style option.
TEST_F(CommandLineTest, CommandsAndSlashedArgumentsAreTakenAsTyped)
{
    const struct {
        std::vector<std::string> args;
        int nStatus;
        std::string strShown;  // in standard output or error
    } cases[] = {
        {{"frobnicate"}, 2, "quoteforge-cli: Unknown command 'frobnicate'\n"},
        {{"check", "/no/such/charts"}, 1, "/no/such/charts: 0 securities"},
        {{"convert", m_dir / "prices.csv", "--dir", "/no/such/charts", "--symbol", "A", "--skip", "1", "--date-format", "4"},
         1,
         "Path does not exist"},
        {{"/?"}, 0, "Usage: quoteforge-cli"},
    };
    for (const auto& c : cases) {
        const CliResult result = Run(c.args);
        EXPECT_EQ(result.status, c.nStatus) << c.args[0] << ": " << result.err;
        EXPECT_NE((result.out + result.err).find(c.strShown), std::string::npos) << result.out << result.err;
    }
}

// --no-sync leaves out every flush to disk (files, directory, file system); without it a run flushes.
TEST_F(CommandLineTest, NoSyncMakesNoFlushes)
{
    const struct {
        std::vector<std::string> args;
        bool bFlushes;
    } cases[] = {
        {{"convert", m_dir / "prices.csv", "--dir", m_dir / "out", "--symbol", "A", "--skip", "1", "--date-format", "4"}, true},
        {{"convert", m_dir / "prices.csv", "--dir", m_dir / "out", "--symbol", "B", "--skip", "1", "--date-format", "4", "--no-sync"},
         false},
        {{"batch", m_dir / "out", m_dir / "prices.csv", "--skip", "1", "--date-format", "4", "--symbol-from", "column",
          "6"},
         true},
        {{"batch", m_dir / "out", m_dir / "prices.csv", "--skip", "1", "--date-format", "4", "--symbol-from", "column",
          "7", "--no-sync"},
         false},
    };
    for (const auto& c : cases) {
        CFaultFileSystem recorder;  // fails nothing, records every call
        const CliResult result = Run(c.args);
        ASSERT_EQ(result.status, 0) << result.err;
        const auto flushes = std::count_if(recorder.calls.begin(), recorder.calls.end(),
                                           [](const std::string& call) { return call.rfind("sync", 0) == 0; });
        EXPECT_EQ(flushes > 0, c.bFlushes) << c.args[0] << (c.bFlushes ? "" : " --no-sync") << ": " << flushes;
    }
}
