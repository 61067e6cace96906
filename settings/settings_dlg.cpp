#include "settings/settings_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>

#include <algorithm>
#include <iterator>

#include "engine/conversion_settings.h"
#include "engine/date_formats.h"
#include "engine/layout_detection.h"
#include "settings/choose_dir.h"
#include "settings/dialog_units.h"
#include "settings/engine_path.h"
#include "settings/help_request.h"
#include "settings/message_box.h"
#include "settings/spin_edit.h"

using namespace engine;
using engine::ESetting;

namespace settings {

namespace {


// The limit holds while typing. A longer text given by the owner is shown whole rather than cut, so that
// nothing is lost unseen; the check on the way back then refuses it.
void SetLimitedText(QLineEdit* pEdit, const QString& strText, int nMaxLength)
{
    pEdit->setMaxLength(std::max<int>(nMaxLength, static_cast<int>(strText.size())));
    pEdit->setText(strText);
}

// The width of a line edit that shows nCount of the font's widest letters.
int WidthForCharacters(const QWidget& dialog, int nCount)
{
    QLineEdit probe;
    probe.setFont(dialog.font());
    const QMargins margins = probe.textMargins();
    const int nFrame = probe.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &probe);
    const int nHorizontalMargin = 2;  // QLineEdit's own, on each side of the text
    return probe.fontMetrics().horizontalAdvance(QString(nCount, u'W')) + margins.left() + margins.right() +
           2 * (nFrame + nHorizontalMargin) + 2;
}

// Checks the button of the group whose id is nId; none when no button has it.
void SetRadio(QButtonGroup* pGroup, int nId)
{
    pGroup->setExclusive(false);
    for (QAbstractButton* pButton : pGroup->buttons())
        pButton->setChecked(pGroup->id(pButton) == nId);
    pGroup->setExclusive(true);
}

// The question about settings that do not fit. A first row read as one column nearly always means the
// wrong delimiter, and says so; every answer points to Detect.
QString MisfitQuestion(const QString& strReason)
{
    static const QRegularExpression oneColumn(QStringLiteral("^row (\\d+) has 1 column,"));
    const QRegularExpressionMatch match = oneColumn.match(strReason);
    const QString strWhy = match.hasMatch()
                               ? QStringLiteral("row %1 has 1 column: is the delimiter right?").arg(match.captured(1))
                               : strReason + u'.';
    return QStringLiteral("The settings do not fit this file: %1\n"
                          "Detect fills in the input settings from what the file looks like.\nConvert anyway?")
        .arg(strWhy);
}

}  // namespace

CSettingsDlg::CSettingsDlg(int* pDateFormat, QWidget* pParent) : QDialog(pParent), m_pDateFormat(pDateFormat)
{
    setWindowTitle(QStringLiteral("Conversion Settings"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    CreateControls();
    SetTabOrder();
    ConnectHandlers();
    AddHelpKey(this, kSettingsHelpPage);
}

CSettingsDlg::~CSettingsDlg() = default;

void CSettingsDlg::CreateControls()
{
    const CDialogUnits du(font());
    // The Symbol field shows all its 16 characters, wide ones too; the dialog grows to the right by what
    // that takes beyond the field's 65 units.
    const int nSymbolWidth = std::max(du.X(65), WidthForCharacters(*this, kMaxSymbolLength));
    const int nWiden = nSymbolWidth - du.X(65);
    auto widened = [&](QRect rect) { return rect.adjusted(0, 0, nWiden, 0); };
    auto shifted = [&](QRect rect) { return rect.translated(nWiden, 0); };
    // The four groups stand 2 units apart and the buttons close below them, so that the dialog fits under
    // a preview on a 768-line screen; rect() moves each control up by what its group saves.
    auto rect = [&](int x, int y, int cx, int cy) {
        const int nSaved = y < 55 ? 1 : y < 105 ? 4 : y < 155 ? 7 : y < 205 ? 10 : 13;
        return du.Rect(x, y - nSaved, cx, cy);
    };
    setFixedSize(du.Size(342, 230) + QSize(nWiden, 0));

    auto group = [&](const char* szCaption, int y) {
        auto* pBox = new QGroupBox(QString::fromLatin1(szCaption), this);
        pBox->setGeometry(widened(rect(5, y, 330, 45)));
    };
    auto label = [&](const char* szText, QRect rect, QWidget* pBuddy = nullptr) {
        auto* pLabel = new QLabel(QString::fromLatin1(szText), this);
        pLabel->setGeometry(rect);
        pLabel->setBuddy(pBuddy);
    };
    auto check = [&](const char* szText, const char* szName, QRect rect) {
        auto* pBox = new QCheckBox(QString::fromLatin1(szText), this);
        pBox->setObjectName(QString::fromLatin1(szName));
        pBox->setGeometry(rect);
        return pBox;
    };
    // A number edit 30 units wide with its arrow pair, 9 units, at its right edge.
    auto number = [&](const char* szName, int x, int y, unsigned int nMin, unsigned int nMax) {
        auto* pEdit = new CSpinEdit(this);
        pEdit->setObjectName(QString::fromLatin1(szName));
        pEdit->SetRange(static_cast<int>(nMin), static_cast<int>(nMax));
        pEdit->setGeometry(rect(x, y, 39, 15));
        return pEdit;
    };
    auto radio = [&](const char* szText, const char* szName, QRect rect, QButtonGroup* pGroup, int nId) {
        auto* pButton = new QRadioButton(QString::fromLatin1(szText), this);
        pButton->setObjectName(QString::fromLatin1(szName));
        pButton->setGeometry(rect);
        pButton->setFocusPolicy(Qt::ClickFocus);  // the Tab key passes the radio groups by
        pGroup->addButton(pButton, nId);
        return pButton;
    };
    auto edit = [&](const char* szName, QRect rect) {
        auto* pEdit = new QLineEdit(this);
        pEdit->setObjectName(QString::fromLatin1(szName));
        pEdit->setGeometry(rect);
        return pEdit;
    };
    auto button = [&](const char* szText, const char* szName, QRect rect) {
        auto* pButton = new QPushButton(QString::fromLatin1(szText), this);
        pButton->setObjectName(QString::fromLatin1(szName));
        pButton->setGeometry(rect);
        return pButton;
    };

    group("Input File: Supported Fields and Column Assignments", 5);
    group("Input File: Detail Settings", 55);
    group("Output File: Path to Output Files", 105);
    group("Output File: Detail Settings", 155);

    label("Date", rect(15, 20, 40, 10));
    m_checkOpenOn = check("Open", "OpenOn", rect(60, 20, 40, 10));
    m_checkHiOn = check("High", "HiOn", rect(105, 20, 40, 10));
    m_checkLoOn = check("Low", "LoOn", rect(150, 20, 40, 10));
    label("Close", rect(195, 20, 40, 10));
    m_checkVolOn = check("Volume", "VolOn", rect(240, 20, 42, 10));
    m_checkOIOn = check("Open Int", "OIOn", rect(285, 20, 45, 10));
    m_editDateCol = number("DateCol", 15, 30, kMinColumn, kMaxColumn);
    m_editOpenCol = number("OpenCol", 60, 30, kMinColumn, kMaxColumn);
    m_editHiCol = number("HiCol", 105, 30, kMinColumn, kMaxColumn);
    m_editLoCol = number("LoCol", 150, 30, kMinColumn, kMaxColumn);
    m_editCloCol = number("CloCol", 195, 30, kMinColumn, kMaxColumn);
    m_editVolCol = number("VolCol", 240, 30, kMinColumn, kMaxColumn);
    m_editOICol = number("OICol", 285, 30, kMinColumn, kMaxColumn);

    label("Which Column Delimiter Character?", rect(15, 70, 134, 10));
    m_groupDelimiter = new QButtonGroup(this);
    m_radioComma = radio("&Comma", "Comma", rect(15, 85, 38, 10), m_groupDelimiter, 0);
    m_radioTab = radio("&Tab", "Tab", rect(55, 85, 28, 10), m_groupDelimiter, 1);
    m_radioSpace = radio("&Space", "Space", rect(85, 85, 34, 10), m_groupDelimiter, 2);
    m_radioSemicolon = radio("Semico&lon", "Semicolon", rect(121, 85, 50, 10), m_groupDelimiter, 3);
    m_comboDateFormat = new QComboBox(this);
    label("Date &Format", rect(175, 70, 75, 10), m_comboDateFormat);
    m_comboDateFormat->setObjectName(QStringLiteral("DateFormat"));
    m_comboDateFormat->setGeometry(rect(175, 80, 75, 15));
    m_comboDateFormat->setEditable(true);
    m_comboDateFormat->setInsertPolicy(QComboBox::NoInsert);
    m_comboDateFormat->setCompleter(nullptr);  // the text part holds what was typed, nothing more
    m_comboDateFormat->setMaxVisibleItems(kDateFormatCount);
    for (const char* szName : kDateFormatNames)
        m_comboDateFormat->addItem(QString::fromLatin1(szName));
    m_checkSkipOn = check("Skip &Rows", "SkipOn", rect(260, 70, 65, 10));
    m_editSkipRows = number("SkipRows", 260, 80, 0, kMaxSkipRows);

    m_editPath = edit("Path", widened(rect(15, 130, 240, 15)));
    label("Directory &Path", rect(15, 120, 240, 10), m_editPath);
    m_buttonBrowse = button("&Browse...", "Browse", shifted(rect(260, 130, 65, 15)));

    label("How to use a Master File in this Directory?", rect(15, 170, 174, 10));
    m_groupExist = new QButtonGroup(this);
    m_radioUseExisting = radio("Use &Existing Master", "UseExisting", rect(15, 185, 84, 10), m_groupExist, 0);
    m_radioMakeNew = radio("Make &New Master", "MakeNew", rect(100, 185, 85, 10), m_groupExist, 1);
    m_editSymbol = edit("Symbol", widened(rect(190, 180, 65, 15)));
    label("S&ymbol", rect(190, 170, 65, 10), m_editSymbol);
    m_editName = edit("Name", shifted(rect(260, 180, 65, 15)));
    label("N&ame", shifted(rect(260, 170, 65, 10)), m_editName);

    m_buttonDetect = button("&Detect", "Detect", rect(5, 210, 50, 14));
    m_buttonDetect->setToolTip(QStringLiteral("Fill in the input file's settings from what the file looks like"));
    m_buttonOK = button("OK", "OK", shifted(rect(230, 210, 50, 14)));
    m_buttonOK->setDefault(true);
    m_buttonCancel = button("Cancel", "Cancel", shifted(rect(285, 210, 50, 14)));
    // How the numbers and the bars of the input are read, below the buttons.
    m_checkDaily = check("Combine &intraday bars into days", "Daily", rect(5, 228, 130, 10));
    m_checkDecimalComma = check("Decimal co&mma", "DecimalComma", rect(140, 228, 70, 10));
}

void CSettingsDlg::SetTabOrder()
{
    QWidget* const order[] = {
        m_buttonOK,    m_buttonCancel,    m_editDateCol, m_checkOpenOn,  m_editOpenCol,  m_checkHiOn,
        m_editHiCol,   m_checkLoOn,       m_editLoCol,   m_editCloCol,   m_checkVolOn,   m_editVolCol,
        m_checkOIOn,   m_editOICol,       m_comboDateFormat, m_checkSkipOn, m_editSkipRows, m_editPath,
        m_buttonBrowse, m_editSymbol,     m_editName,    m_buttonDetect, m_checkDaily, m_checkDecimalComma,
    };
    for (auto it = std::begin(order); std::next(it) != std::end(order); ++it)
        QWidget::setTabOrder(*it, *std::next(it));
}

void CSettingsDlg::ConnectHandlers()
{
    connect(m_buttonOK, &QPushButton::clicked, this, &CSettingsDlg::OnOK);
    connect(m_buttonCancel, &QPushButton::clicked, this, &CSettingsDlg::reject);
    connect(m_buttonBrowse, &QPushButton::clicked, this, &CSettingsDlg::OnBrowse);
    connect(m_buttonDetect, &QPushButton::clicked, this, &CSettingsDlg::OnDetect);
    connect(m_checkSkipOn, &QCheckBox::clicked, this, &CSettingsDlg::OnSkipOn);
    connect(m_checkOpenOn, &QCheckBox::clicked, this, &CSettingsDlg::OnOpenOn);
    connect(m_checkHiOn, &QCheckBox::clicked, this, &CSettingsDlg::OnHiOn);
    connect(m_checkLoOn, &QCheckBox::clicked, this, &CSettingsDlg::OnLoOn);
    connect(m_checkVolOn, &QCheckBox::clicked, this, &CSettingsDlg::OnVolOn);
    connect(m_checkOIOn, &QCheckBox::clicked, this, &CSettingsDlg::OnOIOn);
    for (QCheckBox* pBox : {m_checkOpenOn, m_checkHiOn, m_checkLoOn, m_checkVolOn, m_checkOIOn, m_checkSkipOn})
        connect(pBox, &QCheckBox::toggled, this, &CSettingsDlg::InputSettingsChanged);
    for (CSpinEdit* pEdit : {m_editDateCol, m_editOpenCol, m_editHiCol, m_editLoCol, m_editCloCol, m_editVolCol,
                             m_editOICol, m_editSkipRows})
        connect(pEdit, &CSpinEdit::TextChanged, this, &CSettingsDlg::InputSettingsChanged);
    connect(m_groupDelimiter, &QButtonGroup::idToggled, this, &CSettingsDlg::InputSettingsChanged);
    connect(m_comboDateFormat, &QComboBox::currentTextChanged, this, &CSettingsDlg::InputSettingsChanged);
}

ConversionSettings CSettingsDlg::ShownInputSettings() const
{
    auto number = [](const CSpinEdit* pEdit) { return pEdit->Text().trimmed().toInt(); };
    ConversionSettings settings;
    settings.DateFormat = m_comboDateFormat->currentText().toStdString();
    settings.Delimiter = m_groupDelimiter->checkedId();
    settings.SkipOn = m_checkSkipOn->isChecked() ? 1 : 0;
    settings.SkipRows = number(m_editSkipRows);
    const bool bOn[metastock::kFieldCount] = {true,  m_checkOpenOn->isChecked(), m_checkHiOn->isChecked(),
                                              m_checkLoOn->isChecked(), true, m_checkVolOn->isChecked(),
                                              m_checkOIOn->isChecked()};
    const CSpinEdit* const pColumn[metastock::kFieldCount] = {m_editDateCol, m_editOpenCol, m_editHiCol, m_editLoCol,
                                                              m_editCloCol,  m_editVolCol,  m_editOICol};
    for (int nField = 0; nField < metastock::kFieldCount; ++nField)
        SetField(settings, nField, bOn[nField], number(pColumn[nField]));
    return settings;
}

int CSettingsDlg::DoModal()
{
    return exec();
}

void CSettingsDlg::showEvent(QShowEvent* pEvent)
{
    if (!m_bInitialised)
        OnInitDialog();
    QDialog::showEvent(pEvent);
}

void CSettingsDlg::done(int nResult)
{
    m_bInitialised = false;  // a later showing starts again from the members
    QDialog::done(nResult);
}

void CSettingsDlg::OnInitDialog()
{
    m_bInitialised = true;
    UpdateData(false);
    EnableNumberFields();
    m_buttonOK->setFocus();
}

bool CSettingsDlg::Fail(QWidget* pField, const QString& strMessage)
{
    ShowMessageBox(strMessage, EMessageButtons::Ok, this);
    pField->setFocus();
    if (auto* pEdit = qobject_cast<QLineEdit*>(pField))
        pEdit->selectAll();
    else if (auto* pSpin = qobject_cast<CSpinEdit*>(pField))
        pSpin->selectAll();
    else if (auto* pCombo = qobject_cast<QComboBox*>(pField))
        pCombo->lineEdit()->selectAll();
    return false;
}

// An unsigned whole number within the setting's limits; blanks around it are allowed. A text that is no
// such number gets the setting's range message.
bool CSettingsDlg::SaveNumber(CSpinEdit* pEdit, ESetting eField, unsigned int& nValue)
{
    const QString strText = pEdit->Text().trimmed();
    bool bNumber = !strText.isEmpty() && strText.size() <= 9;
    for (const QChar c : strText)
        bNumber = bNumber && c >= u'0' && c <= u'9';
    ConversionSettings probe;
    const int nNumber = bNumber ? strText.toInt() : -1;
    probe.SkipRows = nNumber;
    for (int nField = 0; nField < metastock::kFieldCount; ++nField)
        SetField(probe, nField, true, nNumber);
    const SettingsCheck check = CheckSetting(probe, eField);
    if (check.Failed())
        return Fail(pEdit, QString::fromStdString(check.strMessage));
    nValue = static_cast<unsigned int>(nNumber);
    return true;
}

bool CSettingsDlg::SaveText(QLineEdit* pEdit, ESetting eField, QString& strValue)
{
    const QString strText = pEdit->text();
    ConversionSettings probe;
    const std::string text = strText.toStdString();
    probe.Name = probe.Path = probe.Symbol = probe.DateFormat = text;
    const SettingsCheck check = CheckSetting(probe, eField);
    if (check.Failed()) {
        QWidget* pField = pEdit == m_comboDateFormat->lineEdit() ? static_cast<QWidget*>(m_comboDateFormat) : pEdit;
        return Fail(pField, QString::fromStdString(check.strMessage));
    }
    strValue = strText;
    return true;
}

ConversionSettings CSettingsDlg::Settings() const
{
    ConversionSettings settings;
    settings.DateFormat = DateFormat.toStdString();
    settings.Exist = Exist;
    settings.Delimiter = Delimiter;
    settings.Path = Path.toStdString();
    settings.Symbol = Symbol.toStdString();
    settings.Name = Name.toStdString();
    settings.SkipOn = SkipOn;
    settings.SkipRows = static_cast<int>(SkipRows);
    settings.DecimalComma = DecimalComma != 0;
    settings.Daily = Daily != 0;
    const int bOn[metastock::kFieldCount] = {1, OpenOn, HiOn, LoOn, 1, VolOn, OIOn};
    const unsigned int nColumn[metastock::kFieldCount] = {DateCol, OpenCol, HiCol, LoCol, CloCol, VolCol, OICol};
    for (int nField = 0; nField < metastock::kFieldCount; ++nField)
        SetField(settings, nField, bOn[nField] != 0, static_cast<int>(nColumn[nField]));
    return settings;
}

void CSettingsDlg::SetSettings(const ConversionSettings& settings)
{
    SetInputSettings(settings);
    Exist = settings.Exist;
    Path = QString::fromStdString(settings.Path);
    Symbol = QString::fromStdString(settings.Symbol);
    Name = QString::fromStdString(settings.Name);
}

void CSettingsDlg::SetInputSettings(const ConversionSettings& settings)
{
    DateFormat = QString::fromStdString(settings.DateFormat);
    Delimiter = settings.Delimiter;
    DecimalComma = settings.DecimalComma ? 1 : 0;
    Daily = settings.Daily ? 1 : 0;
    SkipOn = settings.SkipOn;
    SkipRows = static_cast<unsigned int>(std::max(0, settings.SkipRows));
    int* const pOn[metastock::kFieldCount] = {nullptr, &OpenOn, &HiOn, &LoOn, nullptr, &VolOn, &OIOn};
    unsigned int* const pColumn[metastock::kFieldCount] = {&DateCol, &OpenCol, &HiCol, &LoCol,
                                                            &CloCol,  &VolCol,  &OICol};
    for (int nField = 0; nField < metastock::kFieldCount; ++nField) {
        if (pOn[nField])
            *pOn[nField] = FieldOn(settings, nField) ? 1 : 0;
        *pColumn[nField] = static_cast<unsigned int>(std::max(0, FieldColumn(settings, nField)));
    }
}

bool CSettingsDlg::UpdateData(bool bSaveAndValidate)
{
    if (!bSaveAndValidate) {
        ShowInputFields();
        SetRadio(m_groupExist, Exist);
        SetLimitedText(m_editName, Name, kMaxNameLength);
        SetLimitedText(m_editPath, Path, kMaxPathLength);
        SetLimitedText(m_editSymbol, Symbol, kMaxSymbolLength);
        return true;
    }

    HiOn = m_checkHiOn->isChecked() ? 1 : 0;
    LoOn = m_checkLoOn->isChecked() ? 1 : 0;
    OIOn = m_checkOIOn->isChecked() ? 1 : 0;
    OpenOn = m_checkOpenOn->isChecked() ? 1 : 0;
    VolOn = m_checkVolOn->isChecked() ? 1 : 0;
    if (!SaveNumber(m_editDateCol, ESetting::DateCol, DateCol) || !SaveNumber(m_editOpenCol, ESetting::OpenCol, OpenCol) ||
        !SaveNumber(m_editHiCol, ESetting::HiCol, HiCol) || !SaveNumber(m_editLoCol, ESetting::LoCol, LoCol) ||
        !SaveNumber(m_editCloCol, ESetting::CloCol, CloCol) || !SaveNumber(m_editVolCol, ESetting::VolCol, VolCol) ||
        !SaveNumber(m_editOICol, ESetting::OICol, OICol))
        return false;
    Exist = m_groupExist->checkedId();
    if (!SaveText(m_editName, ESetting::Name, Name) || !SaveText(m_editPath, ESetting::Path, Path) ||
        !SaveText(m_editSymbol, ESetting::Symbol, Symbol) || !SaveNumber(m_editSkipRows, ESetting::SkipRows, SkipRows))
        return false;
    SkipOn = m_checkSkipOn->isChecked() ? 1 : 0;
    Delimiter = m_groupDelimiter->checkedId();
    DecimalComma = m_checkDecimalComma->isChecked() ? 1 : 0;
    Daily = m_checkDaily->isChecked() ? 1 : 0;
    return SaveText(m_comboDateFormat->lineEdit(), ESetting::DateFormat, DateFormat);
}

// The two input-file groups, each number field enabled by its check box.
void CSettingsDlg::ShowInputFields()
{
    m_checkHiOn->setChecked(HiOn != 0);
    m_checkLoOn->setChecked(LoOn != 0);
    m_checkOIOn->setChecked(OIOn != 0);
    m_checkOpenOn->setChecked(OpenOn != 0);
    m_checkVolOn->setChecked(VolOn != 0);
    m_editDateCol->SetText(QString::number(DateCol));
    m_editOpenCol->SetText(QString::number(OpenCol));
    m_editHiCol->SetText(QString::number(HiCol));
    m_editLoCol->SetText(QString::number(LoCol));
    m_editCloCol->SetText(QString::number(CloCol));
    m_editVolCol->SetText(QString::number(VolCol));
    m_editOICol->SetText(QString::number(OICol));
    m_editSkipRows->SetText(QString::number(SkipRows));
    m_checkSkipOn->setChecked(SkipOn != 0);
    SetRadio(m_groupDelimiter, Delimiter);
    m_checkDecimalComma->setChecked(DecimalComma != 0);
    m_checkDaily->setChecked(Daily != 0);
    ShowDateFormat();
}

void CSettingsDlg::EnableNumberFields()
{
    m_editSkipRows->setEnabled(SkipOn != 0);
    m_editOpenCol->setEnabled(OpenOn != 0);
    m_editHiCol->setEnabled(HiOn != 0);
    m_editLoCol->setEnabled(LoOn != 0);
    m_editVolCol->setEnabled(VolOn != 0);
    m_editOICol->setEnabled(OIOn != 0);
}

// The first entry whose name begins with the text, in any case, is selected and shown; when none does,
// the text stands alone with no entry selected.
void CSettingsDlg::ShowDateFormat()
{
    int nIndex = -1;
    for (int i = 0; i < m_comboDateFormat->count() && nIndex < 0; ++i)
        if (m_comboDateFormat->itemText(i).startsWith(DateFormat, Qt::CaseInsensitive))
            nIndex = i;
    m_comboDateFormat->setCurrentIndex(nIndex);
    SetLimitedText(m_comboDateFormat->lineEdit(), nIndex < 0 ? DateFormat : m_comboDateFormat->itemText(nIndex),
                   kMaxDateFormatLength);
}

void CSettingsDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    // Every field has passed its own check; what is left is the columns, the symbol and the path.
    const SettingsCheck check = CheckSettings(Settings());
    if (check.eFault == ESettingsFault::DuplicateColumn || check.eFault == ESettingsFault::EmptySymbol) {
        ShowMessageBox(QString::fromStdString(check.strMessage), EMessageButtons::Ok, this);
        if (check.eFault == ESettingsFault::EmptySymbol)
            m_editSymbol->setFocus();
        return;
    }
    Symbol = QString::fromStdString(NormalisedSymbol(Symbol.toStdString()));
    UpdateData(false);  // the user sees the normalised symbol and the date format chosen by its prefix
    if (check.eFault == ESettingsFault::EmptyPath) {
        ShowMessageBox(QString::fromStdString(check.strMessage), EMessageButtons::Ok, this);
        m_editPath->setFocus();
        return;
    }
    if (!UpdateData(true))
        return;
    const int nDateFormat = m_comboDateFormat->currentIndex() + 1;
    if (!ConfirmFit(nDateFormat))
        return;
    if (m_pDateFormat)
        *m_pDateFormat = nDateFormat;
    accept();
}

// Settings that disagree with the input file are run only when the user says so.
bool CSettingsDlg::ConfirmFit(int nDateFormat)
{
    if (m_strInputPath.isEmpty())
        return true;
    const std::string reason =
        SettingsMisfit(Settings(), EnginePath(m_strInputPath), nDateFormat);
    if (reason.empty())
        return true;
    return ShowMessageBox(MisfitQuestion(QString::fromStdString(reason)), EMessageButtons::YesNoDefaultNo, this) ==
           EMessageAnswer::Yes;
}

// The state that counts is the box's new one, whatever the transfer before it found.
void CSettingsDlg::OnCheckBox(QCheckBox* pBox, CSpinEdit* pEdit, const QString& strClearedText)
{
    UpdateData(true);
    const bool bOn = pBox->isChecked();
    pEdit->setEnabled(bOn);
    // A field that is switched off always passes its range check.
    if (!bOn)
        pEdit->SetText(strClearedText);
}

void CSettingsDlg::OnSkipOn()
{
    OnCheckBox(m_checkSkipOn, m_editSkipRows, QStringLiteral("0"));
}

void CSettingsDlg::OnOpenOn()
{
    OnCheckBox(m_checkOpenOn, m_editOpenCol, QStringLiteral("1"));
}

void CSettingsDlg::OnHiOn()
{
    OnCheckBox(m_checkHiOn, m_editHiCol, QStringLiteral("1"));
}

void CSettingsDlg::OnLoOn()
{
    OnCheckBox(m_checkLoOn, m_editLoCol, QStringLiteral("1"));
}

void CSettingsDlg::OnVolOn()
{
    OnCheckBox(m_checkVolOn, m_editVolCol, QStringLiteral("1"));
}

void CSettingsDlg::OnOIOn()
{
    OnCheckBox(m_checkOIOn, m_editOICol, QStringLiteral("1"));
}

void CSettingsDlg::OnBrowse()
{
    if (!UpdateData(true))
        return;
    CChooseDir chooser(Path, this);
    if (chooser.DoModal() != QDialog::Accepted)
        return;
    Path = chooser.m_strDir;
    UpdateData(false);
}

// Only the input groups change: a field not found is cleared and disabled, as its check box would do.
void CSettingsDlg::OnDetect()
{
    const DetectedLayout layout = DetectLayout(EnginePath(m_strInputPath));
    if (!layout.bFound) {
        ShowMessageBox(QString::fromStdString(DescribeLayout(layout)), EMessageButtons::Ok, this);
        return;
    }
    ConversionSettings settings;
    ApplyLayout(layout, settings);
    SetInputSettings(settings);
    ShowInputFields();
    EnableNumberFields();
}

}  // namespace settings
