// The conversion command: the stored settings go into the Conversion Settings dialog; on OK they are
// stored again and one conversion job runs from them, and its outcome goes into the log.

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QStyle>

#include <type_traits>

#include "app/dialog_placement.h"
#include "app/message_box_sink.h"
#include "app/quoteforge_view.h"
#include "controls/desktop_services.h"
#include "engine/converter.h"
#include "settings/profile_settings_writer.h"
#include "settings/profile_store.h"
#include "settings/settings_dlg.h"

using namespace metastock;
using namespace engine;

namespace {

// The numeric settings from SkipOn on, in the order they are read and written; visit gets each one's
// name, default and dialog member.
template <typename Dialog, typename Visit>
void ForEachNumber(Dialog& dlg, Visit visit)
{
    visit("SkipOn", 0, dlg.SkipOn);
    visit("SkipRows", 0, dlg.SkipRows);
    visit("DateCol", 1, dlg.DateCol);
    visit("OpenOn", 1, dlg.OpenOn);
    visit("OpenCol", 2, dlg.OpenCol);
    visit("HiOn", 1, dlg.HiOn);
    visit("HiCol", 3, dlg.HiCol);
    visit("LoOn", 1, dlg.LoOn);
    visit("LoCol", 4, dlg.LoCol);
    visit("CloCol", 5, dlg.CloCol);
    visit("VolOn", 1, dlg.VolOn);
    visit("VolCol", 6, dlg.VolCol);
    visit("OIOn", 1, dlg.OIOn);
    visit("OICol", 7, dlg.OICol);
}

void LoadSettings(const CProfileStore& profile, CSettingsDlg& dlg)
{
    const QString section = kSettingSection;
    dlg.DateFormat = profile.ReadString(section, "DateFormat", "MMDDYY");
    dlg.Exist = profile.ReadInt(section, "Exist", 0);
    dlg.Delimiter = profile.ReadInt(section, "Delimiter", 0);
    dlg.Path = profile.ReadString(section, "Path", "");
    dlg.Symbol = profile.ReadString(section, "Symbol", "");
    dlg.Name = profile.ReadString(section, "Name", "");
    ForEachNumber(dlg, [&](const char* szName, int nDefault, auto& member) {
        member = static_cast<std::remove_reference_t<decltype(member)>>(profile.ReadInt(section, szName, nDefault));
    });
}

// Path, Symbol and Name are written by the run, once it has added the security.
void StoreSettings(CProfileStore& profile, const CSettingsDlg& dlg)
{
    const QString section = kSettingSection;
    profile.WriteString(section, "DateFormat", dlg.DateFormat);
    profile.WriteInt(section, "Delimiter", dlg.Delimiter);
    profile.WriteInt(section, "Exist", dlg.Exist);
    ForEachNumber(dlg, [&](const char* szName, int, const auto& member) {
        profile.WriteInt(section, szName, static_cast<int>(member));
    });
}

void FillJob(CConverter& job, const CSettingsDlg& dlg, const QString& strInputPath, int nDateFormat)
{
    job.m_strInputPath = QFile::encodeName(strInputPath).toStdString();
    job.m_nDateFormat = nDateFormat;
    CopyText(job.m_szPath, QFile::encodeName(dlg.Path).toStdString());
    CopyText(job.m_szSymbol, dlg.Symbol.toLocal8Bit().toStdString());
    CopyText(job.m_szName, dlg.Name.toLocal8Bit().toStdString());
    CopyText(job.m_szDelimiter, dlg.Delimiter == 1 ? "\t" : dlg.Delimiter == 2 ? " " : ",");
    job.m_bSkipOn = dlg.SkipOn;
    job.m_nSkipRows = static_cast<int>(dlg.SkipRows);
    job.m_bUseExisting = dlg.Exist == 0 ? 1 : 0;
    const int bFieldOn[kFieldCount] = {1, dlg.OpenOn, dlg.HiOn, dlg.LoOn, 1, dlg.VolOn, dlg.OIOn};
    const unsigned nColumn[kFieldCount] = {dlg.DateCol, dlg.OpenCol, dlg.HiCol, dlg.LoCol,
                                           dlg.CloCol,  dlg.VolCol,  dlg.OICol};
    for (int i = 0; i < kFieldCount; ++i) {
        job.m_bFieldOn[i] = bFieldOn[i];
        job.m_nFieldCol[i] = static_cast<int>(nColumn[i]) - 1;
    }
}

// Clear of the view's lines, on the main window's screen. Before its first showing the dialog has no frame
// yet; the style's title bar and border stand for it.
void PlaceDialog(CSettingsDlg& dlg, const CQuoteforgeView& view)
{
    const QScreen* pScreen = view.screen();
    if (!pScreen || !view.isVisible())
        return;
    const int nBorder = dlg.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const QSize framed = dlg.size() + QSize(2 * nBorder, dlg.style()->pixelMetric(QStyle::PM_TitleBarHeight) + nBorder);
    dlg.move(PlaceBesideText(view.VisibleTextRect(), framed, pScreen->availableGeometry()));
}

}  // namespace

void CQuoteforgeView::OnSettings()
{
    CSettingsDlg dlg(&m_nDateFormat, window());
    dlg.m_strInputPath = m_strInputPath;
    LoadSettings(m_profile, dlg);
    PlaceDialog(dlg, *this);
    if (dlg.DoModal() != QDialog::Accepted)
        return;
    StoreSettings(m_profile, dlg);

    CMessageBoxSink messages;
    CProfileSettingsWriter settings(m_profile);
    CSystemToday today;
    auto job = std::make_unique<CConverter>(CRunServices{messages, settings, today});
    FillJob(*job, dlg, m_strInputPath, m_nDateFormat);

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int status = job->Run();
    job.reset();
    if (status == 0) {
        AppendText(QStringLiteral("\r\nConversion completed successfully!"));
        Beep();
    } else {
        AppendText(QStringLiteral("\r\nConversion failed."));
    }
    QApplication::restoreOverrideCursor();
}
