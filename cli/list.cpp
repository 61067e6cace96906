// quoteforge-cli list: one line per security of a directory, in file-number order.

#include <algorithm>
#include <memory>
#include <vector>

#include "cli/command.h"
#include "cli/output.h"
#include "engine/directory/security_listing.h"
#include "engine/text/code_page.h"
#include "metastock/path_text.h"

namespace cli {

using namespace metastock;
using engine::ListedSecurity;
using engine::ListSecurities;

namespace {

struct ListOptions {
    std::string dir;
    std::string format = "table";
};


constexpr const char* kHeadings[] = {"symbol", "name", "file", "fields", "frame", "first", "last", "records", "note"};
constexpr std::size_t kRecordsColumn = 7;

std::vector<std::string> Cells(const ListedSecurity& s)
{
    return {s.symbol, s.name, s.dataFile, s.fields, s.frame, s.first, s.last, s.records, s.note};
}

// For the table and CSV: control characters of a damaged index escaped (JSON escapes its own).
std::vector<std::string> PrintableCells(const ListedSecurity& s)
{
    std::vector<std::string> cells = Cells(s);
    for (std::string& cell : cells)
        cell = engine::EscapeControls(cell);
    return cells;
}

void PrintTable(const std::vector<ListedSecurity>& securities, std::ostream& out)
{
    std::vector<std::size_t> widths;
    for (const char* heading : kHeadings)
        widths.push_back(std::string_view(heading).size());
    // Widths count characters, not UTF-8 bytes.
    auto length = [](const std::string& text) {
        return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
    };
    for (const ListedSecurity& security : securities) {
        const std::vector<std::string> cells = PrintableCells(security);
        for (std::size_t i = 0; i < cells.size(); ++i)
            widths[i] = std::max(widths[i], length(cells[i]));
    }
    auto printRow = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const std::string padding(widths[i] - length(cells[i]), ' ');
            if (i + 1 == cells.size())
                line += cells[i];
            else
                line += (i == kRecordsColumn ? padding + cells[i] : cells[i] + padding) + "  ";  // records right-aligned
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out << line << '\n';
    };
    printRow({std::begin(kHeadings), std::end(kHeadings)});
    for (const ListedSecurity& security : securities)
        printRow(PrintableCells(security));
}

void PrintCsv(const std::vector<ListedSecurity>& securities, std::ostream& out)
{
    out << "symbol,name,file,fields,frame,first,last,records,note\n";
    for (const ListedSecurity& security : securities) {
        std::string line;
        for (const std::string& cell : PrintableCells(security)) {
            if (!line.empty())
                line += ',';
            line += CsvField(cell);
        }
        out << line << '\n';
    }
}

void PrintJson(const std::vector<ListedSecurity>& securities, std::ostream& out)
{
    out << '[';
    for (std::size_t k = 0; k < securities.size(); ++k) {
        const std::vector<std::string> cells = Cells(securities[k]);
        out << (k ? ",\n " : "\n ") << '{';
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const bool bRecords = i == kRecordsColumn, bNote = i + 1 == cells.size();
            out << (i ? ", " : "") << JsonString(kHeadings[i]) << ": "
                << ((bRecords || bNote) && cells[i].empty() ? "null" : bRecords ? cells[i] : JsonString(cells[i]));
        }
        out << '}';
    }
    out << (securities.empty() ? "]\n" : "\n]\n");
}

int RunList(const ListOptions& options, std::ostream& out, std::ostream& err)
{
    CErrorLineSink messages(err);
    // Every security the indexes name is listed; one whose data file cannot be read shows its index's
    // dates and a note, and check is the command that fails on it.
    std::vector<ListedSecurity> securities;
    std::string error;
    if (!ListSecurities(PathFromText(options.dir), securities, error, messages)) {
        messages.ShowMessage(error);
        return 1;
    }
    if (options.format == "csv")
        PrintCsv(securities, out);
    else if (options.format == "json")
        PrintJson(securities, out);
    else
        PrintTable(securities, out);
    return 0;
}

}  // namespace

Command ListCommand()
{
    auto options = std::make_shared<ListOptions>();
    return {"list",
            "Lists the securities of a MetaStock directory: symbol, name, data file, fields, first and last date, "
            "records",
            {{"DIR", &options->dir, "The MetaStock directory", true},
             {"--format", &options->format, "table (for people), csv or json (default: table)", false,
              {"table", "csv", "json"}}},
            [options](const Given&, std::ostream& out, std::ostream& err) { return RunList(*options, out, err); }};
}

}  // namespace cli
