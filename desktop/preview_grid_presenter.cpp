#include "desktop/preview_grid_presenter.h"

#include <algorithm>
#include <cstring>

#include "engine/input/layout_detection.h"
#include "engine/input/replayed_input.h"
#include "engine/input/row_reading.h"
#include "engine/job/conversion_job.h"
#include "engine/text/date_formats.h"
#include "engine/text/line_parsing.h"
#include "engine/text/text_reader.h"
#include "metastock/data_file_format.h"
#include "metastock/path_text.h"

namespace desktop {

using engine::ConversionSettings;
using engine::InputLayout;
using engine::TextField;

namespace {

// Text held in memory as an input file.
class CTextFile : public metastock::IReadableFile {
public:
    explicit CTextFile(const std::string& text) : m_text(text) {}
    std::ptrdiff_t Read(void* buffer, std::size_t size) override
    {
        const std::size_t n = std::min(size, m_text.size() - m_nRead);
        std::memcpy(buffer, m_text.data() + m_nRead, n);
        m_nRead += n;
        return static_cast<std::ptrdiff_t>(n);
    }

private:
    const std::string& m_text;
    std::size_t m_nRead = 0;
};

// "Line 3: the high is missing" names the line by its place in the text judged; the grid shows the row itself.
std::string WithoutLinePrefix(const std::string& reason)
{
    const std::size_t colon = reason.find(": ");
    const bool numbered = reason.compare(0, 5, "Line ") == 0 && colon != std::string::npos && colon > 5 &&
                          std::all_of(reason.begin() + 5, reason.begin() + static_cast<std::ptrdiff_t>(colon),
                                      [](char c) { return c >= '0' && c <= '9'; });
    return numbered ? reason.substr(colon + 2) : reason;
}

// What the run makes of the line that follows the text it has read so far (nLinesBefore lines, each
// ending in a line feed).
struct LineVerdict {
    std::string fault;         // why the run cannot read it; empty when it can
    bool withoutPrices = false;  // a row without a close, which the run leaves out
};

LineVerdict JudgeAfter(const std::string& before, int nLinesBefore, const std::string& line, const InputLayout& layout)
{
    const auto read = [&](const std::string& text) {
        CTextFile input(text);
        return engine::ReadRows(input, layout);
    };
    const engine::CheckedRows rows = read(before + line + "\n");
    if (rows.Failed())
        return {rows.problem};
    for (const engine::BadRow& bad : rows.badRows)
        if (bad.line == nLinesBefore + 1)
            return {WithoutLinePrefix(bad.reason)};
    return {"", rows.withoutPrices > read(before).withoutPrices};
}

// The cell of a bad row that the run's reason is about, in the order the run looks at a row: the date,
// then a value that is no number, then the first price that is missing. -1 for a column the row lacks.
int BadCell(const InputLayout& layout, const TextField (&fields)[engine::kMaxFields], int nFields)
{
    const auto cell = [&](int field) {
        const int column = layout.fieldColumn[static_cast<std::size_t>(field)];
        return column >= 0 && column < nFields ? column : -1;
    };
    const auto isRead = [&](int field) {
        return field == metastock::kDateField || field == metastock::kCloseField || layout.fieldOn[static_cast<std::size_t>(field)];
    };
    const int date = cell(metastock::kDateField);
    if (date < 0 || engine::ReadDate(fields[date].text, layout.dateFormat).result != engine::DateResult::kDate)
        return date;
    engine::NumberStyle style;
    style.decimalComma = layout.decimalComma;
    style.delimiter = layout.delimiter;
    float value = 0;
    for (int field = metastock::kOpenField; field < metastock::kFieldCount; ++field)
        if (isRead(field) && cell(field) >= 0 &&
            engine::ReadNumber(fields[cell(field)], style, value) == engine::NumberResult::kNotANumber)
            return cell(field);
    for (int field = metastock::kOpenField; field <= metastock::kCloseField; ++field)
        if (isRead(field) && (cell(field) < 0 || engine::ReadNumber(fields[cell(field)], style, value) == engine::NumberResult::kEmpty))
            return cell(field);
    return -1;
}

// The column a run reads the bars' times from, 0-based, or -1: as the run finds it, the first column of the
// first data row that no field reads and that holds a time of day.
int TimeColumn(const std::vector<std::string>& lines, const InputLayout& layout)
{
    TextField fields[engine::kMaxFields];
    std::string scratch;
    for (std::size_t k = static_cast<std::size_t>(std::max(0, layout.skipRows)); k < lines.size(); ++k) {
        const int nFields = std::min(engine::SplitFields(lines[k], layout.delimiter, fields, scratch), engine::kMaxFields);
        if (std::all_of(fields, fields + nFields, [](const TextField& f) { return f.text.empty(); }))
            continue;  // a blank row is no data row
        const auto isRead = [&](int column) {
            for (int field = 0; field < metastock::kFieldCount; ++field)
                if ((field == metastock::kDateField || field == metastock::kCloseField ||
                     layout.fieldOn[static_cast<std::size_t>(field)]) &&
                    layout.fieldColumn[static_cast<std::size_t>(field)] == column)
                    return true;
            return false;
        };
        for (int column = 0; column < nFields; ++column)
            if (!isRead(column) && engine::TimeOfDay(fields[column].text) >= 0)
                return column;
        return -1;
    }
    return -1;
}

}  // namespace

FilePreview ReadFilePreview(const std::string& path)
{
    FilePreview preview;
    auto file = metastock::CurrentFileSystem().OpenForReading(metastock::PathFromText(path));
    if (!file) {
        preview.sentence = engine::DetectLayout(path).problem;  // with the system's reason
        return preview;
    }
    // Detection reads the file's first lines; the grid's lines come again from what it read.
    engine::CReplayedInput input(std::move(file));
    preview.sentence = engine::DescribeLayout(engine::DetectLayout(input, path));
    input.Rewind();
    engine::CLineSource source(&input);
    std::string_view line;
    while (static_cast<int>(preview.lines.size()) < kPreviewLines && source.NextLine(line))
        preview.lines.emplace_back(line);
    preview.opened = !source.Failed();
    return preview;
}

PreviewTable CPreviewGridPresenter::TableOf(const std::vector<std::string>& lines, const ConversionSettings& settings)
{
    InputLayout layout = engine::MakeConversionJob(settings, engine::DateFormatNumber(settings.DateFormat), "").layout;
    layout.skipBadRows = true;  // each bad row is listed with its reason rather than failing the rows
    PreviewTable table;
    TextField fields[engine::kMaxFields];
    std::string scratch;
    int nColumns = 0;
    for (const std::string& line : lines)
        nColumns = std::max(nColumns, std::min(engine::SplitFields(line, layout.delimiter, fields, scratch), engine::kMaxFields));
    const int timeColumn = TimeColumn(lines, layout);
    for (int column = 1; column <= nColumns; ++column) {
        std::string header = column - 1 == timeColumn ? "Time" : "";
        for (int field = 0; field < metastock::kFieldCount; ++field)
            if (engine::FieldOn(settings, field) && engine::FieldColumn(settings, field) == column)
                header += (header.empty() ? "" : " + ") + std::string(engine::FieldCaption(field));
        table.headers.push_back(header.empty() ? "unused" : header);
    }
    // Rows are judged only by settings in range: a field being typed may be 0 for a moment.
    bool judged = true;
    for (engine::ESetting setting : {engine::ESetting::DateCol, engine::ESetting::OpenCol, engine::ESetting::HiCol,
                                     engine::ESetting::LoCol, engine::ESetting::CloCol, engine::ESetting::VolCol,
                                     engine::ESetting::OICol, engine::ESetting::SkipRows})
        judged = judged && !engine::CheckSetting(settings, setting).Failed();
    std::string before;  // what the run has read before the row: the skipped lines and the rows it can read
    int nBefore = 0;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        PreviewRow row;
        const int nFields = std::min(engine::SplitFields(lines[k], layout.delimiter, fields, scratch), engine::kMaxFields);
        for (int column = 0; column < nFields; ++column)
            row.cells.emplace_back(fields[column].text);
        const bool skipped = static_cast<int>(k) < layout.skipRows;
        row.label = skipped ? "skip" : std::to_string(k + 1);
        const LineVerdict verdict = skipped || !judged ? LineVerdict{} : JudgeAfter(before, nBefore, lines[k], layout);
        if (skipped || verdict.withoutPrices) {
            row.mark = ERowMark::Skipped;
            row.reason = skipped ? "skipped" : "no close: the run leaves it out";
        } else if (!verdict.fault.empty()) {
            row.mark = ERowMark::Bad;
            row.reason = verdict.fault;
            row.badCell = BadCell(layout, fields, nFields);
        }
        if (verdict.fault.empty()) {
            before += lines[k] + "\n";
            ++nBefore;
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

void CPreviewGridPresenter::SetFile(FilePreview preview)
{
    m_lines = std::move(preview.lines);
    m_view.ShowCaption(preview.sentence);
    ShowSettings(ConversionSettings{});
}

void CPreviewGridPresenter::ShowSettings(const ConversionSettings& settings)
{
    m_view.ShowTable(TableOf(m_lines, settings));
}

}  // namespace desktop
