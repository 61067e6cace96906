// quoteforge-cli export: a security's rows as text that convert reads back to the same bytes.

#include <algorithm>
#include <memory>
#include <vector>

#include "cli/command.h"
#include "cli/output.h"
#include "engine/directory/export.h"
#include "engine/directory/ticker_export.h"
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
    bool all = false;     // every security, in the ticker layout
    std::string symbols;  // with all: A,B,... a subset
};

// The ticker layout of many securities; its columns and formats are fixed, so the options of the
// single-security layout do not apply to it.
int RunTickerExport(const ExportRequest& request, const Given& given, std::ostream& out, std::ostream& err)
{
    if (!request.symbol.empty()) {
        Complain(err, "give either SYMBOL or --all, not both");
        return 2;
    }
    for (const char* option : {"--date-format", "--delimiter", "--time-format", "--header"})
        if (given(option)) {
            Complain(err, std::string(option) + " does not apply to --all, whose layout is fixed");
            return 2;
        }
    std::vector<std::string> symbols;
    for (std::size_t start = 0; !request.symbols.empty() && start <= request.symbols.size();) {
        const std::size_t comma = std::min(request.symbols.find(',', start), request.symbols.size());
        if (comma == start) {
            Complain(err, "--symbols holds an empty symbol: " + request.symbols);
            return 2;
        }
        symbols.push_back(request.symbols.substr(start, comma - start));
        start = comma + 1;
    }
    CErrorLineSink messages(err);
    if (request.output.empty())
        return engine::ExportTickerRows(metastock::PathFromText(request.dir), symbols, out, messages);
    return engine::ExportTickerRowsToFile(metastock::PathFromText(request.dir), symbols,
                                          metastock::PathFromText(request.output), messages);
}

int RunExport(const ExportRequest& request, const Given& given, std::ostream& out, std::ostream& err)
{
    if (request.all)
        return RunTickerExport(request, given, out, err);
    if (request.symbol.empty() || given("--symbols")) {
        Complain(err, request.symbol.empty() ? "give SYMBOL, or --all for every security"
                                             : "--symbols goes with --all");
        return 2;
    }
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
             {"SYMBOL", &request->symbol, "The security's symbol (or --all)"},
             {"--all", &request->all,
              "Every security in one file, one line per bar: <TICKER>,<NAME>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,"
              "<LOW>,<CLOSE>,<VOL>,<OPENINT>"},
             {"--symbols", &request->symbols, "With --all: only these securities, A,B,... in this order"},
             {"-o,--output", &request->output, "The file to write (default: standard output)"},
             {"--date-format", &request->dateFormat, "Layout of the dates, as for convert (default: CCYYMMDD)"},
             {"--delimiter", &request->delimiter, "What separates the columns (default: comma)", false,
              {"comma", "tab", "space"}},
             {"--time-format", &request->timeFormat,
              "Layout of the times of intraday data (default: HH:MM:SS; HH:MM only when no time has seconds)", false,
              {"HHMMSS", "HH:MM:SS", "HH:MM"}},
             {"--header", &request->header, "Start with a line naming the fields"}},
            [request](const Given& given, std::ostream& out, std::ostream& err) {
                return RunExport(*request, given, out, err);
            }};
}

}  // namespace cli
