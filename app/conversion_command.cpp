// The conversion command, as the log's window shows it: the decisions are the presenter's; this part
// shows the dialog, the questions, the log lines and the wait cursor, and runs the work off the thread.

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QStatusBar>
#include <QFontMetrics>

#include "app/command_window.h"
#include "app/dialog_placement.h"
#include "app/message_box_sink.h"
#include "app/preview_grid.h"
#include "app/quoteforge_view.h"
#include "app/stored_settings.h"
#include "app/worker_run.h"
#include "controls/desktop_services.h"
#include "desktop/conversion_command.h"
#include "dialogs/engine_path.h"
#include "dialogs/message_box.h"
#include "dialogs/profile_settings_writer.h"
#include "dialogs/profile_store.h"
#include "dialogs/settings_dlg.h"

using namespace engine;

namespace app {

using namespace dialogs;
using namespace controls;

namespace {

// Clear of the preview's lines, on the main window's screen. Before its first showing the dialog has no
// frame yet; a title bar of the title font's height with a little room, and thin borders, stand for it.
void PlaceDialog(CSettingsDlg& dlg, const CQuoteforgeView& view)
{
    const QScreen* pScreen = view.screen();
    if (!pScreen || !view.isVisible())
        return;
    const int nTitle = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).height() + 6;
    const QSize framed = dlg.size() + QSize(2 * 2, nTitle + 2);
    // Until the window manager has framed the main window (just after start-up), Qt places its contents at
    // the frame's corner: the title bar then still comes on top of them.
    QRect text = view.VisiblePreviewRect();
    const QWidget* pMain = view.window();
    if (pMain->frameGeometry().top() == pMain->geometry().top())
        text.translate(0, nTitle);
    QRect grid;
    if (view.m_pPreviewGrid && view.m_pPreviewGrid->isVisible())
        grid = QRect(view.m_pPreviewGrid->mapToGlobal(QPoint(0, 0)), view.m_pPreviewGrid->size());
    dlg.move(PlaceBesideText(text, framed, pScreen->availableGeometry(), grid));
}



}  // namespace

CCommandWindow::CCommandWindow(CQuoteforgeView& view, CProfileStore& profile)
    : m_view(view), m_writeBack(profile), m_guiWriteBack(m_writeBack), m_guiMessages(m_messages), m_stringStore(profile)
{
}

bool CCommandWindow::EditSettings(ConversionSettings& settings, int& dateFormat)
{
    CSettingsDlg dlg(&dateFormat, m_view.window());
    dlg.m_strInputPath = m_view.m_strInputPath;
    dlg.m_pStored = &m_stored;
    dlg.SetSettings(settings);
    PlaceDialog(dlg, m_view);
    if (m_view.m_pPreviewGrid)
        QObject::connect(&dlg, &CSettingsDlg::InputSettingsChanged, m_view.m_pPreviewGrid,
                         [this, &dlg] { m_view.m_pPreviewGrid->ShowSettings(dlg.ShownInputSettings()); });
    if (dlg.DoModal() != QDialog::Accepted)
        return false;
    settings = dlg.Settings();
    settings.Path = EnginePath(dlg.Path);
    return true;
}

desktop::EAnswer CCommandWindow::Ask(const std::string& text, desktop::EButtons buttons)
{
    return AskBox(text, buttons, m_view.window());
}

void CCommandWindow::AppendLog(const std::string& text)
{
    m_view.AppendText(FromEngineText(text));
}

void CCommandWindow::RunInBackground(const std::function<void()>& work)
{
    RunOnWorker([&] {
        work();
        return 0;
    });
}

void CCommandWindow::ShowBusy(bool bBusy)
{
    if (bBusy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    if (auto* pFrame = qobject_cast<QMainWindow*>(m_view.window()))
        pFrame->statusBar()->clearMessage();  // a waiting notice is over
    QApplication::restoreOverrideCursor();
}

void CCommandWindow::Beep()
{
    controls::Beep();
}

IMessageSink& CCommandWindow::RunMessages()
{
    auto* pFrame = qobject_cast<QMainWindow*>(m_view.window());
    m_messages.SetStatusBar(pFrame ? pFrame->statusBar() : nullptr);
    return m_guiMessages;
}

ISettingsWriter& CCommandWindow::RunSettings()
{
    return m_guiWriteBack;
}

void CCommandWindow::ShowDirectory(const std::string& directory)
{
    emit m_view.RunFinished(QString::fromStdString(directory));
}

ConversionSettings LoadSettings(const CProfileStore& profile)
{
    CProfileStringStore store(const_cast<CProfileStore&>(profile));
    return desktop::CStoredSettings(store).LoadConversion();
}

void CQuoteforgeView::OnSettings()
{
    if (!m_pCommandWindow) {
        m_pCommandWindow = std::make_unique<CCommandWindow>(*this, m_profile);
        m_pCommand = std::make_unique<desktop::CConversionCommand>(*m_pCommandWindow, m_storedSettings, m_today);
    }
    const std::string inputPath = EnginePath(m_strInputPath);
    if (inputPath != m_pCommand->InputPath())
        m_pCommand->OnFileOpened(inputPath);
    m_pCommand->SetDateFormat(m_nDateFormat);
    m_pCommand->OnSettings();
    m_nDateFormat = m_pCommand->DateFormat();
}

}  // namespace app
