#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "cli/convert_request.h"
#include "engine/converter.h"
#include "metastock/day_number.h"
#include "metastock/file_names.h"
#include "quoteforge_version.h"

using namespace metastock;
using namespace engine;

namespace {

// Messages of the run go to standard error, one line each.
class CStreamMessageSink : public IMessageSink {
public:
    explicit CStreamMessageSink(std::ostream& err) : m_err(err) {}
    void ShowMessage(const std::string& text) override
    {
        std::string line = text;
        for (char& c : line)
            if (c == '\n')
                c = ' ';
        m_err << line << '\n';
    }
    void ShowNotice(const std::string& text) override { m_err << text << std::endl; }

private:
    std::ostream& m_err;
};

std::string IsoDate(const MbfSingle& dateCode)
{
    const CalendarDate date = DateCodeToDate(dateCode);
    if (date.nYear == 0)
        return "(unreadable date)";
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.nYear, date.nMonth, date.nDay);
    return text;
}

std::string Summary(const CConverter& job)
{
    std::string line = std::string(job.m_szSymbol) + ": " + DataFileName(job.m_nFileNumber) + ", " +
                       std::to_string(job.m_nRecords) + (job.m_nRecords == 1 ? " record" : " records");
    if (job.m_nRecords > 0)
        line += ", " + IsoDate(job.m_firstDate) + " to " + IsoDate(job.m_lastDate);
    return line;
}

void AddConvertOptions(CLI::App& convert, CConvertRequest& request)
{
    convert.add_option("INPUT", request.strInput, "The price text file to convert")->required();
    convert.add_option("--dir", request.strDir, "The MetaStock directory that receives the security (required)")
        ->required();
    convert.add_option("--symbol", request.strSymbol,
                       "Symbol of the new security, 1 to 16 characters, stored in upper case (required)")
        ->required();
    convert.add_option("--name", request.strName, "Name of the new security, at most 16 characters (default: empty)");
    convert.add_option("--date-format", request.strDateFormat,
                       "Layout of the dates: YY_MM_DD, CCYY_MM_DD, MM_DD_YY, MM_DD_CCYY, DD_MM_YY, DD_MM_CCYY, "
                       "YYMMDD, CCYYMMDD, MMDDYY, MMDDCCYY, DDMMYY, DDMMCCYY (any case) or their number 1 to 12 "
                       "(default: MMDDYY)");
    convert.add_option("--delimiter", request.strDelimiter, "What separates the columns (default: comma)")
        ->check(CLI::IsMember({"comma", "tab", "space"}));
    convert.add_option("--skip", request.nSkip, "Leading lines to skip, 0 to 200 (default: 0)");
    convert.add_option("--date-col", request.strDateCol, "Column of the date, 1 to 20 (default: 1)");
    convert.add_option("--open-col", request.strOpenCol, "Column of the open price, 1 to 20, or off (default: 2)");
    convert.add_option("--high-col", request.strHighCol, "Column of the high price, 1 to 20, or off (default: 3)");
    convert.add_option("--low-col", request.strLowCol, "Column of the low price, 1 to 20, or off (default: 4)");
    convert.add_option("--close-col", request.strCloseCol, "Column of the close price, 1 to 20 (default: 5)");
    convert.add_option("--volume-col", request.strVolumeCol, "Column of the volume, 1 to 20, or off (default: 6)");
    convert.add_option("--oi-col", request.strOiCol, "Column of the open interest, 1 to 20, or off (default: 7)");
    convert.add_option("--master", request.strMaster,
                       "existing: add to the directory's MASTER; new: create MASTER, which must not exist yet; "
                       "auto: existing when the directory has a MASTER, else new (default: auto)")
        ->check(CLI::IsMember({"existing", "new", "auto"}));
    convert.add_flag("--no-sync", request.bNoSync,
                     "Skip the flushes to disk, for scratch output: a power loss may then leave the new files "
                     "incomplete although MASTER names them. The directory's lock, the temporary files and the "
                     "one rename of MASTER that commits the run stay");
}

int Convert(const CConvertRequest& request, std::ostream& out, std::ostream& err)
{
    CStreamMessageSink messages(err);
    CNoSettingsWriter settings;
    CSystemToday today;
    CConverter job({messages, settings, today});
    FillJob(request, job);
    const int status = job.Run();
    if (status != 0)
        return 1;
    out << Summary(job) << '\n';
    out.flush();
    if (!out) {
        err << "quoteforge-cli: the summary line could not be written to standard output; the security was added\n";
        return 1;
    }
    return 0;
}

}  // namespace

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    CLI::App app{"Converts daily price text files into MetaStock directories.", "quoteforge-cli"};
    app.set_version_flag("--version", "quoteforge-cli " QUOTEFORGE_VERSION);
    app.require_subcommand(1);
    CConvertRequest request;
    CLI::App* convert = app.add_subcommand(
        "convert", "Adds one security to a MetaStock directory (MASTER, F<n>.DAT, F<n>.DOP) from a price text file");
    convert->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);  // the last one given wins
    AddConvertOptions(*convert, request);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error, out, err) == 0 ? 0 : 2;
    }
    std::string problem;
    if (!ValidateRequest(request, problem)) {
        err << "quoteforge-cli: " << problem << '\n';
        return 2;
    }
    return Convert(request, out, err);
}
