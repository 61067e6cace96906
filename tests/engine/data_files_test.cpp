// A security's data file F<n>.DAT and column list F<n>.DOP.

#include <chrono>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "test_job.h"

using namespace metastock;
using namespace engine;

TEST(DataFiles, ThreeRowsOfAllSevenFields)
{
    CTempDir dir;
    WriteText(dir / "input.txt",
              "12/31/99,1,100,0.5,12.375,1234.5,-27.25\n01/01/00,1,1,1,1,1,1\n02/29/00,0,0,0,0,0,0\n");
    CTestJob test(dir / "input.txt", dir.Path());
    ASSERT_EQ(test.Run(), 0);

    const auto dat = ReadBytes(dir / "F1.DAT");
    ASSERT_EQ(dat.size(), 112u);
    // Header: 0, the number of the last record, then pairs of 0 and 1.
    EXPECT_EQ(Hex(dat.data(), 28),
              "00 00 04 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00");
    EXPECT_EQ(Hex(dat.data() + 28, 28),
              "F0 FF 71 94 00 00 00 81 00 00 48 87 00 00 00 80 00 00 46 84 00 50 1A 8B 00 00 DA 85");
    EXPECT_EQ(Hex(dat.data() + 56, 28),
              "50 2A 74 94 00 00 00 81 00 00 00 81 00 00 00 81 00 00 00 81 00 00 00 81 00 00 00 81");
    EXPECT_EQ(Hex(dat.data() + 84, 28),
              "50 32 74 94 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");

    const auto dop = ReadBytes(dir / "F1.DOP");
    EXPECT_EQ(std::string(dop.begin(), dop.end()),
              "\"DATE\",0,0\r\n\"OPEN\",4,4\r\n\"HIGH\",4,4\r\n\"LOW\",4,4\r\n\"CLOSE\",4,4\r\n"
              "\"VOL\",4,4\r\n\"OI\",4,4\r\n");
    EXPECT_EQ(dop.size(), 81u);
    // The MASTER record: record length and field count; first and last date of the input.
    EXPECT_EQ(Hex(&ReadBytes(dir / "MASTER")[53 + 3], 2), "1C 07");
    EXPECT_EQ(Hex(&ReadBytes(dir / "MASTER")[53 + 25], 8), "F0 FF 71 94 50 32 74 94");
}

TEST(DataFiles, FieldsThatAreOffAreLeftOutEverywhere)
{
    const struct {
        std::vector<std::pair<Field, int>> fields;
        const char* szLine;
        const char* szHeader;
        Rows rows;
        const char* szColumnList;
        const char* szLayout;  // MASTER record bytes 3 and 4
    } cases[] = {
        {{{kDateField, 0}, {kCloseField, 1}}, "12/31/98,7\n", "00 00 02 00 00 00 01 00", {{981231, 7}},
         "\"DATE\",0,0\r\n\"CLOSE\",4,4\r\n", "08 02"},
        // The fields keep their order whatever the order of their columns.
        {{{kDateField, 0}, {kVolumeField, 1}, {kCloseField, 2}}, "12/31/98,900,7\n",
         "00 00 02 00 00 00 01 00 00 00 01 00", {{981231, 7, 900}}, "\"DATE\",0,0\r\n\"CLOSE\",4,4\r\n\"VOL\",4,4\r\n",
         "0C 03"},
        {{{kOpenInterestField, 0}, {kLowField, 1}, {kHighField, 2}, {kCloseField, 3}, {kDateField, 4}},
         "40,1,3,2,12/31/98\n", "00 00 02 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00", {{981231, 3, 1, 2, 40}},
         "\"DATE\",0,0\r\n\"HIGH\",4,4\r\n\"LOW\",4,4\r\n\"CLOSE\",4,4\r\n\"OI\",4,4\r\n", "14 05"},
    };
    for (const auto& c : cases) {
        CTempDir dir;
        WriteText(dir / "input.txt", c.szLine);
        CTestJob test(dir / "input.txt", dir.Path());
        test.Fields(c.fields);
        ASSERT_EQ(test.Run(), 0) << c.szLine;
        const auto dat = ReadBytes(dir / "F1.DAT");
        ASSERT_EQ(dat.size(), 8 * c.fields.size()) << c.szLine;
        EXPECT_EQ(Hex(dat.data(), 4 * c.fields.size()), c.szHeader) << c.szLine;
        EXPECT_EQ(DataRecords(dir / "F1.DAT", test.FieldsOn()), c.rows) << c.szLine;
        const auto dop = ReadBytes(dir / "F1.DOP");
        EXPECT_EQ(std::string(dop.begin(), dop.end()), c.szColumnList) << c.szLine;
        EXPECT_EQ(Hex(&ReadBytes(dir / "MASTER")[53 + 3], 2), c.szLayout) << c.szLine;
    }
}

// A file that no index lists is somebody's data: whichever of a number's names it has, in any case, the
// new security takes another number and leaves it as it is.
TEST(DataFiles, FilesThatNoIndexListsKeepTheirNumberWhateverTheCaseOfTheirNames)
{
    for (const char* szOrphan : {"f1.dat", "F1.DOP", "f1.mwd"}) {
        CTempDir dir;
        WriteText(dir / "input.txt", "12/31/98,7\n");
        WriteText(dir / szOrphan, std::string(100, 'x'));
        CTestJob test(dir / "input.txt", dir.Path());
        test.Fields({{kDateField, 0}, {kCloseField, 1}});
        ASSERT_EQ(test.Run(), 0) << szOrphan;
        EXPECT_EQ(Hex(ReadBytes(dir / szOrphan)), Hex(std::string(100, 'x'))) << szOrphan;
        EXPECT_EQ(Hex(ReadBytes(dir / "F2.DAT")), "00 00 02 00 00 00 01 00 F0 8E 6F 94 00 00 60 83") << szOrphan;
        ASSERT_EQ(test.recorder.notices.size(), 1u) << szOrphan;
        EXPECT_NE(test.recorder.notices[0].find("no index lists it; file number 1 is left alone"), std::string::npos)
            << test.recorder.notices[0];
    }
}

TEST(DataFiles, MoreThan65534RowsAreRefusedBeforeAnythingIsWritten)
{
    // One row a day from 1 January 1900 on, in CCYYMMDD.
    std::string rows;
    std::chrono::sys_days day = std::chrono::year{1900} / 1 / 1;
    for (int i = 0; i < 65534; ++i, day += std::chrono::days{1}) {
        const std::chrono::year_month_day date{day};
        char text[16];
        std::snprintf(text, sizeof text, "%04d%02u%02u,1\n", static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
        rows += text;
    }
    // Rows beyond the limit are counted, though the reading stops keeping them.
    for (const int nMore : {0, 1, 2}) {
        CTempDir dir;
        WriteText(dir / "input.txt", rows + std::string(nMore > 0 ? "21400101,2\n" : "") + (nMore > 1 ? "21400102,2\n" : ""));
        CTestJob test(dir / "input.txt", dir.Path());
        test.Fields({{kDateField, 0}, {kCloseField, 1}});
        test.job.layout.dateFormat = 8;
        const int status = test.Run();
        EXPECT_EQ(status != 0, nMore > 0);
        EXPECT_EQ(fs::exists(dir / "MASTER"), nMore == 0) << "rows more: " << nMore;
        if (nMore > 0) {
            ASSERT_EQ(test.recorder.messages.size(), 1u);
            const std::string count = std::to_string(65534 + nMore) + " data rows";
            EXPECT_NE(test.recorder.messages[0].find(count), std::string::npos) << test.recorder.messages[0];
            continue;
        }
        const auto dat = ReadBytes(dir / "F1.DAT");
        ASSERT_EQ(dat.size(), 8u * 65535);
        EXPECT_EQ(Hex(dat.data(), 4), "00 00 FF FF");
        EXPECT_EQ(MbfToFloat({dat[8], dat[9], dat[10], dat[11]}), 101.0f) << "1 January 1900";
    }
}
