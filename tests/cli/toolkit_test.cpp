// quoteforge-cli list, export, check, remove and convert --update, on directories that convert made and on
// ones built here byte by byte (EMASTER, XMASTER, damaged files).

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "run_cli.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// The options that make convert read the columns of a security with the given fields in export's order.
std::vector<std::string> ColumnOptions(const std::string& fields)
{
    const char* options[] = {"--open-col", "--high-col", "--low-col", "--close-col", "--volume-col", "--oi-col"};
    std::vector<std::string> args = {"--date-col", "1"};
    int column = 2;
    for (int i = 0; i < 6; ++i) {
        args.push_back(options[i]);
        args.push_back(fields.find("OHLCVI"[i]) != std::string::npos ? std::to_string(column++) : "off");
    }
    return args;
}

CliResult Convert(const fs::path& input, const fs::path& dir, const std::string& symbol, const std::string& fields,
                  const std::string& format = "CCYYMMDD", std::vector<std::string> extra = {})
{
    std::vector<std::string> args = {"convert", input.string(), "--dir", dir.string(), "--symbol", symbol,
                                     "--date-format", format};
    for (const std::string& option : ColumnOptions(fields))
        args.push_back(option);
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCli(args);
}

// Rows of consecutive days from year/month/day on, with random values of every magnitude a price or a
// volume may have, written with nine significant digits.
std::string Rows(int nRows, int nFields, int nYear, int nMonth, int nDay, unsigned seed = 7)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> exponent(-12, 26), mantissa(1, 2);
    std::string text;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int k = 0; k < nRows; ++k) {
        char line[64];
        std::snprintf(line, sizeof line, "%04d%02d%02d", nYear, nMonth, nDay);
        text += line;
        for (int f = 1; f < nFields; ++f) {
            const double value = mantissa(random) * std::exp2(std::floor(exponent(random))) * (random() % 9 ? 1 : -1);
            std::snprintf(line, sizeof line, ",%.9g", value);
            text += line;
        }
        text += '\n';
        const bool bLeap = nYear % 4 == 0 && (nYear % 100 != 0 || nYear % 400 == 0);
        const int monthDays = kDays[nMonth - 1] + (nMonth == 2 && bLeap);
        if (++nDay > monthDays && (nDay = 1) && ++nMonth > 12 && (nMonth = 1))
            ++nYear;
    }
    return text;
}

// Rows of a sound market from year/month/day on: random prices with the low at most the open and the close,
// the high at least both.
std::string SoundRows(int nRows, int nFields, int nYear, int nMonth, int nDay)
{
    std::string text;
    std::istringstream random(Rows(nRows, nFields, nYear, nMonth, nDay));
    for (std::string line; std::getline(random, line);) {
        std::vector<double> values;
        std::istringstream fields(line.substr(9));
        for (std::string value; std::getline(fields, value, ',');)
            values.push_back(std::abs(std::stod(value)));
        if (values.size() >= 4) {  // open, high, low, close
            const double low = std::min(values[0], values[3]) / 2, high = std::max(values[0], values[3]) * 2;
            values[1] = high, values[2] = low;
        }
        text += line.substr(0, 8);
        for (double value : values) {
            char formatted[32];
            std::snprintf(formatted, sizeof formatted, ",%.9g", value);
            text += formatted;
        }
        text += '\n';
    }
    return text;
}

void WriteBytes(const fs::path& path, const std::vector<unsigned char>& bytes)
{
    WriteText(path, std::string(bytes.begin(), bytes.end()));
}

class ToolkitTest : public ::testing::Test {
protected:
    fs::path Dir(const std::string& name)
    {
        fs::create_directories(m_dir.Path() / name);
        return m_dir.Path() / name;
    }
    fs::path Input(const std::string& name, const std::string& text)
    {
        WriteText(m_dir.Path() / name, text);
        return m_dir.Path() / name;
    }

    CKeepWorkingDirectory m_keep;
    CTempDir m_dir;
};

TEST_F(ToolkitTest, ExportThenConvertGivesTheSameDataFileInEveryDateFormatAndLayout)
{
    const char* formats[] = {"YY_MM_DD", "CCYY_MM_DD", "MM_DD_YY", "MM_DD_CCYY", "DD_MM_YY", "DD_MM_CCYY",
                             "YYMMDD",   "CCYYMMDD",   "MMDDYY",   "MMDDCCYY",   "DDMMYY",   "DDMMCCYY"};
    struct Layout {
        const char* szFields;
        int nFields;
    };
    for (const Layout& layout : {Layout{"HLCV", 5}, Layout{"OHLCV", 6}, Layout{"OHLCVI", 7}}) {
        const fs::path original = Dir(std::string("original-") + layout.szFields);
        const fs::path input = Input("rows.csv", Rows(400, layout.nFields, 1999, 11, 20));
        ASSERT_EQ(Convert(input, original, "RT", layout.szFields).status, 0);
        for (const char* format : formats) {
            SCOPED_TRACE(std::string(layout.szFields) + " " + format);
            const CliResult exported = RunCli({"export", original.string(), "rt", "--date-format", format, "--header",
                                            "-o", (m_dir.Path() / "export.txt").string()});
            ASSERT_EQ(exported.status, 0) << exported.err;
            const fs::path copy = Dir(std::string("copy-") + layout.szFields + format);
            const CliResult converted = Convert(m_dir.Path() / "export.txt", copy, "RT", layout.szFields, format,
                                                {"--skip", "1"});
            ASSERT_EQ(converted.status, 0) << converted.err;
            EXPECT_EQ(ReadBytes(copy / "F1.DAT"), ReadBytes(original / "F1.DAT"));
        }
    }
}

TEST_F(ToolkitTest, ExportThenConvertKeepsAFullDataFileOverTheWholeDateRange)
{
    const fs::path original = Dir("full"), copy = Dir("copy");
    ASSERT_EQ(Convert(Input("rows.csv", Rows(65534, 7, 1961, 1, 1)), original, "FULL", "OHLCVI").status, 0);
    const CliResult exported = RunCli({"export", original.string(), "FULL", "--delimiter", "tab"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    ASSERT_EQ(Convert(Input("export.txt", exported.out), copy, "FULL", "OHLCVI", "CCYYMMDD", {"--delimiter", "tab"})
                  .status,
              0);
    EXPECT_EQ(ReadBytes(copy / "F1.DAT"), ReadBytes(original / "F1.DAT"));
}

// MASTER at 53-byte records, the data file of ABC (F1) and of XYZ (F2), 7 fields, 10 records each.
class CheckTest : public ToolkitTest {
protected:
    void SetUp() override
    {
        m_out = Dir("sound");
        const fs::path input = Input("rows.csv", SoundRows(10, 7, 2020, 1, 1));
        ASSERT_EQ(Convert(input, m_out, "ABC", "OHLCVI").status, 0);
        ASSERT_EQ(Convert(input, m_out, "XYZ", "OHLCVI").status, 0);
    }
    void Patch(const std::string& file, std::size_t offset, std::vector<unsigned char> bytes)
    {
        std::vector<unsigned char> contents = ReadBytes(m_out / file);
        if (contents.size() < offset + bytes.size())
            contents.resize(offset + bytes.size());
        std::copy(bytes.begin(), bytes.end(), contents.begin() + static_cast<std::ptrdiff_t>(offset));
        WriteBytes(m_out / file, contents);
    }
    fs::path m_out;
};

TEST_F(CheckTest, ADirectoryWrittenByConvertIsSound)
{
    const CliResult result = RunCli({"check", m_out.string()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, m_out.string() + ": 2 securities, 0 problems\n");
}

TEST_F(CheckTest, FindsEachProblemAndChangesNothing)
{
    const std::size_t abc = 53, xyz = 106;  // MASTER records
    const std::size_t record2 = 28 * 2;     // F1.DAT data record 2
    struct Case {
        const char* szProblem;
        std::function<void()> damage;
        const char* szExpected;
    };
    const Case cases[] = {
        {"header count", [&] { Patch("MASTER", 0, {3}); }, "MASTER counts 3 securities in its header but holds 2 records"},
        {"duplicate symbol", [&] { Patch("MASTER", xyz + 36, {'A', 'B', 'C'}); }, "Symbol ABC is listed twice"},
        {"duplicate number", [&] { Patch("MASTER", xyz, {1}); }, "File number 1 is used by both ABC and XYZ"},
        {"number out of range", [&] { Patch("MASTER", abc, {0}); }, "file number 0, outside 1 to 255"},
        {"data file missing", [&] { fs::remove(m_out / "F2.DAT"); }, "F2.DAT, the data file of XYZ"},
        {"data file cut short", [&] { fs::resize_file(m_out / "F1.DAT", 28 * 8); }, "shorter than its header says"},
        {"size beyond the count", [&] { Patch("F1.DAT", 28 * 11, {1, 2, 3}); }, "but its size holds 10 and part of another"},
        {"column list", [&] { WriteText(m_out / "F2.DOP", "\"DATE\",0,0\r\n\"CLOSE\",4,4\r\n"); }, "F2.DOP lists 2 fields"},
        {"dates out of order", [&] { Patch("F1.DAT", record2, {0x50, 0x2A, 0x74, 0x94}); }, "dated before the record ahead"},
        {"dates outside MASTER's", [&] { Patch("MASTER", xyz + 29, {0x50, 0x2A, 0x74, 0x94}); }, "dated outside 2020-01-01 to 2000-01-01"},
        {"unreadable date", [&] { Patch("F1.DAT", record2, {0, 0, 0, 0}); }, "1 record with an unreadable date"},
        {"temporary file", [&] { WriteText(m_out / "MASTER.~NU", ""); }, "MASTER.~NU is a temporary file"},
        {"EMASTER", [&] {
             std::vector<unsigned char> emaster(192 * 2);
             emaster[0] = 1;
             emaster[192 + 2] = 2;
             emaster[192 + 6] = 7;
             std::memcpy(&emaster[192 + 11], "OTHER", 5);
             WriteBytes(m_out / "EMASTER", emaster);
         }, "EMASTER gives F2.DAT the symbol OTHER, MASTER XYZ"},
        {"EMASTER's time frame", [&] {
             std::vector<unsigned char> emaster(192 * 2);
             emaster[0] = 1;
             emaster[192 + 2] = 2;
             emaster[192 + 6] = 7;
             std::memcpy(&emaster[192 + 11], "XYZ", 3);
             emaster[192 + 60] = 'W';
             WriteBytes(m_out / "EMASTER", emaster);
         }, "EMASTER gives XYZ the time frame W, MASTER D"},
    };
    const auto sound = SnapshotOf(m_out);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.szProblem);
        c.damage();
        const auto damaged = SnapshotOf(m_out);
        const CliResult result = RunCli({"check", m_out.string()});
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.out.find(c.szExpected), std::string::npos) << result.out;
        EXPECT_EQ(SnapshotOf(m_out), damaged);
        for (const auto& entry : fs::directory_iterator(m_out))
            fs::remove(entry.path());
        for (const auto& [name, bytes] : sound)
            WriteBytes(m_out / name, bytes);
    }
}

// EMASTER and XMASTER as charting programs write them, beside a MASTER that convert made.
TEST_F(ToolkitTest, ListReadsEmasterLongNamesAndXmasterSecurities)
{
    const fs::path dir = Dir("vendor");
    ASSERT_EQ(Convert(Input("rows.csv", SoundRows(3, 6, 2020, 10, 1)), dir, "ABC", "OHLCV").status, 0);
    std::vector<unsigned char> emaster(192 * 2);
    emaster[0] = 1;
    emaster[2] = 1;
    emaster[192 + 2] = 1;
    emaster[192 + 6] = 6;
    std::memcpy(&emaster[192 + 11], "ABC", 3);
    std::memcpy(&emaster[192 + 32], "SHORT", 5);
    emaster[192 + 60] = 'D';
    const float first = 1201001.0f, last = 1201003.0f;  // YYYMMDD
    std::memcpy(&emaster[192 + 64], &first, 4);
    std::memcpy(&emaster[192 + 72], &last, 4);
    std::memcpy(&emaster[192 + 139], "ABC Holdings Incorporated", 25);
    WriteBytes(dir / "emaster", emaster);

    std::vector<unsigned char> xmaster(150 * 2);
    xmaster[10] = 1;
    std::memcpy(&xmaster[150 + 1], "XTRA", 4);
    std::memcpy(&xmaster[150 + 16], "Extra, \"Beyond\" 255", 19);
    xmaster[150 + 62] = 'D';
    xmaster[150 + 65] = 300 & 0xFF;
    xmaster[150 + 66] = 300 >> 8;
    const std::int32_t xFirst = 20201001, xLast = 20201003;
    std::memcpy(&xmaster[150 + 108], &xFirst, 4);
    std::memcpy(&xmaster[150 + 116], &xLast, 4);
    WriteBytes(dir / "XMASTER", xmaster);
    fs::copy_file(dir / "F1.DAT", dir / "f300.mwd");  // no column list: the fields follow from its size

    const CliResult csv = RunCli({"list", dir.string(), "--format", "csv"});
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out, "symbol,name,file,fields,frame,first,last,records,note\n"
                       "ABC,ABC Holdings Incorporated,F1.DAT,DOHLCV,daily,2020-10-01,2020-10-03,3,\n"
                       "XTRA,\"Extra, \"\"Beyond\"\" 255\",F300.MWD,DOHLCV,daily,2020-10-01,2020-10-03,3,\n");
    const CliResult json = RunCli({"list", dir.string(), "--format", "json"});
    EXPECT_NE(json.out.find("{\"symbol\": \"XTRA\", \"name\": \"Extra, \\\"Beyond\\\" 255\", \"file\": \"F300.MWD\", "
                            "\"fields\": \"DOHLCV\", \"frame\": \"daily\", \"first\": \"2020-10-01\", \"last\": \"2020-10-03\", "
                            "\"records\": 3, \"note\": null}"),
              std::string::npos)
        << json.out;
    EXPECT_EQ(RunCli({"export", dir.string(), "XTRA"}).out, RunCli({"export", dir.string(), "ABC"}).out);
    EXPECT_EQ(RunCli({"check", dir.string()}).status, 0) << RunCli({"check", dir.string()}).out;
}

TEST_F(ToolkitTest, RemovedSecuritysNumberIsReusedAndTheOldMasterKept)
{
    const fs::path dir = Dir("remove");
    const fs::path input = Input("rows.csv", Rows(5, 7, 2020, 1, 1));
    for (const char* symbol : {"ONE", "TWO", "THREE"})
        ASSERT_EQ(Convert(input, dir, symbol, "OHLCVI").status, 0);
    const auto before = ReadBytes(dir / "MASTER");
    const CliResult removed = RunCli({"remove", dir.string(), "two"});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(ReadBytes(dir / "MASTER.BAK"), before);
    EXPECT_EQ(ReadBytes(dir / "MASTER").size(), 3u * 53);
    EXPECT_FALSE(fs::exists(dir / "F2.DAT") || fs::exists(dir / "F2.DOP"));
    EXPECT_EQ(Convert(input, dir, "FOUR", "OHLCVI").out.substr(0, 12), "FOUR: F2.DAT");
    const CliResult absent = RunCli({"remove", dir.string(), "TWO"});
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.err, "Symbol TWO is not in " + dir.string() + "\n");
}

TEST_F(ToolkitTest, UpdateAppendsOnlyLaterRowsAndGivesTheBytesOfAWholeConversion)
{
    const std::string history = Rows(30, 7, 2020, 10, 1);
    auto lines = [&](int from, int to) {  // rows from..to-1 of the history
        std::istringstream in(history);
        std::string line, text;
        for (int k = 0; std::getline(in, line); ++k)
            if (k >= from && k < to)
                text += line + "\n";
        return text;
    };
    struct Case {
        const char* szName;
        int nHeldTo, nFrom, nTo;
        bool bSampleLayout;  // held without a column list, with another program's header words
        const char* szSummary;
        bool bMasterLags = false;  // MASTER's last date behind the data file, as a killed update leaves it
    };
    const Case cases[] = {
        {"overlapping", 20, 10, 30, false, "U: F1.DAT, +10 records (30 in all), 2020-10-21 to 2020-10-30\n"},
        {"older only", 30, 0, 20, false, "U: F1.DAT, no new records\n"},
        {"newer only", 20, 20, 30, false, "U: F1.DAT, +10 records (30 in all), 2020-10-21 to 2020-10-30\n"},
        {"sample layout", 29, 0, 30, true, "U: F1.DAT, +1 record (30 in all), 2020-10-30 to 2020-10-30\n"},
        {"master lags", 30, 0, 20, false, "U: F1.DAT, no new records\n", true},
    };
    const fs::path whole = Dir("whole");
    ASSERT_EQ(Convert(Input("whole.csv", lines(0, 30)), whole, "U", "OHLCVI").status, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.szName);
        const fs::path dir = Dir(c.szName);
        ASSERT_EQ(Convert(Input("held.csv", lines(0, c.nHeldTo)), dir, "U", "OHLCVI").status, 0);
        if (c.bSampleLayout) {
            fs::remove(dir / "F1.DOP");
            std::vector<unsigned char> data = ReadBytes(dir / "F1.DAT");
            data[4] = 0x55;
            WriteBytes(dir / "F1.DAT", data);
        }
        if (c.bMasterLags) {
            std::vector<unsigned char> master = ReadBytes(dir / "MASTER");
            std::copy_n(master.begin() + 53 + 25, 4, master.begin() + 53 + 29);  // last date = first date
            WriteBytes(dir / "MASTER", master);
        }
        const CliResult result = Convert(Input("new.csv", lines(c.nFrom, c.nTo)), dir, "u", "OHLCVI", "CCYYMMDD",
                                         {"--update"});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, c.szSummary);
        for (const char* file : {"F1.DAT", "F1.DOP", "MASTER"})
            EXPECT_EQ(ReadBytes(dir / file), ReadBytes(whole / file)) << file;
    }
}

TEST_F(ToolkitTest, UpdateRefusesAnotherLayoutAndRowsBeyondTheLimitWithoutChangingAnything)
{
    const fs::path dir = Dir("limit");
    const std::string rows = Rows(65535, 7, 1961, 1, 1);
    const std::size_t lastLine = rows.rfind('\n', rows.size() - 2) + 1;
    ASSERT_EQ(Convert(Input("held.csv", rows.substr(0, lastLine)), dir, "FULL", "OHLCVI").status, 0);
    const auto before = SnapshotOf(dir);
    const fs::path newer = Input("newer.csv", rows.substr(lastLine));

    const CliResult layout = Convert(newer, dir, "FULL", "HLCV", "CCYYMMDD", {"--update"});
    EXPECT_EQ(layout.status, 1);
    EXPECT_EQ(layout.err, "FULL (F1.DAT) holds the fields DOHLCVI but the options give DHLCV. Nothing was changed.\n");
    const CliResult limit = Convert(newer, dir, "FULL", "OHLCVI", "CCYYMMDD", {"--update"});
    EXPECT_EQ(limit.status, 1);
    EXPECT_NE(limit.err.find("more than 65,534 records"), std::string::npos) << limit.err;
    EXPECT_EQ(SnapshotOf(dir), before);
}

TEST_F(ToolkitTest, DamagedIndexAndDataFilesGiveAMessageAndExitOne)
{
    struct Case {
        const char* szFile;
        std::string bytes;
        const char* szExpected;
    };
    const Case cases[] = {
        {"MASTER", "garbage", "MASTER is not a Master file"},
        {"EMASTER", std::string(100, '\xFF'), "EMASTER is shorter than its 192-byte header"},
        {"XMASTER", "x", "XMASTER is shorter than its 150-byte header"},
        {"F1.DAT", std::string("\0\0\x50\0", 4) + std::string(60, 'z'), "F1.DAT is shorter than its header says"},
        {"F1.DOP", "\"DATE\",0,0\r\n\"PRICE\",4,4\r\n", "F1.DOP names a field that is not known"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.szFile);
        const fs::path dir = Dir(std::string("bad-") + c.szFile);
        ASSERT_EQ(Convert(Input("rows.csv", Rows(3, 7, 2020, 1, 1)), dir, "ABC", "OHLCVI").status, 0);
        WriteText(dir / c.szFile, c.bytes);
        for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
                 {"list", dir.string()}, {"export", dir.string(), "ABC"}, {"check", dir.string()}}) {
            const CliResult result = RunCli(command);
            // list shows every security, noting a damaged data file; the others fail.
            EXPECT_EQ(result.status, command[0] == "list" && c.szFile[0] == 'F' ? 0 : 1) << command[0];
            EXPECT_NE((result.err + result.out).find(c.szExpected), std::string::npos)
                << command[0] << ": " << result.err << result.out;
        }
    }
}

}  // namespace

// Two-digit years read back as 1960 to 2059: a later date needs a format with the century.
TEST_F(ToolkitTest, ExportWritesTwoDigitYearsOnlyWhereTheyReadBackTheSame)
{
    const struct {
        const char* szDate;
        const char* szFormat;
        int nStatus;
        std::string strShown;  // the output, or part of the message
    } cases[] = {
        {"20591231", "YYMMDD", 0, "591231,5\n"},
        {"20600101", "YYMMDD", 1, "holds the date 2060-01-01, which YYMMDD cannot write"},
        {"20991231", "DD_MM_YY", 1, "holds the date 2099-12-31, which DD_MM_YY cannot write"},
        {"20600101", "CCYYMMDD", 0, "20600101,5\n"},
        {"21400604", "MM_DD_CCYY", 0, "06/04/2140,5\n"},
    };
    for (const auto& c : cases) {
        const fs::path dir = Dir(std::string("d") + c.szDate + c.szFormat);
        ASSERT_EQ(Convert(Input("row.csv", std::string(c.szDate) + ",5\n"), dir, "Y", "C").status, 0) << c.szDate;
        const CliResult exported = RunCli({"export", dir.string(), "Y", "--date-format", c.szFormat});
        EXPECT_EQ(exported.status, c.nStatus) << c.szDate << " " << c.szFormat << ": " << exported.err;
        EXPECT_NE((exported.out + exported.err).find(c.strShown), std::string::npos)
            << c.szDate << " " << c.szFormat << ": " << exported.out << exported.err;
    }
}
