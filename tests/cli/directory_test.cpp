// What the commands do to the indexes of a directory: a failing look at MASTER, securities sharing a data
// file, leftovers of killed runs, damaged records, odd entries at data-file names.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "run_cli.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Files = DirectoryBytes;

void Restore(const fs::path& dir, const Files& files)
{
    fs::remove_all(dir);
    fs::create_directory(dir);
    for (const auto& [name, bytes] : files)
        WriteText(dir / name, std::string(bytes.begin(), bytes.end()));
}

void Patch(const fs::path& file, std::size_t offset, const std::vector<unsigned char>& bytes)
{
    std::vector<unsigned char> all = ReadBytes(file);
    std::copy(bytes.begin(), bytes.end(), all.begin() + static_cast<long>(offset));
    WriteText(file, std::string(all.begin(), all.end()));
}

const char* const kRows = "20240102,1,2,0.5,1.5,100,7\n20240103,2,3,1.5,2.5,200,8\n";
const char* const kLaterRows = "20240102,1,2,0.5,1.5,100,7\n20240103,2,3,1.5,2.5,200,8\n20240104,2,3,1.5,2.5,200,9\n";

class DirectoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteText(Input(), kRows);
        WriteText(m_work.Path() / "LATER.csv", kLaterRows);
        fs::create_directory(Dir());
        for (const char* symbol : {"ONE", "TWO", "THREE"})
            ASSERT_EQ(Convert(symbol).status, 0);
    }
    fs::path Dir() const { return m_work.Path() / "dir"; }
    fs::path Input() const { return m_work.Path() / "NEW.csv"; }
    CliResult Convert(const std::string& symbol, std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {"convert", Input().string(), "--dir", Dir().string(), "--symbol", symbol,
                                         "--date-format", "CCYYMMDD"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunCli(args);
    }

    CKeepWorkingDirectory m_keep;
    CTempDir m_work;
};

}  // namespace

// Only "no such file" means MASTER is absent: any other failure of the look fails the run, naming the
// file and the system's reason, and changes nothing.
TEST_F(DirectoryTest, AFailingLookAtMasterFailsTheRunAndChangesNothing)
{
    const struct {
        const char* szWhat;
        std::function<CliResult()> run;
    } kRuns[] = {
        {"convert", [&] { return Convert("NEW"); }},
        {"convert --update", [&] {
             return RunCli({"convert", (m_work.Path() / "LATER.csv").string(), "--dir", Dir().string(), "--symbol", "TWO",
                            "--date-format", "CCYYMMDD", "--update"});
         }},
        {"batch", [&] { return RunCli({"batch", Dir().string(), Input().string(), "--date-format", "CCYYMMDD"}); }},
        {"remove", [&] { return RunCli({"remove", Dir().string(), "TWO"}); }},
    };
    const Files before = SnapshotOf(Dir());
    for (const auto& run : kRuns)
        for (const char* szCall : {"exists MASTER", "list"})
            for (int nErrno : {EIO, EACCES, ENOMEM}) {
                const std::string what = std::string(run.szWhat) + ", " + szCall + ", " + std::strerror(nErrno);
                CliResult result;
                {
                    CFaultFileSystem faults(szCall, nErrno);
                    result = run.run();
                }
                EXPECT_EQ(result.status, 1) << what;
                EXPECT_NE(result.err.find(std::strerror(nErrno)), std::string::npos) << what << ": " << result.err;
                EXPECT_EQ(SnapshotOf(Dir()), before) << what;
            }
}

// A security whose data file another listed security shares keeps it: remove refuses.
TEST_F(DirectoryTest, RemoveRefusesASecurityWhoseDataFileAnotherShares)
{
    Patch(Dir() / "MASTER", 2 * 53, {1});  // TWO, the second record, gets F1.DAT of ONE
    const Files before = SnapshotOf(Dir());
    const CliResult result = RunCli({"remove", Dir().string(), "two"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "TWO shares F1.DAT with ONE; run check\n");
    EXPECT_EQ(SnapshotOf(Dir()), before);
}

// Control characters of a damaged MASTER reach no terminal raw, neither in list, check and remove nor in
// their messages: each is printed as \x and two hex digits, as JSON escapes them.
TEST_F(DirectoryTest, ControlCharactersOfADamagedIndexArePrintedEscaped)
{
    const std::string symbol = "O\x1b]0;X\x07";  // retitles a terminal
    const auto bytes = [](const std::string& text) { return std::vector<unsigned char>(text.begin(), text.end()); };
    Patch(Dir() / "MASTER", 53 + 36, bytes(symbol));
    Patch(Dir() / "MASTER", 53 + 7, bytes("N\r\nX\x7f"));
    Patch(Dir() / "MASTER", 2 * 53, {1});  // TWO shares F1.DAT with ONE
    Patch(Dir() / "MASTER", 2 * 53 + 36, bytes("T\x9d\x1b[2J"));  // 9D: a C1 control in UTF-8
    Patch(Dir() / "MASTER", 3 * 53 + 36, bytes("TH\x1b  "));
    const struct {
        std::vector<std::string> args;
        const char* szShown;
    } runs[] = {
        {{"list", Dir().string()}, "O\\x1b]0;X\\x07  N\\x0d\\x0aX\\x7f  F1.DAT"},
        {{"list", Dir().string(), "--format", "csv"}, "\nO\\x1b]0;X\\x07,N\\x0d\\x0aX\\x7f,F1.DAT,"},
        {{"check", Dir().string()}, "File number 1 is used by both O\\x1b]0;X\\x07 and T\\x9d\\x1b[2J\n"},
        {{"remove", Dir().string(), symbol}, "O\\x1b]0;X\\x07 shares F1.DAT with T\\x9d\\x1b[2J; run check\n"},
        {{"remove", Dir().string(), "TH\x1b"}, "TH\\x1b: removed, with F3.DAT\n"},
    };
    for (const auto& run : runs) {
        const CliResult result = RunCli(run.args);
        const std::string printed = result.out + result.err;
        SCOPED_TRACE(run.szShown);
        EXPECT_NE(printed.find(run.szShown), std::string::npos);
        const auto raw = std::find_if(printed.begin(), printed.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return (byte < 0x20 && byte != '\n') || byte == 0x7F;
        });
        EXPECT_EQ(raw, printed.end()) << "a raw control character at " << (raw - printed.begin());
        EXPECT_EQ(printed.find("\xC2\x9D"), std::string::npos);
    }
}

// check reports the temporary files of a killed run, and the next run sweeps them away; names that are
// not ours stay.
TEST_F(DirectoryTest, LeftoversOfAKilledRunAreReportedAndSweptAway)
{
    const struct {
        const char* szName;
        bool bOurs;
    } kNames[] = {{"EMASTER.~NU", true}, {"xmaster.~nu", true}, {"MASTER.~NU", true}, {"MASTER.BAK.~NU", true},
                  {"MASTER.NEW", true},  {"F9.NEW", true},      {"F9.DOP.~NU", true}, {"NOTES.~NU", false},
                  {"F9.DAT.TMP", false}, {"FX.NEW", false}};
    for (const auto& name : kNames) {
        WriteText(Dir() / name.szName, "left behind");
        const CliResult check = RunCli({"check", Dir().string()});
        EXPECT_EQ(check.out.find(std::string(name.szName) + " is a temporary file") != std::string::npos, name.bOurs)
            << name.szName << ": " << check.out;
        ASSERT_EQ(Convert(std::string("S") + std::to_string(&name - kNames)).status, 0) << name.szName;
        EXPECT_EQ(fs::exists(Dir() / name.szName), !name.bOurs) << name.szName;
        fs::remove(Dir() / name.szName);
    }
}

// check finds damaged index records and implausible data records, and changes nothing.
TEST_F(DirectoryTest, CheckReportsDamagedRecordsAndImplausibleData)
{
    const std::size_t two = 2 * 53;       // TWO's MASTER record
    const std::size_t row1 = 28, row2 = 56;  // data records of F1.DAT (7 fields)
    const struct {
        const char* szWhat;
        const char* szFile;
        std::size_t nOffset;
        std::vector<unsigned char> bytes;
        const char* szExpected;
    } kDamages[] = {
        {"0 fields", "MASTER", two + 4, {0}, "MASTER gives TWO 0 fields per data record"},
        {"record length 0", "MASTER", two + 3, {0}, "MASTER gives TWO a data record length of 0 bytes"},
        {"symbol of NULs", "MASTER", two + 36, std::vector<unsigned char>(16, 0), "MASTER record 2 (F2.DAT) has no symbol"},
        {"header number below the records'", "MASTER", 2, {2, 0},
         "MASTER gives 2 as the highest file number in use in its header, but F3.DAT is listed"},
        {"zero date", "F1.DAT", row2, {0, 0, 0, 0}, "F1.DAT holds 1 record with an unreadable date, the first is record 2"},
        {"repeated date", "F1.DAT", row2, {}, "F1.DAT holds 1 record dated the same day as the record ahead of it"},
        {"high below low", "F1.DAT", row1 + 8, {0, 0, 0, 0}, "F1.DAT holds 1 record whose high is below its low"},
        {"close above the high", "F1.DAT", row1 + 16, {}, "F1.DAT holds 1 record whose close is outside its high and low"},
    };
    const Files sound = SnapshotOf(Dir());
    for (const auto& damage : kDamages) {
        std::vector<unsigned char> bytes = damage.bytes;
        const std::vector<unsigned char> data = ReadBytes(Dir() / "F1.DAT");
        if (bytes.empty()) {  // a value copied from elsewhere in the file: the date of row 1, or row 2's high
            const std::size_t from = damage.nOffset == row2 ? row1 : row2 + 8;
            bytes.assign(data.begin() + static_cast<long>(from), data.begin() + static_cast<long>(from) + 4);
        }
        Patch(Dir() / damage.szFile, damage.nOffset, bytes);
        const Files damaged = SnapshotOf(Dir());
        const CliResult check = RunCli({"check", Dir().string()});
        EXPECT_EQ(check.status, 1) << damage.szWhat;
        EXPECT_NE(check.out.find(damage.szExpected), std::string::npos) << damage.szWhat << ": " << check.out;
        EXPECT_EQ(SnapshotOf(Dir()), damaged) << damage.szWhat;
        Restore(Dir(), sound);
    }
}

// Something at a free number's data-file name that no index lists is not ours to replace, file or not:
// the number is skipped, with a notice, instead of blocking every later run.
TEST_F(DirectoryTest, ANonFileAtADataFileNameMakesItsNumberSkipped)
{
    ASSERT_EQ(RunCli({"remove", Dir().string(), "TWO"}).status, 0);
    fs::create_directory(Dir() / "F2.DAT");
    const CliResult result = Convert("NEW");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, 12), "NEW: F4.DAT,");
    // The path as the run names it (upper case on Windows), then the reason.
    EXPECT_NE(result.err.find("F2.DAT stands in the directory but no index lists it; file number 2 is left alone"),
              std::string::npos)
        << result.err;
    EXPECT_TRUE(fs::is_directory(Dir() / "F2.DAT"));
}

// Bytes 2..3 of MASTER's header hold the highest file number in use after every change (a count for a
// directory without gaps); whatever they held before, the records decide whether the directory is full.
TEST_F(DirectoryTest, MasterHeaderGivesTheHighestFileNumberInUse)
{
    const struct {
        const char* szStep;
        std::function<CliResult()> run;
        int nCount, nHighest;
    } kSteps[] = {
        {"remove TWO", [&] { return RunCli({"remove", Dir().string(), "TWO"}); }, 2, 3},
        {"add FOUR into F2", [&] { return Convert("FOUR"); }, 3, 3},
        {"remove THREE", [&] { return RunCli({"remove", Dir().string(), "THREE"}); }, 2, 2},
        {"header says 255", [&] {
             Patch(Dir() / "MASTER", 2, {255, 0});
             return Convert("FIVE");
         }, 3, 3},
        {"remove ONE", [&] { return RunCli({"remove", Dir().string(), "ONE"}); }, 2, 3},
    };
    for (const auto& step : kSteps) {
        const CliResult result = step.run();
        ASSERT_EQ(result.status, 0) << step.szStep << ": " << result.err;
        const std::vector<unsigned char> master = ReadBytes(Dir() / "MASTER");
        EXPECT_EQ(master[0] + 256 * master[1], step.nCount) << step.szStep;
        EXPECT_EQ(master[2] + 256 * master[3], step.nHighest) << step.szStep;
        EXPECT_EQ(RunCli({"check", Dir().string()}).status, 0) << step.szStep;
    }
}

// The order in which a change reaches the disk, against the order it must have: every file flushed
// before the journal that names it, the journal's name flushed before the first step, then the steps
// (adding: data files first and MASTER last; removing: MASTER first), and the directory flushed after
// them. Without flushes (--no-sync) the renames alone, in the same order.
TEST_F(DirectoryTest, ChangesReachTheDiskInTheOrderThatKeepsThemWhole)
{
    const struct {
        const char* szWhat;
        std::vector<std::string> args;
        std::vector<std::string> expected;
    } kChanges[] = {
        {"convert", {"convert", Input().string(), "--dir", Dir().string(), "--symbol", "NEW", "--date-format", "CCYYMMDD"},
         {"sync F4.NEW", "sync F4.DOP.~NU", "sync MASTER.BAK.~NU", "sync MASTER.~NU", "sync QFCOMMIT.JNL.~NU",
          "rename QFCOMMIT.JNL.~NU QFCOMMIT.JNL", "syncdir", "rename F4.NEW F4.DAT", "rename F4.DOP.~NU F4.DOP",
          "rename MASTER.BAK.~NU MASTER.BAK", "rename MASTER.~NU MASTER", "syncdir"}},
        {"convert --no-sync",
         {"convert", Input().string(), "--dir", Dir().string(), "--symbol", "NEW", "--date-format", "CCYYMMDD", "--no-sync"},
         {"rename QFCOMMIT.JNL.~NU QFCOMMIT.JNL", "rename F4.NEW F4.DAT", "rename F4.DOP.~NU F4.DOP",
          "rename MASTER.BAK.~NU MASTER.BAK", "rename MASTER.~NU MASTER"}},
        {"remove", {"remove", Dir().string(), "TWO"},
         {"sync MASTER.BAK.~NU", "sync MASTER.~NU", "sync QFCOMMIT.JNL.~NU", "rename QFCOMMIT.JNL.~NU QFCOMMIT.JNL",
          "syncdir", "rename MASTER.~NU MASTER", "rename MASTER.BAK.~NU MASTER.BAK", "syncdir"}},
    };
    for (const auto& change : kChanges) {
        const Files before = SnapshotOf(Dir());
        std::vector<std::string> order;
        {
            CFaultFileSystem recorder;
            const CliResult result = RunCli(change.args);
            ASSERT_EQ(result.status, 0) << change.szWhat << ": " << result.err;
            for (const std::string& call : recorder.calls)
                if (call.starts_with("sync") || call.starts_with("rename"))
                    order.push_back(call);
        }
        EXPECT_EQ(order, change.expected) << change.szWhat;
        Restore(Dir(), before);
    }
}

TEST_F(DirectoryTest, RemoveFromAMissingDirectorySaysSo)
{
    const fs::path missing = m_work.Path() / "missing";
    const CliResult result = RunCli({"remove", missing.string(), "ONE"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "The directory " + missing.string() + " does not exist\n");
    EXPECT_FALSE(fs::exists(missing));
}

// list shows every security the indexes name; one whose data file it cannot read keeps its row, with
// the index's dates and a note, a warning, and exit 0. Securities that are not daily show their time
// frame, export writes them, and --update refuses daily rows for them.
TEST_F(DirectoryTest, ListShowsEverySecurityAndItsFrameWhichExportAndUpdateRespect)
{
    fs::remove(Dir() / "F2.DAT");
    const CliResult listed = RunCli({"list", Dir().string(), "--format", "csv"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out, "symbol,name,file,fields,frame,first,last,records,note\n"
                          "ONE,,F1.DAT,DOHLCVI,daily,2024-01-02,2024-01-03,2,\n"
                          "TWO,,F2.DAT,,daily,2024-01-02,2024-01-03,,data file unreadable\n"
                          "THREE,,F3.DAT,DOHLCVI,daily,2024-01-02,2024-01-03,2,\n");
    EXPECT_NE(listed.err.find("F2.DAT, the data file of TWO"), std::string::npos) << listed.err;

    const struct {
        char cFrame;
        const char* szName;
    } kFrames[] = {{'W', "weekly"}, {'M', "monthly"}, {'I', "intraday"}, {'Z', "time frame Z"}};
    for (const auto& frame : kFrames) {
        Patch(Dir() / "MASTER", 3 * 53 + 33, {static_cast<unsigned char>(frame.cFrame)});  // THREE's time frame
        const Files before = SnapshotOf(Dir());
        EXPECT_NE(RunCli({"list", Dir().string(), "--format", "csv"}).out.find(std::string("THREE,,F3.DAT,DOHLCVI,") +
                                                                              frame.szName + ","),
                  std::string::npos)
            << frame.szName;
        // Export writes weekly and monthly records as daily ones, and intraday records without a time field
        // with their dates alone; a letter it does not know is refused.
        const CliResult exported = RunCli({"export", Dir().string(), "THREE"});
        if (frame.cFrame == 'Z') {
            EXPECT_EQ(exported.status, 1);
            EXPECT_EQ(exported.err, "THREE (F3.DAT) holds time frame Z data; export writes daily, weekly, monthly, "
                                    "quarterly, yearly and intraday data only\n");
        } else {
            EXPECT_EQ(exported.status, 0) << frame.szName << ": " << exported.err;
            EXPECT_EQ(exported.out, kRows) << frame.szName;
        }
        const CliResult updated = RunCli({"convert", (m_work.Path() / "LATER.csv").string(), "--dir", Dir().string(),
                                          "--symbol", "THREE", "--date-format", "CCYYMMDD", "--update"});
        EXPECT_EQ(updated.status, 1) << frame.szName;
        EXPECT_EQ(updated.err, std::string("THREE is ") + frame.szName + "; this file holds daily bars Nothing was changed.\n")
            << updated.err;
        EXPECT_EQ(SnapshotOf(Dir()), before) << frame.szName;
    }
}

// export -o writes the whole file or leaves what stood there: a refused export and a file that cannot be
// made change nothing, and the failure gives the system's reason.
TEST_F(DirectoryTest, ExportToAFileWritesItWholeOrLeavesItAsItWas)
{
    const fs::path out = m_work.Path() / "out.csv";
    const struct {
        const char* szCase;
        std::vector<std::string> args;
        int status;
        const char* szFileAfter;  // nullptr: no file
        const char* szErr;
    } kCases[] = {
        {"replaces an older file", {"export", Dir().string(), "ONE", "-o", out.string()}, 0,
         "20240102,1,2,0.5,1.5,100,7\n20240103,2,3,1.5,2.5,200,8\n", ""},
        {"no such symbol", {"export", Dir().string(), "NONE", "-o", out.string()}, 1, "older\n", "NONE"},
        {"a folder that is missing", {"export", Dir().string(), "ONE", "-o", (m_work.Path() / "no" / "x.csv").string()}, 1,
         nullptr, "x.csv: "},  // then the system's reason
    };
    for (const auto& c : kCases) {
        WriteText(out, "older\n");
        const CliResult result = RunCli(c.args);
        EXPECT_EQ(result.status, c.status) << c.szCase << ": " << result.err;
        EXPECT_NE(result.err.find(c.szErr), std::string::npos) << c.szCase << ": " << result.err;
        if (c.args.back() == out.string()) {
            const std::vector<unsigned char> bytes = ReadBytes(out);
            EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.szFileAfter) << c.szCase;
        } else
            EXPECT_FALSE(fs::exists(c.args.back())) << c.szCase;
        EXPECT_FALSE(fs::exists(m_work.Path() / "out.csv.~NU")) << c.szCase;
    }
}
