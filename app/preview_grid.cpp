#include "app/preview_grid.h"

#include <QHeaderView>

#include "dialogs/engine_path.h"

namespace app {

CPreviewGrid::CPreviewGrid(QWidget* pParent) : QTableWidget(pParent)
{
    setObjectName(QStringLiteral("PreviewGrid"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setTabKeyNavigation(false);  // Tab goes on to the next control
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

void CPreviewGrid::SetPreview(const desktop::FilePreview& preview)
{
    m_presenter.SetFile(preview);
}

void CPreviewGrid::ShowSettings(const engine::ConversionSettings& settings)
{
    m_presenter.ShowSettings(settings);
}

void CPreviewGrid::ShowCaption(const std::string& text)
{
    emit CaptionChanged(dialogs::FromEngineText(text));
}

void CPreviewGrid::ShowTable(const desktop::PreviewTable& table)
{
    clear();
    setRowCount(static_cast<int>(table.rows.size()));
    setColumnCount(static_cast<int>(table.headers.size()));
    QStringList headers;
    for (const std::string& header : table.headers)
        headers << QString::fromStdString(header);
    setHorizontalHeaderLabels(headers);
    for (int nRow = 0; nRow < rowCount(); ++nRow) {
        const desktop::PreviewRow& row = table.rows[static_cast<std::size_t>(nRow)];
        const QString strReason = dialogs::FromEngineText(row.reason);
        for (int nColumn = 0; nColumn < static_cast<int>(row.cells.size()); ++nColumn) {
            auto* pItem = new QTableWidgetItem(QString::fromStdString(row.cells[static_cast<std::size_t>(nColumn)]));
            if (row.mark == desktop::ERowMark::Skipped)
                pItem->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
            else if (row.mark == desktop::ERowMark::Bad)
                pItem->setBackground(nColumn == row.badCell ? QColor(240, 160, 160) : QColor(255, 220, 220));
            pItem->setToolTip(strReason);
            setItem(nRow, nColumn, pItem);
        }
        auto* pLabel = new QTableWidgetItem(QString::fromStdString(row.label));
        pLabel->setToolTip(row.mark == desktop::ERowMark::Bad ? strReason : QString());
        setVerticalHeaderItem(nRow, pLabel);
    }
    resizeColumnsToContents();
}

}  // namespace app
