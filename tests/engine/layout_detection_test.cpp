// Finding the layout of price files written the way vendors and websites write them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "engine/input/layout_detection.h"
#include "engine/input/settings_fit.h"
#include "engine/job/conversion_settings.h"
#include "support/temp_dir.h"

using namespace engine;

namespace {

// Rows of a history without a heading: nFlat days at one price, then days whose open is the close before
// (date, open, high, low, close, volume), each followed by the close again when bRepeatClose.
std::string History(int nFlat, int nMoving, bool bRepeatClose)
{
    std::string text;
    double close = 100;
    for (int d = 0; d < nFlat + nMoving; ++d) {
        const int nDay = 1 + d % 28, nMonth = 1 + (d / 28) % 12, nYear = 1990 + d / 336;
        const double open = close;
        if (d >= nFlat)
            close = open + ((d * 7) % 5 - 2) * 0.5;
        const double high = std::max(open, close) + (d >= nFlat ? 1 : 0), low = std::min(open, close) - (d >= nFlat ? 1 : 0);
        char line[160];
        std::snprintf(line, sizeof line, "%04d-%02d-%02d,%.2f,%.2f,%.2f,%.2f,%d", nYear, nMonth, nDay, open, high, low, close,
                      1000 + d);
        text += line;
        if (bRepeatClose) {
            std::snprintf(line, sizeof line, ",%.2f", close);
            text += line;
        }
        text += '\n';
    }
    return text;
}

}  // namespace

TEST(LayoutDetection, DownloadedFilesOfManyKinds)
{
    const struct {
        const char* szCase;
        std::string text;
        int nDelimiter, nSkip, nFormat;
        int nColumn[7];  // date, open, high, low, close, volume, open interest; 0 off
        const char* szDescribed;  // part of the description, or of the refusal when nColumn[0] is 0
    } cases[] = {
        {"vendor export with angle-bracket headings",
         "<TICKER>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\n"
         "ACME,D,20150102,000000,111.39,111.44,107.35,109.33,53204626\n"
         "ACME,D,20150105,000000,108.29,108.65,105.41,106.25,64285491\n",
         0, 1, 8, {3, 5, 6, 7, 8, 9, 0}, "columns <DTYYYYMMDD>, <OPEN>, <HIGH>, <LOW>, <CLOSE>, <VOL>."},
        {"ISO dates with an adjusted close beside the close",
         "Date,Open,High,Low,Close,Adj Close,Volume\n"
         "2015-01-02,111.39,111.44,107.35,109.33,101.53,53204626\n"
         "2015-01-05,108.29,108.65,105.41,106.25,98.67,64285491\n",
         0, 1, 2, {1, 2, 3, 4, 5, 7, 0}, "dates like 2015-01-02 (CCYY_MM_DD)"},
        {"tab-separated day-first dates without a heading: too few rows to tell the open from the close",
         "02/01/2015\t10\t11\t9\t10.5\t1000\n13/01/2015\t10.5\t12\t10\t11\t2000\n",
         1, 0, 6, {0}, "columns 2 and 5 could each be the open or the close, and their headings name neither"},
        {"space-separated six-digit dates with four prices, high and low by the values",
         "981230 10 11 9 10.5\n981231 10.5 12 10 11\n990104 11 12 10 11.5\n",
         2, 0, 7, {0}, "Choose the Open column and the Close column yourself"},
        {"close and volume only", "19981231,10.5,1000\n19990104,10.75,1200\n",
         0, 0, 8, {1, 0, 0, 0, 2, 3, 0}, "columns Date, Close, Volume."},
        {"two heading rows and a last price",
         "Prices of ACME Corp\nDate,Last,Vol,OI\n01/02/2015,10,100,5\n01/13/2015,11,120,6\n",
         0, 2, 4, {1, 0, 0, 0, 2, 3, 4}, "2 heading rows"},
        {"quoted dates", "Date,Open,High,Low,Close,Volume,OpenInt\n\"2015-01-02\",10,11,9,10.5,100,7\n\"2015-01-05\",10,11,9,10.5,100,7\n",
         0, 1, 2, {1, 2, 3, 4, 5, 6, 7}, "dates like 2015-01-02"},
        {"CR LF line ends", "Date,Open,High,Low,Close\r\n01/02/15,1,2,0.5,1.5\r\n01/13/15,1,2,0.5,1.5\r\n",
         0, 1, 3, {1, 2, 3, 4, 5, 0, 0}, "(MM_DD_YY)"},
        {"dates that read either way, settled by the weekdays",
         "Date,Open,High,Low,Close\n01/02/2015,10,11,9,10.5\n01/05/2015,10,11,9,10.5\n01/06/2015,10,11,9,10.5\n",
         0, 1, 4, {1, 2, 3, 4, 5, 0, 0}, "the only reading that puts no date on a weekend"},
        {"dates that read either way, and nothing settles it",
         "Date,Open,High,Low,Close\n01/02/2024,10,11,9,10.5\n01/03/2024,10,11,9,10.5\n",
         0, 1, 0, {0}, "the dates read as MM_DD_CCYY or DD_MM_CCYY, and neither a day above 12 nor their spacing"},
        {"headings in other languages, checked against the values",
         "Fecha;Cierre;Apertura;M\xc3\xa1ximo;M\xc3\xadnimo;Vol.\n"
         "02.01.2015;10,5;10;11;9;1,2K\n15.01.2015;10,75;10,5;12;10;2K\n",
         3, 1, 6, {1, 3, 4, 5, 2, 6, 0}, "Open from Apertura; High from Máximo; Low from Mínimo; Close from Cierre; Volume from Vol."},
        {"headings that the values contradict",
         "Date,Open,High,Low,Close\n2015-01-02,11,9,10,10.5\n2015-01-05,12,10,11,11\n",
         0, 1, 2, {0}, "the headings name column 3 (High) the high and column 4 (Low) the low, but on 2 of 2"},
        {"one value beside the dates", "observation_date,DEXUSAL\n2015-01-02,0.8123\n2015-01-05,0.8101\n",
         0, 1, 2, {1, 0, 0, 0, 2, 0, 0}, "Close: column 2, the only prices"},
        {"Unix seconds and a change column", "time,open,high,low,close,chg\n1502928000,10,11,9,10.5,-0.01\n"
         "1503014400,10.5,12,10,11,0.05\n", 0, 1, 17, {1, 2, 3, 4, 5, 0, 0}, "(UNIX_SECONDS)"},
        {"spreadsheet day numbers under a heading that says date", "Datum,Schluss\n45293,10.5\n45294,11\n45295,11.5\n", 0, 1,
         19, {1, 0, 0, 0, 2, 0, 0}, "(SERIAL_DAYS)"},
        {"day numbers without such a heading are numbers", "Id,Close\n45293,10.5\n45294,11\n45295,11.5\n", 0, 1, 0, {0},
         "no column holds dates"},
        {"no heading, the close repeated in a last column: the open follows the close before",
         History(0, 40, true), 0, 0, 2, {1, 2, 3, 4, 5, 6, 0}, "column 7 repeats column 5; left out"},
        {"a history that starts flat for longer than the first lines read", History(400, 60, false), 0, 0, 2,
         {1, 2, 3, 4, 5, 6, 0}, "Open: column 2, which starts where the close before ends"},
    };
    CTempDir dir;
    for (const auto& c : cases) {
        WriteText(dir.Path() / "prices.txt", c.text);
        const DetectedLayout layout = DetectLayout(dir / "prices.txt");
        if (c.nColumn[0] == 0) {
            EXPECT_FALSE(layout.found) << c.szCase;
            EXPECT_NE(DescribeLayout(layout).find(c.szDescribed), std::string::npos) << c.szCase << ": " << DescribeLayout(layout);
            continue;
        }
        ASSERT_TRUE(layout.found) << c.szCase << ": " << layout.problem;
        EXPECT_EQ(layout.delimiter, c.nDelimiter) << c.szCase;
        EXPECT_EQ(layout.skipRows, c.nSkip) << c.szCase;
        EXPECT_EQ(layout.dateFormat, c.nFormat) << c.szCase;
        EXPECT_TRUE(std::equal(std::begin(c.nColumn), std::end(c.nColumn), layout.column)) << c.szCase;
        EXPECT_NE(DescribeLayout(layout).find(c.szDescribed), std::string::npos)
            << c.szCase << ": " << DescribeLayout(layout);
    }

    WriteText(dir.Path() / "words.txt", "Name,Sector\nACME,Industry\nGLOBEX,Energy\n");
    const DetectedLayout nothing = DetectLayout(dir / "words.txt");
    EXPECT_FALSE(nothing.found);
    EXPECT_NE(nothing.problem.find("no column holds dates"), std::string::npos) << nothing.problem;
}

TEST(LayoutDetection, AppliedLayoutFillsOnlyTheInputSettings)
{
    DetectedLayout layout;
    layout.found = true;
    layout.delimiter = 1;
    layout.skipRows = 2;
    layout.dateFormat = 2;
    const int columns[7] = {3, 0, 0, 0, 4, 5, 0};
    std::copy(std::begin(columns), std::end(columns), layout.column);
    ConversionSettings settings;
    settings.Path = "/data";
    settings.Symbol = "ABC";
    ApplyLayout(layout, settings);
    EXPECT_EQ(settings.Delimiter, 1);
    EXPECT_EQ(settings.SkipOn, 1);
    EXPECT_EQ(settings.SkipRows, 2);
    EXPECT_EQ(settings.DateFormat, "CCYY_MM_DD");
    EXPECT_EQ(settings.DateCol, 3);
    EXPECT_EQ(settings.OpenOn, 0);
    EXPECT_EQ(settings.OpenCol, 1);  // a field that is off keeps column 1, as the dialog leaves it
    EXPECT_EQ(settings.CloCol, 4);
    EXPECT_EQ(settings.VolOn, 1);
    EXPECT_EQ(settings.VolCol, 5);
    EXPECT_EQ(settings.OIOn, 0);
    EXPECT_EQ(settings.Path, "/data");
    EXPECT_EQ(settings.Symbol, "ABC");
    EXPECT_FALSE(CheckSettings(settings).Failed());
}

namespace {

// A heading and nDays days of nPerDay bars nInterval seconds apart from 09:30 (the time in its own column,
// or after the date with bSeconds), starting Thursday 2 January 2020 and skipping weekends.
std::string Bars(int nInterval, int nPerDay, int nDays, bool bTimeColumn, bool bSeconds)
{
    std::string text = bTimeColumn ? "Date,Time,Open,High,Low,Close,Volume\n" : "Date,Open,High,Low,Close,Volume\n";
    int nDay = 2;
    for (int d = 0; d < nDays; ++d, nDay += nDay % 7 == 3 ? 3 : 1) {
        for (int b = 0; b < nPerDay; ++b) {
            const int seconds = 9 * 3600 + 30 * 60 + b * nInterval;
            char line[120];
            char time[16];
            std::snprintf(time, sizeof time, bSeconds ? "%02d:%02d:%02d" : "%02d:%02d", seconds / 3600, seconds / 60 % 60,
                          seconds % 60);
            std::snprintf(line, sizeof line, "2020-01-%02d%s%s,1,2,0.5,1.5,%d\n", nDay, bTimeColumn ? "," : " ", time, 100 + b);
            text += line;
        }
    }
    return text;
}

}  // namespace

// The rows' dates and times give the time frame, which the sentence names unless it is daily.
TEST(LayoutDetection, TheTimeFrameComesFromTheDatesAndTimes)
{
    const struct {
        const char* szCase;
        std::string text;
        FrameChoice frame;
        const char* szDescribed;
    } cases[] = {
        {"daily over a weekend", "Date,Close\n2020-01-02,1\n2020-01-03,2\n2020-01-06,3\n2020-01-07,4\n", FrameChoice::kDaily,
         "comma-delimited file with 1 heading row"},
        {"two days: too few to tell", "Date,Close\n2020-01-02,1\n2020-01-09,2\n", FrameChoice::kFromDates,
         "comma-delimited file with 1 heading row"},
        {"weekly, one holiday Thursday", "Date,Close\n2020-01-03,1\n2020-01-10,2\n2020-01-16,3\n2020-01-24,4\n",
         FrameChoice::kWeekly, "comma-delimited file of weekly bars, one a week, with 1 heading row"},
        {"monthly, newest first", "Date,Close\n2020-04-30,1\n2020-03-31,2\n2020-02-28,3\n2020-01-31,4\n",
         FrameChoice::kMonthly, "file of monthly bars, one a month, with"},
        {"5-minute bars in a time column, more days than the lines read", Bars(300, 78, 5, true, false),
         FrameChoice::kIntraday, "file of 5-minute bars, 78 a day, with 1 heading row"},
        {"1-minute bars, no whole day among the lines read", Bars(60, 390, 2, true, false), FrameChoice::kIntraday,
         "file of 1-minute bars, with"},
        {"hourly bars after the date, with seconds", Bars(3600, 7, 3, false, true), FrameChoice::kIntraday,
         "file of 60-minute bars, 7 a day, with 1 heading row, dates like 2020-01-02 09:30:00"},
        {"30-second bars", Bars(30, 4, 2, true, true), FrameChoice::kIntraday, "file of 30-second bars, 4 a day,"},
        {"times at uneven gaps",
         "Date,Time,Open,High,Low,Close\n2020-01-02,09:30,1,2,0.5,1.5\n2020-01-02,09:37,1,2,0.5,1.5\n"
         "2020-01-02,09:41,1,2,0.5,1.5\n",
         FrameChoice::kIntraday, "file of intraday bars, several a day, with"},
    };
    CTempDir dir;
    for (const auto& c : cases) {
        WriteText(dir.Path() / "prices.txt", c.text);
        const DetectedLayout layout = DetectLayout(dir / "prices.txt");
        ASSERT_TRUE(layout.found) << c.szCase << ": " << layout.problem;
        EXPECT_EQ(static_cast<int>(layout.frame), static_cast<int>(c.frame)) << c.szCase;
        EXPECT_EQ(layout.intraday, c.frame == FrameChoice::kIntraday) << c.szCase;
        EXPECT_NE(DescribeLayout(layout).find(c.szDescribed), std::string::npos) << c.szCase << ": " << DescribeLayout(layout);
        ConversionSettings settings;
        ApplyLayout(layout, settings);
        EXPECT_EQ(static_cast<int>(settings.TimeFrame), static_cast<int>(c.frame)) << c.szCase << ": the settings take the frame";
    }
}
