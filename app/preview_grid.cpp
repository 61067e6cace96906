#include "app/preview_grid.h"

#include <QHeaderView>

#include <algorithm>
#include <cstring>

#include "engine/conversion_job.h"
#include "engine/date_formats.h"
#include "engine/line_parsing.h"
#include "engine/row_reading.h"
#include "engine/text_reader.h"
#include "metastock/data_file_format.h"
#include "metastock/file_system.h"
#include "metastock/path_text.h"
#include "dialogs/engine_path.h"

using namespace engine;

namespace app {

using namespace dialogs;

namespace {

constexpr int kPreviewLines = 10;

// One line of text as an input file.
class CLineFile : public metastock::IReadableFile {
public:
    explicit CLineFile(std::string text) : m_text(std::move(text)) {}
    std::ptrdiff_t Read(void* buffer, std::size_t size) override
    {
        const std::size_t n = std::min(size, m_text.size() - m_nRead);
        std::memcpy(buffer, m_text.data() + m_nRead, n);
        m_nRead += n;
        return static_cast<std::ptrdiff_t>(n);
    }

private:
    std::string m_text;
    std::size_t m_nRead = 0;
};

// "Line 1: the high ..." names the row by its place in the one-line file; the grid shows the row itself.
std::string WithoutLinePrefix(const std::string& reason)
{
    const std::string prefix = "Line 1: ";
    return reason.compare(0, prefix.size(), prefix) == 0 ? reason.substr(prefix.size()) : reason;
}
const char* const kFieldNames[metastock::kFieldCount] = {"Date", "Open", "High", "Low", "Close", "Volume", "Open Int"};

}  // namespace

CPreviewGrid::CPreviewGrid(QWidget* pParent) : QTableWidget(pParent)
{
    setObjectName(QStringLiteral("PreviewGrid"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setTabKeyNavigation(false);  // Tab goes on to the next control
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

void CPreviewGrid::SetFile(const QString& strPath, const QString& strSentence)
{
    emit CaptionChanged(strSentence);
    m_lines.clear();
    // The lines as a run reads them (byte-order marks, UTF-16, CR-only line ends), so that each row of
    // the grid is the row the run judges.
    const auto file = strPath.isEmpty()
                          ? nullptr
                          : metastock::CurrentFileSystem().OpenForReading(metastock::PathFromText(EnginePath(strPath)));
    if (file) {
        CLineSource source(file.get());
        std::string_view line;
        while (static_cast<int>(m_lines.size()) < kPreviewLines && source.NextLine(line))
            m_lines.emplace_back(line);
    }
    ShowSettings(ConversionSettings{});
}

QString CPreviewGrid::RowFault(const std::string& line, const ConversionSettings& settings)
{
    // The row alone through the conversion's own reader, so that the grid marks exactly what a run refuses.
    CLineFile input(line + "\n");
    const ConversionJob job = MakeConversionJob(settings, DateFormatNumber(settings.DateFormat), std::string());
    InputLayout layout = job.layout;
    layout.skipRows = 0;
    const CheckedRows rows = ReadRows(input, layout);
    if (!rows.badRows.empty())
        return QString::fromStdString(WithoutLinePrefix(rows.badRows.front().strReason));
    return rows.Failed() ? QString::fromStdString(WithoutLinePrefix(rows.strProblem)) : QString();
}

void CPreviewGrid::ShowSettings(const ConversionSettings& settings)
{
    clear();
    const char delimiter = DelimiterOf(settings);
    TextField fields[kMaxFields];
    std::string scratch;
    int nColumns = 0;
    for (const std::string& line : m_lines)
        nColumns = std::max(nColumns, std::min(SplitFields(line, delimiter, fields, scratch), kMaxFields));
    setRowCount(static_cast<int>(m_lines.size()));
    setColumnCount(nColumns);
    QStringList headers;
    for (int nColumn = 1; nColumn <= nColumns; ++nColumn) {
        QString strHeader = QStringLiteral("unused");
        for (int nField = 0; nField < metastock::kFieldCount; ++nField)
            if (FieldOn(settings, nField) && FieldColumn(settings, nField) == nColumn)
                strHeader = QString::fromLatin1(kFieldNames[nField]);
        headers << strHeader;
    }
    setHorizontalHeaderLabels(headers);
    const int nSkip = settings.SkipOn ? settings.SkipRows : 0;
    // Rows are judged only by columns that are in range: a field being typed may be 0 for a moment.
    bool bColumnsValid = true;
    for (ESetting eField : {ESetting::DateCol, ESetting::OpenCol, ESetting::HiCol, ESetting::LoCol, ESetting::CloCol,
                            ESetting::VolCol, ESetting::OICol, ESetting::SkipRows})
        bColumnsValid = bColumnsValid && !CheckSetting(settings, eField).Failed();
    for (int nRow = 0; nRow < rowCount(); ++nRow) {
        const std::string& line = m_lines[static_cast<std::size_t>(nRow)];
        const int nTokens = std::min(SplitFields(line, delimiter, fields, scratch), kMaxFields);
        const bool bSkipped = nRow < nSkip;
        const QString strFault = bSkipped || !bColumnsValid ? QString() : RowFault(line, settings);
        for (int nColumn = 0; nColumn < nTokens; ++nColumn) {
            const std::string_view token = fields[nColumn].text;
            auto* pItem = new QTableWidgetItem(QString::fromUtf8(token.data(), static_cast<qsizetype>(token.size())));
            if (bSkipped) {
                pItem->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
                pItem->setToolTip(QStringLiteral("skipped"));
            } else if (!strFault.isEmpty()) {
                pItem->setBackground(QColor(255, 220, 220));
                pItem->setToolTip(strFault);
            }
            setItem(nRow, nColumn, pItem);
        }
        setVerticalHeaderItem(nRow, new QTableWidgetItem(bSkipped ? QStringLiteral("skip") : QString::number(nRow + 1)));
        if (!strFault.isEmpty())
            verticalHeaderItem(nRow)->setToolTip(strFault);
    }
    resizeColumnsToContents();
}

}  // namespace app
