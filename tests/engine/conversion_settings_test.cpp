// The conversion settings' limits and checks, the symbol's code page and case, the fit check, and the job
// that every front end builds from them.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/input/first_data_row.h"
#include "engine/input/settings_fit.h"
#include "engine/job/conversion_job.h"
#include "engine/job/conversion_settings.h"
#include "engine/text/code_page.h"
#include "engine/text/trimmed_text.h"
#include "support/temp_dir.h"

using namespace engine;

namespace {

ConversionSettings Valid()
{
    ConversionSettings settings;
    settings.Path = "/data";
    settings.Symbol = "ABC";
    return settings;
}

}  // namespace

TEST(ConversionSettings, LimitsAndTheDuplicateColumnRule)
{
    const struct {
        const char* szCase;
        std::function<void(ConversionSettings&)> change;
        ESettingsFault eFault;
        ESetting eField;
        const char* szMessage;
    } cases[] = {
        {"defaults with a path and a symbol", [](ConversionSettings&) {}, ESettingsFault::None, ESetting::None, ""},
        {"column 20", [](ConversionSettings& s) { s.OICol = 20; }, ESettingsFault::None, ESetting::None, ""},
        {"column 0", [](ConversionSettings& s) { s.DateCol = 0; }, ESettingsFault::OutOfRange, ESetting::DateCol,
         "Please enter an integer between 1 and 20."},
        {"column 21", [](ConversionSettings& s) { s.VolCol = 21; }, ESettingsFault::OutOfRange, ESetting::VolCol,
         "Please enter an integer between 1 and 20."},
        {"skip 200", [](ConversionSettings& s) { s.SkipRows = 200; }, ESettingsFault::None, ESetting::None, ""},
        {"skip 201", [](ConversionSettings& s) { s.SkipRows = 201; }, ESettingsFault::OutOfRange, ESetting::SkipRows,
         "Please enter an integer between 0 and 200."},
        {"16 characters with umlauts", [](ConversionSettings& s) { s.Name = "Müller Zürich AG"; },
         ESettingsFault::None, ESetting::None, ""},
        {"17 characters", [](ConversionSettings& s) { s.Symbol = "ÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄ"; }, ESettingsFault::TooLong,
         ESetting::Symbol, "Please enter no more than 16 characters."},
        {"201-character path", [](ConversionSettings& s) { s.Path = std::string(201, 'p'); },
         ESettingsFault::TooLong, ESetting::Path, "Please enter no more than 200 characters."},
        {"a character beyond Windows-1252", [](ConversionSettings& s) { s.Name = "Ω Fund"; },
         ESettingsFault::NotWindows1252, ESetting::Name, "The Name holds \"Ω\""},
        {"date and close in one column", [](ConversionSettings& s) { s.CloCol = 1; },
         ESettingsFault::DuplicateColumn, ESetting::DateCol, "Duplicate columns specified\nCorrect or disable"},
        {"open and high in one column", [](ConversionSettings& s) { s.HiCol = 2; }, ESettingsFault::DuplicateColumn,
         ESetting::OpenCol, "Duplicate columns specified"},
        {"a field that is off takes no part", [](ConversionSettings& s) { s.HiOn = 0; s.HiCol = 2; },
         ESettingsFault::None, ESetting::None, ""},
        {"blank symbol", [](ConversionSettings& s) { s.Symbol = "  "; }, ESettingsFault::EmptySymbol,
         ESetting::Symbol, "You did not enter a valid symbol"},
        {"blank path", [](ConversionSettings& s) { s.Path = " \t"; }, ESettingsFault::EmptyPath, ESetting::Path,
         "Please enter path"},
    };
    for (const auto& c : cases) {
        ConversionSettings settings = Valid();
        c.change(settings);
        const SettingsCheck check = CheckSettings(settings);
        EXPECT_EQ(check.fault, c.eFault) << c.szCase << ": " << check.message;
        EXPECT_EQ(check.field, c.eField) << c.szCase;
        EXPECT_EQ(check.message.rfind(c.szMessage, 0), 0u) << c.szCase << ": " << check.message;
    }
}

TEST(ConversionSettings, SymbolsAreWindows1252InUpperCaseOfTheSameLength)
{
    const struct {
        const char* szUtf8;
        const char* szUpperCp1252;  // nullptr: Windows-1252 cannot hold it
    } cases[] = {
        {"abc", "ABC"},
        {"müller zürich ag", "M\xDCLLER Z\xDCRICH AG"},
        {"straße µ", "STRA\xDF" "E \xB5"},  // sharp s and micro sign have no upper case of their own
        {"šœžÿ àþ÷", "\x8A\x8C\x8E\x9F \xC0\xDE\xF7"},
        {"€5", "\x80" "5"},
        {"Ω", nullptr},
        {"\xC3", nullptr},  // a cut-off UTF-8 sequence
    };
    for (const auto& c : cases) {
        std::string cp1252, bad;
        const bool bOk = Utf8ToWindows1252(c.szUtf8, cp1252, bad);
        EXPECT_EQ(bOk, c.szUpperCp1252 != nullptr) << c.szUtf8;
        if (!bOk) {
            EXPECT_FALSE(bad.empty()) << c.szUtf8;
            continue;
        }
        EXPECT_EQ(UpperCaseSymbol(cp1252), c.szUpperCp1252) << c.szUtf8;
        EXPECT_EQ(CountCharacters(c.szUtf8), cp1252.size()) << c.szUtf8;
        EXPECT_EQ(Windows1252ToUtf8(cp1252), c.szUtf8);
    }
    EXPECT_EQ(NormalisedSymbol(" müller \t"), " MÜLLER");
}

TEST(ConversionSettings, MisfitNamesTheRowAndWhatDoesNotFit)
{
    CTempDir dir;
    WriteText(dir.Path() / "prices.csv", "Date,Open,High,Low,Close\n2015-01-02,1,2,0.5,1.5\n");
    const struct {
        std::function<void(ConversionSettings&)> change;
        const char* szReason;
    } cases[] = {
        {[](ConversionSettings& s) { s.SkipOn = 1; s.SkipRows = 1; s.DateFormat = "CCYY_MM_DD"; s.VolOn = s.OIOn = 0; },
         ""},
        {[](ConversionSettings& s) { s.SkipOn = 1; s.SkipRows = 1; s.VolOn = s.OIOn = 0; },
         "the date \"2015-01-02\" in row 2 is not in the format MMDDYY"},
        {[](ConversionSettings& s) { s.SkipOn = 1; s.SkipRows = 1; s.DateFormat = "CCYY_MM_DD"; },
         "row 2 has 5 columns, but Volume is set to column 6"},
        {[](ConversionSettings& s) { s.DateFormat = "CCYY_MM_DD"; s.VolOn = s.OIOn = 0; },
         "the date \"Date\" in row 1 is not in the format CCYY_MM_DD"},
    };
    for (const auto& c : cases) {
        ConversionSettings settings = Valid();
        c.change(settings);
        EXPECT_EQ(SettingsMisfit(settings, dir / "prices.csv"), c.szReason);
    }
}

// The settings check and the batch's symbol column judge the row the run reads first: after the skipped
// lines, past lines whose fields are all empty.
TEST(ConversionSettings, FirstDataRowIsTheRowTheRunReadsFirst)
{
    CTempDir dir;
    const struct {
        const char* text;
        int skip;
        bool found;
        int line;
        const char* row;
    } cases[] = {
        {"a,b\n1,2\n", 0, true, 1, "a,b"},
        {"a,b\n1,2\n", 1, true, 2, "1,2"},
        {"head\n\n,,\n \n1,2\n", 1, true, 5, "1,2"},
        {"head\r\n,,\r\n\r\n1;2\r\n", 1, true, 4, "1;2"},
        {"head\n,,\n", 1, false, 2, ""},
        {"", 0, false, 0, ""},
    };
    for (const auto& c : cases) {
        WriteText(dir.Path() / "prices.csv", c.text);
        const FirstDataRow row = ReadFirstDataRow(dir / "prices.csv", ',', c.skip);
        EXPECT_TRUE(row.opened);
        EXPECT_EQ(row.found, c.found) << c.text;
        EXPECT_EQ(row.line, c.line) << c.text;
        EXPECT_EQ(row.text, c.row) << c.text;
        EXPECT_EQ(row.failure, "") << c.text;
    }
    const FirstDataRow missing = ReadFirstDataRow(dir / "none.csv", ',', 0);
    EXPECT_FALSE(missing.opened);
    EXPECT_NE(missing.failure, "");
}

// Every front end builds its job from the settings: Exist 0 is the MASTER already there, columns count
// from 0, rows are skipped only when SkipOn says so, and text stays UTF-8.
TEST(ConversionSettings, JobTakesTheSettingsAsTheRunReadsThem)
{
    const struct {
        const char* szCase;
        std::function<void(ConversionSettings&)> change;
        std::function<bool(const ConversionJob&)> holds;
    } cases[] = {
        {"defaults", [](ConversionSettings&) {},
         [](const ConversionJob& job) {
             return job.master == MasterChoice::Existing && job.layout.delimiter == ',' && job.layout.skipRows == 0 &&
                    job.layout.FieldsOn() == 7 && job.layout.fieldColumn[0] == 0 && job.layout.fieldColumn[6] == 6 &&
                    !job.update && job.syncToDisk;
         }},
        {"Exist 1 is a new MASTER", [](ConversionSettings& s) { s.Exist = 1; },
         [](const ConversionJob& job) { return job.master == MasterChoice::New; }},
        {"tab", [](ConversionSettings& s) { s.Delimiter = 1; },
         [](const ConversionJob& job) { return job.layout.delimiter == '\t'; }},
        {"space", [](ConversionSettings& s) { s.Delimiter = 2; },
         [](const ConversionJob& job) { return job.layout.delimiter == ' '; }},
        {"an unknown delimiter is a comma", [](ConversionSettings& s) { s.Delimiter = 7; },
         [](const ConversionJob& job) { return job.layout.delimiter == ','; }},
        {"rows skipped", [](ConversionSettings& s) { s.SkipOn = 1, s.SkipRows = 3; },
         [](const ConversionJob& job) { return job.layout.skipRows == 3; }},
        {"skip rows while skipping is off", [](ConversionSettings& s) { s.SkipRows = 3; },
         [](const ConversionJob& job) { return job.layout.skipRows == 0; }},
        {"fields off", [](ConversionSettings& s) { s.OpenOn = s.OIOn = 0, s.CloCol = 20; },
         [](const ConversionJob& job) {
             return !job.layout.fieldOn[1] && !job.layout.fieldOn[6] && job.layout.fieldOn[4] &&
                    job.layout.fieldColumn[4] == 19 && job.layout.FieldsOn() == 5;
         }},
        {"UTF-8 text", [](ConversionSettings& s) { s.Symbol = "CAF\xC3\x89", s.Name = "Soci\xC3\xA9t\xC3\xA9"; },
         [](const ConversionJob& job) {
             std::string symbol, name;
             return job.symbol == "CAF\xC3\x89" && StoredText(job, symbol, name) && symbol == "CAF\xC9" &&
                    name == "Soci\xE9t\xE9";
         }},
        {"text beyond Windows-1252", [](ConversionSettings& s) { s.Name = "\xCE\xA9"; },
         [](const ConversionJob& job) {
             std::string symbol, name;
             return !StoredText(job, symbol, name);
         }},
    };
    for (const auto& c : cases) {
        ConversionSettings settings = Valid();
        c.change(settings);
        const ConversionJob job = MakeConversionJob(settings, 4, "in.csv");
        EXPECT_TRUE(c.holds(job)) << c.szCase;
        EXPECT_EQ(job.layout.dateFormat, 4) << c.szCase;
        EXPECT_EQ(job.directory, "/data") << c.szCase;
    }
}

TEST(TrimmedText, CWhiteSpaceGoesAtTheEndsOnly)
{
    struct Case {
        const char* text;
        const char* trimmed;
        const char* trimmedRight;
    };
    const Case cases[] = {
        {"", "", ""},
        {" \t\r\n\v\f", "", ""},
        {"  A B \t", "A B", "  A B"},
        {"\xC2\xA0x\xA0", "\xC2\xA0x\xA0", "\xC2\xA0x\xA0"},  // no-break spaces are text
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Trimmed(c.text), c.trimmed) << '"' << c.text << '"';
        EXPECT_EQ(TrimmedRight(c.text), c.trimmedRight) << '"' << c.text << '"';
    }
}
