#include "win32/directory_panel.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "engine/text/date_formats.h"
#include "win32/choose_dir.h"
#include "win32/message_box.h"
#include "win32/resource.h"
#include "win32/text.h"
#include "win32/window_thread.h"

using desktop::EPanelColumn;
using desktop::EPanelControl;

namespace win32 {

namespace {

constexpr int kWidths[desktop::kPanelColumnCount] = {6, 9, 5, 4, 5, 6, 6, 4};  // in font heights


INT_PTR CALLBACK ExportProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* pOptions = reinterpret_cast<engine::ExportOptions*>(GetWindowLongPtrW(hDlg, DWLP_USER));
    if (message == WM_INITDIALOG) {
        pOptions = reinterpret_cast<engine::ExportOptions*>(lParam);
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
        for (const char* name : engine::kDateFormatNames)
            SendDlgItemMessageW(hDlg, IDC_EXPORT_DATEFORMAT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(name).c_str()));
        SendDlgItemMessageW(hDlg, IDC_EXPORT_DATEFORMAT, CB_SETCURSEL, static_cast<WPARAM>(pOptions->dateFormat - 1), 0);
        for (const wchar_t* name : {L"Comma", L"Tab", L"Space"})
            SendDlgItemMessageW(hDlg, IDC_EXPORT_DELIMITER, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendDlgItemMessageW(hDlg, IDC_EXPORT_DELIMITER, CB_SETCURSEL, 0, 0);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        pOptions->dateFormat = static_cast<int>(SendDlgItemMessageW(hDlg, IDC_EXPORT_DATEFORMAT, CB_GETCURSEL, 0, 0)) + 1;
        const auto delimiter = SendDlgItemMessageW(hDlg, IDC_EXPORT_DELIMITER, CB_GETCURSEL, 0, 0);
        pOptions->delimiter = ",\t "[std::clamp<LRESULT>(delimiter, 0, 2)];
        pOptions->header = IsDlgButtonChecked(hDlg, IDC_EXPORT_HEADER) == BST_CHECKED;
        EndDialog(hDlg, IDOK);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(hDlg, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

CDirectoryPanel::CDirectoryPanel(desktop::CStoredSettings& stored, std::function<void(const std::string&)> log)
    : m_stored(stored), m_log(std::move(log)), m_presenter(*this, stored)
{
}

void CDirectoryPanel::OnCreate()
{
    m_hCaption = AddControl(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, IDC_PANEL_CAPTION);
    AddControl(L"BUTTON", L"Ch&oose...", BS_PUSHBUTTON | WS_TABSTOP, IDC_PANEL_CHOOSE);
    AddControl(L"BUTTON", L"Open Fol&der", BS_PUSHBUTTON | WS_TABSTOP, IDC_PANEL_OPENFOLDER);
    m_hList = AddControl(WC_LISTVIEWW, L"", LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP, IDC_PANEL_LIST, WS_EX_CLIENTEDGE);
    SendMessageW(m_hList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (std::size_t i = 0; i < desktop::kPanelColumnCount; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = i == static_cast<std::size_t>(EPanelColumn::Records) ? LVCFMT_RIGHT : LVCFMT_LEFT;
        std::wstring heading = Wide(desktop::kPanelColumnHeadings[i]);
        column.pszText = heading.data();
        column.cx = kWidths[i] * Unit();
        SendMessageW(m_hList, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    AddControl(L"BUTTON", L"E&xport...", BS_PUSHBUTTON | WS_TABSTOP, IDC_PANEL_EXPORT);
    AddControl(L"BUTTON", L"&Remove", BS_PUSHBUTTON | WS_TABSTOP, IDC_PANEL_REMOVE);
    AddControl(L"BUTTON", L"Chec&k directory", BS_PUSHBUTTON | WS_TABSTOP, IDC_PANEL_CHECK);
    m_presenter.OnInit();
}

// The caption and Choose... and Open Folder on top, the list, then Export..., Remove and Check directory.
void CDirectoryPanel::OnSize(int cx, int cy)
{
    const int margin = Unit() / 3;
    const int height = Unit() * 7 / 4;
    const int wide = Unit() * 6;
    const int wider = Unit() * 8;
    MoveWindow(GetDlgItem(m_hWnd, IDC_PANEL_OPENFOLDER), cx - margin - wide, margin, wide, height, TRUE);
    MoveWindow(GetDlgItem(m_hWnd, IDC_PANEL_CHOOSE), cx - 2 * (margin + wide), margin, wide, height, TRUE);
    MoveWindow(m_hCaption, margin, margin + height / 4, std::max(0, cx - 3 * margin - 2 * (margin + wide)), height, TRUE);
    const int listTop = 2 * margin + height;
    const int buttonsTop = cy - margin - height;
    MoveWindow(m_hList, margin, listTop, std::max(0, cx - 2 * margin), std::max(0, buttonsTop - margin - listTop), TRUE);
    MoveWindow(GetDlgItem(m_hWnd, IDC_PANEL_EXPORT), margin, buttonsTop, wide, height, TRUE);
    MoveWindow(GetDlgItem(m_hWnd, IDC_PANEL_REMOVE), 2 * margin + wide, buttonsTop, wide, height, TRUE);
    MoveWindow(GetDlgItem(m_hWnd, IDC_PANEL_CHECK), cx - margin - wider, buttonsTop, wider, height, TRUE);
}

void CDirectoryPanel::OnCommand(int id)
{
    switch (id) {
    case IDC_PANEL_CHOOSE: m_presenter.OnChooseDirectory(); break;
    case IDC_PANEL_OPENFOLDER: m_presenter.OnOpenFolder(); break;
    case IDC_PANEL_EXPORT: m_presenter.OnExport(); break;
    case IDC_PANEL_REMOVE: m_presenter.OnRemove(); break;
    case IDC_PANEL_CHECK: m_presenter.OnCheck(); break;
    default: break;
    }
}

LRESULT CDirectoryPanel::OnNotify(const NMHDR& header)
{
    if (header.idFrom != IDC_PANEL_LIST)
        return 0;
    if (header.code == LVN_COLUMNCLICK) {
        m_presenter.OnHeaderClicked(static_cast<EPanelColumn>(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem));
    } else if (header.code == NM_DBLCLK) {
        const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
        if (row >= 0)
            m_presenter.OnDoubleClick(static_cast<std::size_t>(row));
    } else if (header.code == LVN_ITEMCHANGED && !m_bShowingRows) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED)) {
            std::vector<std::size_t> rows;
            for (int row = -1; (row = static_cast<int>(SendMessageW(m_hList, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                                    LVNI_SELECTED))) >= 0;)
                rows.push_back(static_cast<std::size_t>(row));
            m_presenter.OnSelectionChanged(rows);
        }
    }
    return 0;
}

desktop::EAnswer CDirectoryPanel::Ask(const std::string& text, desktop::EButtons buttons)
{
    return AskBox(GetAncestor(m_hWnd, GA_ROOT), text, buttons);
}

void CDirectoryPanel::ShowCaption(const std::string& text)
{
    SetWindowTextW(m_hCaption, Wide(text).c_str());
}

void CDirectoryPanel::ShowRows(const std::vector<desktop::PanelRow>& rows, bool fromTop)
{
    m_bShowingRows = true;
    SendMessageW(m_hList, WM_SETREDRAW, FALSE, 0);
    SendMessageW(m_hList, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t row = 0; row < rows.size(); ++row)
        for (std::size_t column = 0; column < desktop::kPanelColumnCount; ++column) {
            std::wstring text = Wide(rows[row].cells[column]);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(row);
            item.iSubItem = static_cast<int>(column);
            item.pszText = text.data();
            SendMessageW(m_hList, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        }
    FitColumns();
    if (fromTop && !rows.empty())
        SendMessageW(m_hList, LVM_ENSUREVISIBLE, 0, FALSE);
    SendMessageW(m_hList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_hList, nullptr, TRUE);
    m_bShowingRows = false;
}

// Each column as wide as its widest cell or heading with a little room, so that the dates and counts stay
// in sight; the sorted one has room for its heading's sort arrow too.
void CDirectoryPanel::FitColumns()
{
    for (std::size_t column = 0; column < desktop::kPanelColumnCount; ++column) {
        SendMessageW(m_hList, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE_USEHEADER);
        const auto width = static_cast<int>(SendMessageW(m_hList, LVM_GETCOLUMNWIDTH, column, 0));
        const int room = Unit() / 3 + (static_cast<int>(column) == m_nSortColumn ? Unit() : 0);
        SendMessageW(m_hList, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width + room, 0));
    }
}

void CDirectoryPanel::ShowSortColumn(EPanelColumn column, bool ascending)
{
    m_nSortColumn = static_cast<int>(column);
    HWND hHeader = reinterpret_cast<HWND>(SendMessageW(m_hList, LVM_GETHEADER, 0, 0));
    for (int i = 0; i < static_cast<int>(desktop::kPanelColumnCount); ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(hHeader, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == static_cast<int>(column))
            item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
        SendMessageW(hHeader, HDM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    FitColumns();
}

void CDirectoryPanel::Enable(EPanelControl control, bool on)
{
    int id = IDC_PANEL_EXPORT;
    switch (control) {
    case EPanelControl::Export: id = IDC_PANEL_EXPORT; break;
    case EPanelControl::Remove: id = IDC_PANEL_REMOVE; break;
    case EPanelControl::Check: id = IDC_PANEL_CHECK; break;
    case EPanelControl::OpenFolder: id = IDC_PANEL_OPENFOLDER; break;
    }
    EnableWindow(GetDlgItem(m_hWnd, id), on);
}

void CDirectoryPanel::AppendLog(const std::string& line)
{
    if (m_log)
        m_log(line);
}

bool CDirectoryPanel::ChooseDirectory(std::string& directory)
{
    return win32::ChooseDirectory(GetAncestor(m_hWnd, GA_ROOT), &m_stored, directory);
}

void CDirectoryPanel::OpenInFileManager(const std::string& directory)
{
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(GetAncestor(m_hWnd, GA_ROOT), L"open", Wide(directory).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        Ask("No file manager could open " + directory, desktop::EButtons::Ok);
}

bool CDirectoryPanel::AskExportOptions(engine::ExportOptions& options)
{
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_EXPORT), GetAncestor(m_hWnd, GA_ROOT),
                           ExportProc, reinterpret_cast<LPARAM>(&options)) == IDOK;
}

bool CDirectoryPanel::ChooseExportFile(const std::string& symbol, std::string& file)
{
    wchar_t buffer[MAX_PATH * 4] = L"";
    const std::wstring proposed = Wide(file);
    proposed.copy(buffer, std::size(buffer) - 1);
    const std::wstring title = L"Export " + Wide(symbol);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = GetAncestor(m_hWnd, GA_ROOT);
    ofn.lpstrFilter = L"All Files (*)\0*\0";
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = static_cast<DWORD>(std::size(buffer));
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!GetSaveFileNameW(&ofn))
        return false;
    file = Utf8(buffer);
    return true;
}

bool CDirectoryPanel::ChooseExportFolder(std::string& folder)
{
    return win32::ChooseDirectory(GetAncestor(m_hWnd, GA_ROOT), nullptr, folder);
}

void CDirectoryPanel::RunInBackground(const std::function<void()>& work)
{
    RunOnWorker(work);
}

}  // namespace win32
