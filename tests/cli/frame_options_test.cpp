// --frame, --from and --to of convert and batch, and the limit of bars that one data file holds.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run_cli.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

constexpr const char* kDaily = "Date,Close\n2024-01-02,1\n2024-01-03,2\n2024-01-04,3\n2024-01-05,4\n2024-01-08,5\n";

std::string IsoDay(std::chrono::sys_days day)
{
    const std::chrono::year_month_day date{day};
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()));
    return text;
}

}  // namespace

// Each option is read or refused naming it; rows outside --from and --to are left out and counted; a
// stated frame that the dates contradict is refused.
TEST(FrameOptions, TheFrameAndTheDateRangeAreTakenOrRefusedNamingTheOption)
{
    const CTempDir dir;
    WriteText(dir / "daily.csv", kDaily);
    const struct {
        const char* szCase;
        Args options;
        int status;
        const char* szOut;
        const char* szErr;
    } cases[] = {
        {"a range", {"--from", "2024-01-03", "--to", "2024-01-04"}, 0,
         "D: F1.DAT, 2 records, 2024-01-03 to 2024-01-04 (3 rows dated outside 2024-01-03 to 2024-01-04 left out)\n", ""},
        {"up to a day", {"--to", "2024-01-02"}, 0, "D: F1.DAT, 1 record, 2024-01-02 to 2024-01-02 (4 rows dated after 2024-01-02 left out)\n", ""},
        {"from a day", {"--from", "2024-01-08"}, 0, "D: F1.DAT, 1 record, 2024-01-08 to 2024-01-08 (4 rows dated before 2024-01-08 left out)\n", ""},
        {"the frame the dates show", {"--frame", "daily"}, 0, "D: F1.DAT, 5 records, 2024-01-02 to 2024-01-08\n", ""},
        {"another frame", {"--frame", "weekly"}, 1, "", "weekly bars are stated, but the dates are one a day\n"},
        {"no such frame", {"--frame", "hourly"}, 2, "", nullptr},
        {"no calendar date", {"--from", "2024-02-30"}, 2, "",
         "quoteforge-cli: --from must be a date YYYY-MM-DD from 1900-01-01 to 2140-12-31, not \"2024-02-30\"\n"},
        {"a range the wrong way round", {"--from", "2024-01-05", "--to", "2024-01-03"}, 2, "",
         "quoteforge-cli: --from 2024-01-05 is later than --to 2024-01-03\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szCase);
        const fs::path out = dir / c.szCase;
        fs::create_directory(out);
        Args args = {"convert", dir / "daily.csv", "--dir", out.string(), "--symbol", "D", "--detect"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliResult result = RunCli(args);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(result.out, c.szOut);
        if (c.szErr) {
            EXPECT_EQ(result.err, c.szErr);
        }
        EXPECT_EQ(fs::exists(out / "MASTER"), c.status == 0);
    }
}

// 65,534 bars fit one data file: a file of more is refused with the count and the options that split it
// and converts a range of dates at a time, and an update never takes the data file beyond them.
TEST(FrameOptions, MoreBarsThanADataFileHoldsAreRefusedAndConvertByDateRange)
{
    const CTempDir dir;
    // Five-minute bars round the clock from 1 January 2024 on: 288 a day.
    const std::chrono::sys_days first = std::chrono::year{2024} / 1 / 1;
    std::string text = "Date,Time,Close\n";
    for (int bar = 0; bar < 65535; ++bar) {
        char line[48];
        std::snprintf(line, sizeof line, "%s,%02d:%02d,%d\n", IsoDay(first + std::chrono::days{bar / 288}).c_str(),
                      bar % 288 / 12, bar % 12 * 5, bar % 100);
        text += line;
    }
    WriteText(dir / "bars.csv", text);
    const std::string lastFullDay = IsoDay(first + std::chrono::days{65535 / 288 - 1});
    const Args convert = {"convert", dir / "bars.csv", "--dir", dir.Path().string(), "--symbol", "B", "--detect"};
    const CliResult refused = RunCli(convert);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "The input holds 65535 bars, more than the 65,534 that one data file can hold; split it by "
                           "date range (--from, --to). Nothing was converted.\n");
    EXPECT_FALSE(fs::exists(dir / "MASTER"));

    Args firstDays = convert;
    firstDays.insert(firstDays.end(), {"--to", lastFullDay});
    const CliResult converted = RunCli(firstDays);
    EXPECT_EQ(converted.status, 0) << converted.err;
    EXPECT_EQ(converted.out, "B: F1.DAT, 65376 records, 2024-01-01 00:00 to " + lastFullDay +
                                 " 23:55, 5-minute bars (159 rows dated after " + lastFullDay + " left out)\n");
    Args rest = convert;
    rest.insert(rest.end(), {"--update", "--from", IsoDay(first + std::chrono::days{65535 / 288})});
    const CliResult updated = RunCli(rest);
    EXPECT_EQ(updated.status, 1);
    EXPECT_EQ(updated.err, "B: the update would give F1.DAT more than 65,534 records, the most that one data file can "
                           "hold. Nothing was changed.\n");
}

// batch takes the same options for every file: each security has its own frame, and the range holds
// for each file.
TEST(FrameOptions, ABatchWritesEachFileInItsFrameWithinTheRange)
{
    const CTempDir dir;
    WriteText(dir / "DAY.csv", kDaily);
    WriteText(dir / "WEEK.csv", "Date,Close\n2023-12-29,1\n2024-01-05,2\n2024-01-12,3\n2024-01-19,4\n");
    WriteText(dir / "BARS.csv", "Date,Time,Close\n2024-01-02,09:30,1\n2024-01-02,09:45,2\n2024-01-03,09:30,3\n"
                                "2024-01-09,09:30,4\n");
    const Args files = {dir / "DAY.csv", dir / "WEEK.csv", dir / "BARS.csv"};
    Args batch = {"batch", dir / "out"};
    batch.insert(batch.end(), files.begin(), files.end());
    batch.insert(batch.end(), {"--detect", "--from", "2024-01-02", "--to", "2024-01-19"});
    const CliResult result = RunCli(batch);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(RunCli({"list", dir / "out", "--format", "csv"}).out,
              "symbol,name,file,fields,frame,first,last,records,note\n"
              "DAY,,F1.DAT,DC,daily,2024-01-02,2024-01-08,5,\n"
              "WEEK,,F2.DAT,DC,weekly,2024-01-05,2024-01-19,3,\n"
              "BARS,,F3.DAT,DTC,intraday,2024-01-02,2024-01-09,4,\n");
    WriteText(dir / "BARS.csv", "Date,Time,Close\n2024-01-09,09:30,4\n2024-01-09,09:45,5\n");
    batch.push_back("--update");
    const CliResult updated = RunCli(batch);
    EXPECT_EQ(updated.status, 0) << updated.err;
    EXPECT_EQ(RunCli({"export", dir / "out", "BARS"}).out,
              "20240102,09:30:00,1\n" "20240102,09:45:00,2\n" "20240103,09:30:00,3\n" "20240109,09:30:00,4\n"
              "20240109,09:45:00,5\n");
}

// Times in digits alone (093000, 0930) are the bars' times where a heading names them or --time-col
// gives them; detection prints the option, and a value that is no time of day refuses its line.
TEST(FrameOptions, TimesInDigitsAloneAreReadUnderATimeHeadingOrWithTimeCol)
{
    const CTempDir dir;
    const std::string finam = "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\n"
                              "GAZP,60,240801,100000,133.48,134.35,132.98,133.81,5098690\n"
                              "GAZP,60,240801,110000,133.84,133.92,133.31,133.43,2234020\n"
                              "GAZP,60,240802,100000,133.42,133.64,133.15,133.27,1395490\n"
                              "GAZP,60,240802,110000,133.2,133.5,133.1,133.3,1000\n";
    WriteText(dir / "finam.txt", finam);
    WriteText(dir / "plain.csv", "20240801,0930,1,2,0.5,1.5\n20240801,0935,1,2,0.5,1.75\n");
    WriteText(dir / "bad.csv", "20240801,0930,1,2,0.5,1.5\n20240801,2561,1,2,0.5,1.5\n");
    const CliResult detected = RunCli({"detect", dir / "finam.txt"});
    EXPECT_NE(detected.out.find("--time-col 4 --frame intraday\n"), std::string::npos) << detected.out;
    const Args plain = {"--date-format", "CCYYMMDD", "--open-col", "3", "--high-col", "4", "--low-col", "5",
                        "--close-col", "6", "--volume-col", "off", "--oi-col", "off"};
    const struct {
        const char* szCase;
        Args args;
        int status;
        const char* szOut;
        const char* szErr;
    } cases[] = {
        {"detected under its heading", {"finam.txt", "--detect"}, 0,
         "F: F1.DAT, 4 records, 2024-08-01 10:00 to 2024-08-02 11:00, 60-minute bars\n", ""},
        {"given as HHMM", {"plain.csv", "--time-col", "2"}, 0, "F: F1.DAT, 2 records, 2024-08-01 09:30 to 2024-08-01 09:35, 5-minute bars\n", ""},
        {"not given, one day twice", {"plain.csv"}, 1, "", nullptr},
        {"no time of day", {"bad.csv", "--time-col", "2"}, 1, "", nullptr},
        {"no such column", {"plain.csv", "--time-col", "21"}, 2, "", "quoteforge-cli: --time-col must be a column from 1 to 20\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szCase);
        const fs::path out = dir / c.szCase;
        fs::create_directory(out);
        Args args = {"convert", dir / c.args[0], "--dir", out.string(), "--symbol", "F"};
        args.insert(args.end(), c.args.begin() + 1, c.args.end());
        if (c.args[0] != std::string("finam.txt"))
            args.insert(args.end(), plain.begin(), plain.end());
        const CliResult result = RunCli(args);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(result.out, c.szOut);
        if (c.szErr) {
            EXPECT_EQ(result.err, c.szErr);
        }
    }
    const CliResult bad = RunCli({"convert", dir / "bad.csv", "--dir", dir / "no time of day", "--symbol",
                                  "F", "--time-col", "2", "--date-format", "CCYYMMDD", "--open-col", "3", "--high-col", "4",
                                  "--low-col", "5", "--close-col", "6", "--volume-col", "off", "--oi-col", "off"});
    EXPECT_NE(bad.err.find("Line 2: the time `2561` is no time of day"), std::string::npos) << bad.err;
}
