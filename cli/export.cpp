// quoteforge-cli export: a security's rows as text that convert reads back to the same bytes.

#include <fstream>
#include <memory>
#include <sstream>

#include "cli/command.h"
#include "cli/output.h"
#include "engine/directory/export.h"
#include "engine/text/date_formats.h"
#include "metastock/path_text.h"

namespace cli {

namespace {

struct ExportRequest {
    std::string dir;
    std::string symbol;
    std::string output;
    std::string dateFormat = "CCYYMMDD";
    std::string delimiter = "comma";
    bool header = false;
};

int RunExport(const ExportRequest& request, std::ostream& out, std::ostream& err)
{
    engine::ExportOptions options;
    options.dateFormat = engine::DateFormatNumber(request.dateFormat);
    if (options.dateFormat == 0 || options.dateFormat > engine::kLastNumericFormat) {
        Complain(err, "--date-format must be one of the twelve format names or a number from 1 to " +
                          std::to_string(engine::kLastNumericFormat));
        return 2;
    }
    options.delimiter = request.delimiter == "tab" ? '\t' : request.delimiter == "space" ? ' ' : ',';
    options.header = request.header;
    CErrorLineSink messages(err);
    if (request.output.empty())
        return engine::ExportSecurity(metastock::PathFromText(request.dir), request.symbol, options, out, messages);
    // The file is made only once the rows are there, so a failed export leaves no file behind.
    std::ostringstream text;
    if (engine::ExportSecurity(metastock::PathFromText(request.dir), request.symbol, options, text, messages) != 0)
        return 1;
    std::ofstream file(metastock::PathFromText(request.output), std::ios::binary);
    if (!(file << text.str()) || !file.flush()) {
        messages.ShowMessage("Cannot write " + request.output);
        return 1;
    }
    return 0;
}

}  // namespace

Command ExportCommand()
{
    auto request = std::make_shared<ExportRequest>();
    return {"export",
            "Writes a security's rows as text: the date, then open, high, low, close, volume, open interest as far "
            "as it has them",
            {{"DIR", &request->dir, "The MetaStock directory", true},
             {"SYMBOL", &request->symbol, "The security's symbol", true},
             {"-o,--output", &request->output, "The file to write (default: standard output)"},
             {"--date-format", &request->dateFormat, "Layout of the dates, as for convert (default: CCYYMMDD)"},
             {"--delimiter", &request->delimiter, "What separates the columns (default: comma)", false,
              {"comma", "tab", "space"}},
             {"--header", &request->header, "Start with a line naming the fields"}},
            [request](const Given&, std::ostream& out, std::ostream& err) { return RunExport(*request, out, err); }};
}

}  // namespace cli
