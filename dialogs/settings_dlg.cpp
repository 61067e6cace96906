#include "dialogs/settings_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>
#include <iterator>

#include "desktop/settings_presenter.h"
#include "dialogs/choose_dir.h"
#include "dialogs/dialog_units.h"
#include "dialogs/engine_path.h"
#include "dialogs/help_request.h"
#include "dialogs/message_box.h"
#include "dialogs/spin_edit.h"
#include "engine/job/conversion_settings.h"
#include "engine/text/date_formats.h"

using namespace engine;
using desktop::EControl;
using desktop::SettingsForm;

namespace dialogs {

namespace {


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

// A radio group is one Tab stop, at its checked button (the first when none is checked); the arrow keys
// move within the group and check as they go.
void KeepTabStopAtChecked(QButtonGroup* pGroup)
{
    const QList<QAbstractButton*> buttons = pGroup->buttons();
    QAbstractButton* pStop = pGroup->checkedButton() ? pGroup->checkedButton() : buttons.value(0);
    for (QAbstractButton* pButton : buttons)
        pButton->setFocusPolicy(pButton == pStop ? Qt::StrongFocus : Qt::ClickFocus);
}

// Checks the button of the group whose id is nId; none when no button has it.
void SetRadio(QButtonGroup* pGroup, int nId)
{
    pGroup->setExclusive(false);
    for (QAbstractButton* pButton : pGroup->buttons())
        pButton->setChecked(pGroup->id(pButton) == nId);
    pGroup->setExclusive(true);
    KeepTabStopAtChecked(pGroup);
}

}  // namespace

CSettingsDlg::CSettingsDlg(int* pDateFormat, QWidget* pParent)
    : QDialog(pParent), m_pDateFormat(pDateFormat), m_pPresenter(std::make_unique<desktop::CSettingsPresenter>(*this, ConversionSettings{}, std::string()))
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
    const int nSymbolWiden = nSymbolWidth - du.X(65);
    // The Ticker column stands beside the fields' columns; the groups are wider by it.
    const int nWiden = nSymbolWiden + du.X(kTickerWidth);
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
    m_checkTickerOn = check("Tic&ker column", "TickerOn", rect(330, 20, kTickerWidth - 5, 10));
    m_editTickerCol = number("TickerCol", 330, 30, kMinColumn, kMaxColumn);

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
    m_editSymbol = edit("Symbol", rect(190, 180, 65, 15).adjusted(0, 0, nSymbolWiden, 0));
    label("S&ymbol", rect(190, 170, 65, 10), m_editSymbol);
    m_editName = edit("Name", rect(260, 180, 65 + kTickerWidth, 15).translated(nSymbolWiden, 0));
    label("N&ame", rect(260, 170, 65, 10).translated(nSymbolWiden, 0), m_editName);

    // How the bars and the numbers of the input are read, in a row above the buttons.
    m_checkDaily = check("Combine &intraday bars into days", "Daily", rect(5, 208, 125, 10));
    m_checkDecimalComma = check("Decimal c&omma", "DecimalComma", rect(135, 208, 65, 10));
    m_comboTimeFrame = new QComboBox(this);
    label("Ti&me frame:", shifted(rect(205, 208, 45, 10)), m_comboTimeFrame);
    m_comboTimeFrame->setObjectName(QStringLiteral("TimeFrame"));
    m_comboTimeFrame->setGeometry(shifted(rect(250, 206, 85, 14)));
    for (const std::string& name : desktop::CSettingsPresenter::TimeFrameNames())
        m_comboTimeFrame->addItem(QString::fromStdString(name));

    m_buttonDetect = button("&Detect", "Detect", rect(5, 224, 50, 14));
    m_buttonDetect->setToolTip(QStringLiteral("Fill in the input file's settings from what the file looks like"));
    m_buttonOK = button("OK", "OK", shifted(rect(230, 224, 50, 14)));
    m_buttonOK->setDefault(true);
    m_buttonCancel = button("Cancel", "Cancel", shifted(rect(285, 224, 50, 14)));
    m_labelNote = new QLabel(this);
    m_labelNote->setObjectName(QStringLiteral("Note"));
    m_labelNote->setGeometry(widened(rect(60, 226, 165, 10)));
}

void CSettingsDlg::SetTabOrder()
{
    QWidget* const order[] = {
        m_buttonOK,     m_buttonCancel,  m_editDateCol,    m_checkOpenOn,     m_editOpenCol,  m_checkHiOn,
        m_editHiCol,    m_checkLoOn,     m_editLoCol,      m_editCloCol,      m_checkVolOn,   m_editVolCol,
        m_checkOIOn,    m_editOICol,     m_checkTickerOn, m_editTickerCol, m_radioComma,     m_radioTab,        m_radioSpace,   m_radioSemicolon,
        m_comboDateFormat, m_checkSkipOn, m_editSkipRows,  m_editPath,        m_buttonBrowse, m_radioUseExisting,
        m_radioMakeNew, m_editSymbol,    m_editName,       m_checkDaily,      m_checkDecimalComma, m_comboTimeFrame,
        m_buttonDetect,
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
    connect(m_checkTickerOn, &QCheckBox::clicked, this, [this] { m_pPresenter->OnCheckBox(EControl::TickerOn); });
    for (QCheckBox* pBox : {m_checkOpenOn, m_checkHiOn, m_checkLoOn, m_checkVolOn, m_checkOIOn, m_checkSkipOn,
                            m_checkTickerOn, m_checkDaily, m_checkDecimalComma})
        connect(pBox, &QCheckBox::toggled, this, &CSettingsDlg::InputSettingsChanged);
    for (CSpinEdit* pEdit : {m_editDateCol, m_editOpenCol, m_editHiCol, m_editLoCol, m_editCloCol, m_editVolCol,
                             m_editOICol, m_editSkipRows, m_editTickerCol})
        connect(pEdit, &CSpinEdit::TextChanged, this, &CSettingsDlg::InputSettingsChanged);
    connect(m_groupDelimiter, &QButtonGroup::idToggled, this, &CSettingsDlg::InputSettingsChanged);
    for (QButtonGroup* pGroup : {m_groupDelimiter, m_groupExist})
        connect(pGroup, &QButtonGroup::idToggled, this, [pGroup] { KeepTabStopAtChecked(pGroup); });
    connect(m_comboDateFormat, &QComboBox::currentTextChanged, this, &CSettingsDlg::InputSettingsChanged);
    connect(m_comboTimeFrame, &QComboBox::currentIndexChanged, this, &CSettingsDlg::InputSettingsChanged);
    const std::pair<QLineEdit*, EControl> texts[] = {{m_editSymbol, EControl::Symbol}, {m_editName, EControl::Name},
                                                     {m_editPath, EControl::Path},
                                                     {m_comboDateFormat->lineEdit(), EControl::DateFormat}};
    for (const auto& [pEdit, eControl] : texts)
        connect(pEdit, &QLineEdit::textEdited, this, [this, eControl = eControl] { m_pPresenter->OnTextEdited(eControl); });
}

// What the controls hold, and back.
SettingsForm CSettingsDlg::Read() const
{
    SettingsForm form;
    const QCheckBox* const pBox[metastock::kFieldCount] = {nullptr, m_checkOpenOn, m_checkHiOn, m_checkLoOn,
                                                           nullptr, m_checkVolOn,  m_checkOIOn};
    const CSpinEdit* const pColumn[metastock::kFieldCount] = {m_editDateCol, m_editOpenCol, m_editHiCol, m_editLoCol,
                                                              m_editCloCol,  m_editVolCol,  m_editOICol};
    for (std::size_t i = 0; i < form.on.size(); ++i) {
        form.on[i] = !pBox[i] || pBox[i]->isChecked();
        form.column[i] = pColumn[i]->Text().toStdString();
    }
    form.delimiter = m_groupDelimiter->checkedId();
    form.dateFormat = m_comboDateFormat->currentText().toStdString();
    form.dateFormatIndex = m_comboDateFormat->currentIndex();
    form.skipOn = m_checkSkipOn->isChecked();
    form.skipRows = m_editSkipRows->Text().toStdString();
    form.path = m_editPath->text().toStdString();
    form.exist = m_groupExist->checkedId();
    form.symbol = m_editSymbol->text().toStdString();
    form.name = m_editName->text().toStdString();
    form.daily = m_checkDaily->isChecked();
    form.decimalComma = m_checkDecimalComma->isChecked();
    form.timeFrame = m_comboTimeFrame->currentIndex();
    form.tickerOn = m_checkTickerOn->isChecked();
    form.tickerColumn = m_editTickerCol->Text().toStdString();
    return form;
}

void CSettingsDlg::Show(const SettingsForm& form)
{
    QCheckBox* const pBox[metastock::kFieldCount] = {nullptr, m_checkOpenOn, m_checkHiOn, m_checkLoOn,
                                                     nullptr, m_checkVolOn,  m_checkOIOn};
    CSpinEdit* const pColumn[metastock::kFieldCount] = {m_editDateCol, m_editOpenCol, m_editHiCol, m_editLoCol,
                                                        m_editCloCol,  m_editVolCol,  m_editOICol};
    for (std::size_t i = 0; i < form.on.size(); ++i) {
        if (pBox[i])
            pBox[i]->setChecked(form.on[i]);
        pColumn[i]->SetText(QString::fromStdString(form.column[i]));
    }
    SetRadio(m_groupDelimiter, form.delimiter);
    m_comboDateFormat->setCurrentIndex(form.dateFormatIndex);
    m_comboDateFormat->lineEdit()->setText(QString::fromStdString(form.dateFormat));
    m_checkSkipOn->setChecked(form.skipOn);
    m_editSkipRows->SetText(QString::fromStdString(form.skipRows));
    m_editPath->setText(QString::fromStdString(form.path));
    SetRadio(m_groupExist, form.exist);
    m_editSymbol->setText(QString::fromStdString(form.symbol));
    m_editName->setText(QString::fromStdString(form.name));
    m_checkDaily->setChecked(form.daily);
    m_checkDecimalComma->setChecked(form.decimalComma);
    m_comboTimeFrame->setCurrentIndex(form.timeFrame);
    m_checkTickerOn->setChecked(form.tickerOn);
    m_editTickerCol->SetText(QString::fromStdString(form.tickerColumn));
}

QWidget* CSettingsDlg::ControlWidget(EControl eControl) const
{
    switch (eControl) {
    case EControl::DateCol: return m_editDateCol;
    case EControl::OpenOn: return m_checkOpenOn;
    case EControl::OpenCol: return m_editOpenCol;
    case EControl::HiOn: return m_checkHiOn;
    case EControl::HiCol: return m_editHiCol;
    case EControl::LoOn: return m_checkLoOn;
    case EControl::LoCol: return m_editLoCol;
    case EControl::CloCol: return m_editCloCol;
    case EControl::VolOn: return m_checkVolOn;
    case EControl::VolCol: return m_editVolCol;
    case EControl::OIOn: return m_checkOIOn;
    case EControl::OICol: return m_editOICol;
    case EControl::Delimiter: return m_radioComma;
    case EControl::DateFormat: return m_comboDateFormat;
    case EControl::SkipOn: return m_checkSkipOn;
    case EControl::SkipRows: return m_editSkipRows;
    case EControl::Path: return m_editPath;
    case EControl::Browse: return m_buttonBrowse;
    case EControl::Exist: return m_radioUseExisting;
    case EControl::Symbol: return m_editSymbol;
    case EControl::Name: return m_editName;
    case EControl::Detect: return m_buttonDetect;
    case EControl::Daily: return m_checkDaily;
    case EControl::DecimalComma: return m_checkDecimalComma;
    case EControl::TimeFrame: return m_comboTimeFrame;
    case EControl::TickerOn: return m_checkTickerOn;
    case EControl::TickerCol: return m_editTickerCol;
    case EControl::Ok: return m_buttonOK;
    case EControl::Cancel: return m_buttonCancel;
    }
    return nullptr;
}

void CSettingsDlg::SetText(EControl eControl, const std::string& text)
{
    QWidget* pWidget = ControlWidget(eControl);
    const QString strText = QString::fromStdString(text);
    if (auto* pSpin = qobject_cast<CSpinEdit*>(pWidget))
        pSpin->SetText(strText);
    else if (auto* pEdit = qobject_cast<QLineEdit*>(pWidget))
        pEdit->setText(strText);
    else if (auto* pCombo = qobject_cast<QComboBox*>(pWidget); pCombo && pCombo->lineEdit())
        pCombo->lineEdit()->setText(strText);
}

void CSettingsDlg::Enable(EControl eControl, bool bOn)
{
    ControlWidget(eControl)->setEnabled(bOn);
}

void CSettingsDlg::Focus(EControl eControl)
{
    QWidget* pField = ControlWidget(eControl);
    pField->setFocus();
    if (auto* pEdit = qobject_cast<QLineEdit*>(pField))
        pEdit->selectAll();
    else if (auto* pSpin = qobject_cast<CSpinEdit*>(pField))
        pSpin->selectAll();
    else if (auto* pCombo = qobject_cast<QComboBox*>(pField); pCombo && pCombo->lineEdit())
        pCombo->lineEdit()->selectAll();
}

void CSettingsDlg::ShowNote(const std::string& text)
{
    m_labelNote->setText(QString::fromStdString(text));
    m_labelNote->setToolTip(m_labelNote->text());
}

bool CSettingsDlg::ChooseDirectory(std::string& path)
{
    CChooseDir chooser(QString::fromStdString(path), this, m_pStored);
    if (chooser.DoModal() != QDialog::Accepted)
        return false;
    path = chooser.m_strDir.toStdString();
    return true;
}

void CSettingsDlg::Close(bool bAccepted)
{
    if (!bAccepted) {
        reject();
        return;
    }
    SetSettings(m_pPresenter->Settings());
    if (m_pDateFormat)
        *m_pDateFormat = m_pPresenter->DateFormatNumber();
    accept();
}

desktop::EAnswer CSettingsDlg::Ask(const std::string& text, desktop::EButtons buttons)
{
    return AskBox(text, buttons, this);
}

ConversionSettings CSettingsDlg::ShownInputSettings() const
{
    return m_pPresenter->ShownInputSettings();
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
    m_pPresenter = std::make_unique<desktop::CSettingsPresenter>(*this, Settings(), m_strInputPath.toStdString());
    m_pPresenter->OnInitDialog();
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
    settings.TickerCol = TickerCol;
    settings.TimeFrame = TimeFrame >= 0 && TimeFrame <= static_cast<int>(FrameChoice::kIntraday)
                             ? static_cast<FrameChoice>(TimeFrame)
                             : FrameChoice::kFromDates;
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
    TickerCol = settings.TickerCol;
    TimeFrame = static_cast<int>(settings.TimeFrame);
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

// The members and the controls through the presenter, which checks each field on the way back.
bool CSettingsDlg::UpdateData(bool bSaveAndValidate)
{
    if (!bSaveAndValidate) {
        m_pPresenter->SetSettings(Settings());
        return true;
    }
    if (!m_pPresenter->SaveForm())
        return false;
    SetSettings(m_pPresenter->Settings());
    return true;
}

void CSettingsDlg::OnOK()
{
    m_pPresenter->OnOK();
}

void CSettingsDlg::OnSkipOn()
{
    m_pPresenter->OnCheckBox(EControl::SkipOn);
}

void CSettingsDlg::OnOpenOn()
{
    m_pPresenter->OnCheckBox(EControl::OpenOn);
}

void CSettingsDlg::OnHiOn()
{
    m_pPresenter->OnCheckBox(EControl::HiOn);
}

void CSettingsDlg::OnLoOn()
{
    m_pPresenter->OnCheckBox(EControl::LoOn);
}

void CSettingsDlg::OnVolOn()
{
    m_pPresenter->OnCheckBox(EControl::VolOn);
}

void CSettingsDlg::OnOIOn()
{
    m_pPresenter->OnCheckBox(EControl::OIOn);
}

void CSettingsDlg::OnBrowse()
{
    m_pPresenter->OnBrowse();
    Path = QString::fromStdString(m_pPresenter->Settings().Path);
}

void CSettingsDlg::OnDetect()
{
    m_pPresenter->OnDetect();
}

}  // namespace dialogs
