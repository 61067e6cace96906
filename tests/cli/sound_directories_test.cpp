// Directories that charting software made, damaged on purpose or left by a run killed half-way: a
// damaged index is never written, every index record's data file follows one rule, and a killed run
// leaves a directory that the next run completes (copies of the genuine directories, made at test time).

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "metastock/directory_reader.h"
#include "metastock/file_names.h"
#include "metastock/file_system.h"
#include "run_cli.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Files = DirectoryBytes;

void Patch(const fs::path& file, std::size_t offset, const std::vector<unsigned char>& bytes)
{
    std::vector<unsigned char> all = ReadBytes(file);
    std::copy(bytes.begin(), bytes.end(), all.begin() + static_cast<std::ptrdiff_t>(offset));
    WriteText(file, std::string(all.begin(), all.end()));
}

void Cut(const fs::path& file, std::size_t size)
{
    fs::resize_file(file, size);
}

// The symbol of XMASTER's record k (from 1).
std::string XmasterSymbol(const fs::path& dir, std::size_t k)
{
    const std::vector<unsigned char> xmaster = ReadBytes(dir / "xmaster");
    return metastock::IndexText(&xmaster[150 * k + 1], 14);
}

class SoundDirectories : public ::testing::Test {
protected:
    fs::path Copy(const char* szName)
    {
        const fs::path from = fs::path(QUOTEFORGE_GENUINE) / szName;
        const fs::path to = m_work.Path() / szName;
        fs::remove_all(to);
        if (!fs::is_directory(from))
            return {};
        fs::copy(from, to);
        for (const auto& entry : fs::directory_iterator(to))
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
        return to;
    }
    std::string Input()
    {
        WriteText(m_work.Path() / "new.csv", "20240102,1,2,0.5,1.5,100,7\n20240103,2,3,1.5,2.5,200,8\n");
        return (m_work.Path() / "new.csv").string();
    }
    std::vector<std::string> ConvertArgs(const fs::path& dir, const std::string& symbol)
    {
        return {"convert", Input(), "--dir", dir.string(), "--symbol", symbol, "--date-format", "CCYYMMDD"};
    }

    CKeepWorkingDirectory m_keep;
    CTempDir m_work;
};

}  // namespace

// Every command that writes reads every index through the same checks, and refuses what is damaged with
// the file and what is wrong; the directory stays byte for byte as it was.
TEST_F(SoundDirectories, ADamagedIndexIsNeverWritten)
{
    if (Copy("futures-lumber").empty())
        GTEST_SKIP() << "no genuine directories beside the checkout";
    using Run = std::function<std::vector<std::string>(const fs::path&)>;
    const Run convert = [&](const fs::path& dir) { return ConvertArgs(dir, "QFNEW"); };
    const Run remove = [&](const fs::path& dir) {
        return std::vector<std::string>{"remove", dir.string(), XmasterSymbol(dir, 1)};
    };
    const Run update = [&](const fs::path& dir) {
        std::vector<std::string> args = ConvertArgs(dir, "LB___2023N");
        args.push_back("--update");
        return args;
    };
    const Run batch = [&](const fs::path& dir) {
        return std::vector<std::string>{"batch", dir.string(), Input(), "--date-format", "CCYYMMDD", "--xmaster"};
    };
    const struct {
        const char* szWhat;
        const char* szDir;
        std::function<void(const fs::path&)> damage;
        Run run;
        const char* szMessage;
    } kCases[] = {
        {"MASTER count FF FF, remove from XMASTER", "futures-lumber", [](const fs::path& d) { Patch(d / "master", 0, {0xFF, 0xFF}); },
         remove, "master counts -1 securities in its header but holds 255 records"},
        {"MASTER count 10, convert into XMASTER", "futures-lumber", [](const fs::path& d) { Patch(d / "master", 0, {10, 0}); },
         convert, "master counts 10 securities in its header but holds 255 records"},
        {"MASTER count 10, update an XMASTER security", "futures-lumber",
         [](const fs::path& d) { Patch(d / "master", 0, {10, 0}); }, update, "master counts 10 securities"},
        {"MASTER count 10, batch --xmaster", "futures-lumber", [](const fs::path& d) { Patch(d / "master", 0, {10, 0}); },
         batch, "master counts 10 securities"},
        {"MASTER cut mid-record", "futures-lumber", [](const fs::path& d) { Cut(d / "master", 53 * 200 + 20); }, convert,
         "master counts 255 securities in its header but holds 199 records"},
        {"XMASTER number 5, remove", "futures-lumber",
         [](const fs::path& d) {
             Patch(d / "xmaster", 150 + 65, {5, 0});
             WriteText(d / "F5.MWD", "not F5.dat");
         },
         remove, "the file number 5, which names no data file: its numbers start at 256"},
        {"XMASTER number 5, update", "futures-lumber",
         [](const fs::path& d) { Patch(d / "xmaster", 150 * 7 + 65, {5, 0}); }, update, "the file number 5"},
        {"XMASTER cut mid-record", "futures-lumber", [](const fs::path& d) { Cut(d / "xmaster", 150 * 4 + 70); }, convert,
         "xmaster counts 7 securities in its header but holds 3 records"},
        {"EMASTER cut mid-record", "futures-euro-oat", [](const fs::path& d) { Cut(d / "emaster", 192 * 7 - 1); }, convert,
         "emaster counts 6 securities in its header but holds 5 records"},
        {"EMASTER ends in part of a record", "futures-euro-oat",
         [](const fs::path& d) {
             std::vector<unsigned char> bytes = ReadBytes(d / "emaster");
             bytes.resize(bytes.size() + 10);
             WriteText(d / "emaster", std::string(bytes.begin(), bytes.end()));
         },
         convert, "emaster ends in part of a record after its 6 records"},
        {"two XMASTER records on one number, remove", "futures-lumber",
         [](const fs::path& d) { Patch(d / "xmaster", 150 * 2 + 65, {0, 1}); }, remove, "shares F256.MWD with"},
    };
    for (const auto& c : kCases) {
        const fs::path dir = Copy(c.szDir);
        c.damage(dir);
        const Files before = SnapshotOf(dir);
        const CliResult result = RunCli(c.run(dir));
        EXPECT_EQ(result.status, 1) << c.szWhat << ": " << result.out;
        EXPECT_NE(result.err.find(c.szMessage), std::string::npos) << c.szWhat << ": " << result.err;
        EXPECT_EQ(SnapshotOf(dir), before) << c.szWhat;
    }
}

// An XMASTER record below 256 names no data file for any command: list, check and export never read the
// F<n>.MWD beside MASTER's F<n>.DAT.
TEST_F(SoundDirectories, AnXmasterNumberBelow256NamesNoDataFile)
{
    const fs::path dir = Copy("futures-lumber");
    if (dir.empty())
        GTEST_SKIP() << "no genuine directories beside the checkout";
    Patch(dir / "xmaster", 150 + 65, {5, 0});
    WriteText(dir / "F5.MWD", "not a data file");
    const std::string symbol = XmasterSymbol(dir, 1);
    const CliResult list = RunCli({"list", dir.string(), "--format", "csv"});
    EXPECT_EQ(list.out.find("F5.MWD"), std::string::npos) << list.out;
    const CliResult check = RunCli({"check", dir.string()});
    EXPECT_NE(check.out.find("XMASTER gives " + symbol + " the file number 5, outside 256 to 65535"), std::string::npos)
        << check.out;
    const CliResult exported = RunCli({"export", dir.string(), symbol});
    EXPECT_EQ(exported.status, 1);
    EXPECT_NE(exported.err.find("names no data file"), std::string::npos) << exported.err;
}

#ifndef _WIN32
// A FIFO under an index's name holds no command: each says that it is not a file, and nothing is written.
TEST_F(SoundDirectories, AFifoUnderAnIndexNameIsRefusedWithoutWaiting)
{
    const fs::path dir = Copy("futures-euro-oat");
    if (dir.empty())
        GTEST_SKIP() << "no genuine directories beside the checkout";
    for (const char* szIndex : {"XMASTER", "emaster"}) {
        const fs::path dir = Copy("futures-euro-oat");
        fs::remove(dir / szIndex);
        ASSERT_EQ(mkfifo((dir / szIndex).c_str(), 0600), 0);
        const Files before = SnapshotOf(dir);
        for (const std::vector<std::string>& args :
             {ConvertArgs(dir, "QFNEW"), {"list", dir.string()}, {"check", dir.string()}, {"remove", dir.string(), "QFNONE"},
              {"export", dir.string(), "OAT4_2022M"}}) {
            const CliResult result = RunCli(args);
            EXPECT_NE(result.status, 0) << szIndex << " " << args[0];
            EXPECT_NE((result.out + result.err).find((dir / szIndex).string() + " is not a file"), std::string::npos)
                << szIndex << " " << args[0] << ": " << result.out << result.err;
        }
        EXPECT_EQ(SnapshotOf(dir), before) << szIndex;
    }
}
#endif  // _WIN32

// EMASTER may list securities that MASTER does not: list shows them, saying which index lists them, and
// remove takes them out.
TEST_F(SoundDirectories, SecuritiesThatOnlyEmasterListsAreListedAndRemoved)
{
    const fs::path dir = Copy("futures-euro-oat");
    if (dir.empty())
        GTEST_SKIP() << "no genuine directories beside the checkout";
    // MASTER forgets its last two securities (F5 and F6); EMASTER keeps them.
    std::vector<unsigned char> master = ReadBytes(dir / "master");
    master.resize(53 * 5);
    master[0] = 4;
    master[2] = 4;
    WriteText(dir / "master", std::string(master.begin(), master.end()));
    const std::vector<unsigned char> emaster = ReadBytes(dir / "emaster");
    const std::string only = metastock::IndexText(&emaster[192 * 6 + 11], 14);
    const CliResult list = RunCli({"list", dir.string(), "--format", "csv"});
    EXPECT_NE(list.out.find(only + ","), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("only EMASTER lists it"), std::string::npos) << list.out;
    EXPECT_EQ(RunCli(ConvertArgs(dir, only)).err, "Duplicate Symbol\n");
    const CliResult removed = RunCli({"remove", dir.string(), only});
    ASSERT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(ReadBytes(dir / "emaster").size(), 192u * 6);
    EXPECT_EQ(RunCli({"list", dir.string(), "--format", "csv"}).out.find(only + ","), std::string::npos);
}

// Past a full MASTER, convert and batch follow one rule: the directory's XMASTER when it has one or one
// is asked for; else convert refuses with the limit and batch goes on in DIR/2. XMASTER's header then
// counts the securities and gives the highest number in use + 1, and --max-per-dir holds with --xmaster.
TEST_F(SoundDirectories, PastAFullMasterConvertAndBatchFollowOneRule)
{
    if (Copy("futures-lumber").empty())
        GTEST_SKIP() << "no genuine directories beside the checkout";
    auto withoutXmaster = [&] {
        const fs::path dir = Copy("futures-lumber");
        for (const char* szName : {"xmaster", "F256.mwd", "F257.mwd", "F258.mwd", "F259.mwd", "F260.mwd", "F261.mwd",
                                   "F262.mwd"})
            fs::remove(dir / szName);
        return dir;
    };
    fs::path dir = withoutXmaster();
    CliResult result = RunCli(ConvertArgs(dir, "QFNEW"));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("maximum number of symbols (255)"), std::string::npos) << result.err;
    std::vector<std::string> args = ConvertArgs(dir, "QFNEW");
    args.push_back("--xmaster");
    result = RunCli(args);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, 16), "QFNEW: F256.MWD,");

    dir = withoutXmaster();
    const std::string input = Input();
    WriteText(m_work.Path() / "QFB.csv", "20240102,1,2,0.5,1.5,100,7\n");
    result = RunCli({"batch", dir.string(), input, (m_work.Path() / "QFB.csv").string(), "--date-format", "CCYYMMDD"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::exists(dir / "2" / "MASTER")) << "without --xmaster the batch goes on in DIR/2";

    dir = withoutXmaster();
    result = RunCli({"batch", dir.string(), input, (m_work.Path() / "QFB.csv").string(), "--date-format", "CCYYMMDD",
                     "--xmaster"});
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<unsigned char> xmaster = ReadBytes(dir / "XMASTER");
    ASSERT_EQ(xmaster.size(), 150u * 3);
    EXPECT_EQ(Hex(&xmaster[10], 10), "02 00 00 00 02 00 00 00 02 01") << "two securities, 258 next";
    EXPECT_EQ(Hex(&xmaster[150 + 65], 2), "00 01") << "256";
    EXPECT_EQ(Hex(&xmaster[300 + 65], 2), "01 01") << "257";
    ASSERT_EQ(RunCli({"remove", dir.string(), "QFB"}).status, 0);
    xmaster = ReadBytes(dir / "XMASTER");
    EXPECT_EQ(Hex(&xmaster[10], 10), "01 00 00 00 01 00 00 00 01 01") << "one security, 257 next";

    dir = withoutXmaster();
    result = RunCli({"batch", dir.string(), input, "--date-format", "CCYYMMDD", "--xmaster", "--max-per-dir", "100"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(fs::exists(dir / "XMASTER")) << "the limit holds: DIR has 255, more than 100";
    EXPECT_TRUE(fs::exists(dir / "2" / "MASTER"));
}

// The first date of a new security in EMASTER (both its forms) and in XMASTER is its first row's.
TEST_F(SoundDirectories, NewSecuritiesTakeTheirFirstDateInEmasterAndXmaster)
{
    const fs::path oat = Copy("futures-euro-oat");
    if (oat.empty())
        GTEST_SKIP() << "no genuine directories beside the checkout";
    ASSERT_EQ(RunCli(ConvertArgs(oat, "QFNEW")).status, 0);
    const std::vector<unsigned char> emaster = ReadBytes(oat / "emaster");
    const std::size_t at = 192 * 7;
    EXPECT_EQ(Hex(&emaster[at + 64], 4), "30 61 97 49") << "1240102 as a single";
    EXPECT_EQ(Hex(&emaster[at + 72], 4), "38 61 97 49") << "1240103";
    EXPECT_EQ(Hex(&emaster[at + 126], 4), "E6 D6 34 01") << "20240102";
    const CliResult check = RunCli({"check", oat.string()});
    EXPECT_EQ(check.status, 0) << check.out;

    const fs::path lumber = Copy("futures-lumber");
    ASSERT_EQ(RunCli(ConvertArgs(lumber, "QFNEW")).status, 0);
    const std::vector<unsigned char> xmaster = ReadBytes(lumber / "xmaster");
    EXPECT_EQ(Hex(&xmaster[150 * 8 + 104], 8), "E6 D6 34 01 E6 D6 34 01");
    EXPECT_EQ(Hex(&xmaster[150 * 8 + 116], 4), "E7 D6 34 01");
}

#ifndef _WIN32
namespace {

// The platform's file system, but the process dies at its Nth rename or directory flush, as a run
// killed there would: nothing is cleaned up.
class CKillingFileSystem : public metastock::IFileSystem {
public:
    explicit CKillingFileSystem(int nKillAt) : m_nKillAt(nKillAt) { metastock::InstallFileSystem(this); }
    ~CKillingFileSystem() override { metastock::InstallFileSystem(nullptr); }

    std::unique_ptr<metastock::IWritableFile> CreateExclusive(const fs::path& path, const fs::path& permissionsFrom) override
    {
        return m_platform.CreateExclusive(path, permissionsFrom);
    }
    bool Rename(const fs::path& from, const fs::path& to) override { return Step() && m_platform.Rename(from, to); }
    bool Remove(const fs::path& path) override { return m_platform.Remove(path); }
    std::unique_ptr<metastock::IReadableFile> OpenForReading(const fs::path& path) override
    {
        return m_platform.OpenForReading(path);
    }
    bool ReadWholeFile(const fs::path& path, std::vector<std::uint8_t>& bytes) override
    {
        return m_platform.ReadWholeFile(path, bytes);
    }
    bool SyncDirectory(const fs::path& directory) override { return Step() && m_platform.SyncDirectory(directory); }
    metastock::PathStatus Exists(const fs::path& path) override { return m_platform.Exists(path); }
    bool List(const fs::path& directory, std::vector<fs::path>& names, std::string& reason) override
    {
        return m_platform.List(directory, names, reason);
    }
    metastock::LockResult LockDirectory(const fs::path& directory, bool bWait,
                                        std::unique_ptr<metastock::IDirectoryLock>& lock) override
    {
        return m_platform.LockDirectory(directory, bWait, lock);
    }

private:
    bool Step()
    {
        if (++m_nSteps == m_nKillAt)
            _exit(9);
        return true;
    }
    int m_nKillAt;
    int m_nSteps = 0;
    metastock::IFileSystem& m_platform = metastock::PlatformFileSystem();
};

// Runs args in a child process killed at its Nth rename or directory flush: true when it was killed.
bool KilledAt(int nKillAt, const std::vector<std::string>& args)
{
    const pid_t child = fork();
    if (child == 0) {
        CKillingFileSystem killer(nKillAt);
        _exit(RunCli(args).status == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 9;
}

// Every security that MASTER lists has its data file, and EMASTER lists what MASTER does: what another
// program may read in between.
std::string HarmlessOrWhy(const fs::path& dir)
{
    metastock::DirectoryContents contents;
    std::string error;
    if (!metastock::ReadDirectory(dir, contents, error))
        return error;
    for (const metastock::SecurityEntry& security : contents.securities)
        if (security.entry.kind != metastock::IndexKind::kEmaster &&
            !fs::exists(metastock::FindEntryIgnoringCase(dir, security.dataFile)))
            return security.entry.symbol + " is listed without its data file " + security.dataFile;
    return std::string();
}

}  // namespace

// A run killed at any rename or directory flush leaves what another program may read harmless, and the
// next run leaves the directory as the whole change makes it: convert, update, remove and batch, on both
// genuine directories.
TEST_F(SoundDirectories, ARunKilledAtAnyStepIsFinishedOrUndoneByTheNextRun)
{
    if (Copy("futures-euro-oat").empty())
        GTEST_SKIP() << "no genuine directories beside the checkout";
    WriteText(m_work.Path() / "QFA.csv", "20240102,1,2,0.5,1.5,100,7\n");
    WriteText(m_work.Path() / "QFB.csv", "20240102,1,2,0.5,1.5,100,7\n20240104,1,2,0.5,1.5,100,7\n");
    WriteText(m_work.Path() / "later.csv", "20240102,1,2,0.5,1.5,100,7\n20240103,2,3,1.5,2.5,200,8\n20240104,2,3,1.5,2.5,200,8\n");
    const std::string qfa = (m_work.Path() / "QFA.csv").string(), qfb = (m_work.Path() / "QFB.csv").string();
    const std::string later = (m_work.Path() / "later.csv").string();
    const auto none = [](const fs::path&) {};
    const auto withQfnew = [&](const fs::path& d) { ASSERT_EQ(RunCli(ConvertArgs(d, "QFNEW")).status, 0); };
    const struct {
        const char* szWhat;
        const char* szDir;
        std::function<void(const fs::path&)> prepare;
        std::function<std::vector<std::string>(const fs::path&)> run;
    } kChanges[] = {
        {"convert into MASTER and EMASTER", "futures-euro-oat", none, [&](const fs::path& d) { return ConvertArgs(d, "NEWOAT"); }},
        {"convert into XMASTER", "futures-lumber", none, [&](const fs::path& d) { return ConvertArgs(d, "QFNEW"); }},
        {"remove from MASTER and EMASTER", "futures-euro-oat", none,
         [](const fs::path& d) { return std::vector<std::string>{"remove", d.string(), "OAT4_2022M"}; }},
        {"remove from XMASTER", "futures-lumber", none,
         [](const fs::path& d) { return std::vector<std::string>{"remove", d.string(), "LB___2023N"}; }},
        {"convert --update, MASTER and EMASTER", "futures-euro-oat", withQfnew,
         [&](const fs::path& d) {
             return std::vector<std::string>{"convert", later, "--dir", d.string(), "--symbol", "QFNEW", "--date-format",
                                             "CCYYMMDD", "--update"};
         }},
        {"convert --update, XMASTER", "futures-lumber", withQfnew,
         [&](const fs::path& d) {
             return std::vector<std::string>{"convert", later, "--dir", d.string(), "--symbol", "QFNEW", "--date-format",
                                             "CCYYMMDD", "--update"};
         }},
        {"batch", "futures-euro-oat", none,
         [&](const fs::path& d) { return std::vector<std::string>{"batch", d.string(), qfa, qfb, "--date-format", "CCYYMMDD"}; }},
        {"batch into XMASTER", "futures-lumber", none,
         [&](const fs::path& d) { return std::vector<std::string>{"batch", d.string(), qfa, qfb, "--date-format", "CCYYMMDD"}; }},
    };
    int nKills = 0;
    for (const auto& change : kChanges) {
        fs::path dir = Copy(change.szDir);
        change.prepare(dir);
        const CliResult done = RunCli(change.run(dir));
        ASSERT_EQ(done.status, 0) << change.szWhat << ": " << done.err;
        const Files after = SnapshotOf(dir);
        for (int n = 1;; ++n) {
            dir = Copy(change.szDir);
            change.prepare(dir);
            const Files before = SnapshotOf(dir);
            if (!KilledAt(n, change.run(dir)))
                break;
            ++nKills;
            const std::string what = std::string(change.szWhat) + ", killed at step " + std::to_string(n);
            EXPECT_EQ(HarmlessOrWhy(dir), "") << what;
            const CliResult retry = RunCli(change.run(dir));
            EXPECT_EQ(retry.status, 0) << what << ": " << retry.err;
            EXPECT_EQ(SnapshotOf(dir), after) << what;
        }
    }
    EXPECT_GT(nKills, 30);
}
#endif  // _WIN32

// With EMASTER and XMASTER present the renames keep their order: the journal first; when adding, the
// data files, then the index beside MASTER, MASTER.BAK, and MASTER last; when removing, MASTER first.
TEST_F(SoundDirectories, RenamesKeepTheirOrderWithEmasterAndXmaster)
{
    if (Copy("futures-euro-oat").empty())
        GTEST_SKIP() << "no genuine directories beside the checkout";
    const struct {
        const char* szWhat;
        const char* szDir;
        std::function<std::vector<std::string>(const fs::path&)> args;
        std::vector<std::string> renames;
    } kChanges[] = {
        {"add beside EMASTER", "futures-euro-oat", [&](const fs::path& d) { return ConvertArgs(d, "QFNEW"); },
         {"QFCOMMIT.JNL.~NU QFCOMMIT.JNL", "F7.NEW F7.DAT", "F7.DOP.~NU F7.DOP", "emaster.~NU emaster",
          "master.bak.~NU master.bak", "master.~NU master"}},
        {"add into XMASTER", "futures-lumber", [&](const fs::path& d) { return ConvertArgs(d, "QFNEW"); },
         {"QFCOMMIT.JNL.~NU QFCOMMIT.JNL", "F263.NEW F263.MWD", "F263.DOP.~NU F263.DOP", "xmaster.~NU xmaster",
          "master.bak.~NU master.bak", "master.~NU master"}},
        {"remove beside EMASTER", "futures-euro-oat",
         [](const fs::path& d) { return std::vector<std::string>{"remove", d.string(), "OAT4_2022M"}; },
         {"QFCOMMIT.JNL.~NU QFCOMMIT.JNL", "master.~NU master", "emaster.~NU emaster", "master.bak.~NU master.bak"}},
        {"remove from XMASTER", "futures-lumber",
         [](const fs::path& d) { return std::vector<std::string>{"remove", d.string(), "LB___2023N"}; },
         {"QFCOMMIT.JNL.~NU QFCOMMIT.JNL", "master.~NU master", "xmaster.~NU xmaster", "master.bak.~NU master.bak"}},
    };
    for (const auto& change : kChanges) {
        const fs::path dir = Copy(change.szDir);
        std::vector<std::string> renames;
        {
            CFaultFileSystem recorder;
            const CliResult result = RunCli(change.args(dir));
            ASSERT_EQ(result.status, 0) << change.szWhat << ": " << result.err;
            for (const std::string& call : recorder.calls)
                if (call.starts_with("rename "))
                    renames.push_back(call.substr(7));
        }
        EXPECT_EQ(renames, change.renames) << change.szWhat;
    }
}

#ifndef _WIN32
// Every counted call of a change on a genuine directory fails in turn (batch included): the run fails
// with the system's reason, and the directory is as it was (and the retry makes the change) or, past the
// commit, the next run leaves it as the whole change makes it; in a batch a file whose reading fails may
// fail alone, the others added whole.
TEST_F(SoundDirectories, AFailingCallAnywhereLeavesTheChangeWholeOrUndone)
{
    if (Copy("futures-euro-oat").empty())
        GTEST_SKIP() << "no genuine directories beside the checkout";
    WriteText(m_work.Path() / "QFA.csv", "20240102,1,2,0.5,1.5,100,7\n");
    WriteText(m_work.Path() / "QFB.csv", "20240102,1,2,0.5,1.5,100,7\n20240104,1,2,0.5,1.5,100,7\n");
    const std::string qfa = (m_work.Path() / "QFA.csv").string(), qfb = (m_work.Path() / "QFB.csv").string();
    const struct {
        const char* szWhat;
        const char* szDir;
        std::function<std::vector<std::string>(const fs::path&)> args;
    } kChanges[] = {
        {"batch beside EMASTER", "futures-euro-oat",
         [&](const fs::path& d) { return std::vector<std::string>{"batch", d.string(), qfa, qfb, "--date-format", "CCYYMMDD"}; }},
        {"remove from XMASTER", "futures-lumber",
         [](const fs::path& d) { return std::vector<std::string>{"remove", d.string(), "LB___2023N"}; }},
    };
    for (const auto& change : kChanges) {
        fs::path dir = Copy(change.szDir);
        int nCalls = 0;
        {
            CFaultFileSystem counter;
            ASSERT_EQ(RunCli(change.args(dir)).status, 0) << change.szWhat;
            nCalls = static_cast<int>(counter.calls.size());
        }
        const Files after = SnapshotOf(dir);
        for (int n = 1; n <= nCalls; ++n) {
            dir = Copy(change.szDir);
            const Files before = SnapshotOf(dir);
            CliResult failed;
            std::string call;
            {
                CFaultFileSystem faults(n);
                failed = RunCli(change.args(dir));
                call = faults.calls.size() >= static_cast<std::size_t>(n) ? faults.calls[static_cast<std::size_t>(n - 1)] : "";
            }
            const std::string what = std::string(change.szWhat) + ", " + call;
            if (call == "syncfs")
                continue;  // the run then flushes file by file
            if (failed.status == 0) {  // a look whose answer the run takes again under the lock
                EXPECT_TRUE(SnapshotOf(dir) == after) << what;
                continue;
            }
            EXPECT_NE(failed.err.find("Input/output error"), std::string::npos) << what << ": " << failed.err;
            RunCli({"remove", dir.string(), "QFNONE"});  // takes the lock: finishes a change left half-way
            const Files next = SnapshotOf(dir);
            const CliResult check = RunCli({"check", dir.string()});
            EXPECT_EQ(check.status, 0) << what << ": " << check.out;
            const bool bOneFileFailed = change.args(dir)[0] == "batch";
            if (next == before) {
                const CliResult retry = RunCli(change.args(dir));
                EXPECT_EQ(retry.status, 0) << "retry after " << what << ": " << retry.err;
                EXPECT_TRUE(SnapshotOf(dir) == after) << "retry after " << what;
            } else {
                EXPECT_TRUE(next == after || bOneFileFailed) << what << ": " << failed.err;
            }
        }
    }
}
#endif  // _WIN32
