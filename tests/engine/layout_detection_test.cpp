// Finding the layout of price files written the way vendors and websites write them.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/conversion_settings.h"
#include "engine/layout_detection.h"
#include "support/temp_dir.h"

using namespace engine;

TEST(LayoutDetection, DownloadedFilesOfManyKinds)
{
    const struct {
        const char* szCase;
        std::string text;
        int nDelimiter, nSkip, nFormat;
        int nColumn[7];  // date, open, high, low, close, volume, open interest; 0 off
        bool bGuessed;
        const char* szDescribed;  // part of the description
    } cases[] = {
        {"vendor export with angle-bracket headings",
         "<TICKER>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\n"
         "ACME,D,20150102,000000,111.39,111.44,107.35,109.33,53204626\n"
         "ACME,D,20150105,000000,108.29,108.65,105.41,106.25,64285491\n",
         0, 1, 8, {3, 5, 6, 7, 8, 9, 0}, false, "columns <DTYYYYMMDD>, <OPEN>, <HIGH>, <LOW>, <CLOSE>, <VOL>."},
        {"ISO dates with an adjusted close beside the close",
         "Date,Open,High,Low,Close,Adj Close,Volume\n"
         "2015-01-02,111.39,111.44,107.35,109.33,101.53,53204626\n"
         "2015-01-05,108.29,108.65,105.41,106.25,98.67,64285491\n",
         0, 1, 2, {1, 2, 3, 4, 5, 7, 0}, false, "dates like 2015-01-02 (CCYY_MM_DD)"},
        {"tab-separated day-first dates without a heading",
         "02/01/2015\t10\t11\t9\t10.5\t1000\n13/01/2015\t10.5\t12\t10\t11\t2000\n",
         1, 0, 6, {1, 2, 3, 4, 5, 6, 0}, false, "tab-delimited file with no heading row"},
        {"space-separated six-digit dates with four prices",
         "981230 10 11 9 10.5\n981231 10.5 12 10 11\n990104 11 12 10 11.5\n",
         2, 0, 7, {1, 2, 3, 4, 5, 0, 0}, false, "columns Date, Open, High, Low, Close."},
        {"close and volume only", "19981231,10.5,1000\n19990104,10.75,1200\n",
         0, 0, 8, {1, 0, 0, 0, 2, 3, 0}, false, "columns Date, Close, Volume."},
        {"two heading rows and a last price",
         "Prices of ACME Corp\nDate,Last,Vol,OI\n01/02/2015,10,100,5\n01/13/2015,11,120,6\n",
         0, 2, 4, {1, 0, 0, 0, 2, 3, 4}, false, "2 heading rows"},
        {"quoted dates", "\"2015-01-02\",10,11,9,10.5,100,7\n\"2015-01-05\",10,11,9,10.5,100,7\n",
         0, 0, 2, {1, 2, 3, 4, 5, 6, 7}, false, "dates like 2015-01-02"},
        {"CR LF line ends", "Date,Open,High,Low,Close\r\n01/02/15,1,2,0.5,1.5\r\n01/13/15,1,2,0.5,1.5\r\n",
         0, 1, 3, {1, 2, 3, 4, 5, 0, 0}, false, "(MM_DD_YY)"},
        {"dates that read either way",
         "01/02/2015,10,11,9,10.5\n01/05/2015,10,11,9,10.5\n01/06/2015,10,11,9,10.5\n",
         0, 0, 4, {1, 2, 3, 4, 5, 0, 0}, true, "The dates read as DD_MM_CCYY too; MM_DD_CCYY is a guess."},
    };
    CTempDir dir;
    for (const auto& c : cases) {
        WriteText(dir.Path() / "prices.txt", c.text);
        const DetectedLayout layout = DetectLayout(dir / "prices.txt");
        ASSERT_TRUE(layout.bFound) << c.szCase << ": " << layout.strProblem;
        EXPECT_EQ(layout.nDelimiter, c.nDelimiter) << c.szCase;
        EXPECT_EQ(layout.nSkipRows, c.nSkip) << c.szCase;
        EXPECT_EQ(layout.nDateFormat, c.nFormat) << c.szCase;
        EXPECT_TRUE(std::equal(std::begin(c.nColumn), std::end(c.nColumn), layout.nColumn)) << c.szCase;
        EXPECT_EQ(layout.bGuessed, c.bGuessed) << c.szCase;
        EXPECT_NE(DescribeLayout(layout).find(c.szDescribed), std::string::npos)
            << c.szCase << ": " << DescribeLayout(layout);
    }

    WriteText(dir.Path() / "words.txt", "Name,Sector\nACME,Industry\nGLOBEX,Energy\n");
    const DetectedLayout nothing = DetectLayout(dir / "words.txt");
    EXPECT_FALSE(nothing.bFound);
    EXPECT_NE(nothing.strProblem.find("no column holds dates"), std::string::npos) << nothing.strProblem;
}

TEST(LayoutDetection, AppliedLayoutFillsOnlyTheInputSettings)
{
    DetectedLayout layout;
    layout.bFound = true;
    layout.nDelimiter = 1;
    layout.nSkipRows = 2;
    layout.nDateFormat = 2;
    const int columns[7] = {3, 0, 0, 0, 4, 5, 0};
    std::copy(std::begin(columns), std::end(columns), layout.nColumn);
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
