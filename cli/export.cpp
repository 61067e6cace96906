// quoteforge-cli export: a security's rows as text that convert reads back to the same bytes.

#include <memory>

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
    std::string timeFormat = "HH:MM:SS";
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
    engine::TimeFormatFromName(request.timeFormat, options.timeFormat);  // one of the choices the parser allows
    CErrorLineSink messages(err);
    if (request.output.empty())
        return engine::ExportSecurity(metastock::PathFromText(request.dir), request.symbol, options, out, messages);
    return engine::ExportSecurityToFile(metastock::PathFromText(request.dir), request.symbol, options,
                                        metastock::PathFromText(request.output), messages);
}

}  // namespace

Command ExportCommand()
{
    auto request = std::make_shared<ExportRequest>();
    return {"export",
            "Writes a security's rows as text: the date, the time of an intraday security, then open, high, low, "
            "close, volume, open interest as far as it has them",
            {{"DIR", &request->dir, "The MetaStock directory", true},
             {"SYMBOL", &request->symbol, "The security's symbol", true},
             {"-o,--output", &request->output, "The file to write (default: standard output)"},
             {"--date-format", &request->dateFormat, "Layout of the dates, as for convert (default: CCYYMMDD)"},
             {"--delimiter", &request->delimiter, "What separates the columns (default: comma)", false,
              {"comma", "tab", "space"}},
             {"--time-format", &request->timeFormat,
              "Layout of the times of intraday data (default: HH:MM:SS; HH:MM only when no time has seconds)", false,
              {"HHMMSS", "HH:MM:SS", "HH:MM"}},
             {"--header", &request->header, "Start with a line naming the fields"}},
            [request](const Given&, std::ostream& out, std::ostream& err) { return RunExport(*request, out, err); }};
}

}  // namespace cli
