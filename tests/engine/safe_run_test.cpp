// What a run leaves in its directory when something goes wrong: a failing file-system call at any point,
// links planted at its temporary names, a failing input, other indexes beside MASTER, a second run.

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <thread>

#include <gtest/gtest.h>

#include "engine/directory/directory_commit.h"
#include "engine/directory/remove_security.h"
#include "engine/input/layout_detection.h"
#include "engine/input/settings_fit.h"
#include "engine/job/conversion_settings.h"
#include "metastock/extra_index_files.h"
#include "metastock/file_names.h"
#include "metastock/file_system.h"
#include "support/fault_file_system.h"
#include "test_job.h"

namespace {

using Snapshot = DirectoryBytes;

const char* const kRows = "12/31/98,1,2,3,4,5,6\n01/04/99,2,3,4,5,6,7\n";

// A directory holding the securities 1, 2 and 4 and a backup, or nothing.
void Fill(const fs::path& directory, bool bSecurities)
{
    if (!bSecurities)
        return;
    WriteText((directory / "MASTER").string(), MasterBytes(3, 3, {1, 2, 4}));
    WriteText((directory / "MASTER.BAK").string(), MasterBytes(2, 2, {1, 2}));
    for (int n : {1, 2, 4}) {
        WriteText((directory / DataFileName(n)).string(), "data of " + std::to_string(n));
        WriteText((directory / ColumnListName(n)).string(), "columns of " + std::to_string(n));
    }
}

struct CRunResult {
    int nStatus;
    Strings messages;
};

CRunResult RunInto(const fs::path& input, const fs::path& directory, bool bExisting, const char* szSymbol = "NEW",
                   bool bMakeXmaster = false)
{
    CTestJob test(input, directory, szSymbol);
    test.job.master = bExisting ? MasterChoice::Existing : MasterChoice::New;
    test.job.makeXmaster = bMakeXmaster;
    const int status = test.Run();
    return {status, test.recorder.messages};
}

// One change of each kind, into a directory prepared for it.
struct CChange {
    const char* szWhat;
    const char* szInput;  // the input file it reads, in the work directory ("" when it reads none)
    void (*prepare)(const fs::path& work, const fs::path& directory);
    CRunResult (*run)(const fs::path& work, const fs::path& directory);
};

// The securities of Fill, NEW added to them as F3.DAT, and an EMASTER listing NEW.
void FillWithNew(const fs::path& work, const fs::path& directory)
{
    Fill(directory, true);
    ASSERT_EQ(RunInto(work / "input.txt", directory, true).nStatus, 0);
    std::string emaster(192 * 2, '\0');
    emaster[0] = 1;
    emaster[192 + 2] = 3, emaster.replace(192 + 11, 3, "NEW");
    WriteText(directory / "EMASTER", emaster);
}

// The securities of Fill with an EMASTER that lists them as charting software does.
void FillWithEmaster(const fs::path&, const fs::path& directory)
{
    Fill(directory, true);
    std::vector<std::uint8_t> emaster;
    for (int n : {1, 2, 4})
        AppendEmasterRecord(emaster, {n, 7, "S" + std::to_string(n), "NAME " + std::to_string(n), 20000101, 20000101});
    WriteText(directory / "EMASTER", std::string(emaster.begin(), emaster.end()));
}

// A full MASTER, and XMASTER listing the security XTRA of F256.MWD, which its run made.
void FillFull(const fs::path& work, const fs::path& directory)
{
    std::vector<int> numbers(255);
    for (int n = 1; n <= 255; ++n)
        numbers[static_cast<std::size_t>(n - 1)] = n;
    WriteText(directory / "MASTER", MasterBytes(255, 255, numbers));
    ASSERT_EQ(RunInto(work / "input.txt", directory, true, "XTRA", true).nStatus, 0);
    ASSERT_TRUE(fs::exists(directory / "F256.MWD"));
}

const CChange kChanges[] = {
    {"convert into MASTER and EMASTER", "input.txt", FillWithEmaster,
     [](const fs::path& work, const fs::path& directory) { return RunInto(work / "input.txt", directory, true); }},
    {"convert into XMASTER", "input.txt", FillFull,
     [](const fs::path& work, const fs::path& directory) { return RunInto(work / "input.txt", directory, true); }},
    {"remove from XMASTER", "", FillFull,
     [](const fs::path&, const fs::path& directory) {
         CRecorder recorder;
         std::string removedFile;
         const int status = RemoveSecurity(directory, "XTRA", recorder, removedFile);
         return CRunResult{status, recorder.messages};
     }},
    {"convert, new MASTER", "input.txt", [](const fs::path&, const fs::path&) {},
     [](const fs::path& work, const fs::path& directory) { return RunInto(work / "input.txt", directory, false); }},
    {"convert into MASTER", "input.txt", [](const fs::path&, const fs::path& directory) { Fill(directory, true); },
     [](const fs::path& work, const fs::path& directory) { return RunInto(work / "input.txt", directory, true); }},
    {"convert --update", "more.txt", FillWithNew,
     [](const fs::path& work, const fs::path& directory) {
         CTestJob test(work / "more.txt", directory, "NEW");
         test.job.master = MasterChoice::Existing;
         test.job.update = true;
         const int status = test.Run();
         return CRunResult{status, test.recorder.messages};
     }},
    {"remove", "", FillWithNew,
     [](const fs::path&, const fs::path& directory) {
         CRecorder recorder;
         std::string removedFile;
         const int status = RemoveSecurity(directory, "NEW", recorder, removedFile);
         return CRunResult{status, recorder.messages};
     }},
};

#ifndef _WIN32
bool HasTemporaryFile(const Snapshot& snapshot)
{
    return std::any_of(snapshot.begin(), snapshot.end(), [](const auto& entry) {
        return entry.first.ends_with(".~NU") || entry.first.ends_with(".NEW");
    });
}
#endif

}  // namespace

// What a run that takes the directory's lock leaves: the rest of an interrupted change carried out.
Snapshot SnapshotAfterNextRun(const fs::path& directory)
{
    CRecorder recorder;
    CDirectoryCommit(recorder, true).Lock(directory, "convert");
    return SnapshotOf(directory);
}

// Every counted call of the change fails in turn. Up to the rename of the journal that commits it, the
// run fails naming the file, leaves the directory byte for byte as it was, and its retry succeeds; after
// it, the message says that the change stands or that the next run finishes it, and the next run that
// takes the lock leaves the directory as the change makes it.
// The reasons and the renames it expects are the POSIX file system's.
#ifndef _WIN32
TEST(SafeRun, AFailingCallAnywhereLeavesTheDirectoryAsItWasOrSaysTheChangeStands)
{
    for (const CChange& change : kChanges) {
        CTempDir work;
        WriteText(work / "input.txt", kRows);
        WriteText(work / "more.txt", std::string(kRows) + "01/05/99,3,4,5,6,7,8\n");
        const std::string input = PathKey((work.Path() / change.szInput).string());
        // The calls of a whole change, to find the rename of the journal that commits it, and what it leaves.
        std::vector<std::string> calls;
        Snapshot after;
        {
            CTempDir dir;
            change.prepare(work.Path(), dir.Path());
            CFaultFileSystem counter;
            const CRunResult done = change.run(work.Path(), dir.Path());
            ASSERT_EQ(done.nStatus, 0) << change.szWhat << ": " << (done.messages.empty() ? "" : done.messages[0]);
            calls = counter.calls;
            after = SnapshotOf(dir.Path());
        }
        const auto commit = std::find(calls.begin(), calls.end(), "rename QFCOMMIT.JNL.~NU QFCOMMIT.JNL");
        ASSERT_NE(commit, calls.end()) << change.szWhat;
        EXPECT_EQ(after.count("QFCOMMIT.JNL"), 0u) << change.szWhat << ": the journal goes once carried out";
        if (*change.szInput) {
            EXPECT_NE(std::find(calls.begin(), calls.end(), "read " + std::string(change.szInput)), calls.end())
                << change.szWhat << ": the input is read through the file system that fails";
        }
        const int nCommit = static_cast<int>(commit - calls.begin()) + 1;
        for (int n = 1; n <= static_cast<int>(calls.size()); ++n) {
            const std::string what = std::string(change.szWhat) + ", " + calls[static_cast<std::size_t>(n - 1)];
            if (calls[static_cast<std::size_t>(n - 1)] == "syncfs")
                continue;  // without a flush of the whole file system the run flushes file by file
            CTempDir dir;
            change.prepare(work.Path(), dir.Path());
            const Snapshot before = SnapshotOf(dir.Path());
            CRunResult failed;
            {
                CFaultFileSystem faults(n);
                failed = change.run(work.Path(), dir.Path());
            }
            EXPECT_NE(failed.nStatus, 0) << what;
            ASSERT_FALSE(failed.messages.empty()) << what;
            const std::string message = PathKey(failed.messages.back());
            EXPECT_NE(message.find(std::strerror(EIO)), std::string::npos) << what << ": the system's reason: " << message;
            if (n > nCommit) {
                const bool bStands = message.find(",\nbut ") != std::string::npos ||
                                     message.find("\nThe change is recorded in ") != std::string::npos;
                const Snapshot next = SnapshotAfterNextRun(dir.Path());
                if (bStands)
                    EXPECT_EQ(next, after) << what << ": " << message;
                else  // the journal's name could not be flushed, and it went again: nothing changed
                    EXPECT_EQ(next, before) << what << ": " << message;
                if (bStands)
                    continue;
            }
            EXPECT_FALSE(HasTemporaryFile(SnapshotOf(dir.Path()))) << what;
            if (calls[static_cast<std::size_t>(n - 1)] == "read " + std::string(change.szInput))
                EXPECT_EQ(message, PathKey("Cannot read the input file\n" + input + ": Input/output error")) << what;
            else
                EXPECT_TRUE(message.find(PathKey(dir.Path().string())) != std::string::npos ||
                            message.find(input) != std::string::npos)
                    << what << ": " << message;
            EXPECT_EQ(SnapshotOf(dir.Path()), before) << what;
            const CRunResult retry = change.run(work.Path(), dir.Path());
            EXPECT_EQ(retry.nStatus, 0) << "retry after " << what << ": " << (retry.messages.empty() ? "" : retry.messages[0]);
            EXPECT_EQ(SnapshotOf(dir.Path()), after) << "retry after " << what;
        }
    }
}

#endif  // _WIN32

// Links, permission bits, FIFOs and /proc are POSIX matters.
#ifndef _WIN32
TEST(SafeRun, LinksAtTheTemporaryNamesAndAtMasterAreNeverFollowed)
{
    for (const char* szName : {"F3.NEW", "F3.DOP.~NU", "MASTER.~NU", "MASTER.BAK.~NU", "MASTER", "MASTER.BAK"}) {
        CTempDir work, dir;
        WriteText(work / "input.txt", kRows);
        Fill(dir.Path(), true);
        const std::string target = work / "victim";
        const std::string victim = std::string(szName) == "MASTER" ? MasterBytes(3, 3, {1, 2, 4}) : "not yours";
        WriteText(target, victim);
        fs::remove(dir.Path() / szName);
        fs::create_symlink(target, dir.Path() / szName);
        EXPECT_EQ(RunInto(work / "input.txt", dir.Path(), true).nStatus, 0) << szName;
        EXPECT_EQ(Hex(ReadBytes(target)), Hex(victim)) << szName;
        for (const char* szKept : {"MASTER", "MASTER.BAK", "F3.DAT", "F3.DOP"})
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.Path() / szKept))) << szName << ": " << szKept;
        EXPECT_EQ(ReadBytes(dir.Path() / "MASTER").size(), 53u * 5) << szName;
    }
}

TEST(SafeRun, ReplacedFilesKeepTheirPermissionBits)
{
    const struct {
        const char* szName;
        fs::perms perms;
    } cases[] = {{"MASTER", fs::perms(0640)}, {"MASTER.BAK", fs::perms(0604)}, {"F3.DAT", fs::perms(0600)}};
    for (const auto& c : cases) {
        CTempDir work, dir;
        WriteText(work / "input.txt", kRows);
        WriteText(work / "more.txt", std::string(kRows) + "01/05/99,3,4,5,6,7,8\n");
        FillWithNew(work.Path(), dir.Path());  // NEW in F3.DAT, which the update replaces
        fs::permissions(dir.Path() / c.szName, c.perms);
        CTestJob update(work / "more.txt", dir.Path(), "NEW");
        update.job.master = MasterChoice::Existing;
        update.job.update = true;
        ASSERT_EQ(update.Run(), 0) << c.szName;
        EXPECT_EQ(fs::status(dir.Path() / c.szName).permissions(), c.perms) << c.szName;
        EXPECT_GT(fs::file_size(dir.Path() / c.szName), 0u) << c.szName;
    }
}

TEST(SafeRun, AnInputThatFailsWhileReadingFailsTheRunAndAPipeIsRead)
{
    CTempDir work, dir;
    Fill(dir.Path(), true);
    const Snapshot before = SnapshotOf(dir.Path());
    // Reading the start of a process's own memory fails with an input/output error.
    const CRunResult failed = RunInto("/proc/self/mem", dir.Path(), true);
    EXPECT_EQ(failed.nStatus, 1);
    EXPECT_EQ(failed.messages, Strings{"Cannot read the input file\n/proc/self/mem: Input/output error"});
    EXPECT_EQ(SnapshotOf(dir.Path()), before);

    const std::string fifo = work / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] { WriteText(fifo, kRows); });
    const CRunResult piped = RunInto(fifo, dir.Path(), true);
    writer.join();
    EXPECT_EQ(piped.nStatus, 0) << (piped.messages.empty() ? "" : piped.messages[0]);
    EXPECT_EQ(DataRecords(dir.Path() / "F3.DAT", 7).size(), 2u);
}

#endif  // _WIN32

// A read error is never the end of the input: every reader of it says so with the system's reason, and a
// run that meets it writes nothing. A run opens its input once, also after the rows were checked for it.
TEST(SafeRun, EveryReaderOfAnInputThatCannotBeReadGivesTheSystemsReason)
{
    CTempDir work, dir;
    WriteText(work / "input.txt", kRows);
    Fill(dir.Path(), true);
    ASSERT_EQ(RunInto(work / "input.txt", dir.Path(), true, "HELD").nStatus, 0);
    const Snapshot before = SnapshotOf(dir.Path());
    const std::string input = work / "input.txt";
    const auto last = [](const Strings& messages) { return messages.empty() ? std::string() : messages.back(); };
    // An update of HELD, or NEW added; its rows checked first as the desktop does, or read by the run.
    const auto run = [&](bool bUpdate, bool bRefuseMisfit, bool bCheckedFirst) {
        CTestJob test(input, dir.Path(), bUpdate ? "HELD" : "NEW");
        test.job.master = MasterChoice::Existing;
        test.job.update = bUpdate;
        test.job.layout.refuseMisfit = bRefuseMisfit;
        if (bCheckedFirst)
            test.Converter().UseCheckedRows(CheckJobRows(test.job));
        EXPECT_EQ(test.Run(), 1);
        return last(test.recorder.messages);
    };
    const std::string unread = "Cannot read the input file\n" + input + ": " + std::string(std::strerror(EIO));
    const struct {
        const char* szReader;
        std::function<std::string()> read;  // what it says
        std::string strSaid;
    } readers[] = {
        {"convert", [&] { return run(false, true, false); }, unread},
        {"convert --update", [&] { return run(true, false, false); }, unread},
        {"the desktop's run", [&] { return run(false, false, true); }, unread},
        {"a batch's reading ahead", [&] {
             CTestJob test(input, dir.Path());
             RecordsReadAhead ahead;
             EXPECT_EQ(ReadAhead(test.job, test.recorder, ahead), 1);
             return last(test.recorder.messages);
         }, unread},
        {"the dialog's check of the first row", [&] { return SettingsMisfit(ConversionSettings{}, input); },
         "the file cannot be read: " + std::string(std::strerror(EIO))},
        {"detection", [&] { return DetectLayout(input).problem; },
         "Cannot read the input file " + input + ": " + std::string(std::strerror(EIO))},
    };
    for (const auto& reader : readers) {
        CFaultFileSystem faults("read input.txt", EIO);
        EXPECT_EQ(PathKey(reader.read()), PathKey(reader.strSaid)) << reader.szReader;
        EXPECT_EQ(std::count(faults.calls.begin(), faults.calls.end(), "open input.txt"), 1) << reader.szReader;
        EXPECT_EQ(SnapshotOf(dir.Path()), before) << reader.szReader;
    }
}

TEST(SafeRun, NumbersAndSymbolsOfEmasterAndXmasterAreTaken)
{
    CTempDir work, dir;
    WriteText(work / "input.txt", kRows);
    WriteText(dir / "MASTER", MasterBytes(1, 1, {1}));
    std::string emaster(192 * 3, '\0');
    emaster[0] = 2;
    emaster[192 + 2] = 2, emaster.replace(192 + 11, 5, "EONLY");
    emaster[384 + 2] = 3, emaster.replace(384 + 11, 5, "OTHER");
    WriteText(dir / "emaster", emaster);  // any case of the name
    std::string xmaster(150 * 2, '\0');
    xmaster[10] = 1;
    xmaster.replace(150 + 1, 5, "XONLY"), xmaster[150 + 65] = 0, xmaster[150 + 66] = 1;  // F256.MWD
    WriteText(dir / "XMASTER", xmaster);
    for (const char* szSymbol : {"eonly", "XONLY"}) {
        EXPECT_EQ(RunInto(work / "input.txt", dir.Path(), true, szSymbol).messages, Strings{"Duplicate Symbol"})
            << szSymbol;
    }
    ASSERT_EQ(RunInto(work / "input.txt", dir.Path(), true, "FRESH").nStatus, 0);
    EXPECT_EQ(ReadBytes(dir.Path() / "MASTER")[106], 4) << "1 in MASTER, 2 and 3 in EMASTER";
}

TEST(SafeRun, ASecondRunWaitsForTheLockAndThenSeesTheFirstRunsSecurity)
{
    CTempDir work, dir;
    WriteText(work / "input.txt", kRows);
    Fill(dir.Path(), true);
    std::unique_ptr<IDirectoryLock> held;
    ASSERT_EQ(PlatformFileSystem().LockDirectory(dir.Path(), false, held), LockResult::kLocked);
    CTestJob test(work / "input.txt", dir.Path(), "S1");  // the symbol that the first run added
    test.job.master = MasterChoice::Existing;
    int status = -1;
    std::thread second([&] { status = test.Run(); });
    test.recorder.WaitForNotice();  // the second run found the lock taken and waits for it
    WriteText(dir / "MASTER", MasterBytes(4, 4, {1, 2, 4, 3}));  // what the first run commits
    held.reset();
    second.join();
    ASSERT_EQ(test.recorder.notices.size(), 1u);
    EXPECT_EQ(PathKey(test.recorder.notices[0]),
              PathKey("Waiting for another run in " + fs::canonical(dir.Path()).string() + " to end before this convert..."));
    EXPECT_EQ(status, 1);
    EXPECT_EQ(test.recorder.messages, Strings{"Duplicate Symbol"});
}
