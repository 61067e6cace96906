#include "app/quoteforge_view.h"

#include "app/command_window.h"
#include "desktop/conversion_command.h"

#include <QAction>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <algorithm>

#include "app/preview_grid.h"
#include "desktop/preview_grid_presenter.h"
#include "dialogs/engine_path.h"
#include "engine/text/text_reader.h"

using namespace engine;

namespace app {

using namespace dialogs;

namespace {

constexpr int kPreviewLines = 10;
constexpr int kHeadingBlocks = 6;  // the heading's lines: its text, the path, "looks like this..." and the gaps

}  // namespace

CQuoteforgeView::CQuoteforgeView(CProfileStore& profile, QWidget* pParent) : QPlainTextEdit(pParent), m_profile(profile)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WordWrap);  // a number is never broken in two
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 8);
}

CQuoteforgeView::~CQuoteforgeView() = default;

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
    m_nPreviewBlocks = 0;
    setPlainText(QString());
}

void CQuoteforgeView::OnPreviewFile()
{
    // Painted once, when the whole preview is in.
    setUpdatesEnabled(false);
    const std::string strPath = EnginePath(m_strInputPath);
    CTextReader reader;
    const bool opened = reader.Open(strPath);
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
    // The log and the grid say the same of the file's layout.
    const desktop::FilePreview preview = desktop::ReadFilePreview(strPath);
    if (opened)
        AppendText(QStringLiteral("\r\n") + FromEngineText(preview.sentence) + QStringLiteral("\r\n"));
    m_nPreviewBlocks = document()->blockCount() - 1;  // the last block is the empty one after the sentence
    moveCursor(QTextCursor::Start);  // the preview is read from its top
    if (m_pPreviewGrid)
        m_pPreviewGrid->SetPreview(preview);
    setUpdatesEnabled(true);
    OnSettings();
}

void CQuoteforgeView::OnUpdateSettings(QAction* pAction) const
{
    pAction->setEnabled(!m_strInputPath.isEmpty());
}

QRect CQuoteforgeView::VisiblePreviewRect() const
{
    const QRect area = viewport()->rect();
    qreal dWidth = 0;
    qreal dBottom = 0;
    qreal dTop = -1;
    for (QTextBlock block = firstVisibleBlock();
         block.isValid() && (m_nPreviewBlocks == 0 || block.blockNumber() < m_nPreviewBlocks); block = block.next()) {
        // The heading may be covered; the file's lines and the detection sentence below them may not.
        if (m_nPreviewBlocks > 0 && block.blockNumber() < kHeadingBlocks)
            continue;
        const QRectF bounds = blockBoundingGeometry(block).translated(contentOffset());
        if (bounds.top() > area.bottom())
            break;
        if (dTop < 0)
            dTop = bounds.top();
        dBottom = bounds.bottom();
        const QTextLayout* pLayout = block.layout();
        for (int i = 0; pLayout && i < pLayout->lineCount(); ++i)
            dWidth = std::max(dWidth, pLayout->lineAt(i).naturalTextWidth());
    }
    const int nMargin = static_cast<int>(document()->documentMargin());
    const int nTop = dTop < 0 ? area.top() : static_cast<int>(dTop);
    const QRect text(area.left(), nTop, static_cast<int>(dWidth) + 2 * nMargin,
                     static_cast<int>(dBottom) + nMargin - nTop);
    return text.intersected(area).translated(viewport()->mapToGlobal(QPoint(0, 0)));
}

// Read-only, the view takes Home and End to its first and last line but leaves Ctrl+Home and Ctrl+End
// unanswered; they do the same here.
void CQuoteforgeView::keyPressEvent(QKeyEvent* pEvent)
{
    const bool bToStart = pEvent->key() == Qt::Key_Home;
    if (pEvent->modifiers() == Qt::ControlModifier && (bToStart || pEvent->key() == Qt::Key_End)) {
        verticalScrollBar()->triggerAction(bToStart ? QAbstractSlider::SliderToMinimum
                                                    : QAbstractSlider::SliderToMaximum);
        pEvent->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(pEvent);
}

}  // namespace app
