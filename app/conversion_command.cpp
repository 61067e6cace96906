// The conversion command: the stored settings go into the Conversion Settings dialog; on OK they are
// stored again and one conversion job runs from them, and its outcome goes into the log.

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QStatusBar>
#include <QFontMetrics>

#include "app/dialog_placement.h"
#include "app/message_box_sink.h"
#include "app/preview_grid.h"
#include "app/quoteforge_view.h"
#include "app/run_offers.h"
#include "app/stored_settings.h"
#include "app/worker_run.h"
#include "controls/desktop_services.h"
#include "engine/conversion_settings.h"
#include "engine/conversion_job.h"
#include "engine/converter.h"
#include "engine/run_summary.h"
#include "metastock/day_number.h"
#include "metastock/file_names.h"
#include "settings/engine_path.h"
#include "settings/message_box.h"
#include "settings/profile_settings_writer.h"
#include "settings/profile_store.h"
#include "settings/settings_dlg.h"

using namespace metastock;
using namespace engine;

namespace app {

using namespace settings;
using namespace controls;

namespace {

// The numeric settings from SkipOn on, in the order they are read and written; visit gets each one's name
// and member.
template <typename Settings, typename Visit>
void ForEachNumber(Settings& settings, Visit visit)
{
    visit("SkipOn", settings.SkipOn);
    visit("SkipRows", settings.SkipRows);
    visit("DateCol", settings.DateCol);
    visit("OpenOn", settings.OpenOn);
    visit("OpenCol", settings.OpenCol);
    visit("HiOn", settings.HiOn);
    visit("HiCol", settings.HiCol);
    visit("LoOn", settings.LoOn);
    visit("LoCol", settings.LoCol);
    visit("CloCol", settings.CloCol);
    visit("VolOn", settings.VolOn);
    visit("VolCol", settings.VolCol);
    visit("OIOn", settings.OIOn);
    visit("OICol", settings.OICol);
}


// Path, Symbol and Name are written by the run, once it has added the security.
void StoreSettings(CProfileStore& profile, const ConversionSettings& settings)
{
    const QString section = kSettingSection;
    profile.WriteString(section, "DateFormat", QString::fromStdString(settings.DateFormat));
    profile.WriteInt(section, "Delimiter", settings.Delimiter);
    profile.WriteInt(section, "Exist", settings.Exist);
    profile.WriteInt(section, "DecimalComma", settings.DecimalComma ? 1 : 0);
    profile.WriteInt(section, "Daily", settings.Daily ? 1 : 0);
    ForEachNumber(settings, [&](const char* szName, int nValue) { profile.WriteInt(section, szName, nValue); });
}

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

ConversionSettings LoadSettings(const CProfileStore& profile)
{
    const QString section = kSettingSection;
    ConversionSettings settings;
    settings.DateFormat =
        profile.ReadString(section, "DateFormat", QString::fromStdString(settings.DateFormat)).toStdString();
    settings.Exist = profile.ReadInt(section, "Exist", settings.Exist);
    settings.Delimiter = profile.ReadInt(section, "Delimiter", settings.Delimiter);
    settings.Path = profile.ReadString(section, "Path", "").toStdString();
    settings.Symbol = profile.ReadString(section, "Symbol", "").toStdString();
    settings.Name = profile.ReadString(section, "Name", "").toStdString();
    settings.DecimalComma = profile.ReadInt(section, "DecimalComma", 0) != 0;
    settings.Daily = profile.ReadInt(section, "Daily", 0) != 0;
    ForEachNumber(settings, [&](const char* szName, int& nValue) { nValue = profile.ReadInt(section, szName, nValue); });
    return settings;
}

void CQuoteforgeView::OnSettings()
{
    CSettingsDlg dlg(&m_nDateFormat, window());
    dlg.m_strInputPath = m_strInputPath;
    // After a failed run the dialog shows what was typed for it, so that a retry changes only what was wrong.
    dlg.SetSettings(m_pTypedSettings ? *m_pTypedSettings : LoadSettings(m_profile));
    PlaceDialog(dlg, *this);
    if (m_pPreviewGrid)
        connect(&dlg, &CSettingsDlg::InputSettingsChanged, m_pPreviewGrid,
                [this, &dlg] { m_pPreviewGrid->ShowSettings(dlg.ShownInputSettings()); });
    if (dlg.DoModal() != QDialog::Accepted)
        return;
    ConversionSettings settings = dlg.Settings();
    // Each stored value is written through to disk; seventeen of them take long enough to stall painting.
    RunOnWorker([&] {
        StoreSettings(m_profile, settings);
        return 0;
    });
    m_pTypedSettings = std::make_unique<ConversionSettings>(settings);
    settings.Path = EnginePath(dlg.Path);

    const RunOffers offers = AskBeforeRun(settings, window());
    if (!offers.bRun) {
        AppendText(QStringLiteral("\r\nConversion failed.\r\n    ") + offers.strRefusal.split(u'\n').join(u' '));
        return;
    }
    settings.Exist = offers.nExist;

    QMainWindow* pFrame = qobject_cast<QMainWindow*>(window());
    CMessageBoxSink messages(pFrame ? pFrame->statusBar() : nullptr,
                             QStringLiteral("%1 into %2").arg(dlg.Symbol, FromEngineText(settings.Path)));
    CGuiThreadSink guiMessages(messages);
    CProfileSettingsWriter writeBack(m_profile);
    CGuiThreadSettingsWriter guiWriteBack(writeBack);
    CSystemToday today;
    ConversionJob job = MakeConversionJob(settings, m_nDateFormat, EnginePath(m_strInputPath));
    job.update = offers.bUpdate;
    // The rows are read and checked once, off the window's thread, keeping the good ones: rows that
    // cannot be read refuse the run unless the user chooses to leave them out. The run takes the rows
    // as they were read, failed or not, and reports them as the command line does.
    job.layout.skipBadRows = true;
    CheckedRows checked;
    RunOnWorker([&] {
        checked = CheckJobRows(job);
        return 0;
    });
    job.layout.skipBadRows =
        !checked.Failed() && checked.nBadRows > 0 &&
        ShowMessageBox(QString::fromStdString(ListBadRows(checked)) + QStringLiteral("\n\nSkip rows that cannot be read?"),
                       EMessageButtons::YesNoDefaultNo, window()) == EMessageAnswer::Yes;
    auto converter = std::make_unique<CConverter>(RunServices{guiMessages, guiWriteBack, today}, job);
    converter->UseCheckedRows(std::move(checked));

    QApplication::setOverrideCursor(Qt::WaitCursor);
    ConversionResult result;
    RunOnWorker([&] {
        result = converter->Run();
        return result.status;
    });
    converter.reset();
    const int status = result.status;
    if (status == 0) {
        m_pTypedSettings.reset();
        QString strSummary = QString::fromStdString(RunSummary(result));
        if (!result.skippedRows.empty())
            strSummary += QStringLiteral("\r\n    Skipped: ") + QString::fromStdString(result.skippedRows);
        AppendText(QStringLiteral("\r\nConversion completed successfully!\r\n    ") + strSummary);
        Beep();
    } else {
        AppendText(QStringLiteral("\r\nConversion failed.\r\n    ") + messages.LastMessage().split(u'\n').join(u' '));
    }
    if (pFrame)
        pFrame->statusBar()->clearMessage();  // a waiting notice is over
    QApplication::restoreOverrideCursor();
    emit RunFinished(QString::fromStdString(settings.Path));
}

}  // namespace app
