// The directory's MASTER file: creating it, adding a security, and writing the security's dates.

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "metastock/file_names.h"
#include "test_job.h"

using namespace metastock;
using namespace engine;

namespace {

std::vector<int> FileNumbers(int first, int last)
{
    std::vector<int> numbers(last - first + 1);
    std::iota(numbers.begin(), numbers.end(), first);
    return numbers;
}

// Entries of a directory, less the hidden file on which Windows holds a run's directory lock.
std::size_t EntryCount(const fs::path& directory)
{
    const auto count = std::distance(fs::directory_iterator(directory), fs::directory_iterator());
    return static_cast<std::size_t>(count) - (ListsEntry(directory, "QUOTEFORGE.LCK") ? 1 : 0);
}

}  // namespace

TEST(MasterFile, NewMasterIsAnEmptyHeaderAndTheFirstRecordIsByteExact)
{
    CTempDir dir;
    WriteText(dir / "input.txt", "12/31/99,1,2,3,4,5,6\n");
    CTestJob test(dir / "input.txt", dir.Path(), "ABCDEFGHIJKLMNOP");
    test.job.name = "ACME";
    ASSERT_EQ(test.Converter().CheckPath(), 0);
    EXPECT_FALSE(fs::exists(dir / "MASTER")) << "a new MASTER appears only when the run commits";

    ASSERT_EQ(test.Run(), 0);
    const auto master = ReadBytes(dir / "MASTER");
    ASSERT_EQ(master.size(), 106u);
    EXPECT_EQ(Hex(master.data(), 53), "01 00 01 00 " + Hex(std::string(49, '\0')));
    // 1, 0, 0x65, record length 28, 7 fields, 0 0, name padded to 16, 0 0, the row's date twice, 'D',
    // 0 0, 16-character symbol, 0.
    EXPECT_EQ(Hex(master.data() + 53, 53),
              "01 00 65 1C 07 00 00 41 43 4D 45 20 20 20 20 20 20 20 20 20 20 20 20 00 00 F0 FF 71 94 F0 FF 71 94"
              " 44 00 00 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 00");
    const auto data = ReadBytes(dir / "F1.DAT");
    ASSERT_EQ(data.size(), 56u);
    EXPECT_EQ(Hex(data.data(), 28), "00 00 02 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00")
        << "the header: word 1 the record count + 1";
}

TEST(MasterFile, LowestFreeFileNumberIsReused)
{
    const struct {
        std::vector<int> used;
        int nExpected;
    } cases[] = {{{}, 1}, {{1, 2, 4}, 3}, {{3, 2}, 1}, {{1, 255}, 2}, {FileNumbers(1, 254), 255}};
    for (const auto& c : cases) {
        CTempDir dir;
        const int count = static_cast<int>(c.used.size());
        WriteText(dir / "MASTER", MasterBytes(count, count, c.used));
        WriteText(dir / "input.txt", "12/31/98,1,2,3,4,5,6\n");
        CTestJob test(dir / "input.txt", dir.Path(), "NEW");
        test.job.master = MasterChoice::Existing;
        ASSERT_EQ(test.Run(), 0) << count << " used";
        const auto master = ReadBytes(dir / "MASTER");
        ASSERT_EQ(master.size(), 53u * (count + 2)) << count << " used";
        const int highest = std::max(c.nExpected, c.used.empty() ? 0 : *std::max_element(c.used.begin(), c.used.end()));
        EXPECT_EQ(Hex(master.data(), 4), Hex(std::string{char(count + 1), 0, char(highest), 0}))
            << "count, highest file number in use";
        EXPECT_EQ(master[53 * (count + 1)], c.nExpected) << count << " used";
        EXPECT_EQ(fs::file_size(dir / DataFileName(c.nExpected)), 56u);
        EXPECT_EQ(fs::file_size(dir / ColumnListName(c.nExpected)), 81u);
    }
}

TEST(MasterFile, CountThatDisagreesWithTheRecordsRefusesTheNewSecurityAndChangesNothing)
{
    const struct {
        int nCount, nCounter;
        std::vector<int> used;
    } cases[] = {
        {255, 10, FileNumbers(1, 10)},
        {10, 10, FileNumbers(1, 255)},  // a wrong count: refused for that
    };
    for (const auto& c : cases) {
        CTempDir dir;
        fs::create_directory(dir / "out");
        const std::string before = MasterBytes(c.nCount, c.nCounter, c.used);
        WriteText(dir.Path() / "out" / "MASTER", before);
        WriteText(dir / "input.txt", "12/31/98,1,2,3,4,5,6\n");
        CTestJob test(dir / "input.txt", dir / "out", "NEW");
        test.job.master = MasterChoice::Existing;
        EXPECT_EQ(test.Run(), 1) << c.nCount << ", " << c.nCounter;
        const std::string expected = c.used.size() != static_cast<std::size_t>(c.nCount)
                                         ? "out" + std::string(1, kPathSeparator) + "MASTER counts " +
                                               std::to_string(c.nCount) + " securities"
                                         : "This portfolio already has the\nmaximum number of symbols (255).\n"
                                           "Choose a different or new portfolio.";
        ASSERT_EQ(test.recorder.messages.size(), 1u);
        EXPECT_NE(PathKey(test.recorder.messages[0]).find(PathKey(expected)), std::string::npos)
            << test.recorder.messages[0];
        EXPECT_EQ(Hex(ReadBytes(dir.Path() / "out" / "MASTER")), Hex(before)) << c.nCount << ", " << c.nCounter;
        EXPECT_EQ(EntryCount(dir / "out"), 1u) << "only MASTER in the directory";
        EXPECT_EQ(test.recorder.settings, Strings{});
    }
}

TEST(MasterFile, MasterShorterThanItsHeaderIsReportedWithoutHarm)
{
    CTempDir dir;
    WriteText(dir / "MASTER", std::string(20, '\x01'));
    WriteText(dir / "input.txt", "12/31/98,1,2,3,4,5,6\n");
    CTestJob test(dir / "input.txt", dir.Path());
    test.job.master = MasterChoice::Existing;
    EXPECT_EQ(test.Run(), 1);
    ASSERT_EQ(test.recorder.messages.size(), 1u);
    EXPECT_NE(test.recorder.messages[0].find("MASTER"), std::string::npos) << test.recorder.messages[0];
    EXPECT_EQ(Hex(ReadBytes(dir / "MASTER")), Hex(std::string(20, '\x01')));
    EXPECT_FALSE(fs::exists(dir / "F1.DAT"));
}

TEST(MasterFile, UpdatingTheDatesChangesOnlyTheRecordOfThatFileNumber)
{
    CTempDir dir;
    std::string before(53 * 4, '\0');  // header and three records of arbitrary bytes
    for (std::size_t i = 0; i < before.size(); ++i)
        before[i] = static_cast<char>(i * 7 + 3);
    before[0] = 3, before[1] = 0, before[53] = 1, before[106] = 2, before[159] = 3;
    WriteText(dir / "MASTER", before);
    CTestJob test(dir / "input.txt", dir.Path());
    test.job.master = MasterChoice::Existing;
    ASSERT_EQ(test.Converter().CheckPath(), 0);

    ASSERT_EQ(test.Converter().UpdateIndexDates({0xF0, 0xFF, 0x71, 0x94}, {0x50, 0x2A, 0x74, 0x94}, 2), 0);
    EXPECT_EQ(Hex(ReadBytes(dir / "MASTER")), Hex(before)) << "nothing changes before the commit";
    ASSERT_EQ(test.Converter().Commit(), 0);
    std::string expected = before;
    expected.replace(106 + 25, 8, "\xF0\xFF\x71\x94\x50\x2A\x74\x94");
    EXPECT_EQ(Hex(ReadBytes(dir / "MASTER")), Hex(expected));
    EXPECT_EQ(EntryCount(dir.Path()), 1u) << "no file left over";
}

TEST(MasterFile, LowerCaseMasterIsUsedAndReplacedInPlace)
{
    CTempDir dir;
    fs::create_directory(dir / "out");
    WriteText(dir.Path() / "out" / "master", MasterBytes(1, 1, {1}));
    WriteText(dir / "input.txt", "12/31/98,1,2,3,4,5,6\n");
    for (const char* szSymbol : {"NEW", "s1"}) {
        CTestJob test(dir / "input.txt", dir / "out", szSymbol);
        test.job.master = MasterChoice::Existing;
        test.Run();
        EXPECT_EQ(test.recorder.messages, std::string(szSymbol) == "NEW" ? Strings{} : Strings{"Duplicate Symbol"});
    }
    EXPECT_FALSE(ListsEntry(dir.Path() / "out", "MASTER")) << "no second MASTER";
    const auto master = ReadBytes(dir.Path() / "out" / "master");
    ASSERT_EQ(master.size(), 159u);
    EXPECT_EQ(master[106], 2);
}
