// The Conversion Settings dialog, driven through its real widgets: the checks of OK in their order and
// with their messages, the number fields, the check boxes, the date-format list, Cancel and Browse.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "dialogs/choose_dir.h"
#include "dialogs/message_box.h"
#include "dialogs/settings_dlg.h"
#include "dialogs/spin_edit.h"
#include "support/temp_dir.h"

using namespace dialogs;

namespace {

const QString kRangeMessage = QStringLiteral("Please enter an integer between 1 and 20.");
const QString kSkipRangeMessage = QStringLiteral("Please enter an integer between 0 and 200.");
const QString kDuplicateMessage = QStringLiteral("Duplicate columns specified\nCorrect or disable");
const QString kSymbolMessage = QStringLiteral("You did not enter a valid symbol");
const QString kPathMessage = QStringLiteral("Please enter path");

// The values the owner loads on a first start, with a symbol and a path filled in.
void FillDefaults(CSettingsDlg& dlg)
{
    dlg.DateFormat = "MMDDYY";
    dlg.Exist = 0;
    dlg.Delimiter = 0;
    dlg.Path = "/data/out";
    dlg.Symbol = "IBM";
    dlg.Name = "Intl Business";
    dlg.SkipOn = 0;
    dlg.SkipRows = 0;
    dlg.DateCol = 1;
    dlg.OpenOn = 1;
    dlg.OpenCol = 2;
    dlg.HiOn = 1;
    dlg.HiCol = 3;
    dlg.LoOn = 1;
    dlg.LoCol = 4;
    dlg.CloCol = 5;
    dlg.VolOn = 1;
    dlg.VolCol = 6;
    dlg.OIOn = 1;
    dlg.OICol = 7;
}

class SettingsDlg : public ::testing::Test {
protected:
    void SetUp() override { FillDefaults(m_dlg); }

    // Shows the dialog (not modally), as its owner would, and makes it the active window.
    void Show()
    {
        m_dlg.show();
        m_dlg.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dlg));
    }
    template <class T>
    T* Control(const char* szName)
    {
        T* pControl = m_dlg.findChild<T*>(QString::fromLatin1(szName));
        EXPECT_NE(pControl, nullptr) << "no control " << szName;
        return pControl;
    }
    CSpinEdit* Number(const char* szName) { return Control<CSpinEdit>(szName); }
    QLineEdit* Edit(const char* szName) { return Control<QLineEdit>(szName); }
    QCheckBox* Check(const char* szName) { return Control<QCheckBox>(szName); }
    QLineEdit* DateFormatEdit() { return Control<QComboBox>("DateFormat")->lineEdit(); }

    // Replaces the field's text by typing, as a user would.
    void Type(QWidget* pField, const QString& strText)
    {
        pField->setFocus();
        QTest::keyClick(pField, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(pField, Qt::Key_Delete);
        QTest::keyClicks(pField, strText);
    }
    // The dialog's control that has the focus, also when the focus is on the edit inside it.
    QWidget* FocusedControl()
    {
        QWidget* pFocus = QApplication::focusWidget();
        while (pFocus && pFocus->parentWidget() != &m_dlg)
            pFocus = pFocus->parentWidget();
        return pFocus;
    }
    void Click(QAbstractButton* pButton) { QTest::mouseClick(pButton, Qt::LeftButton); }
    void ClickOK() { Click(Control<QPushButton>("OK")); }
    bool Accepted() const { return !m_dlg.isVisible() && m_dlg.result() == QDialog::Accepted; }

    CMessageBoxLog m_messages;
    int m_nDateFormat = -7;
    CSettingsDlg m_dlg{&m_nDateFormat};
};

TEST_F(SettingsDlg, OKHandsBackTheMembersAsTheControlsShowThem)
{
    m_dlg.Exist = 1;
    m_dlg.Delimiter = 2;
    m_dlg.SkipOn = 1;
    m_dlg.SkipRows = 3;
    m_dlg.VolOn = 0;
    m_dlg.VolCol = 9;
    m_dlg.TimeFrame = 2;
    Show();
    EXPECT_TRUE(Control<QRadioButton>("MakeNew")->isChecked());
    EXPECT_EQ(Control<QComboBox>("TimeFrame")->currentText(), "Weekly");
    Control<QComboBox>("TimeFrame")->setCurrentIndex(4);
    EXPECT_TRUE(Control<QRadioButton>("Space")->isChecked());
    EXPECT_TRUE(Number("SkipRows")->isEnabled());
    EXPECT_FALSE(Number("VolCol")->isEnabled());
    EXPECT_EQ(Number("VolCol")->Text(), "9");

    Type(Number("OICol"), "12");
    Type(Edit("Name"), "Big Blue");
    Click(Control<QRadioButton>("Tab"));
    Click(Control<QRadioButton>("UseExisting"));
    ClickOK();
    EXPECT_TRUE(m_messages.Texts().isEmpty()) << m_messages.Texts().join(" | ").toStdString();
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(m_dlg.OICol, 12u);
    EXPECT_EQ(m_dlg.Name, "Big Blue");
    EXPECT_EQ(m_dlg.Delimiter, 1);
    EXPECT_EQ(m_dlg.Exist, 0);
    EXPECT_EQ(m_dlg.SkipOn, 1);
    EXPECT_EQ(m_dlg.SkipRows, 3u);
    EXPECT_EQ(m_dlg.VolOn, 0);
    EXPECT_EQ(m_dlg.VolCol, 9u);
    EXPECT_EQ(m_dlg.TimeFrame, 4);
    EXPECT_EQ(m_dlg.Symbol, "IBM");
    EXPECT_EQ(m_dlg.Path, "/data/out");
    EXPECT_EQ(m_nDateFormat, 9);
}

TEST_F(SettingsDlg, ColumnsOfFieldsThatAreReadMustDiffer)
{
    const struct {
        const char* szCase;
        std::function<void(CSettingsDlg&)> change;
        bool bRefused;
    } cases[] = {
        {"Date and Close in one column", [](CSettingsDlg& d) { d.CloCol = 1; }, true},
        {"Open and High in column 3", [](CSettingsDlg& d) { d.OpenCol = 3; }, true},
        {"... with High switched off", [](CSettingsDlg& d) { d.OpenCol = 3; d.HiOn = 0; }, false},
        {"Volume off in the Date's column", [](CSettingsDlg& d) { d.VolOn = 0; d.VolCol = 1; }, false},
        {"Open Int and Low in column 20", [](CSettingsDlg& d) { d.OICol = 20; d.LoCol = 20; }, true},
        {"every field off but Date and Close", [](CSettingsDlg& d) {
             d.OpenOn = d.HiOn = d.LoOn = d.VolOn = d.OIOn = 0;
             d.OpenCol = d.HiCol = d.LoCol = d.VolCol = d.OICol = 1;
             d.CloCol = 2;
         }, false},
    };
    for (const auto& c : cases) {
        CMessageBoxLog messages;
        int nDateFormat = 0;
        CSettingsDlg dlg(&nDateFormat);
        FillDefaults(dlg);
        c.change(dlg);
        dlg.OnInitDialog();
        dlg.OnOK();
        EXPECT_EQ(messages.Texts(), c.bRefused ? QStringList{kDuplicateMessage} : QStringList{}) << c.szCase;
        EXPECT_EQ(dlg.result() == QDialog::Accepted, !c.bRefused) << c.szCase;
    }
}

TEST_F(SettingsDlg, UncheckingAFieldLetsItsColumnRepeatAnother)
{
    m_dlg.OpenCol = 3;
    Show();
    ClickOK();
    EXPECT_EQ(m_messages.Texts(), QStringList{kDuplicateMessage});
    EXPECT_TRUE(m_dlg.isVisible()) << "the dialog stays open";

    Click(Check("HiOn"));
    ClickOK();
    EXPECT_EQ(m_messages.Texts().size(), 1);
    EXPECT_TRUE(Accepted());
    EXPECT_EQ(m_dlg.HiOn, 0);
}

TEST_F(SettingsDlg, NumberFieldsAdmitOnlyWholeNumbersInTheirRange)
{
    Show();
    // Typing keeps only digits and blanks, so a sign or a point never reaches the check.
    const struct {
        const char* szText;
        const char* szShown;
        bool bAccepted;
    } cases[] = {{"0", "0", false},    {"21", "21", false},  {"-1", "1", true},
                 {"abc", "", false},   {"", "", false},      {"1.5", "15", true},
                 {"+3", "3", true},    {"x-", "", false},    {"99999999999", "99999999999", false},
                 {"20", "20", true},   {" 8 ", " 8 ", true}, {"08", "08", true}};
    for (const auto& c : cases) {
        m_messages.Clear();
        Type(Number("OICol"), c.szText);
        EXPECT_EQ(Number("OICol")->Text(), QString::fromLatin1(c.szShown)) << c.szText;
        EXPECT_EQ(m_dlg.UpdateData(true), c.bAccepted) << "\"" << c.szText << "\"";
        EXPECT_EQ(m_messages.Texts(), c.bAccepted ? QStringList{} : QStringList{kRangeMessage}) << c.szText;
        if (!c.bAccepted) {
            EXPECT_EQ(FocusedControl(), Number("OICol")) << "the failing field takes the focus";
        }
    }
}

TEST_F(SettingsDlg, ARangeErrorIsReportedBeforeTheDuplicateCheckAndInFieldOrder)
{
    m_dlg.SkipOn = 1;
    Show();
    Type(Number("CloCol"), "0");
    Type(Number("DateCol"), "0");
    Type(Number("SkipRows"), "500");
    ClickOK();
    EXPECT_EQ(m_messages.Texts(), QStringList{kRangeMessage}) << "one message, and not the duplicate one";
    EXPECT_EQ(FocusedControl(), Number("DateCol"));

    Type(Number("DateCol"), "21");
    ClickOK();
    EXPECT_EQ(FocusedControl(), Number("DateCol"));
    Type(Number("DateCol"), "1");
    ClickOK();
    EXPECT_EQ(FocusedControl(), Number("CloCol"));
    Type(Number("CloCol"), "1");
    ClickOK();
    EXPECT_EQ(m_messages.Texts().last(), kSkipRangeMessage) << "Skip Rows comes after the columns";
    Type(Number("SkipRows"), "0");
    ClickOK();
    EXPECT_EQ(m_messages.Texts().last(), kDuplicateMessage);
    EXPECT_EQ(m_messages.Texts().size(), 5);
    EXPECT_FALSE(Accepted());
}

TEST_F(SettingsDlg, SkipRowsAdmitsUpTo200)
{
    m_dlg.SkipOn = 1;
    Show();
    Type(Number("SkipRows"), "201");
    ClickOK();
    EXPECT_EQ(m_messages.Texts(), QStringList{kSkipRangeMessage});
    EXPECT_EQ(Number("SkipRows")->Text(), "201") << "the field keeps what was typed";
    Type(Number("SkipRows"), "200");
    ClickOK();
    EXPECT_TRUE(Accepted());
    EXPECT_EQ(m_dlg.SkipRows, 200u);
}

TEST_F(SettingsDlg, TheArrowsStepWithinTheRangeAndTypingIsNeverClamped)
{
    Show();
    CSpinEdit* pField = Number("HiCol");
    Type(pField, "19");
    QTest::keyClick(pField, Qt::Key_Up);
    EXPECT_EQ(pField->Text(), "20");
    QTest::keyClick(pField, Qt::Key_Up);
    EXPECT_EQ(pField->Text(), "20");
    Type(pField, "abc");
    QTest::keyClick(pField, Qt::Key_Down);
    EXPECT_EQ(pField->Text(), "1");

    Type(pField, "25");
    QTest::keyClick(pField, Qt::Key_Tab);  // leaving the field corrects nothing
    EXPECT_EQ(pField->Text(), "25");
}

TEST_F(SettingsDlg, TheSymbolMustHoldMoreThanBlanksAndIsHandedBackInUpperCase)
{
    Show();
    Type(Edit("Symbol"), "   ");
    ClickOK();
    EXPECT_EQ(m_messages.Texts(), QStringList{kSymbolMessage});
    EXPECT_FALSE(Accepted());

    Type(Edit("Symbol"), " ibm ");
    ClickOK();
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(m_dlg.Symbol, " IBM") << "the leading blank stays, the trailing one goes";
    EXPECT_EQ(Edit("Symbol")->text(), " IBM");
}

TEST_F(SettingsDlg, SymbolAndNameTakeWindows1252CharactersOnlyAndTheSymbolKeepsItsLength)
{
    Show();
    const struct {
        const char* szField;
        QString text;
    } refused[] = {{"Symbol", QString::fromUtf8("\u03b1\u03b2\u03b3")}, {"Name", QString::fromUtf8("Caf\u00e9 \u65e5\u672c")}};
    for (const auto& c : refused) {
        m_messages.Clear();
        Edit(c.szField)->setText(c.text);  // typed through an input method: QTest types ASCII only
        ClickOK();
        ASSERT_EQ(m_messages.Texts().size(), 1) << c.szField;
        EXPECT_TRUE(m_messages.Texts()[0].contains(c.szField)) << m_messages.Texts()[0].toStdString();
        EXPECT_EQ(FocusedControl(), Edit(c.szField));
        EXPECT_FALSE(Accepted());
        Type(Edit(c.szField), "ok");
    }
    m_messages.Clear();
    Edit("Symbol")->setText(QString::fromUtf8("\u00e4bc\u00df\u00ff"));  // sharp s has no capital here
    Edit("Name")->setText(QString::fromUtf8("M\u00fcller Z\u00fcrich AG"));
    ClickOK();
    ASSERT_TRUE(Accepted()) << m_messages.Texts().join(" | ").toStdString();
    EXPECT_EQ(m_dlg.Symbol, QString::fromUtf8("\u00c4BC\u00df\u0178"));
    EXPECT_EQ(m_dlg.Name, QString::fromUtf8("M\u00fcller Z\u00fcrich AG"));
}

TEST_F(SettingsDlg, ThePathMustHoldMoreThanBlanksAndIsHandedBackAsTyped)
{
    Show();
    Type(Edit("Path"), "  ");
    Type(Edit("Symbol"), "msft");
    ClickOK();
    EXPECT_EQ(m_messages.Texts(), QStringList{kPathMessage});
    EXPECT_EQ(Edit("Symbol")->text(), "MSFT") << "the symbol is normalised before the path is checked";
    EXPECT_FALSE(Accepted());

    Type(Edit("Path"), " /data/out ");
    ClickOK();
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(m_dlg.Path, " /data/out ");
}

TEST_F(SettingsDlg, OKChecksColumnsThenSymbolThenPath)
{
    m_dlg.CloCol = 1;
    m_dlg.Symbol = "";
    m_dlg.Path = "";
    Show();
    ClickOK();
    Type(Number("CloCol"), "5");
    ClickOK();
    Type(Edit("Symbol"), "IBM");
    ClickOK();
    EXPECT_EQ(m_messages.Texts(), (QStringList{kDuplicateMessage, kSymbolMessage, kPathMessage}));
    EXPECT_EQ(m_nDateFormat, -7) << "nothing handed back before the checks pass";
    EXPECT_FALSE(Accepted());
}

TEST_F(SettingsDlg, TheStoredDateFormatSelectsTheFirstEntryThatBeginsWithIt)
{
    const struct {
        const char* szStored;
        const char* szShown;
        int nNumber;
    } cases[] = {
        {"MMDDYY", "MMDDYY", 9}, {"yymmdd", "YYMMDD", 7},     {"MM", "MM_DD_YY", 3}, {"DDMMCCYY", "DDMMCCYY", 12},
        {"JULIAN", "JULIAN", 0}, {"MMDDYYYY", "MMDDYYYY", 0}, {"", "YY_MM_DD", 1},
    };
    for (const auto& c : cases) {
        CMessageBoxLog messages;
        int nDateFormat = -1;
        CSettingsDlg dlg(&nDateFormat);
        FillDefaults(dlg);
        dlg.DateFormat = c.szStored;
        dlg.OnInitDialog();
        auto* pCombo = dlg.findChild<QComboBox*>("DateFormat");
        EXPECT_EQ(pCombo->currentIndex() + 1, c.nNumber) << "stored \"" << c.szStored << "\"";
        EXPECT_EQ(pCombo->currentText(), c.szShown) << "stored \"" << c.szStored << "\"";
        dlg.OnOK();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(nDateFormat, c.nNumber) << "stored \"" << c.szStored << "\"";
        EXPECT_EQ(dlg.DateFormat, c.szShown);
    }
}

TEST_F(SettingsDlg, ATypedDateFormatPrefixSelectsItsEntryOnOK)
{
    Show();
    EXPECT_EQ(Control<QComboBox>("DateFormat")->count(), 19);
    Type(DateFormatEdit(), "mmdd");
    ClickOK();
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(m_nDateFormat, 9);
    EXPECT_EQ(m_dlg.DateFormat, "MMDDYY");
}

TEST_F(SettingsDlg, UncheckingABoxDisablesItsFieldAndResetsIt)
{
    m_dlg.SkipOn = 1;
    m_dlg.SkipRows = 12;
    Show();
    const struct {
        const char* szBox;
        const char* szField;
        const char* szCleared;
    } boxes[] = {{"OpenOn", "OpenCol", "1"}, {"HiOn", "HiCol", "1"},     {"LoOn", "LoCol", "1"},
                 {"VolOn", "VolCol", "1"},   {"OIOn", "OICol", "1"},     {"SkipOn", "SkipRows", "0"}};
    for (const auto& box : boxes) {
        Click(Check(box.szBox));
        EXPECT_FALSE(Number(box.szField)->isEnabled()) << box.szBox;
        EXPECT_EQ(Number(box.szField)->Text(), box.szCleared) << box.szBox;
        Click(Check(box.szBox));
        EXPECT_TRUE(Number(box.szField)->isEnabled()) << box.szBox;
        EXPECT_EQ(Number(box.szField)->Text(), box.szCleared) << box.szBox;
    }
    EXPECT_TRUE(m_messages.Texts().isEmpty());
}

TEST_F(SettingsDlg, ACheckBoxChecksTheFieldsFirst)
{
    Show();
    Type(Number("DateCol"), "abc");
    Click(Check("VolOn"));
    EXPECT_EQ(m_messages.Texts(), QStringList{kRangeMessage});
    EXPECT_FALSE(Number("VolCol")->isEnabled()) << "the box's new state counts all the same";
    EXPECT_EQ(Number("VolCol")->Text(), "1");
}

TEST_F(SettingsDlg, TextLimitsHoldWhileTyping)
{
    Show();
    const struct {
        QWidget* pField;
        QLineEdit* pEdit;
        int nLimit;
    } fields[] = {{Edit("Name"), Edit("Name"), 16},
                  {Edit("Path"), Edit("Path"), 200},
                  {Edit("Symbol"), Edit("Symbol"), 16},
                  {DateFormatEdit(), DateFormatEdit(), 12}};
    for (const auto& field : fields) {
        Type(field.pField, QString(field.nLimit + 5, u'a'));
        EXPECT_EQ(field.pEdit->text().size(), field.nLimit) << field.pEdit->objectName().toStdString();
    }
}

TEST_F(SettingsDlg, ALongerTextFromTheOwnerIsShownWholeAndRefused)
{
    const QString strLongPath = "/" + QString(209, u'p');
    m_dlg.Path = strLongPath;
    Show();
    EXPECT_EQ(Edit("Path")->text(), strLongPath) << "nothing is cut unseen";
    ClickOK();
    EXPECT_EQ(m_messages.Texts(), QStringList{"Please enter no more than 200 characters."});
    EXPECT_EQ(FocusedControl(), Edit("Path"));
    EXPECT_FALSE(Accepted());
}

TEST_F(SettingsDlg, CancelLeavesEveryValueAsItWas)
{
    Show();
    Type(Edit("Symbol"), "MSFT");
    Type(Number("DateCol"), "9");
    Type(DateFormatEdit(), "DDMMYY");
    Click(Control<QRadioButton>("MakeNew"));
    Click(Control<QPushButton>("Cancel"));
    EXPECT_EQ(m_dlg.result(), QDialog::Rejected);
    EXPECT_EQ(m_dlg.Symbol, "IBM");
    EXPECT_EQ(m_dlg.DateCol, 1u);
    EXPECT_EQ(m_dlg.DateFormat, "MMDDYY");
    EXPECT_EQ(m_dlg.Exist, 0);
    EXPECT_EQ(m_nDateFormat, -7);
}

TEST_F(SettingsDlg, FocusStartsOnOKAndTabFollowsTheListedOrder)
{
    Show();
    EXPECT_EQ(FocusedControl(), Control<QPushButton>("OK"));
    const char* const order[] = {"Cancel",  "DateCol", "OpenOn", "OpenCol",    "HiOn",   "HiCol",    "LoOn",
                                 "LoCol",   "CloCol",  "VolOn",  "VolCol",     "OIOn",   "OICol",    "TickerOn", "Comma", "DateFormat",
                                 "SkipOn",  "Path",    "Browse", "UseExisting", "Symbol",     "Name",   "Daily",
                                 "DecimalComma", "TimeFrame", "Detect", "OK"};
    // Skip Rows' and the ticker's fields are disabled here, so Tab passes them by.
    for (const char* szName : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* pFocus = FocusedControl();
        ASSERT_NE(pFocus, nullptr);
        EXPECT_EQ(pFocus->objectName().toStdString(), szName);
    }
}

TEST_F(SettingsDlg, EachRadioGroupIsOneTabStopAtItsSelectedButtonAndArrowsMoveWithin)
{
    m_dlg.Delimiter = 2;
    m_dlg.Exist = 1;
    Show();
    const struct {
        const char* szBefore;   // the control before the group in the Tab order
        const char* szEntered;  // the selected button, where Tab lands
        const char* szAfter;    // where the next Tab goes
        Qt::Key arrow;
        const char* szArrowed;  // the button the arrow moves to
    } groups[] = {{"TickerOn", "Space", "DateFormat", Qt::Key_Right, "Semicolon"},
                  {"Browse", "MakeNew", "Symbol", Qt::Key_Left, "UseExisting"}};
    for (const auto& group : groups) {
        QWidget* pBefore = m_dlg.findChild<QWidget*>(group.szBefore);
        pBefore->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(FocusedControl()->objectName().toStdString(), group.szEntered);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(FocusedControl()->objectName().toStdString(), group.szAfter) << "the group is one stop";
        pBefore->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), group.arrow);
        EXPECT_EQ(FocusedControl()->objectName().toStdString(), group.szArrowed);
        EXPECT_TRUE(Control<QRadioButton>(group.szArrowed)->isChecked()) << "the arrow selects as it moves";
    }
}

TEST_F(SettingsDlg, EveryButtonAndLabelledFieldHasItsOwnMnemonicAndTheSymbolShowsSixteenWideLetters)
{
    QStringList mnemonics;
    auto collect = [&](const QString& strText) {
        const qsizetype nAmpersand = strText.indexOf(u'&');
        if (nAmpersand >= 0)
            mnemonics << strText.mid(nAmpersand + 1, 1).toUpper();
    };
    for (const QAbstractButton* pButton : m_dlg.findChildren<QAbstractButton*>())
        collect(pButton->text());
    QStringList buddies;
    for (const QLabel* pLabel : m_dlg.findChildren<QLabel*>()) {
        if (pLabel->buddy()) {
            collect(pLabel->text());
            buddies << pLabel->buddy()->objectName();
        }
    }
    mnemonics.sort();
    buddies.sort();
    EXPECT_EQ(mnemonics, (QStringList{"A", "B", "C", "D", "E", "F", "I", "K", "L", "M", "N", "O", "P", "R", "S", "T", "Y"}));
    EXPECT_EQ(buddies, (QStringList{"DateFormat", "Name", "Path", "Symbol", "TimeFrame"}));

    Show();
    QLineEdit* pSymbol = Edit("Symbol");
    pSymbol->setText(QString(16, u'W'));
    pSymbol->home(false);
    const QRect inside = pSymbol->contentsRect();
    EXPECT_EQ(pSymbol->cursorPositionAt(QPoint(inside.right() - 2, inside.center().y())), 16);
}

TEST_F(SettingsDlg, EnterInAFieldPressesOK)
{
    for (const char* szField : {"Symbol", "DateCol", "DateFormat"}) {
        CMessageBoxLog messages;
        int nDateFormat = 0;
        CSettingsDlg dlg(&nDateFormat);
        FillDefaults(dlg);
        dlg.show();
        dlg.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
        QWidget* pField = dlg.findChild<QWidget*>(szField);
        pField->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(dlg.result(), QDialog::Accepted) << szField;
        EXPECT_FALSE(dlg.isVisible()) << szField;
    }
}

// Runs fn on the chooser once it is shown modally over the dialog; *pbLooked tells that the look was made.
void OnChooser(std::function<void(CChooseDir&)> fn, bool* pbShown, bool* pbLooked = nullptr)
{
    QTimer::singleShot(0, [fn, pbShown, pbLooked] {
        auto* pChooser = qobject_cast<CChooseDir*>(QApplication::activeModalWidget());
        if (pbShown)
            *pbShown = pChooser != nullptr;
        if (pChooser)
            fn(*pChooser);
        else if (QApplication::activeModalWidget())
            QApplication::activeModalWidget()->close();
        if (pbLooked)
            *pbLooked = true;
    });
}

TEST_F(SettingsDlg, BrowseWritesTheChosenDirectoryIntoThePath)
{
    CTempDir dir;
    const QString strChosen = QString::fromStdString(dir / "new");
    const QString strBefore = QString::fromStdString(dir.Path().string());
    m_dlg.Path = strBefore;
    Show();
    bool bShown = false;
    QString strStart;
    OnChooser(
        [&](CChooseDir& chooser) {
            strStart = chooser.ShownDirectory();
            chooser.findChild<QLineEdit*>("DirectoryName")->setText(strChosen);
            chooser.OnOK();
        },
        &bShown);
    Click(Control<QPushButton>("Browse"));
    EXPECT_TRUE(bShown);
    EXPECT_EQ(strStart, strBefore) << "the chooser starts in the current path";
    EXPECT_EQ(m_dlg.Path, strChosen);
    EXPECT_EQ(Edit("Path")->text(), strChosen);
    EXPECT_EQ(m_messages.Texts().size(), 1) << "the question whether to create it";
}

TEST_F(SettingsDlg, CancelInTheChooserKeepsThePath)
{
    Show();
    Type(Edit("Path"), "/typed/path");
    bool bShown = false;
    OnChooser([](CChooseDir& chooser) { chooser.reject(); }, &bShown);
    Click(Control<QPushButton>("Browse"));
    EXPECT_TRUE(bShown);
    EXPECT_EQ(Edit("Path")->text(), "/typed/path");
    EXPECT_TRUE(m_messages.Texts().isEmpty());
}

TEST_F(SettingsDlg, BrowseDoesNotOpenTheChooserWhileAFieldIsWrong)
{
    Show();
    Type(Number("LoCol"), "30");
    bool bShown = true;
    bool bLooked = false;
    OnChooser([](CChooseDir& chooser) { chooser.reject(); }, &bShown, &bLooked);
    Click(Control<QPushButton>("Browse"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bLooked; })) << "the look for a chooser never ran";
    EXPECT_FALSE(bShown);
    EXPECT_EQ(m_messages.Texts(), QStringList{kRangeMessage});
}

}  // namespace

namespace {

TEST(SettingsDlgFit, SettingsThatDoNotFitAskWithNoAsTheDefaultAndNameTheDelimiter)
{
    CTempDir dir;
    const struct {
        const char* szFile;
        const char* szFirstLine;  // empty: no question
    } cases[] = {
        {"01/02/2024;10;11;9;10.5;100;5\n", "The settings do not fit this file: row 1 has 1 column: is the delimiter right?"},
        {"01/02/2024,10,11\n", "The settings do not fit this file: row 1 has 3 columns, but Low is set to column 4."},
        {"2024-01-02,10,11,9,10.5,100,5\n", "The settings do not fit this file: the date \"2024-01-02\" in row 1 is not in the format MMDDYY."},
        {"010224,10,11,9,10.5,100,5\n", ""},
    };
    for (const auto& c : cases) {
        WriteText(dir.Path() / "in.csv", c.szFile);
        CMessageBoxLog messages(EMessageAnswer::No);
        int nDateFormat = 0;
        CSettingsDlg dlg(&nDateFormat);
        FillDefaults(dlg);
        dlg.m_strInputPath = QString::fromStdString((dir.Path() / "in.csv").string());
        dlg.OnInitDialog();
        dlg.OnOK();
        if (*c.szFirstLine == '\0') {
            EXPECT_TRUE(messages.Texts().isEmpty()) << c.szFile;
            continue;
        }
        ASSERT_EQ(messages.Texts().size(), 1) << c.szFile;
        const QStringList lines = messages.Texts()[0].split(u'\n');
        EXPECT_EQ(lines.value(0).toStdString(), c.szFirstLine);
        EXPECT_TRUE(lines.value(1).contains("Detect")) << "points to Detect";
        EXPECT_EQ(messages.Buttons(), std::vector<EMessageButtons>{EMessageButtons::YesNoDefaultNo});
        EXPECT_NE(dlg.result(), QDialog::Accepted) << "No keeps the dialog open";
    }
}

}  // namespace
