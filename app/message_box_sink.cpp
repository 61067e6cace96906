#include "app/message_box_sink.h"

#include <QApplication>
#include <QCursor>
#include <QStatusBar>

#include "dialogs/engine_path.h"
#include "dialogs/message_box.h"

namespace app {

using namespace dialogs;

void CMessageBoxSink::ShowMessage(const std::string& text)
{
    // A run shows the wait cursor; the box itself gets the ordinary pointer.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting)
        QApplication::restoreOverrideCursor();
    m_strLast = FromEngineText(text);
    ShowMessageBox(m_strContext.isEmpty() ? m_strLast : m_strLast + u'\n' + m_strContext);
    if (waiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CMessageBoxSink::ShowNotice(const std::string& text)
{
    if (!m_pStatusBar)
        return;
    m_pStatusBar->showMessage(FromEngineText(text));
    // The run goes on to wait without returning to the event loop: the bar is painted now.
    m_pStatusBar->repaint();
}

}  // namespace app
