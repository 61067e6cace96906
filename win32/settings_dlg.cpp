#include "win32/settings_dlg.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "win32/choose_dir.h"
#include "win32/message_box.h"
#include "win32/resource.h"
#include "win32/text.h"

using desktop::EControl;
using desktop::SettingsForm;

namespace win32 {

namespace {

// Per field, in field order: the check box (none for date and close) and the number edit.
constexpr int kBoxIds[metastock::kFieldCount] = {0, IDC_OPENON, IDC_HION, IDC_LOON, 0, IDC_VOLON, IDC_OION};
constexpr int kColumnIds[metastock::kFieldCount] = {IDC_DATECOL, IDC_OPENCOL, IDC_HICOL, IDC_LOCOL,
                                                    IDC_CLOCOL,  IDC_VOLCOL,  IDC_OICOL};
constexpr int kDelimiterIds[] = {IDC_COMMA, IDC_TAB, IDC_SPACE, IDC_SEMICOLON};
constexpr int kExistIds[] = {IDC_USEEXISTING, IDC_MAKENEW};

struct ControlId {
    EControl control;
    int id;
};

constexpr ControlId kControlIds[] = {
    {EControl::DateCol, IDC_DATECOL},   {EControl::OpenOn, IDC_OPENON},       {EControl::OpenCol, IDC_OPENCOL},
    {EControl::HiOn, IDC_HION},         {EControl::HiCol, IDC_HICOL},         {EControl::LoOn, IDC_LOON},
    {EControl::LoCol, IDC_LOCOL},       {EControl::CloCol, IDC_CLOCOL},       {EControl::VolOn, IDC_VOLON},
    {EControl::VolCol, IDC_VOLCOL},     {EControl::OIOn, IDC_OION},           {EControl::OICol, IDC_OICOL},
    {EControl::Delimiter, IDC_COMMA},   {EControl::DateFormat, IDC_DATEFORMAT}, {EControl::SkipOn, IDC_SKIPON},
    {EControl::SkipRows, IDC_SKIPROWS}, {EControl::Path, IDC_PATH},           {EControl::Browse, IDC_BROWSE},
    {EControl::Exist, IDC_USEEXISTING}, {EControl::Symbol, IDC_SYMBOL},       {EControl::Name, IDC_NAME},
    {EControl::Detect, IDC_DETECT},     {EControl::Daily, IDC_DAILY},         {EControl::DecimalComma, IDC_DECIMALCOMMA},
    {EControl::TimeFrame, IDC_TIMEFRAME}, {EControl::TickerOn, IDC_TICKERON}, {EControl::TickerCol, IDC_TICKERCOL},
    {EControl::Ok, IDOK},             {EControl::Cancel, IDCANCEL},
};

// The controls whose text the presenter limits, and the check boxes it hears about.
constexpr ControlId kTextIds[] = {
    {EControl::Path, IDC_PATH}, {EControl::Symbol, IDC_SYMBOL}, {EControl::Name, IDC_NAME}};
constexpr ControlId kBoxes[] = {{EControl::OpenOn, IDC_OPENON}, {EControl::HiOn, IDC_HION},
                                {EControl::LoOn, IDC_LOON},     {EControl::VolOn, IDC_VOLON},
                                {EControl::OIOn, IDC_OION},     {EControl::SkipOn, IDC_SKIPON},
                                {EControl::TickerOn, IDC_TICKERON}};

bool IsNumberEdit(int id)
{
    for (int column : kColumnIds)
        if (column == id)
            return true;
    return id == IDC_SKIPROWS || id == IDC_TICKERCOL;
}

std::wstring WindowText(HWND hWnd)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

CSettingsDlg::CSettingsDlg(const engine::ConversionSettings& settings, std::string inputPath,
                           desktop::CStoredSettings* stored)
    : m_presenter(*this, settings, std::move(inputPath)), m_pStored(stored)
{
}

bool CSettingsDlg::DoModal(HWND hOwner, engine::ConversionSettings& settings, int& dateFormat)
{
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS), hOwner,
                                           DialogProc, reinterpret_cast<LPARAM>(this));
    if (result != IDOK)
        return false;
    settings = m_presenter.Settings();
    dateFormat = m_presenter.DateFormatNumber();
    return true;
}

INT_PTR CALLBACK CSettingsDlg::DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* pThis = reinterpret_cast<CSettingsDlg*>(GetWindowLongPtrW(hDlg, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        pThis = reinterpret_cast<CSettingsDlg*>(lParam);
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
        pThis->m_hDlg = hDlg;
        pThis->OnInitDialog();
        return TRUE;  // the focus goes to the first control in tab order
    case WM_COMMAND:
        if (pThis)
            pThis->OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

void CSettingsDlg::OnInitDialog()
{
    HWND hCombo = GetDlgItem(m_hDlg, IDC_DATEFORMAT);
    for (const std::string& name : desktop::CSettingsPresenter::DateFormatNames())
        SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
    for (const std::string& name : desktop::CSettingsPresenter::TimeFrameNames())
        SendDlgItemMessageW(m_hDlg, IDC_TIMEFRAME, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
    for (int id : kColumnIds)
        SendDlgItemMessageW(m_hDlg, id + 1, UDM_SETRANGE32, engine::kMinColumn, engine::kMaxColumn);
    SendDlgItemMessageW(m_hDlg, IDC_SKIPROWS + 1, UDM_SETRANGE32, 0, engine::kMaxSkipRows);
    SendDlgItemMessageW(m_hDlg, IDC_TICKERCOL + 1, UDM_SETRANGE32, engine::kMinColumn, engine::kMaxColumn);
    m_presenter.OnInitDialog();
    m_presenter.OnInputChanged();
    // Low over the owner's left side, clear of the preview's lines at the log's top and of the grid.
    HWND hOwner = GetWindow(m_hDlg, GW_OWNER);
    RECT owner{};
    RECT dialog{};
    if (hOwner && GetWindowRect(hOwner, &owner) && GetWindowRect(m_hDlg, &dialog)) {
        const int y = std::max(owner.top, owner.bottom - (dialog.bottom - dialog.top) - GetSystemMetrics(SM_CYCAPTION));
        SetWindowPos(m_hDlg, nullptr, owner.left + GetSystemMetrics(SM_CXFRAME), y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
}

void CSettingsDlg::OnCommand(int id, int code)
{
    if (m_bFilling)
        return;
    switch (id) {
    case IDOK: m_presenter.OnOK(); return;
    case IDCANCEL: m_presenter.OnCancel(); return;
    case IDC_BROWSE: m_presenter.OnBrowse(); return;
    case IDC_DETECT: m_presenter.OnDetect(); return;
    default: break;
    }
    for (const auto& [control, boxId] : kBoxes)
        if (id == boxId && code == BN_CLICKED) {
            m_presenter.OnCheckBox(control);
            return;
        }
    for (const auto& [control, textId] : kTextIds)
        if (id == textId && code == EN_CHANGE) {
            m_presenter.OnTextEdited(control);
            return;
        }
    if (id == IDC_DATEFORMAT && code == CBN_EDITCHANGE)
        m_presenter.OnTextEdited(EControl::DateFormat);
    if ((IsNumberEdit(id) && code == EN_CHANGE) || (id == IDC_DATEFORMAT && (code == CBN_EDITCHANGE || code == CBN_SELCHANGE)) ||
        (id == IDC_TIMEFRAME && code == CBN_SELCHANGE) || code == BN_CLICKED)
        m_presenter.OnInputChanged();
}

HWND CSettingsDlg::Item(EControl control) const
{
    for (const auto& [each, id] : kControlIds)
        if (each == control)
            return GetDlgItem(m_hDlg, id);
    return nullptr;
}

SettingsForm CSettingsDlg::Read() const
{
    SettingsForm form;
    for (std::size_t i = 0; i < form.on.size(); ++i) {
        form.on[i] = kBoxIds[i] == 0 || IsDlgButtonChecked(m_hDlg, kBoxIds[i]) == BST_CHECKED;
        form.column[i] = Utf8(WindowText(GetDlgItem(m_hDlg, kColumnIds[i])));
    }
    for (int i = 0; i < 4; ++i)
        if (IsDlgButtonChecked(m_hDlg, kDelimiterIds[i]) == BST_CHECKED)
            form.delimiter = i;
    HWND hCombo = GetDlgItem(m_hDlg, IDC_DATEFORMAT);
    form.dateFormat = Utf8(WindowText(hCombo));
    form.dateFormatIndex = static_cast<int>(SendMessageW(hCombo, CB_GETCURSEL, 0, 0));
    // A typed text that no longer is the selected entry's is no selection.
    const std::vector<std::string> names = desktop::CSettingsPresenter::DateFormatNames();
    if (form.dateFormatIndex >= 0 && (static_cast<std::size_t>(form.dateFormatIndex) >= names.size() ||
                                      form.dateFormat != names[static_cast<std::size_t>(form.dateFormatIndex)]))
        form.dateFormatIndex = -1;
    form.skipOn = IsDlgButtonChecked(m_hDlg, IDC_SKIPON) == BST_CHECKED;
    form.skipRows = Utf8(WindowText(GetDlgItem(m_hDlg, IDC_SKIPROWS)));
    form.path = Utf8(WindowText(GetDlgItem(m_hDlg, IDC_PATH)));
    for (int i = 0; i < 2; ++i)
        if (IsDlgButtonChecked(m_hDlg, kExistIds[i]) == BST_CHECKED)
            form.exist = i;
    form.symbol = Utf8(WindowText(GetDlgItem(m_hDlg, IDC_SYMBOL)));
    form.name = Utf8(WindowText(GetDlgItem(m_hDlg, IDC_NAME)));
    form.daily = IsDlgButtonChecked(m_hDlg, IDC_DAILY) == BST_CHECKED;
    form.decimalComma = IsDlgButtonChecked(m_hDlg, IDC_DECIMALCOMMA) == BST_CHECKED;
    form.timeFrame = static_cast<int>(SendDlgItemMessageW(m_hDlg, IDC_TIMEFRAME, CB_GETCURSEL, 0, 0));
    form.tickerOn = IsDlgButtonChecked(m_hDlg, IDC_TICKERON) == BST_CHECKED;
    form.tickerColumn = Utf8(WindowText(GetDlgItem(m_hDlg, IDC_TICKERCOL)));
    return form;
}

void CSettingsDlg::Show(const SettingsForm& form)
{
    m_bFilling = true;
    for (std::size_t i = 0; i < form.on.size(); ++i) {
        if (kBoxIds[i] != 0)
            CheckDlgButton(m_hDlg, kBoxIds[i], form.on[i] ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemTextW(m_hDlg, kColumnIds[i], Wide(form.column[i]).c_str());
    }
    for (int i = 0; i < 4; ++i)
        CheckDlgButton(m_hDlg, kDelimiterIds[i], form.delimiter == i ? BST_CHECKED : BST_UNCHECKED);
    HWND hCombo = GetDlgItem(m_hDlg, IDC_DATEFORMAT);
    SendMessageW(hCombo, CB_SETCURSEL, static_cast<WPARAM>(form.dateFormatIndex), 0);
    SetWindowTextW(hCombo, Wide(form.dateFormat).c_str());
    CheckDlgButton(m_hDlg, IDC_SKIPON, form.skipOn ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextW(m_hDlg, IDC_SKIPROWS, Wide(form.skipRows).c_str());
    SetDlgItemTextW(m_hDlg, IDC_PATH, Wide(form.path).c_str());
    for (int i = 0; i < 2; ++i)
        CheckDlgButton(m_hDlg, kExistIds[i], form.exist == i ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextW(m_hDlg, IDC_SYMBOL, Wide(form.symbol).c_str());
    SetDlgItemTextW(m_hDlg, IDC_NAME, Wide(form.name).c_str());
    CheckDlgButton(m_hDlg, IDC_DAILY, form.daily ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hDlg, IDC_DECIMALCOMMA, form.decimalComma ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(m_hDlg, IDC_TIMEFRAME, CB_SETCURSEL, static_cast<WPARAM>(form.timeFrame), 0);
    CheckDlgButton(m_hDlg, IDC_TICKERON, form.tickerOn ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextW(m_hDlg, IDC_TICKERCOL, Wide(form.tickerColumn).c_str());
    m_bFilling = false;
}

void CSettingsDlg::SetText(EControl control, const std::string& text)
{
    HWND hItem = Item(control);
    const bool bFilling = m_bFilling;
    m_bFilling = true;
    if (control == EControl::DateFormat)
        SendMessageW(hItem, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextW(hItem, Wide(text).c_str());
    // A text cut back keeps the caret at its end.
    if (control == EControl::Path || control == EControl::Symbol || control == EControl::Name)
        SendMessageW(hItem, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    m_bFilling = bFilling;
}

void CSettingsDlg::Enable(EControl control, bool on)
{
    HWND hItem = Item(control);
    EnableWindow(hItem, on);
    const int id = GetDlgCtrlID(hItem);
    if (IsNumberEdit(id))
        EnableWindow(GetDlgItem(m_hDlg, id + 1), on);
}

void CSettingsDlg::Focus(EControl control)
{
    HWND hItem = Item(control);
    SendMessageW(m_hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hItem), TRUE);
    if (control == EControl::DateFormat)
        SendMessageW(hItem, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    else
        SendMessageW(hItem, EM_SETSEL, 0, -1);
}

void CSettingsDlg::ShowNote(const std::string& text)
{
    SetDlgItemTextW(m_hDlg, IDC_NOTE, Wide(text).c_str());
}

bool CSettingsDlg::ChooseDirectory(std::string& path)
{
    return win32::ChooseDirectory(m_hDlg, m_pStored, path);
}

void CSettingsDlg::Close(bool accepted)
{
    EndDialog(m_hDlg, accepted ? IDOK : IDCANCEL);
}

desktop::EAnswer CSettingsDlg::Ask(const std::string& text, desktop::EButtons buttons)
{
    return AskBox(m_hDlg, text, buttons);
}

}  // namespace win32
