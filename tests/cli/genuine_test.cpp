// Adding to and removing from directories that charting software made (copied at test time): EMASTER
// kept in step, records laid out as the genuine ones are, every other security's bytes unchanged.

#include <gtest/gtest.h>
#include <cstring>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "run_cli.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Files = DirectoryBytes;

// The offsets of a record that hold anything but zero, outside its text fields.
std::set<std::size_t> NonZeroOffsets(const std::vector<unsigned char>& bytes, std::size_t at, std::size_t size,
                                     const std::vector<std::pair<std::size_t, std::size_t>>& texts)
{
    std::set<std::size_t> offsets;
    for (std::size_t o = 0; o < size; ++o) {
        bool bText = false;
        for (const auto& [from, to] : texts)
            bText = bText || (o >= from && o < to);
        if (!bText && bytes[at + o] != 0)
            offsets.insert(o);
    }
    return offsets;
}

const std::vector<std::pair<std::size_t, std::size_t>> kEmasterTexts = {{11, 25}, {32, 48}, {139, 192}};

class GenuineTest : public ::testing::Test {
protected:
    // A writable copy of a genuine directory.
    fs::path Copy(const char* szName)
    {
        const fs::path from = fs::path(QUOTEFORGE_GENUINE) / szName;
        if (!fs::is_directory(from))
            return {};
        const fs::path to = m_work.Path() / szName;
        fs::copy(from, to);
        for (const auto& entry : fs::directory_iterator(to))
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
        return to;
    }
    CliResult Convert(const fs::path& dir, const std::string& symbol)
    {
        WriteText(m_work.Path() / "new.csv", "20240102,1,2,0.5,1.5,100,7\n20240103,2,3,1.5,2.5,200,8\n");
        return RunCli({"convert", (m_work.Path() / "new.csv").string(), "--dir", dir.string(), "--symbol", symbol,
                       "--name", "Quoteforge test", "--date-format", "CCYYMMDD"});
    }

    CKeepWorkingDirectory m_keep;
    CTempDir m_work;
};

}  // namespace

TEST_F(GenuineTest, AddAndRemoveKeepEmasterInStepAndOtherSecuritiesUntouched)
{
    const fs::path dir = Copy("futures-euro-oat");
    if (dir.empty())
        GTEST_SKIP() << "no genuine directories beside the checkout";
    const Files before = SnapshotOf(dir);
    const std::vector<unsigned char> genuine = before.at("emaster");

    const CliResult added = Convert(dir, "QFNEW");
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out.substr(0, 13), "QFNEW: F7.DAT");
    const CliResult checked = RunCli({"check", dir.string()});
    EXPECT_EQ(checked.status, 0) << checked.out;
    const std::vector<unsigned char> emaster = ReadBytes(dir / "emaster");
    ASSERT_EQ(emaster.size(), 192u * 8);
    EXPECT_EQ(Hex(emaster.data(), 4), "07 00 07 00") << "count and highest file number";
    EXPECT_EQ(std::vector<unsigned char>(emaster.begin() + 4, emaster.begin() + 192 * 7),
              std::vector<unsigned char>(genuine.begin() + 4, genuine.end()))
        << "the genuine records stay as they were";
    EXPECT_EQ(NonZeroOffsets(emaster, 192 * 7, 192, kEmasterTexts), NonZeroOffsets(genuine, 192, 192, kEmasterTexts))
        << "the new record fills the fields a genuine one fills, and only those";
    const std::string list = RunCli({"list", dir.string(), "--format", "csv"}).out;
    EXPECT_NE(list.find("QFNEW,Quoteforge test,F7.DAT,DOHLCVI,daily,2024-01-02,2024-01-03,2,\n"), std::string::npos) << list;
    for (const auto& [name, bytes] : SnapshotOf(dir)) {
        if (before.count(name) && name != "master" && name != "master.bak" && name != "emaster") {
            EXPECT_EQ(bytes, before.at(name)) << name;
        }
    }

    const CliResult removed = RunCli({"remove", dir.string(), "OAT4_2022M"});
    ASSERT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(RunCli({"check", dir.string()}).status, 0) << RunCli({"check", dir.string()}).out;
    const std::vector<unsigned char> after = ReadBytes(dir / "emaster");
    EXPECT_EQ(after.size(), 192u * 7);
    EXPECT_EQ(Hex(after.data(), 4), "06 00 07 00") << "count and highest file number";
    EXPECT_FALSE(fs::exists(dir / "F3.dat"));
}

TEST_F(GenuineTest, PastAFullMasterSecuritiesGoIntoXmasterAndItsSecuritiesAreUpdatedAndRemoved)
{
    const fs::path dir = Copy("futures-lumber");
    if (dir.empty())
        GTEST_SKIP() << "no genuine directories beside the checkout";
    const Files before = SnapshotOf(dir);
    const std::vector<unsigned char> genuine = before.at("xmaster");
    const std::vector<std::pair<std::size_t, std::size_t>> texts = {{1, 16}, {16, 62}};
    auto unchangedBut = [&](std::set<std::string> changed) {
        changed.insert({"master", "master.bak", "emaster", "xmaster", "MASTER.BAK"});
        for (const auto& [name, bytes] : SnapshotOf(dir)) {
            if (before.count(name) && !changed.count(name)) {
                EXPECT_EQ(bytes, before.at(name)) << name;
            }
        }
        const CliResult checked = RunCli({"check", dir.string()});
        EXPECT_EQ(checked.status, 0) << checked.out;
    };

    const CliResult added = Convert(dir, "QFNEW");
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out.substr(0, 16), "QFNEW: F263.MWD,");
    std::vector<unsigned char> xmaster = ReadBytes(dir / "xmaster");
    ASSERT_EQ(xmaster.size(), 150u * 9);
    EXPECT_EQ(Hex(xmaster.data(), 20), "5D FE 58 4D 00 00 00 00 00 00 08 00 00 00 08 00 00 00 08 01")
        << "count, count again, next free number 264";
    EXPECT_EQ(NonZeroOffsets(xmaster, 150 * 8, 150, texts), NonZeroOffsets(genuine, 150 * 2, 150, texts))  // F257: both bytes of its number set
        << "the new record fills the fields a genuine one fills, and only those";
    EXPECT_EQ(ReadBytes(dir / "master"), before.at("master")) << "MASTER is full and stays as it was";
    const std::string list = RunCli({"list", dir.string(), "--format", "csv"}).out;
    EXPECT_NE(list.find("QFNEW,Quoteforge test,F263.MWD,DOHLCVI,daily,2024-01-02,2024-01-03,2,\n"), std::string::npos)
        << list;
    EXPECT_EQ(RunCli({"export", dir.string(), "QFNEW"}).out, "20240102,1,2,0.5,1.5,100,7\n20240103,2,3,1.5,2.5,200,8\n");
    unchangedBut({});

    WriteText(m_work.Path() / "later.csv", "20220801,1,2,0.5,1.5,100,7\n");
    const CliResult updated = RunCli({"convert", (m_work.Path() / "later.csv").string(), "--dir", dir.string(),
                                      "--symbol", "LB___2023N", "--date-format", "CCYYMMDD", "--update"});
    ASSERT_EQ(updated.status, 0) << updated.err;
    EXPECT_EQ(updated.out, "LB___2023N: F262.MWD, +1 record (33 in all), 2022-08-01 to 2022-08-01\n");
    unchangedBut({"F262.mwd", "F262.DOP"});

    for (const char* szSymbol : {"LB___2023H", "LB___1980F"}) {
        const CliResult removed = RunCli({"remove", dir.string(), szSymbol});
        EXPECT_EQ(removed.status, 0) << removed.err;
    }
    EXPECT_FALSE(fs::exists(dir / "F260.mwd") || fs::exists(dir / "F46.dat"));
    xmaster = ReadBytes(dir / "xmaster");
    EXPECT_EQ(Hex(xmaster.data() + 10, 10), "07 00 00 00 07 00 00 00 08 01") << "one fewer, the next free number kept";
    EXPECT_EQ(Hex(ReadBytes(dir / "master").data(), 4), "FE 00 FF 00") << "254 securities, F255 the highest";
    unchangedBut({"F262.mwd", "F262.DOP", "F260.mwd", "F46.dat"});
}

TEST_F(GenuineTest, ABatchAddsAnEmasterRecordForEverySecurity)
{
    const fs::path dir = Copy("futures-euro-oat");
    if (dir.empty())
        GTEST_SKIP() << "no genuine directories beside the checkout";
    const std::vector<unsigned char> genuine = ReadBytes(dir / "emaster");
    std::vector<std::string> args = {"batch", dir.string(), "--date-format", "CCYYMMDD"};
    for (const char* szName : {"QFA.csv", "QFB.csv"}) {
        WriteText(m_work.Path() / szName, "20240102,1,2,0.5,1.5,100,7\n");
        args.push_back((m_work.Path() / szName).string());
    }
    const CliResult batch = RunCli(args);
    ASSERT_EQ(batch.status, 0) << batch.err;
    const std::vector<unsigned char> emaster = ReadBytes(dir / "emaster");
    ASSERT_EQ(emaster.size(), 192u * 9);
    EXPECT_EQ(Hex(emaster.data(), 4), "08 00 08 00");
    EXPECT_EQ(std::string(emaster.begin() + 192 * 7 + 11, emaster.begin() + 192 * 7 + 14), "QFA");
    EXPECT_EQ(std::string(emaster.begin() + 192 * 8 + 11, emaster.begin() + 192 * 8 + 14), "QFB");
    EXPECT_EQ(RunCli({"check", dir.string()}).status, 0) << RunCli({"check", dir.string()}).out;
}

// Directories as charting software and data vendors left them check clean: every problem check reports in
// one of them would be a false alarm.
TEST_F(GenuineTest, EveryGenuineDirectoryChecksClean)
{
    for (const char* szName : {"futures-lumber", "futures-euro-oat", "intraday-fib30"}) {
        const fs::path dir = Copy(szName);
        if (dir.empty())
            continue;
        const CliResult checked = RunCli({"check", dir.string()});
        EXPECT_EQ(checked.status, 0) << szName << ":\n" << checked.out;
    }
}

// A security that is not daily has its frame letter in every index that lists it, beside genuine records:
// EMASTER's byte 60 next to MASTER's 33, and XMASTER's 62 past a full MASTER; check finds the directory sound.
TEST_F(GenuineTest, EveryIndexGivesTheFrameOfASecurityThatIsNotDaily)
{
    const char* const kWeekly = "2024-01-05,1,2,0.5,1.5,100,7\n2024-01-12,2,3,1.5,2.5,200,8\n2024-01-19,2,3,1.5,2.5,200,9\n";
    const char* const kBars = "2024-01-05 09:30,1,2,0.5,1.5,100,7\n2024-01-05 09:35,2,3,1.5,2.5,200,8\n";
    const struct {
        const char* szDirectory;
        const char* szRows;
        const char* szIndex;
        std::size_t record, frameOffset;  // of the new record in the index
        const char* szFrame;              // the frame byte, and EMASTER's interval of intraday bars
        const char* szListed;
    } cases[] = {
        {"futures-euro-oat", kBars, "emaster", 192 * 7, 60, "49 00 05 00", "QFNEW,,F7.DAT,DTOHLCVI,intraday,2024-01-05,2024-01-05,2,\n"},
        {"futures-euro-oat", kWeekly, "emaster", 192 * 7, 60, "57 00 00 00", "QFNEW,,F7.DAT,DOHLCVI,weekly,2024-01-05,2024-01-19,3,\n"},
        {"futures-lumber", kWeekly, "xmaster", 150 * 8, 62, "57 00", "QFNEW,,F263.MWD,DOHLCVI,weekly,2024-01-05,2024-01-19,3,\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.szDirectory) + " " + c.szListed);
        const fs::path dir = Copy(c.szDirectory);
        if (dir.empty())
            GTEST_SKIP() << "no genuine directories beside the checkout";
        WriteText(m_work.Path() / "new.csv", c.szRows);
        const CliResult added = RunCli({"convert", (m_work.Path() / "new.csv").string(), "--dir", dir.string(), "--symbol",
                                        "QFNEW", "--date-format", "CCYY_MM_DD"});
        ASSERT_EQ(added.status, 0) << added.err;
        const std::vector<unsigned char> index = ReadBytes(dir / c.szIndex);
        const std::size_t width = (std::strlen(c.szFrame) + 1) / 3;
        ASSERT_GE(index.size(), c.record + c.frameOffset + 20);
        EXPECT_EQ(Hex(&index[c.record + c.frameOffset], width), c.szFrame);
        if (c.szRows == kBars) {  // EMASTER's first and last time, IEEE singles HHMMSS: 93000 and 93500
            EXPECT_EQ(Hex(&index[c.record + 68], 4), "00 A4 B5 47");
            EXPECT_EQ(Hex(&index[c.record + 76], 4), "00 9E B6 47");
        }
        const std::string list = RunCli({"list", dir.string(), "--format", "csv"}).out;
        EXPECT_NE(list.find(c.szListed), std::string::npos) << list;
        const CliResult checked = RunCli({"check", dir.string()});
        EXPECT_EQ(checked.status, 0) << checked.out;
        fs::remove_all(dir);
    }
}
