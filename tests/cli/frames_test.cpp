// Export and check on every time frame: intraday bars with their times in each format, and check's
// reports of bars out of order and of a frame the records contradict. The intraday directory is
// tests/data/intraday; weekly and monthly securities are converted ones whose frame byte is patched (as in
// directory_test.cpp).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "metastock/mbf.h"
#include "run_cli.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const char* const kCrudeRows[] = {
    "71.65,71.92,71.58,71.83,4012,331218\n", "71.83,71.9,71.7,71.74,2877,331218\n",
    "71.74,71.76,71.41,71.47,3390,331218\n", "70.38,70.52,70.31,70.49,2190,329904\n",
    "72.7,72.88,72.61,72.85,6671,329904\n"};
const char* const kCrudeDates[] = {"20240102", "20240102", "20240102", "20240103", "20240103"};

std::string CrudeRows(const std::vector<std::string>& times)
{
    std::string text;
    for (std::size_t k = 0; k < times.size(); ++k)
        text += std::string(kCrudeDates[k]) + "," + times[k] + "," + kCrudeRows[k];
    return text;
}

}  // namespace

// Each bar is written with its date and then its time, in the format asked for; HH:MM is refused, naming
// the first bar with seconds, when the seconds would be lost.
TEST(FramesTest, ExportWritesEachIntradayBarWithItsTimeInTheFormatAsked)
{
    const std::string dir = QUOTEFORGE_INTRADAY;
    const struct {
        const char* szCase;
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string err;
    } kCases[] = {
        {"the default", {"CLG4"}, 0, CrudeRows({"09:00:00", "09:05:00", "09:10:00", "08:45:00", "14:30:00"}), ""},
        {"HHMMSS with the header",
         {"CLG4", "--time-format", "HHMMSS", "--header"},
         0,
         "Date,Time,Open,High,Low,Close,Volume,OpenInt\n" +
             CrudeRows({"090000", "090500", "091000", "084500", "143000"}),
         ""},
        {"HH:MM on whole minutes", {"CLG4", "--time-format", "HH:MM"}, 0,
         CrudeRows({"09:00", "09:05", "09:10", "08:45", "14:30"}), ""},
        {"HH:MM on seconds", {"ESH4", "--time-format", "HH:MM"}, 1, "",
         "F1.DAT holds the time 09:30:17 at bar 2 (2024-01-02), which HH:MM cannot write; choose a format with the "
         "seconds\n"},
        {"seconds kept", {"ESH4", "--time-format", "HH:MM:SS", "--delimiter", "tab"}, 0,
         "20240102\t09:30:00\t4785.25\t4787.5\t4783.75\t4786\t1520\t2210345\n"
         "20240102\t09:30:17\t4786\t4788.25\t4785.5\t4788\t380\t2210345\n"
         "20240102\t09:31:05\t4788\t4790.75\t4787.25\t4789.5\t912\t2210345\n"
         "20240102\t15:59:59\t4772.5\t4773\t4770.25\t4771.75\t4410\t2210345\n"
         "20240103\t09:30:00\t4760\t4764.5\t4758.75\t4763.25\t1805\t2208817\n"
         "20240103\t17:05:17\t4741.75\t4742\t4739.5\t4740.25\t77\t2208817\n",
         ""},
    };
    for (const auto& c : kCases) {
        std::vector<std::string> args = {"export", dir};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliResult result = RunCli(args);
        EXPECT_EQ(result.status, c.status) << c.szCase << ": " << result.err;
        EXPECT_EQ(result.out, c.out) << c.szCase;
        EXPECT_EQ(result.err, c.err) << c.szCase;
    }
    const CliResult unknown = RunCli({"export", dir, "CLG4", "--time-format", "HH"});
    EXPECT_EQ(unknown.status, 2) << "a format that is not one of the three";
    EXPECT_NE(unknown.err.find("--time-format"), std::string::npos) << unknown.err;
}

// check names the security and the first bar, with its date and time, of intraday bars out of order, at
// the same time as the bar ahead, or with a time that is no time of day; a new day starts the times again.
TEST(FramesTest, CheckReportsIntradayBarsOutOfOrderOrAtTheSameTime)
{
    CTempDir work;
    const fs::path dir = work.Path() / "intraday";
    fs::copy(QUOTEFORGE_INTRADAY, dir);
    const CliResult sound = RunCli({"check", dir.string()});
    EXPECT_EQ(sound.status, 0) << sound.out;

    const DirectoryBytes before = SnapshotOf(dir);
    const struct {
        std::size_t nBar;  // of F1.DAT (ESH4), from 1
        float time;
        const char* szProblem;
    } kDamages[] = {
        {3, 93000, "F1.DAT (ESH4) holds 1 bar timed before the bar ahead of it on the same day, the first is bar 3 at "
                   "2024-01-02 09:30:00\n"},
        {2, 93000, "F1.DAT (ESH4) holds 1 bar at the same date and time as the bar ahead of it, the first is bar 2 at "
                   "2024-01-02 09:30:00\n"},
        {2, 96000, "F1.DAT (ESH4) holds 1 bar whose time is no time of day, the first is bar 2 at 2024-01-02\n"},
        {6, 93000.5f, "F1.DAT (ESH4) holds 1 bar whose time is no time of day, the first is bar 6 at 2024-01-03\n"},
    };
    for (const auto& damage : kDamages) {
        std::vector<unsigned char> bytes = ReadBytes(dir / "F1.DAT");
        const metastock::MbfSingle time = metastock::FloatToMbf(damage.time);
        std::copy(time.begin(), time.end(), bytes.begin() + static_cast<long>(damage.nBar * 32 + 4));
        WriteText(dir / "F1.DAT", std::string(bytes.begin(), bytes.end()));
        const CliResult check = RunCli({"check", dir.string()});
        EXPECT_EQ(check.status, 1) << damage.szProblem;
        EXPECT_EQ(check.out, damage.szProblem + dir.string() + ": 2 securities, 1 problem\n");
        for (const auto& [name, content] : before)
            WriteText(dir / name, std::string(content.begin(), content.end()));
    }
}

// check names a security whose index gives a time frame that its records contradict: a time of day
// in daily, weekly or monthly records or none in intraday ones, or dates of another frame (a thinly traded
// daily issue, its bars a week apart on the median but some on neighbouring days, is not one).
TEST(FramesTest, CheckReportsATimeFrameTheRecordsContradict)
{
    CTempDir work;
    auto rows = [](std::initializer_list<const char*> dates) {
        std::string text;
        for (const char* szDate : dates)
            text += std::string(szDate) + ",1,2,0.5,1.5,100,7\n";
        return text;
    };
    const std::string daily = rows({"20240102", "20240103", "20240104", "20240105", "20240108"});
    const std::string weekly = rows({"20240105", "20240112", "20240119", "20240126"});
    const std::string monthly = rows({"20240131", "20240229", "20240328", "20240430"});
    const std::string thin = rows({"20100114", "20100115", "20100119", "20100210", "20100223", "20100304"});
    const struct {
        const char* szCase;
        std::string rows;  // converted as the directory's one security S; empty: a copy of the intraday directory
        char cFrame;       // written over the first security's letter
        const char* szProblem;
    } kCases[] = {
        {"daily bars as daily", daily, 'D', nullptr},
        {"weekly bars as weekly", weekly, 'W', nullptr},
        {"monthly bars as monthly", monthly, 'M', nullptr},
        {"a thin daily issue", thin, 'D', nullptr},
        {"daily bars as weekly", daily, 'W',
         "F1.DAT (S) is weekly in its index, but its 5 dates from 2024-01-02 to 2024-01-08 are one a day"},
        {"weekly bars as daily", weekly, 'D',
         "F1.DAT (S) is daily in its index, but its 4 dates from 2024-01-05 to 2024-01-26 are one a week"},
        {"monthly bars as weekly", monthly, 'W',
         "F1.DAT (S) is weekly in its index, but its 4 dates from 2024-01-31 to 2024-04-30 are one a month"},
        {"daily bars as intraday", daily, 'I', "F1.DAT (S) is intraday in its index, but its records hold no time of day"},
        {"intraday bars as daily", "", 'D', "F1.DAT (ESH4) is daily in its index, but its records hold a time of day"},
    };
    int n = 0;
    for (const auto& c : kCases) {
        const fs::path dir = work.Path() / std::to_string(n++);
        if (c.rows.empty()) {
            fs::copy(QUOTEFORGE_INTRADAY, dir);
        } else {
            fs::create_directories(dir);
            WriteText(work.Path() / "rows.csv", c.rows);
            const CliResult converted = RunCli({"convert", (work.Path() / "rows.csv").string(), "--dir", dir.string(),
                                                "--symbol", "S", "--date-format", "CCYYMMDD"});
            ASSERT_EQ(converted.status, 0) << c.szCase << ": " << converted.err;
        }
        std::vector<unsigned char> master = ReadBytes(dir / "MASTER");
        master[53 + 33] = static_cast<unsigned char>(c.cFrame);
        WriteText(dir / "MASTER", std::string(master.begin(), master.end()));
        const CliResult check = RunCli({"check", dir.string()});
        const std::string summary = dir.string() + ": " + (c.rows.empty() ? "2 securities" : "1 security");
        if (c.szProblem) {
            EXPECT_EQ(check.status, 1) << c.szCase;
            EXPECT_EQ(check.out, std::string(c.szProblem) + "\n" + summary + ", 1 problem\n") << c.szCase;
        } else {
            EXPECT_EQ(check.status, 0) << c.szCase << ": " << check.out;
        }
    }
}
