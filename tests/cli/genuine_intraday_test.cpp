// A genuine intraday directory (intraday-fib30 beside the checkout: one-minute bars of FIB30, written by
// MetaStock; copied at test time): list, export, remove and --update against the bytes read here by a
// decoder of the test's own, none of the project's reader.

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "run_cli.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBar = 32;  // date, time, open, high, low, close, volume, open interest

// A Microsoft Binary Format single: byte 3 the exponent (bias 128, 0 for zero), bit 7 of byte 2 the sign,
// the rest a 24-bit mantissa 0.1xxx with its leading 1 left out.
float Mbf(const unsigned char* b)
{
    if (b[3] == 0)
        return 0;
    const long mantissa = static_cast<long>((b[2] & 0x7F) | 0x80) << 16 | b[1] << 8 | b[0];
    const float value = std::ldexp(static_cast<float>(mantissa), b[3] - 152);
    return (b[2] & 0x80) ? -value : value;
}

struct Bar {
    int date = 0;  // YYYYMMDD
    int time = 0;  // HHMMSS
    float values[6] = {};
};

// The bars of a data file: a 32-byte header whose word 1 is the number of the last record (bars + 1).
std::vector<Bar> Bars(const std::vector<unsigned char>& bytes)
{
    const std::size_t last = bytes[2] | bytes[3] << 8;
    std::vector<Bar> bars;
    for (std::size_t k = 1; k < last && (k + 1) * kBar <= bytes.size(); ++k) {
        const unsigned char* record = bytes.data() + k * kBar;
        Bar bar;
        bar.date = static_cast<int>(Mbf(record)) + 19000000;  // years since 1900, month, day
        bar.time = static_cast<int>(Mbf(record + 4));
        for (int v = 0; v < 6; ++v)
            bar.values[v] = Mbf(record + 8 + 4 * v);
        bars.push_back(bar);
    }
    return bars;
}

std::string Iso(int yyyymmdd)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
    return text;
}

// A bar as export writes it: the date, the time in the format given, then the shortest text of each value.
std::string Line(const Bar& bar, const std::string& timeFormat)
{
    char time[16];
    const int h = bar.time / 10000, m = bar.time / 100 % 100, s = bar.time % 100;
    if (timeFormat == "HHMMSS")
        std::snprintf(time, sizeof time, "%02d%02d%02d", h, m, s);
    else if (timeFormat == "HH:MM")
        std::snprintf(time, sizeof time, "%02d:%02d", h, m);
    else
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", h, m, s);
    std::string line = std::to_string(bar.date) + "," + time;
    for (float value : bar.values) {
        char text[32];
        line += ",";
        line.append(text, std::to_chars(text, text + sizeof text, value).ptr);
    }
    return line + "\n";
}

// The first line where two texts differ, for a failure message that shows it.
std::string FirstDifference(const std::string& expected, const std::string& actual)
{
    std::size_t at = 0, line = 1;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        line += expected[at++] == '\n';
    auto lineAt = [&](const std::string& text) {
        const std::size_t from = text.rfind('\n', at == 0 ? 0 : at - 1);
        const std::size_t start = from == std::string::npos || at == 0 ? 0 : from + 1;
        return text.substr(start, text.find('\n', start) - start);
    };
    return at == expected.size() && at == actual.size()
               ? "none"
               : "line " + std::to_string(line) + ": expected `" + lineAt(expected) + "`, got `" + lineAt(actual) + "`";
}

class GenuineIntradayTest : public ::testing::Test {
protected:
    // A writable copy of the genuine intraday directory; empty when it is not beside the checkout.
    fs::path Copy()
    {
        const fs::path from = fs::path(QUOTEFORGE_GENUINE) / "intraday-fib30";
        if (!fs::is_directory(from))
            return {};
        const fs::path to = m_work.Path() / "intraday-fib30";
        fs::copy(from, to);
        for (const auto& entry : fs::directory_iterator(to))
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
        return to;
    }

    CKeepWorkingDirectory m_keep;
    CTempDir m_work;
};

// Updates of intraday securities, on their own until the converter appends to them.
class GenuineIntradayUpdateTest : public GenuineIntradayTest {};

}  // namespace

// list gives the security as intraday with the first and last dates and the number of bars its data file
// holds, and export writes every bar with its date and time in each time format (that it checks clean is
// in genuine_test.cpp, with the other genuine directories).
TEST_F(GenuineIntradayTest, ListAndExportReadEveryBarAsTheBytesHoldIt)
{
    const fs::path dir = Copy();
    if (dir.empty())
        GTEST_SKIP() << "no genuine intraday directory beside the checkout";
    const std::vector<unsigned char> bytes = ReadBytes(dir / "F1.DAT");
    const std::vector<Bar> bars = Bars(bytes);
    ASSERT_EQ((bars.size() + 1) * kBar, bytes.size()) << "the header counts every bar the file holds";

    const CliResult listed = RunCli({"list", dir.string(), "--format", "csv"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "symbol,name,file,fields,frame,first,last,records,note\nFIB30,FIB30,F1.DAT,DTOHLCVI,intraday," +
                              Iso(bars.front().date) + "," + Iso(bars.back().date) + "," +
                              std::to_string(bars.size()) + ",\n");

    bool bSeconds = false;
    for (const Bar& bar : bars)
        bSeconds = bSeconds || bar.time % 100 != 0;
    ASSERT_FALSE(bSeconds) << "one-minute bars, so HH:MM loses nothing";
    for (const std::string format : {"", "HHMMSS", "HH:MM:SS", "HH:MM"}) {
        std::vector<std::string> args = {"export", dir.string(), "FIB30"};
        if (!format.empty())
            args.insert(args.end(), {"--time-format", format});
        std::string expected;
        for (const Bar& bar : bars)
            expected += Line(bar, format);
        const CliResult exported = RunCli(args);
        EXPECT_EQ(exported.status, 0) << format << ": " << exported.err;
        EXPECT_TRUE(exported.out == expected) << "time format `" << format << "`, first difference at "
                                              << FirstDifference(expected, exported.out);
    }
}

// remove takes the intraday security out of MASTER and EMASTER and deletes its data file.
TEST_F(GenuineIntradayTest, RemoveTakesOutTheIntradaySecurity)
{
    const fs::path dir = Copy();
    if (dir.empty())
        GTEST_SKIP() << "no genuine intraday directory beside the checkout";
    const CliResult removed = RunCli({"remove", dir.string(), "FIB30"});
    ASSERT_EQ(removed.status, 0) << removed.err;
    EXPECT_FALSE(fs::exists(dir / "F1.DAT"));
    EXPECT_EQ(ReadBytes(dir / "MASTER").size(), 53u);
    EXPECT_EQ(ReadBytes(dir / "EMASTER").size(), 192u);
    EXPECT_EQ(Hex(ReadBytes(dir / "MASTER").data(), 2), "00 00") << "no security counted";
    EXPECT_EQ(Hex(ReadBytes(dir / "EMASTER").data(), 2), "00 00") << "no security counted";
    EXPECT_EQ(RunCli({"list", dir.string(), "--format", "csv"}).out,
              "symbol,name,file,fields,frame,first,last,records,note\n");
    const CliResult checked = RunCli({"check", dir.string()});
    EXPECT_EQ(checked.status, 0) << checked.out;
}

// An update of the intraday security with one later bar appends exactly that bar, moves the last date
// and the last time in MASTER and EMASTER, and leaves every earlier bar of the data file as it was.
TEST_F(GenuineIntradayUpdateTest, AnUpdateAppendsTheLaterBarAndKeepsEveryEarlierBar)
{
    const fs::path dir = Copy();
    if (dir.empty())
        GTEST_SKIP() << "no genuine intraday directory beside the checkout";
    const std::vector<unsigned char> before = ReadBytes(dir / "F1.DAT");
    WriteText(m_work.Path() / "later.csv", "20030707,09:16:00,24930,24940.5,24925,24935,12,0\n");
    const CliResult updated =
        RunCli({"convert", (m_work.Path() / "later.csv").string(), "--dir", dir.string(), "--symbol", "FIB30",
                "--update", "--date-format", "CCYYMMDD", "--open-col", "3", "--high-col", "4", "--low-col", "5",
                "--close-col", "6", "--volume-col", "7", "--oi-col", "8"});
    ASSERT_EQ(updated.status, 0) << updated.err;

    const std::vector<unsigned char> after = ReadBytes(dir / "F1.DAT");
    ASSERT_EQ(after.size(), before.size() + kBar);
    const std::size_t last = before[2] | before[3] << 8;
    EXPECT_EQ(static_cast<std::size_t>(after[2] | after[3] << 8), last + 1) << "the header counts the new bar";
    // The header record is written as a conversion writes it; every bar after it is as it was.
    EXPECT_TRUE(std::equal(before.begin() + kBar, before.end(), after.begin() + kBar)) << "every earlier bar as it was";
    EXPECT_EQ(before[0], after[0]);
    EXPECT_EQ(before[1], after[1]);
    const std::vector<Bar> bars = Bars(after);
    ASSERT_FALSE(bars.empty());
    const Bar& bar = bars.back();
    EXPECT_EQ(Line(bar, "HH:MM:SS"), "20030707,09:16:00,24930,24940.5,24925,24935,12,0\n");

    const std::vector<unsigned char> master = ReadBytes(dir / "MASTER");
    EXPECT_EQ(static_cast<int>(Mbf(master.data() + 53 + 29)), 1030707) << "MASTER's last date";
    EXPECT_EQ(master[53 + 33], 'I') << "still intraday";
    const std::vector<unsigned char> emaster = ReadBytes(dir / "EMASTER");
    // IEEE singles there: the last date YYYMMDD, the first and last time HHMMSS.
    const auto single = [&](std::size_t offset) {
        const unsigned char* at = emaster.data() + 192 + offset;
        const std::uint32_t bits = at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
        float value = 0;
        std::memcpy(&value, &bits, sizeof bits);
        return static_cast<int>(value);
    };
    EXPECT_EQ(single(72), 1030707) << "EMASTER's last date";
    EXPECT_EQ(single(68), 91600) << "EMASTER's first time as it was";
    EXPECT_EQ(single(76), 91600) << "EMASTER's last time, the new bar's";
    EXPECT_EQ(RunCli({"check", dir.string()}).out, dir.string() + ": 1 security, 0 problems\n");
}
