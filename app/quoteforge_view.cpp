#include "app/quoteforge_view.h"

#include <QAction>
#include <QFile>
#include <QScrollBar>
#include <QTextCursor>

#include "engine/text_reader.h"

using namespace engine;

namespace {

constexpr int kPreviewLines = 10;

}  // namespace

CQuoteforgeView::CQuoteforgeView(CProfileStore& profile, QWidget* pParent) : QPlainTextEdit(pParent), m_profile(profile)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 8);
}

void CQuoteforgeView::AppendText(const QString& strText)
{
    QString text = strText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    setTextCursor(cursor);
    ensureCursorVisible();
    // The log is never a change that would need saving.
    document()->setModified(false);
}

void CQuoteforgeView::OnClearWindow()
{
    setPlainText(QString());
}

void CQuoteforgeView::OnPreviewFile()
{
    // Painted once, when the whole preview is in.
    setUpdatesEnabled(false);
    CTextReader reader;
    const bool opened = reader.Open(QFile::encodeName(m_strInputPath).toStdString());
    setPlainText(QString());
    AppendText(QStringLiteral("To help you with the conversion settings, your file...\r\n\r\n\t") + m_strInputPath +
               QStringLiteral("\r\n\r\nlooks like this...\r\n\r\n"));
    std::string_view piece;
    for (int line = 0; opened && line < kPreviewLines && reader.ReadLine(piece); ++line) {
        const std::string_view text = WithoutLineFeed(piece);
        AppendText(QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
        AppendText(QStringLiteral("\r\n"));
    }
    reader.Close();
    setUpdatesEnabled(true);
    OnSettings();
}

void CQuoteforgeView::OnUpdateSettings(QAction* pAction) const
{
    pAction->setEnabled(!m_strInputPath.isEmpty());
}
