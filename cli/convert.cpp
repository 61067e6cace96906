// quoteforge-cli convert: adds one security to a MetaStock directory from a price text file.

#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/commands.h"
#include "cli/subcommand.h"
#include "engine/converter.h"
#include "engine/layout_detection.h"
#include "metastock/day_number.h"
#include "metastock/file_names.h"

using namespace metastock;
using namespace engine;

namespace {

std::string IsoDate(const MbfSingle& dateCode)
{
    const CalendarDate date = DateCodeToDate(dateCode);
    if (date.nYear == 0)
        return "(unreadable date)";
    return IsoDateText(date);
}

std::string UpdateSummary(const ConversionResult& result)
{
    const std::string head = result.symbol + ": " + DataFileName(result.fileNumber) + ", ";
    if (result.records == 0)
        return head + "no new records";
    return head + "+" + WithThousands(result.records) + (result.records == 1 ? " record (" : " records (") +
           WithThousands(result.heldRecords + result.records) + " in all), " + IsoDate(result.firstDate) + " to " +
           IsoDate(result.lastDate);
}

std::string RowsSummary(const ConversionResult& result)
{
    if (result.updated)
        return UpdateSummary(result);
    std::string line = result.symbol + ": " + DataFileName(result.fileNumber) + ", " + std::to_string(result.records) +
                       (result.records == 1 ? " record" : " records");
    if (result.records > 0)
        line += ", " + IsoDate(result.firstDate) + " to " + IsoDate(result.lastDate);
    return line;
}

// What was done with the rows (skipped, sorted, combined) follows in brackets.
std::string Summary(const ConversionResult& result)
{
    const std::string line = RowsSummary(result);
    return result.rowNotes.empty() ? line : line + " (" + result.rowNotes + ")";
}

// Options or defaults that do not fit the file's first data row refuse the run before anything is
// written, with the options that detection finds.
bool FitsTheFile(const ConversionSettings& settings, const CConvertRequest& request, int nDateFormat, std::ostream& err)
{
    const std::string misfit = SettingsMisfit(settings, request.strInput, nDateFormat);
    if (misfit.empty())
        return true;
    err << "quoteforge-cli: The settings do not fit this file: " << misfit << '\n';
    const DetectedLayout layout = DetectLayout(request.strInput);
    if (layout.bFound)
        err << "quoteforge-cli: detect finds: " << LayoutOptionsLine(layout) << '\n';
    return false;
}

// Detected values fill the input options that the command line leaves out.
bool FillFromDetection(const CLI::App& command, CConvertRequest& request, std::ostream& err)
{
    const DetectedLayout layout = DetectLayout(request.strInput);
    if (!layout.bFound) {
        err << "quoteforge-cli: " << layout.strProblem << '\n';
        return false;
    }
    for (const auto& [option, value] : LayoutOptions(layout))
        if (command.count(option) == 0)
            SetInputOption(request, option, value);
    return true;
}

}  // namespace

CLI::App* AddConvertCommand(CLI::App& app, CConvertRequest& request)
{
    CLI::App* convert = app.add_subcommand(
        "convert", "Adds one security to a MetaStock directory (MASTER, F<n>.DAT, F<n>.DOP) from a price text file");
    convert->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);  // the last one given wins
    convert->add_option("INPUT", request.strInput, "The price text file to convert")->required();
    convert->add_option("--dir", request.strDir, "The MetaStock directory that receives the security (required)")
        ->required();
    convert->add_option("--symbol", request.strSymbol,
                        "Symbol of the new security, 1 to 16 characters, stored in upper case (required)")
        ->required();
    convert->add_option("--name", request.strName, "Name of the new security, at most 16 characters (default: empty)");
    convert->add_option("--date-format", request.strDateFormat,
                        "Layout of the dates: YY_MM_DD, CCYY_MM_DD, MM_DD_YY, MM_DD_CCYY, DD_MM_YY, DD_MM_CCYY, "
                        "YYMMDD, CCYYMMDD, MMDDYY, MMDDCCYY, DDMMYY, DDMMCCYY, DD_MMM_YY, DD_MMM_CCYY, MMM_DD_CCYY, "
                        "CCYY_MMM_DD (any case) or their number 1 to 16 "
                        "(default: MMDDYY)");
    convert->add_option("--delimiter", request.strDelimiter, "What separates the columns (default: comma)")
        ->check(CLI::IsMember({"comma", "tab", "space", "semicolon"}));
    convert->add_option("--skip", request.nSkip, "Leading lines to skip, 0 to 200 (default: 0)");
    convert->add_option("--date-col", request.strDateCol, "Column of the date, 1 to 20 (default: 1)");
    convert->add_option("--open-col", request.strOpenCol, "Column of the open price, 1 to 20, or off (default: 2)");
    convert->add_option("--high-col", request.strHighCol, "Column of the high price, 1 to 20, or off (default: 3)");
    convert->add_option("--low-col", request.strLowCol, "Column of the low price, 1 to 20, or off (default: 4)");
    convert->add_option("--close-col", request.strCloseCol, "Column of the close price, 1 to 20 (default: 5)");
    convert->add_option("--volume-col", request.strVolumeCol, "Column of the volume, 1 to 20, or off (default: 6)");
    convert->add_option("--oi-col", request.strOiCol, "Column of the open interest, 1 to 20, or off (default: 7)");
    convert->add_option("--master", request.strMaster,
                        "existing: add to the directory's MASTER; new: create MASTER, which must not exist yet; "
                        "auto: existing when the directory has a MASTER, else new (default: auto)")
        ->check(CLI::IsMember({"existing", "new", "auto"}));
    convert->add_flag("--decimal-comma", request.bDecimalComma,
                      "Numbers have a decimal comma (1,25); with a comma delimiter only inside quotes");
    convert->add_flag("--daily", request.bDaily,
                      "Combine intraday bars into daily ones: open of the first, highest high, lowest low, close of "
                      "the last, volumes summed, open interest of the last");
    convert->add_flag("--skip-bad-rows", request.bSkipBadRows,
                      "Convert the rows that can be read and list the others, instead of refusing the file");
    convert->add_flag("--detect", request.bDetect,
                      "Take the delimiter, date format, skip and columns that are not given from the file itself "
                      "(see detect)");
    convert->add_flag("--update", request.bUpdate,
                      "When the directory holds the symbol, append the rows dated after its last date (the fields "
                      "must be the security's); else add it");
    convert->add_flag("--no-sync", request.bNoSync,
                      "Skip the flushes to disk, for scratch output: a power loss may then leave the new files "
                      "incomplete although MASTER names them. The directory's lock, the temporary files and the "
                      "one rename of MASTER that commits the run stay");
    return convert;
}

int RunConvert(const CLI::App& command, CConvertRequest& request, std::ostream& out, std::ostream& err)
{
    if (request.bDetect && !FillFromDetection(command, request, err))
        return 1;
    ConversionSettings settings;
    int nDateFormat = 0;
    std::string problem;
    if (!ValidateRequest(request, settings, nDateFormat, problem)) {
        err << "quoteforge-cli: " << problem << '\n';
        return 2;
    }
    if (!request.bDetect && !FitsTheFile(settings, request, nDateFormat, err))
        return 1;
    CErrorLineSink messages(err);
    CNoSettingsWriter noSettings;
    CSystemToday today;
    ConversionJob job = MakeConversionJob(settings, nDateFormat, request.strInput);
    job.syncToDisk = !request.bNoSync;
    job.update = request.bUpdate;
    const ConversionResult result = CConverter({messages, noSettings, today}, std::move(job)).Run();
    if (result.status != 0)
        return 1;
    if (!result.skippedRows.empty())
        out << "Skipped: " << result.skippedRows << '\n';
    out << Summary(result) << '\n';
    out.flush();
    if (!out) {
        err << "quoteforge-cli: the summary line could not be written to standard output; the security was added\n";
        return 1;
    }
    return 0;
}
