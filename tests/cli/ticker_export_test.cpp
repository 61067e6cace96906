// export --all: every security of a directory in one text of the vendors' ticker layout.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run_cli.h"
#include "support/temp_dir.h"

namespace {

const std::string kHeading = "<TICKER>,<NAME>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>,<OPENINT>\n";

}  // namespace

// Daily bars get 000000 as their time, intraday bars their own; a field the security lacks stays empty, a
// name with a comma or a quote goes in quotes; the usage and the directory's faults are refused whole.
TEST(TickerExportTest, WritesEachSecurityAndEachBarInTheTickerLayout)
{
    CTempDir dir;
    std::filesystem::create_directory(dir / "d");
    std::ofstream(dir / "p.csv") << "Date,Open,High,Low,Close\n2024-01-02,10,11,9,10.5\n2024-01-03,10.5,12,10,11.25\n";
    ASSERT_EQ(RunCli({"convert", dir / "p.csv", "--dir", dir / "d", "--symbol", "ACME", "--name", "Acme, \"A\"",
                      "--detect"}).status, 0);
    ASSERT_EQ(RunCli({"convert", dir / "p.csv", "--dir", dir / "d", "--symbol", "B", "--detect", "--master", "existing"}).status, 0)
        << "a second security";
    const std::string intraday = QUOTEFORGE_INTRADAY;
    const struct {
        const char* szCase;
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string err;
    } kCases[] = {
        {"every security", {dir / "d", "--all"}, 0,
         kHeading + "ACME,\"Acme, \"\"A\"\"\",D,20240102,000000,10,11,9,10.5,,\n"
                    "ACME,\"Acme, \"\"A\"\"\",D,20240103,000000,10.5,12,10,11.25,,\n"
                    "B,,D,20240102,000000,10,11,9,10.5,,\nB,,D,20240103,000000,10.5,12,10,11.25,,\n",
         ""},
        {"a subset in the order asked", {intraday, "--all", "--symbols", "CLG4"}, 0,
         kHeading + "CLG4,CRUDE OIL FEB24,I,20240102,090000,71.65,71.92,71.58,71.83,4012,331218\n"
                    "CLG4,CRUDE OIL FEB24,I,20240102,090500,71.83,71.9,71.7,71.74,2877,331218\n"
                    "CLG4,CRUDE OIL FEB24,I,20240102,091000,71.74,71.76,71.41,71.47,3390,331218\n"
                    "CLG4,CRUDE OIL FEB24,I,20240103,084500,70.38,70.52,70.31,70.49,2190,329904\n"
                    "CLG4,CRUDE OIL FEB24,I,20240103,143000,72.7,72.88,72.61,72.85,6671,329904\n",
         ""},
        {"a symbol not there", {dir / "d", "--all", "--symbols", "B,NOPE"}, 1, "",
         "Symbol NOPE is not in " + dir / "d" + "\n"},
        {"symbol and --all", {dir / "d", "B", "--all"}, 2, "", "quoteforge-cli: give either SYMBOL or --all, not both\n"},
        {"a fixed layout", {dir / "d", "--all", "--header"}, 2, "",
         "quoteforge-cli: --header does not apply to --all, whose layout is fixed\n"},
        {"--symbols alone", {dir / "d", "B", "--symbols", "B"}, 2, "", "quoteforge-cli: --symbols goes with --all\n"},
        {"no MASTER", {dir / "none", "--all"}, 1, "", ""},
    };
    for (const auto& c : kCases) {
        std::vector<std::string> args = {"export"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliResult result = RunCli(args);
        EXPECT_EQ(result.status, c.status) << c.szCase << ": " << result.err;
        EXPECT_EQ(result.out, c.out) << c.szCase;
        if (!c.err.empty()) {
            EXPECT_EQ(result.err, c.err) << c.szCase;
        }
    }
    // Into a file: the same text.
    ASSERT_EQ(RunCli({"export", dir / "d", "--all", "-o", dir / "all.txt"}).status, 0);
    std::ostringstream written;
    written << std::ifstream(dir / "all.txt").rdbuf();
    EXPECT_EQ(written.str(), RunCli({"export", dir / "d", "--all"}).out);
}
