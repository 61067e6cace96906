// quoteforge-cli list: one line per security of a directory, in file-number order.

#include <algorithm>
#include <memory>
#include <vector>

#include "cli/command.h"
#include "cli/output.h"
#include "engine/code_page.h"
#include "metastock/directory_reader.h"
#include "metastock/path_text.h"

namespace cli {

using namespace metastock;

namespace {

struct CListOptions {
    std::string strDir;
    std::string strFormat = "table";
};

struct CListedSecurity {
    std::string strSymbol, strName, strFile, strFields, strFrame, strFirst, strLast, strRecords, strNote;
};

constexpr const char* kHeadings[] = {"symbol", "name", "file", "fields", "frame", "first", "last", "records", "note"};
constexpr std::size_t kRecordsColumn = 7;

std::vector<std::string> Cells(const CListedSecurity& s)
{
    return {s.strSymbol, s.strName, s.strFile, s.strFields, s.strFrame, s.strFirst, s.strLast, s.strRecords, s.strNote};
}

void PrintTable(const std::vector<CListedSecurity>& securities, std::ostream& out)
{
    std::vector<std::size_t> widths;
    for (const char* heading : kHeadings)
        widths.push_back(std::string_view(heading).size());
    // Widths count characters, not UTF-8 bytes.
    auto length = [](const std::string& text) {
        return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
    };
    for (const CListedSecurity& security : securities) {
        const std::vector<std::string> cells = Cells(security);
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
    for (const CListedSecurity& security : securities)
        printRow(Cells(security));
}

void PrintCsv(const std::vector<CListedSecurity>& securities, std::ostream& out)
{
    out << "symbol,name,file,fields,frame,first,last,records,note\n";
    for (const CListedSecurity& security : securities) {
        std::string line;
        for (const std::string& cell : Cells(security)) {
            if (!line.empty())
                line += ',';
            line += CsvField(cell);
        }
        out << line << '\n';
    }
}

void PrintJson(const std::vector<CListedSecurity>& securities, std::ostream& out)
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

int RunList(const CListOptions& options, std::ostream& out, std::ostream& err)
{
    CErrorLineSink messages(err);
    DirectoryContents contents;
    std::string error;
    if (!ReadDirectory(PathFromText(options.strDir), contents, error)) {
        messages.ShowMessage(error);
        return 1;
    }
    // Every security the indexes name is listed; one whose data file cannot be read shows its index's
    // dates and a note, and check is the command that fails on it.
    std::vector<CListedSecurity> securities;
    for (const SecurityEntry& security : contents.securities) {
        const IndexEntry& entry = security.entry;
        CListedSecurity listed{engine::Windows1252ToUtf8(entry.strSymbol), engine::Windows1252ToUtf8(entry.strName),
                               security.strDataFile, "", "", IsoDate(entry.nFirstDate), IsoDate(entry.nLastDate), "", ""};
        SecurityData data;
        if (ReadSecurityData(contents, security, data, error)) {
            listed.strFields = data.layout.Letters();
            listed.strFrame = TimeFrameName(security, data.layout);
            listed.strRecords = std::to_string(data.file.nHeaderRecords);
        } else {
            listed.strFrame = TimeFrameName(security, DataLayout{});
            listed.strNote = "data file unreadable";
            messages.ShowNotice(error);
        }
        securities.push_back(listed);
    }
    if (options.strFormat == "csv")
        PrintCsv(securities, out);
    else if (options.strFormat == "json")
        PrintJson(securities, out);
    else
        PrintTable(securities, out);
    return 0;
}

}  // namespace

Command ListCommand()
{
    auto options = std::make_shared<CListOptions>();
    return {"list",
            "Lists the securities of a MetaStock directory: symbol, name, data file, fields, first and last date, "
            "records",
            {{"DIR", &options->strDir, "The MetaStock directory", true},
             {"--format", &options->strFormat, "table (for people), csv or json (default: table)", false,
              {"table", "csv", "json"}}},
            [options](const Given&, std::ostream& out, std::ostream& err) { return RunList(*options, out, err); }};
}

}  // namespace cli
