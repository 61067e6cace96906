// The run from its checks to its status: which step refuses, what it says, and what it leaves behind.

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_job.h"

using namespace metastock;
using namespace engine;

namespace {

Strings Entries(const fs::path& directory)
{
    Strings names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const char* const kRow = "12/31/99,1,2,3,4,5,6\n";

}  // namespace

TEST(Run, EachRefusalShowsItsMessageAndLeavesTheDirectoryAsItWas)
{
    enum Directory { kMissing, kEmpty, kEmptyMaster, kMasterHoldingS4 };
    const struct {
        Directory directory;
        int bUseExisting, nFieldsOn;
        const char* szSymbol;
        const char* szMessage;
    } cases[] = {
        {kMissing, 0, 7, "XYZ", "Path does not exist"},
        {kMissing, 1, 1, "XYZ", "Path does not exist"},
        {kEmpty, 1, 7, "XYZ", "Path specified does not point to a Master file"},
        {kEmpty, 1, 1, "XYZ", "Path specified does not point to a Master file"},
        {kEmptyMaster, 0, 7, "XYZ", "New Master chosen but one already exists"},
        {kEmpty, 0, 1, "XYZ", "You need to select more columns"},  // no new MASTER either
        {kMasterHoldingS4, 1, 1, "S4", "You need to select more columns"},
        {kMasterHoldingS4, 1, 7, "s4", "Duplicate Symbol"},
        {kMasterHoldingS4, 1, 7, "NAME 4", "Duplicate Symbol"},  // a security's name
    };
    for (const auto& c : cases) {
        CTempDir dir;
        WriteText(dir / "input.txt", kRow);
        const fs::path out = dir.Path() / "out";
        if (c.directory != kMissing)
            fs::create_directory(out);
        const std::string master = c.directory == kMasterHoldingS4 ? MasterBytes(2, 5, {4, 1}) : std::string(53, '\0');
        if (c.directory >= kEmptyMaster)
            WriteText(out / "MASTER", master);

        const fs::path before = fs::current_path();
        CTestJob test(dir / "input.txt", out, c.szSymbol);
        test.job.master = c.bUseExisting ? MasterChoice::Existing : MasterChoice::New;
        if (c.nFieldsOn == 1)
            test.Fields({{kDateField, 0}});
        EXPECT_EQ(test.Run(), 1) << c.szMessage;
        EXPECT_EQ(test.recorder.messages, Strings{c.szMessage});
        EXPECT_EQ(test.recorder.settings, Strings{}) << c.szMessage;
        EXPECT_EQ(fs::current_path(), before) << c.szMessage << ": the working directory stays";
        if (c.directory == kMissing)
            continue;
        const bool bMaster = c.directory != kEmpty;
        EXPECT_EQ(Entries(out), bMaster ? Strings{"MASTER"} : Strings{}) << c.szMessage;
        if (bMaster) {
            EXPECT_EQ(Hex(ReadBytes(out / "MASTER")), Hex(master)) << c.szMessage;
        }
    }
}

TEST(Run, SettingsAreWrittenBackAfterTheSecurityIsAdded)
{
    CTempDir dir;
    fs::create_directory(dir / "out");
    WriteText(dir / "input.txt", kRow);
    CTestJob test("input.txt", "out");  // both relative to the working directory
    fs::current_path(dir.Path());
    ASSERT_EQ(test.Run(), 0);
    const std::string full = fs::canonical(dir / "out").string();
    const Strings& settings = test.recorder.settings;
    ASSERT_EQ(settings.size(), 3u);
    EXPECT_EQ(PathKey(settings[0]), PathKey("Setting/Path=" + full));
    EXPECT_EQ(Strings(settings.begin() + 1, settings.end()), (Strings{"Setting/Symbol=XYZ", "Setting/Name=XYZ CORP"}));
    EXPECT_EQ(fs::current_path(), fs::canonical(dir.Path())) << "the run leaves the working directory as it was";
    EXPECT_EQ(Entries(dir / "out"), (Strings{"F1.DAT", "F1.DOP", "MASTER"})) << "no backup of a new MASTER";
}

TEST(Run, ExistingMasterIsBackedUpWithTheNewRecordAsItWasAdded)
{
    CTempDir dir;
    WriteText(dir / "MASTER", MasterBytes(1, 1, {1}));
    WriteText(dir / "input.txt", kRow);
    for (const char* szSymbol : {"ABC", "DEF"}) {
        CTestJob test(dir / "input.txt", dir.Path(), szSymbol);
        test.job.master = MasterChoice::Existing;
        ASSERT_EQ(test.Run(), 0) << szSymbol;
    }
    const auto master = ReadBytes(dir / "MASTER");
    const auto backup = ReadBytes(dir / "MASTER.BAK");
    ASSERT_EQ(master.size(), 53u * 4);
    ASSERT_EQ(backup.size(), 53u * 4) << "the second run replaced the backup";
    EXPECT_EQ(Hex(backup.data(), 159 + 25), Hex(master.data(), 159 + 25));
    EXPECT_EQ(Hex(&backup[159 + 25], 8), kCreatedTwice) << "the creation date";
    EXPECT_EQ(Hex(&master[159 + 25], 8), "F0 FF 71 94 F0 FF 71 94") << "the date of the input";
}

TEST(Run, InputThatCannotBeOpenedFailsBeforeTheOutputDirectoryChanges)
{
    CTempDir dir;
    fs::create_directory(dir / "out");
    fs::create_directory(dir / "folder");
    for (const char* szInput : {"missing.txt", "folder"}) {
        CTestJob test(dir / szInput, dir / "out");
        EXPECT_EQ(test.Run(), 1) << szInput;
        ASSERT_EQ(test.recorder.messages.size(), 1u) << szInput;
        EXPECT_NE(test.recorder.messages[0].find(dir / szInput), std::string::npos) << test.recorder.messages[0];
        EXPECT_EQ(Entries(dir / "out"), Strings{}) << szInput;
        EXPECT_EQ(test.recorder.settings, Strings{}) << szInput;
    }
}

TEST(Run, NothingChangesWhenATemporaryFileCannotBeCreated)
{
    // A directory where the temporary file should go stops it from being created, even for root.
    for (const std::string temporary : {"F2.NEW", "F2.DOP.~NU", "MASTER.BAK.~NU", "MASTER.~NU", "QFCOMMIT.JNL.~NU"}) {
        CTempDir dir;
        const std::string before = MasterBytes(1, 1, {1});
        WriteText(dir / "MASTER", before);
        WriteText(dir / "input.txt", kRow);
        fs::create_directory(dir / temporary);
        WriteText(dir.Path() / temporary / "keep", "");
        CTestJob test(dir / "input.txt", dir.Path());
        test.job.master = MasterChoice::Existing;
        EXPECT_NE(test.Run(), 0) << temporary;
        ASSERT_EQ(test.recorder.messages.size(), 1u) << temporary;
        // The message names the file the user knows, and why its temporary file could not be made.
        EXPECT_NE(test.recorder.messages[0].find("its temporary file " + temporary + " cannot be replaced ("),
                  std::string::npos)
            << test.recorder.messages[0];
        EXPECT_EQ(Hex(ReadBytes(dir / "MASTER")), Hex(before)) << temporary;
        Strings expected{"MASTER", "input.txt", temporary};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Entries(dir.Path()), expected) << temporary;
    }
}
