// Weekly, monthly and intraday securities: what their index record, column list and records hold, how an
// update appends to them, and what a frame the rows contradict is refused with.

#include <string>

#include <gtest/gtest.h>

#include "engine/job/run_summary.h"
#include "test_job.h"

namespace {

using namespace metastock;
using namespace engine;

constexpr int kIsoDates = 2;  // CCYY_MM_DD
constexpr const char* kDateAndClose = "\"DATE\",0,0\r\n\"CLOSE\",4,4\r\n";
constexpr const char* kDateTimeAndClose = "\"DATE\",0,0\r\n\"TIME\",0,0\r\n\"CLOSE\",4,4\r\n";

// The date in column 1 and the close in the last column given, here 2 or 3 (a time column in 2).
void DateAndClose(CTestJob& test, int closeColumn, int dateFormat, FrameChoice frame = FrameChoice::kFromDates)
{
    test.Fields({{kDateField, 0}, {kCloseField, closeColumn}});
    test.job.layout.dateFormat = dateFormat;
    test.job.layout.frame = frame;
}

// The records of F1.DAT, as many fields each as MASTER's record gives.
Rows RecordsAsIndexed(const fs::path& dir)
{
    return DataRecords(dir / "F1.DAT", ReadBytes(dir / "MASTER")[53 + master_offset::kFieldCount]);
}

std::string Text(const std::vector<unsigned char>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

}  // namespace

// The MASTER record gives record length and fields (bytes 3, 4), the frame letter and the interval in
// minutes (33, 34..35); intraday records hold the time HHMMSS after the date. Values are read back from
// the data file's bytes.
TEST(SecurityFrames, EachFileIsWrittenInItsTimeFrame)
{
    const struct {
        const char* szCase;
        std::string text;
        int closeColumn, dateFormat;
        FrameChoice stated;
        const char* szMaster;  // bytes 3, 4, 33, 34, 35
        const char* szColumnList;
        Rows records;
        const char* szSummary;
    } cases[] = {
        {"weekly", "01/03/20,1\n01/10/20,2\n01/17/20,3\n", 1, 3, FrameChoice::kFromDates, "08 02 57 00 00", kDateAndClose,
         {{1200103, 1}, {1200110, 2}, {1200117, 3}}, "XYZ: F1.DAT, 3 records, 2020-01-03 to 2020-01-17, weekly bars"},
        {"monthly", "2020-01-31,1\n2020-02-29,2\n2020-03-31,3\n", 1, kIsoDates, FrameChoice::kFromDates, "08 02 4D 00 00",
         kDateAndClose, {{1200131, 1}, {1200229, 2}, {1200331, 3}},
         "XYZ: F1.DAT, 3 records, 2020-01-31 to 2020-03-31, monthly bars"},
        {"1-minute, a time column with seconds", "2024-01-05,09:30:00,1\n2024-01-05,09:31:00,2\n2024-01-05,09:32:00,3\n", 2,
         kIsoDates, FrameChoice::kFromDates, "0C 03 49 01 00", kDateTimeAndClose,
         {{1240105, 93000, 1}, {1240105, 93100, 2}, {1240105, 93200, 3}},
         "XYZ: F1.DAT, 3 records, 2024-01-05 09:30 to 2024-01-05 09:32, 1-minute bars"},
        {"5-minute, date and time in one field, newest first", "01/08/24 09:30,4\n01/05/24 09:40,3\n01/05/24 09:35,2\n01/05/24 09:30,1\n",
         1, 3, FrameChoice::kFromDates, "0C 03 49 05 00", kDateTimeAndClose,
         {{1240105, 93000, 1}, {1240105, 93500, 2}, {1240105, 94000, 3}, {1240108, 93000, 4}},
         "XYZ: F1.DAT, 4 records, 2024-01-05 09:30 to 2024-01-08 09:30, 5-minute bars (rows were newest first; written "
         "oldest first)"},
        {"hourly, with a zone offset", "2024-01-05T09:30:00+01:00,1\n2024-01-05T10:30:00+01:00,2\n2024-01-08T09:30:00+01:00,3\n",
         1, kIsoDates, FrameChoice::kFromDates, "0C 03 49 3C 00", kDateTimeAndClose,
         {{1240105, 93000, 1}, {1240105, 103000, 2}, {1240108, 93000, 3}},
         "XYZ: F1.DAT, 3 records, 2024-01-05 09:30 to 2024-01-08 09:30, 60-minute bars (times kept as written, with "
         "their offset +01:00)"},
        {"uneven, with seconds", "2024-01-05 09:30:15,1\n2024-01-05 09:31:45,2\n", 1, kIsoDates, FrameChoice::kFromDates,
         "0C 03 49 00 00", kDateTimeAndClose, {{1240105, 93015, 1}, {1240105, 93145, 2}},
         "XYZ: F1.DAT, 2 records, 2024-01-05 09:30:15 to 2024-01-05 09:31:45, intraday bars"},
        // A missing bar leaves a gap of two intervals, not an uneven file.
        {"15-minute with a bar missing", "2024-01-05 09:30,1\n2024-01-05 10:00,2\n2024-01-05 10:15,3\n", 1, kIsoDates,
         FrameChoice::kFromDates, "0C 03 49 0F 00", kDateTimeAndClose, {{1240105, 93000, 1}, {1240105, 100000, 2}, {1240105, 101500, 3}},
         "XYZ: F1.DAT, 3 records, 2024-01-05 09:30 to 2024-01-05 10:15, 15-minute bars"},
        {"one time a day stays daily", "2024-01-05,16:00,1\n2024-01-08,16:00,2\n2024-01-09,16:00,3\n", 2, kIsoDates,
         FrameChoice::kFromDates, "08 02 44 00 00", kDateAndClose, {{1240105, 1}, {1240108, 2}, {1240109, 3}},
         "XYZ: F1.DAT, 3 records, 2024-01-05 to 2024-01-09"},
        {"one time a day, intraday stated", "2024-01-05,16:00,1\n2024-01-08,16:00,2\n", 2, kIsoDates, FrameChoice::kIntraday,
         "0C 03 49 00 00", kDateTimeAndClose, {{1240105, 160000, 1}, {1240108, 160000, 2}},
         "XYZ: F1.DAT, 2 records, 2024-01-05 16:00 to 2024-01-08 16:00, intraday bars"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szCase);
        CTempDir dir;
        WriteText(dir / "input.txt", c.text);
        CTestJob test(dir / "input.txt", dir.Path());
        DateAndClose(test, c.closeColumn, c.dateFormat, c.stated);
        ASSERT_EQ(test.Run(), 0) << (test.recorder.messages.empty() ? "" : test.recorder.messages[0]);
        const auto master = ReadBytes(dir / "MASTER");
        EXPECT_EQ(Hex(&master[53 + 3], 2) + " " + Hex(&master[53 + 33], 3), c.szMaster);
        EXPECT_EQ(Text(ReadBytes(dir / "F1.DOP")), c.szColumnList);
        const std::size_t length = master[53 + 3];
        EXPECT_EQ(ReadBytes(dir / "F1.DAT").size(), length * (c.records.size() + 1)) << "a header and the records";
        EXPECT_EQ(RecordsAsIndexed(dir.Path()), c.records);
        EXPECT_EQ(RunSummary(test.result), c.szSummary);
    }
}

// An update appends the bars after the security's last date, and for intraday bars after its last date
// and time; earlier bars and the last one again are not appended, and nothing new changes nothing.
TEST(SecurityFrames, AnUpdateAppendsTheLaterBarsOfTheSecuritysFrame)
{
    const struct {
        const char* szCase;
        std::string held, update;
        int closeColumn;
        Rows records;  // after the update
        const char* szSummary;
    } cases[] = {
        {"weekly", "2020-01-03,1\n2020-01-10,2\n2020-01-17,3\n", "2020-01-10,2\n2020-01-17,3\n2020-01-24,4\n2020-01-31,5\n", 1,
         {{1200103, 1}, {1200110, 2}, {1200117, 3}, {1200124, 4}, {1200131, 5}},
         "XYZ: F1.DAT, +2 records (5 in all), 2020-01-24 to 2020-01-31, weekly bars"},
        {"monthly, two new rows", "2020-01-31,1\n2020-02-29,2\n2020-03-31,3\n", "2020-04-30,4\n2020-05-29,5\n", 1,
         {{1200131, 1}, {1200229, 2}, {1200331, 3}, {1200430, 4}, {1200529, 5}},
         "XYZ: F1.DAT, +2 records (5 in all), 2020-04-30 to 2020-05-29, monthly bars"},
        {"5-minute, the same and an earlier time left out", "2024-01-05 09:30,1\n2024-01-05 09:35,2\n2024-01-05 09:40,3\n",
         "2024-01-05 09:35,2\n2024-01-05 09:40,3\n2024-01-05 09:45,4\n2024-01-05 09:50,5\n", 1,
         {{1240105, 93000, 1}, {1240105, 93500, 2}, {1240105, 94000, 3}, {1240105, 94500, 4}, {1240105, 95000, 5}},
         "XYZ: F1.DAT, +2 records (5 in all), 2024-01-05 09:45 to 2024-01-05 09:50, 5-minute bars"},
        {"1-minute, one later bar in a time column", "2024-01-05,09:30,1\n2024-01-05,09:31,2\n", "2024-01-08,09:30,3\n", 2,
         {{1240105, 93000, 1}, {1240105, 93100, 2}, {1240108, 93000, 3}},
         "XYZ: F1.DAT, +1 record (3 in all), 2024-01-08 09:30 to 2024-01-08 09:30, 1-minute bars"},
        // Days around a weekend and a holiday: their median gap is that of weeks.
        {"daily, three new days", "2024-01-02,1\n2024-01-03,2\n2024-01-04,3\n", "2024-01-04,3\n2024-01-05,4\n2024-01-10,5\n", 1,
         {{1240102, 1}, {1240103, 2}, {1240104, 3}, {1240105, 4}, {1240110, 5}},
         "XYZ: F1.DAT, +2 records (5 in all), 2024-01-05 to 2024-01-10"},
        {"hourly, nothing later", "2024-01-05 09:30,1\n2024-01-05 10:30,2\n", "2024-01-05 09:30,1\n2024-01-05 10:30,2\n", 1,
         {{1240105, 93000, 1}, {1240105, 103000, 2}}, "XYZ: F1.DAT, no new records"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szCase);
        CTempDir dir;
        WriteText(dir / "held.txt", c.held);
        WriteText(dir / "update.txt", c.update);
        CTestJob convert(dir / "held.txt", dir.Path());
        DateAndClose(convert, c.closeColumn, kIsoDates);
        ASSERT_EQ(convert.Run(), 0);
        const auto master = ReadBytes(dir / "MASTER");
        CTestJob update(dir / "update.txt", dir.Path());
        DateAndClose(update, c.closeColumn, kIsoDates);
        update.job.master = MasterChoice::Existing;
        update.job.update = true;
        ASSERT_EQ(update.Run(), 0) << (update.recorder.messages.empty() ? "" : update.recorder.messages[0]);
        EXPECT_EQ(RecordsAsIndexed(dir.Path()), c.records);
        EXPECT_EQ(RunSummary(update.result), c.szSummary);
        const auto updated = ReadBytes(dir / "MASTER");
        EXPECT_EQ(Hex(&updated[53 + 33], 3), Hex(&master[53 + 33], 3)) << "the frame and interval stay";
    }
}

// A frame stated or held that the rows contradict, and two bars at one time, refuse the run; the
// directory stays as it was.
TEST(SecurityFrames, AFrameTheRowsContradictIsRefused)
{
    const std::string kDaily = "2024-01-02,1\n2024-01-03,2\n2024-01-04,3\n";
    const std::string kWeekly = "2024-01-05,1\n2024-01-12,2\n2024-01-19,3\n";
    const std::string kBars = "2024-01-05 09:30,1\n2024-01-05 09:35,2\n";
    const struct {
        const char* szCase;
        std::string held;  // converted first, when not empty
        std::string text;
        FrameChoice stated;
        const char* szMessage;
    } cases[] = {
        {"weekly stated for daily dates", "", kDaily, FrameChoice::kWeekly, "weekly bars are stated, but the dates are one a day"},
        {"monthly stated for weekly dates", "", kWeekly, FrameChoice::kMonthly,
         "monthly bars are stated, but the dates are one a week"},
        {"intraday stated without times", "", kDaily, FrameChoice::kIntraday, "intraday bars are stated, but the rows have no times"},
        {"daily stated for intraday bars", "", kBars, FrameChoice::kDaily,
         "daily bars are stated, but the dates are several a day"},
        {"two bars at one time", "", "2024-01-05 09:30,1\n2024-01-05 09:35,2\n2024-01-05 09:35,3\n", FrameChoice::kFromDates,
         "Rows of INPUT cannot be read:\nLines 2 and 3 have the same date and time 2024-01-05 09:35\nNothing was converted."},
        {"daily rows for a weekly security", kWeekly, "2024-01-22,4\n2024-01-23,5\n2024-01-24,6\n", FrameChoice::kFromDates,
         "XYZ is weekly; this file holds daily bars\nNothing was changed."},
        {"intraday bars for a daily security", kDaily, "2024-01-05 09:30,1\n2024-01-05 09:35,2\n", FrameChoice::kFromDates,
         "XYZ is daily; this file holds intraday bars\nNothing was changed."},
        {"weekly rows for an intraday security", kBars, "2024-01-12,4\n2024-01-19,5\n2024-01-26,6\n", FrameChoice::kFromDates,
         "XYZ is intraday; this file holds weekly bars\nNothing was changed."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szCase);
        CTempDir dir;
        const bool bUpdate = !c.held.empty();
        if (bUpdate) {
            WriteText(dir / "held.txt", c.held);
            CTestJob convert(dir / "held.txt", dir.Path());
            DateAndClose(convert, 1, kIsoDates);
            ASSERT_EQ(convert.Run(), 0);
        }
        const DirectoryBytes before = SnapshotOf(dir.Path());
        WriteText(dir / "input.txt", c.text);
        CTestJob test(dir / "input.txt", dir.Path());
        DateAndClose(test, 1, kIsoDates, c.stated);
        test.job.update = bUpdate;
        test.job.master = bUpdate ? MasterChoice::Existing : MasterChoice::New;
        EXPECT_EQ(test.Run(), 1);
        std::string message = test.recorder.messages.empty() ? "" : test.recorder.messages[0];
        const std::size_t at = message.find(test.job.inputPath);
        if (at != std::string::npos)
            message.replace(at, test.job.inputPath.size(), "INPUT");
        EXPECT_EQ(message, c.szMessage);
        fs::remove(dir / "input.txt");
        EXPECT_EQ(SnapshotOf(dir.Path()), before);
    }
}
