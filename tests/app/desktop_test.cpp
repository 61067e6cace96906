// The desktop application end to end: open a file, see its preview, confirm the Conversion Settings
// dialog, and find the security in the output directory and the outcome in the log.

#include <gtest/gtest.h>

#include <sstream>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QTableWidget>
#include <QTimer>
#include <QProcess>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include "app/about_dlg.h"
#include "app/batch_dlg.h"
#include "app/dialog_placement.h"
#include "app/directory_panel.h"
#include "app/help_window.h"
#include "app/main_frame.h"
#include "app/preview_grid.h"
#include "app/quoteforge_app.h"
#include "app/quoteforge_view.h"
#include "app/stored_settings.h"
#include "app/window_placement.h"
#include "cli/command_line.h"
#include "controls/desktop_services.h"
#include "dialogs/engine_path.h"
#include "dialogs/message_box.h"
#include "dialogs/profile_store.h"
#include "dialogs/settings_dlg.h"
#include "dialogs/spin_edit.h"
#include "engine/directory/directory_check.h"
#include "engine/input/layout_detection.h"
#include "modal.h"
#include "quoteforge_version.h"
#include "support/temp_dir.h"

using namespace app;
using namespace dialogs;
using namespace controls;

namespace {

// Types the symbol (and the name) into the dialog and presses OK.
void TypeAndConfirm(CSettingsDlg& dlg, const char* szSymbol, const char* szName = nullptr)
{
    dlg.findChild<QLineEdit*>("Symbol")->setText(QString::fromUtf8(szSymbol));
    if (szName)
        dlg.findChild<QLineEdit*>("Name")->setText(QString::fromUtf8(szName));
    dlg.OnOK();
}

const QString kHeading = "To help you with the conversion settings, your file...\n\n\t%1\n\nlooks like this...\n\n";

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_strSettingsFile = QString::fromStdString(m_dir / "settings.conf");
        auto* pStore = new CProfileStore(m_strSettingsFile, QString::fromStdString(m_dir / "Quoteforge.INI"));
        ASSERT_TRUE(m_app.InitInstance({}, pStore));
        m_pFrame = m_app.m_pMainWnd;
        m_pView = m_pFrame->GetActiveView();
        SetBeepFunction([this] { ++m_nBeeps; });
        std::filesystem::create_directory(m_dir.Path() / "out");
    }
    void TearDown() override
    {
        SetBeepFunction({});
        m_app.ExitInstance(0);
    }

    QString WriteInput(const std::string& name, const std::string& text)
    {
        WriteText(m_dir.Path() / name, text);
        return QString::fromStdString(m_dir / name);
    }

    // Settings that make the dialog's OK start a run that converts prices.csv into a new MASTER.
    void StoreRunnableSettings(int nExist)
    {
        CProfileStore& store = *m_app.m_pProfile;
        store.WriteString("Setting", "Path", QString::fromStdString(m_dir / "out"));
        store.WriteString("Setting", "Symbol", "abc");
        store.WriteString("Setting", "Name", "Alpha");
        store.WriteString("Setting", "DateFormat", "MM_DD_CCYY");
        store.WriteInt("Setting", "Exist", nExist);
        store.WriteInt("Setting", "SkipOn", 1);
        store.WriteInt("Setting", "SkipRows", 1);
    }

    // Every conversion setting as stored ("-" for an absent one).
    QStringList StoredSettings() const
    {
        QStringList values;
        for (const char* name : {"DateFormat", "Exist", "Delimiter", "Path", "Symbol", "Name", "SkipOn", "SkipRows",
                                 "DateCol", "OpenOn", "OpenCol", "HiOn", "HiCol", "LoOn", "LoCol", "CloCol", "VolOn",
                                 "VolCol", "OIOn", "OICol"})
            values << m_app.m_pProfile->ReadString("Setting", name, "-");
        return values;
    }

    QAction* SettingsAction() const
    {
        for (QAction* pAction : m_pFrame->findChildren<QAction*>())
            if (pAction->text() == "Se&ttings...")
                return pAction;
        return nullptr;
    }

    CKeepWorkingDirectory m_keep;
    CTempDir m_dir;
    CMessageBoxLog m_messages;
    CQuoteforgeApp m_app;
    QString m_strSettingsFile;
    CMainFrame* m_pFrame = nullptr;
    CQuoteforgeView* m_pView = nullptr;
    int m_nBeeps = 0;
};

const std::string kPrices = "Date,Open,High,Low,Close,Volume,OpenInt\r\n"
                            "01/02/2024,10.5,11,10,10.75,1000,50\r\n"
                            "01/03/2024,10.75,12,10.5,11.5,2000,55\r\n";

TEST_F(DesktopTest, ConfirmedDialogConvertsTheOpenedFileAndLogsSuccess)
{
    StoreRunnableSettings(1);
    const QString strInput = WriteInput("abc.csv", kPrices);
    WhenModal<CSettingsDlg>([](CSettingsDlg& dlg) { dlg.OnOK(); });
    ASSERT_TRUE(m_pFrame->OpenDocumentFile(strInput));

    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(" | ").toStdString();
    EXPECT_TRUE(m_pView->toPlainText().endsWith(
        "\n\nConversion completed successfully!\n    ABC: F1.DAT, 2 records, 2024-01-02 to 2024-01-03"))
        << m_pView->toPlainText().toStdString();
    EXPECT_EQ(m_nBeeps, 1);
    EXPECT_EQ(m_pView->m_nDateFormat, 4);
    EXPECT_EQ(ReadBytes(m_dir.Path() / "out" / "F1.DAT").size(), 3u * 28);

    const CProfileStore& store = *m_app.m_pProfile;
    EXPECT_EQ(store.ReadString("Setting", "Path", ""), QString::fromStdString(m_dir / "out"));
    EXPECT_EQ(store.ReadString("Setting", "Symbol", ""), "ABC");
    EXPECT_EQ(store.ReadString("Setting", "DateFormat", ""), "MM_DD_CCYY");
    EXPECT_EQ(store.ReadString("Setting", "OICol", ""), "7");  // the seventeen values are written back
    EXPECT_EQ(m_app.m_pProfile->ReadRecentFiles().value(0), strInput);
}

TEST_F(DesktopTest, DecliningAnOfferLogsWhyAndTheRetryShowsWhatWasTyped)
{
    StoreRunnableSettings(0);  // use an existing MASTER, but the directory has none
    m_messages.SetQuestionAnswer(EMessageAnswer::No);
    const QString strInput = WriteInput("abc.csv", kPrices);
    WhenModal<CSettingsDlg>([](CSettingsDlg& dlg) {
        dlg.findChild<QLineEdit*>("Symbol")->setText("typed");
        dlg.OnOK();
    });
    ASSERT_TRUE(m_pFrame->OpenDocumentFile(strInput));

    const QString strOut = QString::fromStdString(m_dir / "out");
    EXPECT_EQ(m_messages.Texts(),
              QStringList{"Path specified does not point to a Master file\nMake a new MASTER in " + strOut + "?"});
    EXPECT_TRUE(m_pView->toPlainText().endsWith(
        "\nConversion failed.\n    Path specified does not point to a Master file: " + strOut));
    EXPECT_EQ(m_nBeeps, 0);
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path() / "out"));
    // The dialog's values are stored whatever the outcome; the symbol only by a run that added it.
    EXPECT_EQ(m_app.m_pProfile->ReadString("Setting", "Symbol", ""), "abc");
    QString strShown;
    WhenModal<CSettingsDlg>([&](CSettingsDlg& dlg) {
        strShown = dlg.findChild<QLineEdit*>("Symbol")->text();
        dlg.reject();
    });
    m_pView->OnSettings();
    EXPECT_EQ(strShown, "TYPED") << "the retry starts from what was typed";
}

TEST_F(DesktopTest, AnsweringYesToAnOfferRunsWhatItOffers)
{
    const QString strInput = WriteInput("abc.csv", kPrices);
    const std::filesystem::path out = m_dir.Path() / "out";
    const QString strOut = QString::fromStdString(out.string());
    const QString strNew = QString::fromStdString((m_dir.Path() / "new").string());
    const struct {
        int nExist;
        const char* szSymbol;
        QString strPath;
        QString strQuestion;
        const char* szLogged;
        const char* szDataFile;
    } cases[] = {
        {0, "abc", strOut, "Path specified does not point to a Master file\nMake a new MASTER in " + strOut + "?",
         "ABC: F1.DAT, 2 records", "F1.DAT"},
        {1, "def", strOut, "New Master chosen but one already exists\nAdd DEF to the MASTER in " + strOut + "?",
         "DEF: F2.DAT, 2 records", "F2.DAT"},
        {0, "abc", strOut, "Duplicate Symbol\nABC is already in " + strOut + ".\nUpdate: append the rows after 2024-01-03?",
         "ABC: F1.DAT, no new records", "F1.DAT"},
        {1, "ghi", strNew, "Path does not exist\nCreate the directory " + strNew + " with a new MASTER?", "GHI: F1.DAT, 2 records",
         "F1.DAT"},
    };
    for (const auto& c : cases) {
        StoreRunnableSettings(c.nExist);
        m_app.m_pProfile->WriteString("Setting", "Symbol", c.szSymbol);
        m_app.m_pProfile->WriteString("Setting", "Path", c.strPath);
        m_messages.Clear();
        // A newly opened file proposes its own symbol; the case's symbol is typed.
        WhenModal<CSettingsDlg>([&](CSettingsDlg& dlg) { TypeAndConfirm(dlg, c.szSymbol); });
        ASSERT_TRUE(m_pFrame->OpenDocumentFile(strInput));
        EXPECT_EQ(m_messages.Texts(), QStringList{c.strQuestion});
        EXPECT_TRUE(m_pView->toPlainText().endsWith(QString::fromLatin1(c.szLogged) + ", 2024-01-02 to 2024-01-03") ||
                    m_pView->toPlainText().endsWith(QString::fromLatin1(c.szLogged)))
            << m_pView->toPlainText().toStdString();
        EXPECT_TRUE(std::filesystem::exists(EnginePath(c.strPath) + "/" + c.szDataFile)) << c.szSymbol;
    }
    EXPECT_EQ(m_app.m_pProfile->ReadString("Setting", "Exist", ""), "1") << "an answer does not change Exist";
}

TEST_F(DesktopTest, CancelStoresNothingAndRunsNothing)
{
    StoreRunnableSettings(1);
    const QStringList before = StoredSettings();
    const QString strInput = WriteInput("abc.csv", kPrices);
    WhenModal<CSettingsDlg>([](CSettingsDlg& dlg) {
        dlg.Symbol = "CHANGED";
        dlg.UpdateData(false);
        dlg.reject();
    });
    ASSERT_TRUE(m_pFrame->OpenDocumentFile(strInput));
    EXPECT_EQ(StoredSettings(), before);
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path() / "out"));
    EXPECT_FALSE(m_pView->toPlainText().contains("Conversion"));
}

TEST_F(DesktopTest, PreviewShowsAtMostTenLinesReadAsTheConversionReadsThem)
{
    std::string lines;
    for (int i = 1; i <= 25; ++i)
        lines += "line " + std::to_string(i) + "\r\n";
    struct Case {
        std::string text;
        QString shown;
    } cases[] = {
        {lines, "line 1\nline 2\nline 3\nline 4\nline 5\nline 6\nline 7\nline 8\nline 9\nline 10\n"},
        {std::string(700, 'x') + "\n", QString(299, 'x') + "\n" + QString(299, 'x') + "\n" + QString(102, 'x') + "\n"},
        {"a\nb\x1A" "c\n", "a\nb\n"},
        {"", ""},
        {"last line without end", "last line without end\n"},
    };
    for (const Case& c : cases) {
        const QString strInput = WriteInput("preview.txt", c.text);
        WhenModal<CSettingsDlg>([](CSettingsDlg& dlg) { dlg.reject(); });
        ASSERT_TRUE(m_pFrame->OpenDocumentFile(strInput));
        const QString strLayout = QString::fromStdString(engine::DescribeLayout(engine::DetectLayout(strInput.toStdString())));
        EXPECT_EQ(m_pView->toPlainText(), kHeading.arg(strInput) + c.shown + "\n" + strLayout + "\n")
            << c.text.substr(0, 20);
    }
}

TEST_F(DesktopTest, UnreadableFileChangesNothing)
{
    EXPECT_FALSE(SettingsAction()->isEnabled());
    m_pView->AppendText("earlier log");
    EXPECT_FALSE(m_pFrame->OpenDocumentFile(QString::fromStdString(m_dir / "missing.csv")));
    ASSERT_EQ(m_messages.Texts().size(), 1);
    EXPECT_TRUE(m_messages.Texts()[0].contains("missing.csv"));
    EXPECT_EQ(m_pView->toPlainText(), "earlier log");
    EXPECT_TRUE(m_pView->m_strInputPath.isEmpty());
    EXPECT_FALSE(SettingsAction()->isEnabled());
    EXPECT_TRUE(m_app.m_pProfile->ReadRecentFiles().isEmpty());
}

// The run refuses an input that gives no record, "Skip rows that cannot be read" answered Yes included.
TEST_F(DesktopTest, AnInputWithoutAPriceRowFailsTheRunAndAddsNothing)
{
    StoreRunnableSettings(1);
    const struct {
        const char* szCase;
        std::string text;
    } cases[] = {
        {"an empty file", ""},
        {"every row skipped", "Date,Open,High,Low,Close,Volume,OpenInt\r\n12/31/1899,1,1,1,1,1,1\r\n"},
    };
    for (const auto& c : cases) {
        m_messages.Clear();
        const QString strInput = WriteInput("prices.csv", c.text);
        WhenModal<CSettingsDlg>([](CSettingsDlg& dlg) { dlg.OnOK(); });
        ASSERT_TRUE(m_pFrame->OpenDocumentFile(strInput)) << c.szCase;
        ASSERT_FALSE(m_messages.Texts().isEmpty()) << c.szCase;
        EXPECT_TRUE(m_messages.Texts().back().startsWith(strInput + " holds no price rows"))
            << c.szCase << ": " << m_messages.Texts().join(" | ").toStdString();
        EXPECT_TRUE(m_pView->toPlainText().contains("\nConversion failed.\n    " + strInput + " holds no price rows"))
            << c.szCase << ": " << m_pView->toPlainText().right(120).toStdString();
        EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path() / "out")) << c.szCase;
    }
    EXPECT_EQ(m_nBeeps, 0);
}

TEST_F(DesktopTest, NewAndClearEmptyTheLogButKeepTheInputFile)
{
    const QString strInput = WriteInput("abc.csv", kPrices);
    WhenModal<CSettingsDlg>([](CSettingsDlg& dlg) { dlg.reject(); });
    ASSERT_TRUE(m_pFrame->OpenDocumentFile(strInput));
    EXPECT_TRUE(SettingsAction()->isEnabled());
    EXPECT_EQ(m_pFrame->windowTitle(), "Quoteforge");

    m_pFrame->OnFileNew();
    EXPECT_EQ(m_pView->toPlainText(), "");
    m_pView->AppendText("\r\nConversion failed.");
    m_pView->AppendText("\r\nConversion failed.");
    EXPECT_EQ(m_pView->toPlainText(), "\nConversion failed.\nConversion failed.");
    EXPECT_FALSE(m_pView->document()->isModified());
    m_pView->OnClearWindow();
    EXPECT_EQ(m_pView->toPlainText(), "");
    EXPECT_EQ(m_pView->m_strInputPath, strInput);
    EXPECT_TRUE(SettingsAction()->isEnabled());
}

TEST_F(DesktopTest, ClosingStoresThePlacementUnlessMinimized)
{
    m_pFrame->move(-20, 30);
    m_pFrame->resize(500, 400);
    m_pFrame->close();
    const CProfileStore& store = *m_app.m_pProfile;
    EXPECT_EQ(store.ReadInt("Screen", "x", -1), 0);
    EXPECT_EQ(store.ReadInt("Screen", "y", -1), 30);
    EXPECT_EQ(store.ReadInt("Screen", "cx", -1), 500);
    EXPECT_EQ(store.ReadInt("Screen", "cy", -1), 400);

    m_pFrame->show();
    m_pFrame->resize(300, 200);
    m_pFrame->showMinimized();
    m_pFrame->close();
    EXPECT_EQ(store.ReadInt("Screen", "cx", -1), 500);
}

TEST_F(DesktopTest, TheSampleWithFreshSettingsAsksAboutTheMisfitThenConvertsWhatDetectFound)
{
    const QString strOut = QString::fromStdString(m_dir / "out");
    QStringList storedAfterNo;
    bool bOpenAfterNo = false;
    WhenModal<CSettingsDlg>([&](CSettingsDlg& dlg) {
        dlg.findChild<QLineEdit*>("Path")->setText(strOut);
        dlg.findChild<QLineEdit*>("Symbol")->setText("qfdemo");
        dlg.findChild<QRadioButton*>("MakeNew")->setChecked(true);
        m_messages.SetQuestionAnswer(EMessageAnswer::No);
        dlg.OnOK();  // the stored defaults read MMDDYY dates from row 1, the heading
        bOpenAfterNo = dlg.isVisible();
        storedAfterNo = StoredSettings();
        QTest::mouseClick(dlg.findChild<QPushButton*>("Detect"), Qt::LeftButton);
        dlg.OnOK();
    });
    ASSERT_TRUE(m_pFrame->OpenDocumentFile(QString::fromLatin1(QUOTEFORGE_SAMPLE)));

    ASSERT_EQ(m_messages.Texts().size(), 1) << m_messages.Texts().join(" | ").toStdString();
    EXPECT_TRUE(m_messages.Texts()[0].startsWith("The settings do not fit this file: "));
    EXPECT_TRUE(m_messages.Texts()[0].endsWith(".\nConvert anyway?"));
    EXPECT_TRUE(bOpenAfterNo);
    EXPECT_EQ(storedAfterNo.join(",").toStdString(), "-,-,-,-,-,-,-,-,-,-,-,-,-,-,-,-,-,-,-,-");
    EXPECT_TRUE(m_pView->toPlainText().contains("\nConversion completed successfully!\n    QFDEMO: F1.DAT, 1500 records"));
    EXPECT_EQ(ReadBytes(m_dir.Path() / "out" / "F1.DAT").size(), (1500u + 1) * 28);
    QStringList stored = StoredSettings();
    stored[3] = "path";
    EXPECT_EQ(stored.join(",").toStdString(), "MM_DD_CCYY,1,0,path,QFDEMO,,1,1,1,1,2,1,3,1,4,5,1,6,1,7");
}

TEST_F(DesktopTest, DesktopAndCommandLineWriteTheSameBytesForTheSameSettings)
{
    const std::filesystem::path desktopDir = m_dir.Path() / "out";
    const std::filesystem::path cliDir = m_dir.Path() / "cli";
    std::filesystem::create_directory(cliDir);
    StoreRunnableSettings(1);
    CProfileStore& store = *m_app.m_pProfile;
    store.WriteString("Setting", "Symbol", QString::fromUtf8("\u00e4bc"));
    store.WriteString("Setting", "Name", QString::fromUtf8("M\u00fcller Z\u00fcrich AG"));
    WhenModal<CSettingsDlg>([](CSettingsDlg& dlg) {
        TypeAndConfirm(dlg, "\u00e4bc", "M\u00fcller Z\u00fcrich AG");
    });
    ASSERT_TRUE(m_pFrame->OpenDocumentFile(QString::fromLatin1(QUOTEFORGE_SAMPLE)));
    ASSERT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(" | ").toStdString();
    EXPECT_EQ(store.ReadString("Setting", "Symbol", ""), QString::fromUtf8("\u00c4BC"));
    EXPECT_EQ(store.ReadString("Setting", "Name", ""), QString::fromUtf8("M\u00fcller Z\u00fcrich AG"));

    const std::string strCliDir = cliDir.string();
    const char* const argv[] = {"quoteforge-cli", "convert", QUOTEFORGE_SAMPLE, "--dir", strCliDir.c_str(),
                                "--symbol", "\xc3\x84" "BC", "--name", "M\xc3\xbcller Z\xc3\xbcrich AG",
                                "--date-format", "MM_DD_CCYY", "--skip", "1", "--master", "new"};
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(cli::RunCommandLine(static_cast<int>(std::size(argv)), argv, out, err), 0) << err.str();

    for (const char* szFile : {"MASTER", "F1.DAT", "F1.DOP"})
        EXPECT_EQ(ReadBytes(desktopDir / szFile), ReadBytes(cliDir / szFile)) << szFile;
    const std::vector<unsigned char> master = ReadBytes(cliDir / "MASTER");
    EXPECT_NE(std::string(master.begin(), master.end()).find("\xc4" "BC"), std::string::npos)
        << "the symbol in Windows-1252";
}

TEST_F(DesktopTest, AWindowClosedMaximizedOpensMaximizedAndRestoresToItsStoredPlace)
{
    m_pFrame->showNormal();
    m_pFrame->resize(500, 400);
    m_pFrame->showMaximized();
    m_pFrame->close();
    const CProfileStore& store = *m_app.m_pProfile;
    EXPECT_EQ(store.ReadInt("Screen", "Maximized", -1), 1);
    EXPECT_EQ(store.ReadInt("Screen", "cx", -1), 500);
    EXPECT_EQ(store.ReadInt("Screen", "cy", -1), 400);

    CMainFrame again(*m_app.m_pProfile, nullptr, nullptr);
    again.show();
    EXPECT_TRUE(again.isMaximized());
    EXPECT_EQ(again.normalGeometry().size(), QSize(500, 400));
    again.showNormal();
    again.close();
    EXPECT_EQ(store.ReadInt("Screen", "Maximized", -1), 0);
}

TEST_F(DesktopTest, TheLogStartsAtTheTopOfThePreviewAndControlHomeAndEndMoveThroughIt)
{
    std::string lines;
    for (int i = 1; i <= 10; ++i)
        lines += std::string(400, 'x') + "\r\n";  // each line wraps into several rows
    WhenModal<CSettingsDlg>([](CSettingsDlg& dlg) { dlg.reject(); });
    ASSERT_TRUE(m_pFrame->OpenDocumentFile(WriteInput("long.csv", lines)));
    for (int i = 0; i < 40; ++i)
        m_pView->AppendText("\r\nConversion failed.");
    m_pView->verticalScrollBar()->setValue(m_pView->verticalScrollBar()->maximum() / 2);
    QScrollBar* pBar = m_pView->verticalScrollBar();
    ASSERT_GT(pBar->maximum(), 0);
    QTest::keyClick(m_pView, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(pBar->value(), pBar->maximum());
    QTest::keyClick(m_pView, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(pBar->value(), 0);

    WhenModal<CSettingsDlg>([](CSettingsDlg& dlg) { dlg.reject(); });
    ASSERT_TRUE(m_pFrame->OpenDocumentFile(WriteInput("long.csv", lines)));
    EXPECT_EQ(pBar->value(), 0);
}

TEST_F(DesktopTest, EscapeClosesTheHelpAndFOneInADialogShowsItsSection)
{
    m_pFrame->OnHelp();
    CHelpWindow* pHelp = m_pFrame->GetHelpWindow();
    ASSERT_NE(pHelp, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(pHelp));
    QTest::keyClick(pHelp, Qt::Key_Escape);
    EXPECT_FALSE(pHelp->isVisible());

    QString strPage;
    bool bHelpVisible = false;
    WhenModal<CSettingsDlg>([&](CSettingsDlg& dlg) {
        dlg.activateWindow();
        if (QTest::qWaitForWindowActive(&dlg))
            QTest::keyClick(&dlg, Qt::Key_F1);
        strPage = pHelp->CurrentPage();
        bHelpVisible = pHelp->isVisible();
        dlg.reject();
    });
    ASSERT_TRUE(m_pFrame->OpenDocumentFile(WriteInput("abc.csv", kPrices)));
    EXPECT_EQ(strPage, "qrc:/help/settings.html#conversion-settings");
    EXPECT_TRUE(bHelpVisible);

    WhenModal<CAboutDlg>([&](CAboutDlg& dlg) {
        for (QAction* pAction : dlg.actions())
            if (pAction->shortcut() == QKeySequence(Qt::Key_F1))
                pAction->trigger();
        strPage = pHelp->CurrentPage();
        dlg.reject();
    });
    m_pFrame->OnAppAbout();
    EXPECT_EQ(strPage, "qrc:/help/overview.html#about");
}

TEST_F(DesktopTest, MenusShowTheirKeysAndAboutNamesTheBuild)
{
    QAction* pHelpTopics = nullptr;
    for (QAction* pAction : m_pFrame->findChildren<QAction*>())
        if (pAction->text() == "&Help Topics")
            pHelpTopics = pAction;
    ASSERT_NE(pHelpTopics, nullptr);
    EXPECT_EQ(pHelpTopics->shortcut(), QKeySequence(Qt::Key_F1));
    ASSERT_NE(SettingsAction(), nullptr) << "File > Se&ttings... has a mnemonic";

    // View > Preview Grid and View > Directory Panel show and hide the panels.
    for (const char* szToggle : {"Preview &Grid", "&Directory Panel"}) {
        QAction* pToggle = nullptr;
        for (QAction* pAction : m_pFrame->findChildren<QAction*>())
            if (pAction->text() == szToggle)
                pToggle = pAction;
        ASSERT_NE(pToggle, nullptr) << szToggle;
        EXPECT_TRUE(pToggle->isEnabled()) << szToggle;
        EXPECT_TRUE(pToggle->isChecked()) << szToggle;
        pToggle->trigger();
        EXPECT_FALSE(pToggle->isChecked()) << szToggle;
        pToggle->trigger();
        EXPECT_TRUE(pToggle->isChecked()) << szToggle;
    }
    // A panel hidden at closing stays hidden at the next start.
    m_pFrame->GetDirectoryPanel()->toggleViewAction()->trigger();
    m_pFrame->close();
    EXPECT_EQ(m_app.m_pProfile->ReadInt("Screen", "DirectoryPanel", -1), 0);
    EXPECT_EQ(m_app.m_pProfile->ReadInt("Screen", "PreviewGrid", -1), 1);
    {
        CMainFrame again(*m_app.m_pProfile, nullptr, nullptr);
        again.show();
        EXPECT_FALSE(again.GetDirectoryPanel()->isVisible());
        EXPECT_FALSE(again.GetDirectoryPanel()->toggleViewAction()->isChecked());
        again.GetDirectoryPanel()->toggleViewAction()->trigger();
        EXPECT_TRUE(again.GetDirectoryPanel()->isVisible());
    }
    m_pFrame->show();

    // File > Open starts in the folder last opened from, offering price files first.
    m_app.m_pProfile->WriteString("Setting", "OpenFolder", QString::fromStdString(m_dir.Path().string()));
    QString strStart;
    QStringList filters;
    WhenModal<QFileDialog>([&](QFileDialog& dlg) {
        strStart = dlg.directory().absolutePath();
        filters = dlg.nameFilters();
        dlg.reject();
    });
    m_pFrame->OnFileOpen();
    EXPECT_EQ(strStart.toStdString(), std::filesystem::canonical(m_dir.Path()).string());
    EXPECT_EQ(filters, QStringList({"Price files (*.csv *.txt *.prn *.asc)", "All Files (*)"}));

    CAboutDlg about(nullptr, nullptr);
    QStringList texts;
    for (const QLabel* pLabel : about.findChildren<QLabel*>())
        texts << pLabel->text();
    const QString strBits = QStringLiteral("A %1 bit application").arg(sizeof(void*) * 8);
    EXPECT_TRUE(texts.join("|").contains(strBits)) << texts.join("|").toStdString();
}

TEST(DesktopCommandLine, HelpAndVersionPrintAndExitWithoutAWindow)
{
    const struct {
        const char* szOption;
        const char* szPrinted;
    } cases[] = {{"--help", "Usage: quoteforge [FILE...]"}, {"--version", "quoteforge " QUOTEFORGE_VERSION}};
    for (const auto& c : cases) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "no-such-platform");  // a window would fail to start
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUOTEFORGE_DESKTOP), {c.szOption});
        ASSERT_TRUE(process.waitForFinished(10000)) << c.szOption;
        EXPECT_EQ(process.exitCode(), 0) << c.szOption;
        EXPECT_TRUE(process.readAllStandardOutput().startsWith(c.szPrinted)) << c.szOption;
    }
}

// Rows of daily prices from 1 January 2001 on, one per day, with a heading line.
std::string PriceRows(int nRows)
{
    std::string text = "Date,Open,High,Low,Close,Volume,OpenInt\r\n";
    for (int i = 0; i < nRows; ++i) {
        const int nYear = 1901 + i / 336;  // 65,534 rows end in 2096
        const int nMonth = 1 + (i / 28) % 12;
        const int nDay = 1 + i % 28;
        char line[96];
        std::snprintf(line, sizeof line, "%02d/%02d/%04d,10.5,11,10,10.75,%d,50\r\n", nMonth, nDay, nYear, 1000 + i);
        text += line;
    }
    return text;
}

QStringList TableRow(const QTableWidget& table, int nRow)
{
    QStringList cells;
    for (int nColumn = 0; nColumn < table.columnCount(); ++nColumn)
        cells << (table.item(nRow, nColumn) ? table.item(nRow, nColumn)->text() : QString());
    return cells;
}

TEST_F(DesktopTest, TheDirectoryPanelListsTheRunsDirectoryAndExportsChecksAndRemoves)
{
    StoreRunnableSettings(1);
    const QString strInput = WriteInput("abc.csv", kPrices);
    for (const char* szSymbol : {"abc", "def"}) {
        m_app.m_pProfile->WriteString("Setting", "Symbol", szSymbol);
        WhenModal<CSettingsDlg>([&](CSettingsDlg& dlg) { TypeAndConfirm(dlg, szSymbol, "Alpha"); });
        ASSERT_TRUE(m_pFrame->OpenDocumentFile(strInput));
    }
    CDirectoryPanel* pPanel = m_pFrame->GetDirectoryPanel();
    auto* pTable = pPanel->findChild<QTableWidget*>("Securities");
    ASSERT_EQ(pTable->rowCount(), 2);
    EXPECT_EQ(TableRow(*pTable, 1).join(",").toStdString(), "DEF,Alpha,F2.DAT,DOHLCVI,daily,2024-01-02,2024-01-03,2");

    pTable->selectRow(0);
    const std::filesystem::path exported = m_dir.Path() / "abc.txt";
    ASSERT_TRUE(pPanel->ExportSelected(QString::fromStdString(exported.string()), engine::ExportOptions{}));
    const std::vector<unsigned char> bytes = ReadBytes(exported);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "20240102,10.5,11,10,10.75,1000,50\n20240103,10.75,12,10.5,11.5,2000,55\n");

    pPanel->OnCheck();
    EXPECT_TRUE(m_pView->toPlainText().contains(": 2 securities, no problems found")) << m_pView->toPlainText().toStdString();

    m_messages.SetQuestionAnswer(EMessageAnswer::No);
    pPanel->OnRemove();
    EXPECT_EQ(pTable->rowCount(), 2) << "No keeps the security";
    m_messages.SetQuestionAnswer(EMessageAnswer::Yes);
    pPanel->OnRemove();
    EXPECT_EQ(m_messages.Buttons().back(), EMessageButtons::YesNoDefaultNo);
    ASSERT_EQ(pTable->rowCount(), 1);
    EXPECT_EQ(pTable->item(0, 0)->text(), "DEF");
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "out" / "F1.DAT"));

    // Tab goes into and out of the preview grid and the securities, and reaches Export and Remove.
    pTable->selectRow(0);
    m_pFrame->show();
    m_pFrame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_pFrame));
    m_pFrame->findChild<QWidget*>("PreviewGrid")->setFocus();
    QStringList stops{"PreviewGrid"};
    for (int i = 0; i < 16 && (i == 0 || stops.last() != "PreviewGrid"); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const QWidget* pFocus = QApplication::focusWidget();
        ASSERT_NE(pFocus, nullptr);
        const auto* pButton = qobject_cast<const QAbstractButton*>(pFocus);
        stops << (pButton ? pButton->text() : pFocus->objectName());
    }
    const QString strStops = stops.join(" > ");
    EXPECT_EQ(stops.last(), "PreviewGrid") << "Tab comes round to the grid: " << strStops.toStdString();
    for (const char* szStop : {"Securities", "E&xport...", "&Remove"})
        EXPECT_TRUE(stops.contains(szStop)) << szStop << " in " << strStops.toStdString();
    EXPECT_EQ(stops.count("Securities"), 1) << "Tab leaves the list: " << strStops.toStdString();
    EXPECT_NE(stops[1], "PreviewGrid") << "Tab leaves the grid";

    // In the window's first size on a 1024x768 screen the columns fit the panel.
    m_pFrame->resize(870, 652);
    QApplication::processEvents();
    EXPECT_EQ(pTable->horizontalScrollBar()->maximum(), 0) << pTable->viewport()->width();
}

TEST_F(DesktopTest, TheDirectoryPanelShowsControlCharactersOfADamagedIndexEscaped)
{
    const std::filesystem::path out = m_dir.Path() / "out";
    const std::string strOut = out.string();
    const char* const argv[] = {"quoteforge-cli", "convert", QUOTEFORGE_SAMPLE, "--dir", strOut.c_str(),
                                "--symbol",       "ABC",     "--name",          "NAME", "--detect"};
    std::ostringstream printed;
    ASSERT_EQ(cli::RunCommandLine(static_cast<int>(std::size(argv)), argv, printed, printed), 0) << printed.str();
    std::vector<unsigned char> master = ReadBytes(out / "MASTER");
    master[53 + 36 + 1] = 0x1B;  // the symbol's second character
    master[53 + 7 + 1] = '\n';   // the name's
    WriteText(out / "MASTER", std::string(master.begin(), master.end()));
    CProfileStringStore store(*m_app.m_pProfile);
    desktop::CStoredSettings stored(store);
    CDirectoryPanel panel(stored);
    panel.ShowDirectory(QString::fromStdString(strOut));
    auto* pTable = panel.findChild<QTableWidget*>("Securities");
    ASSERT_EQ(pTable->rowCount(), 1);
    EXPECT_EQ(TableRow(*pTable, 0).mid(0, 2).join(",").toStdString(), "A\\x1bC,N\\x0aME");
}

TEST_F(DesktopTest, TheDirectoryPanelReadsGenuineDirectories)
{
    if (!std::filesystem::is_directory(QUOTEFORGE_GENUINE))
        GTEST_SKIP() << "no genuine directories at " << QUOTEFORGE_GENUINE;
    for (const auto& entry : std::filesystem::directory_iterator(QUOTEFORGE_GENUINE)) {
        if (!entry.is_directory())
            continue;
        const std::filesystem::path copy = m_dir.Path() / entry.path().filename();
        std::filesystem::copy(entry.path(), copy, std::filesystem::copy_options::recursive);
        CProfileStringStore store(*m_app.m_pProfile);
        desktop::CStoredSettings stored(store);
        CDirectoryPanel panel(stored);
        panel.ShowDirectory(QString::fromStdString(copy.string()));
        auto* pTable = panel.findChild<QTableWidget*>("Securities");
        EXPECT_GT(pTable->rowCount(), 0) << copy;
        for (int nRow = 0; nRow < pTable->rowCount(); ++nRow)
            EXPECT_NE(pTable->item(nRow, 6)->text(), "unreadable") << copy << " row " << nRow;
    }
}

TEST_F(DesktopTest, ABatchReportsEachFileAndCancelLeavesWholeSecuritiesOnly)
{
    const std::filesystem::path out = m_dir.Path() / "out";
    engine::ConversionSettings layout;
    layout.DateFormat = "MM_DD_CCYY";
    layout.SkipOn = 1;
    layout.SkipRows = 1;
    CProfileStringStore store(*m_app.m_pProfile);
    desktop::CStoredSettings stored(store);
    stored.SetBatch({out.string(), false, false});
    {
        CBatchDlg dlg(layout, stored);
        dlg.AddFiles({WriteInput("one.csv", kPrices), QString::fromStdString(m_dir / "missing.csv"),
                      WriteInput("three.csv", kPrices)});
        EXPECT_EQ(dlg.OnConvert(), 1);
        const QStringList results = dlg.Results();
        ASSERT_EQ(results.size(), 3);
        EXPECT_EQ(results[0], "converted");
        EXPECT_TRUE(results[1].startsWith("failed: ")) << results[1].toStdString();
        EXPECT_EQ(results[2], "converted");
        std::string longer = kPrices;
        longer.append("01/04/2024,11,12,10,11,10,5\r\n");
        dlg.AddFiles({WriteInput("one.csv", longer)});
        dlg.OnConvert();
        // The first row has appended the longer file's rows already: the same file again gains nothing.
        EXPECT_EQ(dlg.Results().first(), "updated");
        EXPECT_TRUE(dlg.Results().last().startsWith("unchanged")) << dlg.Results().last().toStdString();
    }

    const std::filesystem::path many = m_dir.Path() / "many";
    stored.SetBatch({many.string(), false, false});
    CBatchDlg dlg(layout, stored);
    QStringList files;
    for (int i = 0; i < 40; ++i)
        files << WriteInput(QStringLiteral("s%1.csv").arg(i).toStdString(), PriceRows(3000));
    dlg.AddFiles(files);
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (!dlg.Results().value(1).isEmpty())
            dlg.OnCancel();
    });
    cancel.start(1);
    dlg.OnConvert();
    const QStringList results = dlg.Results();
    const auto nDone = std::count(results.begin(), results.end(), QStringLiteral("converted"));
    EXPECT_GE(nDone, 2);
    EXPECT_LT(nDone, 40) << "the batch stopped";
    const engine::DirectoryReport report = engine::CheckDirectory(many);
    EXPECT_EQ(report.securities, nDone);
    EXPECT_TRUE(report.problems.empty()) << report.problems.front();
}

TEST_F(DesktopTest, TheEventLoopTurnsWhileALargeFileConverts)
{
    StoreRunnableSettings(1);
    const QString strInput = WriteInput("abc.csv", PriceRows(65534));
    int nTicks = 0;
    bool bRunning = false;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { nTicks += bRunning ? 1 : 0; });
    ticker.start(10);
    WhenModal<CSettingsDlg>([&](CSettingsDlg& dlg) {
        bRunning = true;
        dlg.OnOK();
    });
    ASSERT_TRUE(m_pFrame->OpenDocumentFile(strInput));
    bRunning = false;
    EXPECT_TRUE(m_pView->toPlainText().contains("ABC: F1.DAT, 65534 records")) << m_pView->toPlainText().right(300).toStdString();
    EXPECT_GT(nTicks, 0) << "the window went on painting during the run";
}

TEST_F(DesktopTest, DroppingOneFileOpensIt)
{
    const QString strInput = WriteInput("abc.csv", kPrices);
    bool bDialog = false;
    WhenModal<CSettingsDlg>([&](CSettingsDlg& dlg) {
        bDialog = true;
        dlg.reject();
    });
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(strInput)});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Straight to the window: without a drag session the application passes no drop on.
    static_cast<QObject*>(m_pFrame)->event(&drop);
    for (int i = 0; i < 500 && !bDialog; ++i)
        QTest::qWait(10);
    ASSERT_TRUE(bDialog);
    EXPECT_EQ(m_pView->m_strInputPath, strInput);
}

TEST_F(DesktopTest, ThePreviewGridNamesColumnsGreysSkippedRowsMarksBadOnesAndFollowsTheDialog)
{
    StoreRunnableSettings(1);
    m_app.m_pProfile->WriteInt("Setting", "OIOn", 0);
    const QString strInput = WriteInput("grid.csv", "Date,Open,High,Low,Close,Volume,OpenInt\r\n"
                                                    "01/02/2024,10.5,11,10,10.75,1000,50\r\n"
                                                    "2024-01-03,10.75,12,10.5,11.5,2000,55\r\n"
                                                    "01/04/2024,10,,9,9.5\r\n");
    auto* pGrid = m_pFrame->findChild<CPreviewGrid*>("PreviewGrid");
    ASSERT_NE(pGrid, nullptr);
    QStringList headersWhileOpen;
    QStringList headersAfterTyping;
    WhenModal<CSettingsDlg>([&](CSettingsDlg& dlg) {
        for (int i = 0; i < pGrid->columnCount(); ++i)
            headersWhileOpen << pGrid->horizontalHeaderItem(i)->text();
        dlg.findChild<QCheckBox*>("OIOn")->click();
        dlg.findChild<CSpinEdit*>("OICol")->SetText("7");
        for (int i = 0; i < pGrid->columnCount(); ++i)
            headersAfterTyping << pGrid->horizontalHeaderItem(i)->text();
        dlg.reject();
    });
    ASSERT_TRUE(m_pFrame->OpenDocumentFile(strInput));
    EXPECT_EQ(headersWhileOpen.join(",").toStdString(), "Date,Open,High,Low,Close,Volume,unused");
    EXPECT_EQ(headersAfterTyping.join(",").toStdString(), "Date,Open,High,Low,Close,Volume,Open Int");
    const struct {
        int nRow;
        const char* szToolTip;
    } rows[] = {
        {0, "skipped"},
        {1, ""},
        {2, "2024-01-03 is not a date"},  // the conversion's own reasons
        {3, "the high is missing"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(pGrid->item(row.nRow, 0)->toolTip().toStdString(), row.szToolTip) << "row " << row.nRow;
}

TEST_F(DesktopTest, AnsweringNoToAnOfferLeavesTheDirectoryAsItWas)
{
    const QString strInput = WriteInput("abc.csv", kPrices);
    const std::filesystem::path out = m_dir.Path() / "out";
    const std::filesystem::path missing = m_dir.Path() / "missing";
    StoreRunnableSettings(1);
    WhenModal<CSettingsDlg>([](CSettingsDlg& dlg) { dlg.OnOK(); });
    ASSERT_TRUE(m_pFrame->OpenDocumentFile(strInput));  // out holds ABC
    const std::vector<unsigned char> master = ReadBytes(out / "MASTER");
    const std::filesystem::path empty = m_dir.Path() / "empty";
    std::filesystem::create_directory(empty);
    const struct {
        int nExist;
        const char* szSymbol;
        std::filesystem::path directory;
        const char* szLogged;
    } cases[] = {
        {1, "new", missing, "Path does not exist: "},
        {0, "new", empty, "Path specified does not point to a Master file: "},
        {1, "new", out, "New Master chosen but one already exists in "},
        {0, "abc", out, "Duplicate Symbol: ABC in "},
    };
    m_messages.SetQuestionAnswer(EMessageAnswer::No);
    for (const auto& c : cases) {
        // After a failed run the dialog starts from what was typed: each case types its own values.
        WhenModal<CSettingsDlg>([&c](CSettingsDlg& dlg) {
            dlg.findChild<QLineEdit*>("Symbol")->setText(c.szSymbol);
            dlg.findChild<QLineEdit*>("Path")->setText(QString::fromStdString(c.directory.string()));
            dlg.findChild<QRadioButton*>(c.nExist == 0 ? "UseExisting" : "MakeNew")->setChecked(true);
            dlg.OnOK();
        });
        ASSERT_TRUE(m_pFrame->OpenDocumentFile(strInput));
        EXPECT_TRUE(m_pView->toPlainText().endsWith(QString::fromLatin1(c.szLogged) +
                                                    QString::fromStdString(c.directory.string())))
            << m_pView->toPlainText().right(90).replace(u'\n', u'|').toStdString();
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_TRUE(std::filesystem::is_empty(empty));
    EXPECT_EQ(ReadBytes(out / "MASTER"), master);
    EXPECT_FALSE(std::filesystem::exists(out / "F2.DAT"));
}

TEST(DialogPlacement, TheDialogGoesBesideOrBelowTheTextInsideTheScreen)
{
    const QRect screen(0, 0, 1024, 768);
    const QSize dialog(500, 380);
    struct Case {
        QRect text;
        QPoint place;
    } cases[] = {
        {{80, 120, 400, 200}, {488, 120}},  // room to the right of the text
        {{80, 120, 600, 200}, {80, 328}},   // no room to the right: below
        {{80, 120, 700, 330}, {524, 388}},  // room on neither side: the screen's corner covers the least
        {{700, 50, 300, 100}, {524, 158}},  // below, pushed left into the screen
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceBesideText(c.text, dialog, screen), c.place) << c.text.x() << "," << c.text.height();
    // Beside the text would cover the grid at the right; below covers neither.
    EXPECT_EQ(PlaceBesideText({80, 120, 400, 200}, dialog, screen, {700, 100, 300, 300}), QPoint(80, 328));
}

TEST(DialogPlacement, TheHelpGoesBesideItsOwnerNarrowedToTheRoomThere)
{
    const QSize help(720, 560);
    struct Case {
        QRect owner;
        QRect screen;
        QRect place;
    } cases[] = {
        {{100, 100, 560, 400}, {0, 0, 1920, 1080}, {660, 100, 720, 560}},  // right of it
        {{1300, 100, 560, 400}, {0, 0, 1920, 1080}, {580, 100, 720, 560}}, // left of it
        {{300, 300, 560, 400}, {0, 0, 1024, 768}, {0, 208, 320, 560}},     // little room: the wider side, 320 wide
        {{100, 100, 560, 400}, {0, 0, 1024, 768}, {660, 100, 364, 560}},   // the wider side, narrowed
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaceBesideWindow(c.owner, help, c.screen), c.place) << c.owner.x() << " on " << c.screen.width();
}

TEST(WindowPlacement, UnusablePlacementGivesTheCentredWindowOfEightyFivePercent)
{
    const QSize screen(1024, 768);
    const WindowPlacement centred{77, 58, 870, 652};
    EXPECT_EQ(ChooseWindowPlacement({}, screen), centred);                      // first start
    EXPECT_EQ(ChooseWindowPlacement({10, 20, 1025, 600}, screen), centred);     // wider than the screen
    EXPECT_EQ(ChooseWindowPlacement({-1, 20, 600, 400}, screen), centred);      // left of the screen
    EXPECT_EQ(ChooseWindowPlacement({10, 20, 600, 0}, screen), centred);        // no height
    const WindowPlacement offRight{1000, 700, 600, 400};                       // kept, partly off screen
    EXPECT_EQ(ChooseWindowPlacement(offRight, screen), offRight);
    EXPECT_EQ(PlacementToStore({-5, -7}, {300, 200}), (WindowPlacement{0, 0, 300, 200}));
}

}  // namespace
