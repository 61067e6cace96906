// The platform's file system (POSIX or Windows) in a directory named outside ASCII: what a replacement
// relies on, call by call, and the directory lock.

#include <gtest/gtest.h>

#include <algorithm>

#include "metastock/file_system.h"
#include "support/temp_dir.h"

using namespace metastock;
namespace fs = std::filesystem;

TEST(PlatformFileSystem, EachCallKeepsItsPromiseInADirectoryNamedOutsideAscii)
{
    CTempDir top;
    const fs::path dir = top.Path() / fs::path(u8"M\u00fcller");
    fs::create_directory(dir);
    fs::create_directory(dir / "SUB");
    WriteText(dir / "OLD", "old");
    IFileSystem& system = PlatformFileSystem();

    auto file = system.CreateExclusive(dir / "NEW", dir / "OLD");
    ASSERT_TRUE(file) << "a fresh name";
    EXPECT_TRUE(file->Write("abcd", 4));
    EXPECT_TRUE(file->WriteAt(1, "XY", 2));
    EXPECT_FALSE(file->WriteAt(3, "XY", 2)) << "past the end";
    EXPECT_TRUE(file->Write("e", 1)) << "writing goes on at the end";
    EXPECT_TRUE(file->Sync());
    EXPECT_TRUE(file->Close());
    EXPECT_EQ(ReadBytes(dir / "NEW"), (std::vector<unsigned char>{'a', 'X', 'Y', 'd', 'e'}));

    EXPECT_FALSE(system.CreateExclusive(dir / "OLD", {})) << "over a file";
    EXPECT_FALSE(system.CreateExclusive(dir / "SUB", {})) << "over a directory";
    EXPECT_EQ(ReadBytes(dir / "OLD").size(), 3u);

    EXPECT_TRUE(system.Rename(dir / "NEW", dir / "OLD"));
    EXPECT_EQ(ReadBytes(dir / "OLD").size(), 5u) << "the rename replaced the old file";
    EXPECT_FALSE(fs::exists(dir / "NEW"));

    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(system.ReadWholeFile(dir / "OLD", bytes));
    EXPECT_EQ(bytes.size(), 5u);
    EXPECT_FALSE(system.ReadWholeFile(dir / "MISSING", bytes));
    EXPECT_FALSE(system.ReadWholeFile(dir / "SUB", bytes));
    EXPECT_TRUE(system.SyncDirectory(dir));

    const struct {
        const char* szName;
        Existence existence;
        bool bRegularFile;
    } kLooks[] = {{"OLD", Existence::kYes, true}, {"SUB", Existence::kYes, false}, {"MISSING", Existence::kNo, false},
                  {"OLD/INSIDE", Existence::kNo, false}};
    for (const auto& look : kLooks) {
        const PathStatus status = system.Exists(dir / look.szName);
        EXPECT_EQ(status.existence, look.existence) << look.szName;
        EXPECT_EQ(status.regularFile, look.bRegularFile) << look.szName;
    }
    std::vector<fs::path> names;
    std::string reason;
    ASSERT_TRUE(system.List(dir, names, reason)) << reason;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<fs::path>{"OLD", "SUB"}));
    EXPECT_FALSE(system.List(dir / "MISSING", names, reason));
    EXPECT_FALSE(reason.empty()) << "a failed listing says why";

    EXPECT_TRUE(system.Remove(dir / "OLD"));
    EXPECT_FALSE(fs::exists(dir / "OLD"));
    EXPECT_TRUE(system.Remove(dir / "MISSING")) << "nothing there afterwards";
    EXPECT_FALSE(system.Remove(dir / "SUB")) << "never a directory";
    EXPECT_TRUE(fs::is_directory(dir / "SUB"));

    std::unique_ptr<IDirectoryLock> first, second;
    ASSERT_EQ(system.LockDirectory(dir, false, first), LockResult::kLocked);
    EXPECT_EQ(system.LockDirectory(dir, false, second), LockResult::kBusy);
    first.reset();
    EXPECT_EQ(system.LockDirectory(dir, false, second), LockResult::kLocked) << "released with its holder";
    second.reset();
    EXPECT_EQ(ListsEntry(dir, "QUOTEFORGE.LCK"), false) << "the lock leaves nothing behind";
}
