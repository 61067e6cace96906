// quoteforge-cli export: a security's rows as text that convert reads back to the same bytes.

#include <fstream>
#include <memory>
#include <sstream>

#include "cli/subcommand.h"
#include "engine/date_formats.h"
#include "engine/export.h"
#include "metastock/path_text.h"

namespace {

struct CExportRequest {
    std::string strDir;
    std::string strSymbol;
    std::string strOutput;
    std::string strDateFormat = "CCYYMMDD";
    std::string strDelimiter = "comma";
    bool bHeader = false;
};

int RunExport(const CExportRequest& request, std::ostream& out, std::ostream& err)
{
    engine::CExportOptions options;
    options.nDateFormat = engine::DateFormatNumber(request.strDateFormat);
    if (options.nDateFormat == 0 || options.nDateFormat > engine::kLastNumericFormat) {
        err << "quoteforge-cli: --date-format must be one of the twelve format names or a number from 1 to 12\n";
        return 2;
    }
    options.cDelimiter = request.strDelimiter == "tab" ? '\t' : request.strDelimiter == "space" ? ' ' : ',';
    options.bHeader = request.bHeader;
    CErrorLineSink messages(err);
    if (request.strOutput.empty())
        return engine::ExportSecurity(metastock::PathFromText(request.strDir), request.strSymbol, options, out, messages);
    // The file is made only once the rows are there, so a failed export leaves no file behind.
    std::ostringstream text;
    if (engine::ExportSecurity(metastock::PathFromText(request.strDir), request.strSymbol, options, text, messages) != 0)
        return 1;
    std::ofstream file(metastock::PathFromText(request.strOutput), std::ios::binary);
    if (!(file << text.str()) || !file.flush()) {
        messages.ShowMessage("Cannot write " + request.strOutput);
        return 1;
    }
    return 0;
}

}  // namespace

CSubcommand AddExportCommand(CLI::App& app)
{
    auto request = std::make_shared<CExportRequest>();
    CLI::App* command = app.add_subcommand(
        "export", "Writes a security's rows as text: the date, then open, high, low, close, volume, open interest "
                  "as far as it has them");
    command->add_option("DIR", request->strDir, "The MetaStock directory")->required();
    command->add_option("SYMBOL", request->strSymbol, "The security's symbol")->required();
    command->add_option("-o,--output", request->strOutput, "The file to write (default: standard output)");
    command->add_option("--date-format", request->strDateFormat,
                        "Layout of the dates, as for convert (default: CCYYMMDD)");
    command->add_option("--delimiter", request->strDelimiter, "What separates the columns (default: comma)")
        ->check(CLI::IsMember({"comma", "tab", "space"}));
    command->add_flag("--header", request->bHeader, "Start with a line naming the fields");
    return {command, [request](std::ostream& out, std::ostream& err) { return RunExport(*request, out, err); }};
}
