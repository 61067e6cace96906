// The conversion command: the stored settings go into the Conversion Settings dialog; on OK they are
// stored again and one conversion job runs from them, and its outcome goes into the log.

#include <QApplication>
#include <QFile>

#include "app/message_box_sink.h"
#include "app/quoteforge_view.h"
#include "controls/desktop_services.h"
#include "engine/converter.h"
#include "settings/profile_settings_writer.h"
#include "settings/profile_store.h"
#include "settings/settings_dlg.h"

namespace {

void LoadSettings(const CProfileStore& profile, CSettingsDlg& dlg)
{
    const QString section = kSettingSection;
    dlg.DateFormat = profile.ReadString(section, "DateFormat", "MMDDYY");
    dlg.Exist = profile.ReadInt(section, "Exist", 0);
    dlg.Delimiter = profile.ReadInt(section, "Delimiter", 0);
    dlg.Path = profile.ReadString(section, "Path", "");
    dlg.Symbol = profile.ReadString(section, "Symbol", "");
    dlg.Name = profile.ReadString(section, "Name", "");
    dlg.SkipOn = profile.ReadInt(section, "SkipOn", 0);
    dlg.SkipRows = static_cast<unsigned>(profile.ReadInt(section, "SkipRows", 0));
    dlg.DateCol = static_cast<unsigned>(profile.ReadInt(section, "DateCol", 1));
    dlg.OpenOn = profile.ReadInt(section, "OpenOn", 1);
    dlg.OpenCol = static_cast<unsigned>(profile.ReadInt(section, "OpenCol", 2));
    dlg.HiOn = profile.ReadInt(section, "HiOn", 1);
    dlg.HiCol = static_cast<unsigned>(profile.ReadInt(section, "HiCol", 3));
    dlg.LoOn = profile.ReadInt(section, "LoOn", 1);
    dlg.LoCol = static_cast<unsigned>(profile.ReadInt(section, "LoCol", 4));
    dlg.CloCol = static_cast<unsigned>(profile.ReadInt(section, "CloCol", 5));
    dlg.VolOn = profile.ReadInt(section, "VolOn", 1);
    dlg.VolCol = static_cast<unsigned>(profile.ReadInt(section, "VolCol", 6));
    dlg.OIOn = profile.ReadInt(section, "OIOn", 1);
    dlg.OICol = static_cast<unsigned>(profile.ReadInt(section, "OICol", 7));
}

// Path, Symbol and Name are written by the run, once it has added the security.
void StoreSettings(CProfileStore& profile, const CSettingsDlg& dlg)
{
    const QString section = kSettingSection;
    profile.WriteString(section, "DateFormat", dlg.DateFormat);
    profile.WriteInt(section, "Delimiter", dlg.Delimiter);
    profile.WriteInt(section, "Exist", dlg.Exist);
    profile.WriteInt(section, "SkipOn", dlg.SkipOn);
    profile.WriteInt(section, "SkipRows", static_cast<int>(dlg.SkipRows));
    profile.WriteInt(section, "DateCol", static_cast<int>(dlg.DateCol));
    profile.WriteInt(section, "OpenOn", dlg.OpenOn);
    profile.WriteInt(section, "OpenCol", static_cast<int>(dlg.OpenCol));
    profile.WriteInt(section, "HiOn", dlg.HiOn);
    profile.WriteInt(section, "HiCol", static_cast<int>(dlg.HiCol));
    profile.WriteInt(section, "LoOn", dlg.LoOn);
    profile.WriteInt(section, "LoCol", static_cast<int>(dlg.LoCol));
    profile.WriteInt(section, "CloCol", static_cast<int>(dlg.CloCol));
    profile.WriteInt(section, "VolOn", dlg.VolOn);
    profile.WriteInt(section, "VolCol", static_cast<int>(dlg.VolCol));
    profile.WriteInt(section, "OIOn", dlg.OIOn);
    profile.WriteInt(section, "OICol", static_cast<int>(dlg.OICol));
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

}  // namespace

void CQuoteforgeView::OnSettings()
{
    CSettingsDlg dlg(&m_nDateFormat, window());
    LoadSettings(m_profile, dlg);
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
