#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "cli/batch.h"
#include "cli/convert_request.h"
#include "cli/input_options.h"
#include "cli/subcommand.h"
#include "engine/converter.h"
#include "metastock/day_number.h"
#include "metastock/file_names.h"

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

// With thousands separators: 1,520.
std::string Grouped(int n)
{
    std::string digits = std::to_string(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

std::string UpdateSummary(const CConverter& job)
{
    const std::string head = std::string(job.m_szSymbol) + ": " + DataFileName(job.m_nFileNumber) + ", ";
    if (job.m_nRecords == 0)
        return head + "no new records";
    return head + "+" + Grouped(job.m_nRecords) + (job.m_nRecords == 1 ? " record (" : " records (") +
           Grouped(job.m_nHeldRecords + job.m_nRecords) + " in all), " + IsoDate(job.m_firstDate) + " to " +
           IsoDate(job.m_lastDate);
}

std::string Summary(const CConverter& job)
{
    if (job.m_bUpdating)
        return UpdateSummary(job);
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
    AddInputOptions(convert, request);
    convert.add_option("--master", request.strMaster,
                       "existing: add to the directory's MASTER; new: create MASTER, which must not exist yet; "
                       "auto: existing when the directory has a MASTER, else new (default: auto)")
        ->check(CLI::IsMember({"existing", "new", "auto"}));
    convert.add_flag("--update", request.bUpdate,
                     "When the directory holds the symbol, append the rows dated after its last date (the fields "
                     "must be the security's); else add it");
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
    app.require_subcommand(1);
    CConvertRequest request;
    CLI::App* convert = app.add_subcommand(
        "convert", "Adds one security to a MetaStock directory (MASTER, F<n>.DAT, F<n>.DOP) from a price text file");
    convert->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);  // the last one given wins
    AddConvertOptions(*convert, request);
    const CSubcommand toolkit[] = {AddListCommand(app), AddExportCommand(app), AddCheckCommand(app), AddRemoveCommand(app)};
    CBatchRequest batchRequest;
    CLI::App* batch = AddBatchCommand(app, batchRequest);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error, out, err) == 0 ? 0 : 2;
    }
    for (const CSubcommand& command : toolkit)
        if (command.pCommand->parsed())
            return command.run(out, err);
    if (batch->parsed())
        return RunBatch(batchRequest, out, err);
    std::string problem;
    if (!ValidateRequest(request, problem)) {
        err << "quoteforge-cli: " << problem << '\n';
        return 2;
    }
    return Convert(request, out, err);
}
