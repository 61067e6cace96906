#include "win32/batch_dlg.h"

#include <algorithm>

#include <commctrl.h>
#include <commdlg.h>

#include "win32/choose_dir.h"
#include "win32/dialog_placement.h"
#include "win32/message_box.h"
#include "win32/resource.h"
#include "win32/text.h"
#include "win32/window_thread.h"

using desktop::EBatchControl;

namespace win32 {

namespace {

enum EColumn { kSymbol, kFile, kResult };

void SetCell(HWND hList, int row, int column, const std::string& text)
{
    std::wstring wide = Wide(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendMessageW(hList, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

CBatchDlg::CBatchDlg(desktop::CStoredSettings& stored, const engine::ConversionSettings& layout)
    : m_presenter(*this, stored, layout)
{
}

bool CBatchDlg::DoModal(HWND hOwner, const std::vector<std::string>& files)
{
    m_files = files;
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BATCH), hOwner, DialogProc,
                    reinterpret_cast<LPARAM>(this));
    return m_bRan && !m_presenter.Summary().empty();
}

INT_PTR CALLBACK CBatchDlg::DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* pThis = reinterpret_cast<CBatchDlg*>(GetWindowLongPtrW(hDlg, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        pThis = reinterpret_cast<CBatchDlg*>(lParam);
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
        pThis->m_hDlg = hDlg;
        pThis->OnInitDialog();
        return TRUE;
    case WM_COMMAND:
        if (pThis && HIWORD(wParam) == BN_CLICKED)
            pThis->OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        if (pThis) {
            SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, pThis->OnNotify(*reinterpret_cast<const NMHDR*>(lParam)));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void CBatchDlg::OnInitDialog()
{
    m_hList = GetDlgItem(m_hDlg, IDC_BATCH_LIST);
    SendMessageW(m_hList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const std::pair<const wchar_t*, int> columns[] = {{L"Symbol", 90}, {L"File", 160}, {L"Result", 200}};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(columns[i].first);
        column.cx = MulDiv(columns[i].second, static_cast<int>(GetDpiForWindow(m_hDlg)), 96);
        SendMessageW(m_hList, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    SendDlgItemMessageW(m_hDlg, IDC_BATCH_TICKERCOL + 1, UDM_SETRANGE32, engine::kMinColumn, engine::kMaxColumn);
    m_presenter.OnInitDialog();
    if (!m_files.empty())
        m_presenter.AddFiles(m_files);
}

void CBatchDlg::OnCommand(int id)
{
    switch (id) {
    case IDC_BATCH_ADD: OnAddFiles(); break;
    case IDC_BATCH_REMOVE: OnRemove(); break;
    case IDC_BATCH_BROWSE: OnBrowse(); break;
    case IDC_BATCH_TICKERON: m_presenter.OnTickerBox(); break;
    case IDC_BATCH_CONVERT:
    case IDOK:
        if (IsWindowEnabled(GetDlgItem(m_hDlg, IDC_BATCH_CONVERT))) {
            m_presenter.OnConvert();
            m_bRan = true;
            // The button that had the focus was disabled during the run: the keys go to the dialog again.
            SendMessageW(m_hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_hDlg, IDCANCEL)), TRUE);
        }
        break;
    // Escape and the close box cancel a running batch rather than leave it.
    case IDCANCEL: m_presenter.OnCancel(); break;
    default: break;
    }
}

INT_PTR CBatchDlg::OnNotify(const NMHDR& header)
{
    if (header.idFrom != IDC_BATCH_LIST)
        return 0;
    if (header.code == LVN_BEGINLABELEDITW)
        return m_bEditable ? FALSE : TRUE;
    if (header.code == LVN_ENDLABELEDITW) {
        const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
        if (!info.item.pszText)
            return FALSE;
        m_presenter.OnSymbolEdited(static_cast<std::size_t>(info.item.iItem), Utf8(info.item.pszText));
        return TRUE;
    }
    if (header.code == LVN_ITEMCHANGED)
        EnableWindow(GetDlgItem(m_hDlg, IDC_BATCH_REMOVE),
                     m_bEditable && SendMessageW(m_hList, LVM_GETSELECTEDCOUNT, 0, 0) > 0);
    return 0;
}

void CBatchDlg::OnAddFiles()
{
    std::wstring buffer(32768, L'\0');
    const std::wstring filter = PriceFileFilter();
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hDlg;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrTitle = L"Add Files";
    ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    CCentredSystemDialog centred;
    if (!GetOpenFileNameW(&ofn))
        return;
    // One file: its whole path. Several: the folder, then each name, each ended by a NUL.
    std::vector<std::wstring> parts;
    for (const wchar_t* p = buffer.c_str(); *p; p += wcslen(p) + 1)
        parts.emplace_back(p);
    std::vector<std::string> paths;
    if (parts.size() == 1)
        paths.push_back(Utf8(parts.front()));
    for (std::size_t i = 1; i < parts.size(); ++i)
        paths.push_back(Utf8(parts.front() + L"\\" + parts[i]));
    m_presenter.AddFiles(paths);
}

void CBatchDlg::OnRemove()
{
    std::vector<std::size_t> rows;
    for (int row = -1; (row = static_cast<int>(SendMessageW(m_hList, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                            LVNI_SELECTED))) >= 0;)
        rows.push_back(static_cast<std::size_t>(row));
    m_presenter.OnRemove(rows);
}

void CBatchDlg::OnBrowse()
{
    wchar_t text[1024] = L"";
    GetDlgItemTextW(m_hDlg, IDC_BATCH_DIRECTORY, text, static_cast<int>(std::size(text)));
    std::string directory = Utf8(text);
    if (ChooseDirectory(m_hDlg, nullptr, directory))
        SetDlgItemTextW(m_hDlg, IDC_BATCH_DIRECTORY, Wide(directory).c_str());
}

desktop::EAnswer CBatchDlg::Ask(const std::string& text, desktop::EButtons buttons)
{
    return AskBox(m_hDlg, text, buttons);
}

void CBatchDlg::ShowRows(const std::vector<desktop::BatchRow>& rows)
{
    SendMessageW(m_hList, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::wstring symbol = Wide(rows[i].symbol);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = symbol.data();
        SendMessageW(m_hList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        SetCell(m_hList, static_cast<int>(i), kFile, rows[i].file);
        SetCell(m_hList, static_cast<int>(i), kResult, rows[i].result);
    }
}

void CBatchDlg::ShowResult(std::size_t row, const desktop::BatchRow& shown)
{
    SetCell(m_hList, static_cast<int>(row), kResult, shown.result);
}

void CBatchDlg::ShowChoices(const desktop::BatchChoices& choices)
{
    SetDlgItemTextW(m_hDlg, IDC_BATCH_DIRECTORY, Wide(choices.directory).c_str());
    CheckRadioButton(m_hDlg, IDC_BATCH_ONELAYOUT, IDC_BATCH_DETECT,
                     choices.detect ? IDC_BATCH_DETECT : IDC_BATCH_ONELAYOUT);
    CheckDlgButton(m_hDlg, IDC_BATCH_DAILY, choices.daily ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hDlg, IDC_BATCH_TICKERON, choices.tickerOn ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemInt(m_hDlg, IDC_BATCH_TICKERCOL, static_cast<UINT>(choices.tickerColumn), FALSE);
}

desktop::BatchChoices CBatchDlg::ReadChoices() const
{
    wchar_t text[1024] = L"";
    GetDlgItemTextW(m_hDlg, IDC_BATCH_DIRECTORY, text, static_cast<int>(std::size(text)));
    std::wstring directory = text;
    const std::size_t first = directory.find_first_not_of(L" \t");
    const std::size_t last = directory.find_last_not_of(L" \t");
    directory = first == std::wstring::npos ? std::wstring() : directory.substr(first, last - first + 1);
    desktop::BatchChoices choices;
    choices.directory = Utf8(directory);
    choices.detect = IsDlgButtonChecked(m_hDlg, IDC_BATCH_DETECT) == BST_CHECKED;
    choices.daily = IsDlgButtonChecked(m_hDlg, IDC_BATCH_DAILY) == BST_CHECKED;
    choices.tickerOn = IsDlgButtonChecked(m_hDlg, IDC_BATCH_TICKERON) == BST_CHECKED;
    // The edit takes digits only and its arrows keep 1 to 20; a typed number beyond is taken as the limit.
    BOOL bNumber = FALSE;
    const UINT nColumn = GetDlgItemInt(m_hDlg, IDC_BATCH_TICKERCOL, &bNumber, FALSE);
    choices.tickerColumn = bNumber ? std::clamp(static_cast<int>(std::min<UINT>(nColumn, 100)), engine::kMinColumn,
                                                engine::kMaxColumn)
                                   : engine::kMinColumn;
    return choices;
}

// done and total below zero keep the bar as it is; an empty status keeps the status line.
void CBatchDlg::ShowProgress(int done, int total, const std::string& status)
{
    HWND hBar = GetDlgItem(m_hDlg, IDC_BATCH_PROGRESS);
    if (total >= 0)
        SendMessageW(hBar, PBM_SETRANGE32, 0, total);
    if (done >= 0)
        SendMessageW(hBar, PBM_SETPOS, static_cast<WPARAM>(done), 0);
    if (!status.empty())
        SetDlgItemTextW(m_hDlg, IDC_BATCH_STATUS, Wide(status).c_str());
}

void CBatchDlg::Enable(EBatchControl control, bool on)
{
    int id = 0;
    switch (control) {
    case EBatchControl::Add: id = IDC_BATCH_ADD; break;
    case EBatchControl::Remove:
        id = IDC_BATCH_REMOVE;
        on = on && SendMessageW(m_hList, LVM_GETSELECTEDCOUNT, 0, 0) > 0;
        break;
    case EBatchControl::OneLayout: id = IDC_BATCH_ONELAYOUT; break;
    case EBatchControl::Detect: id = IDC_BATCH_DETECT; break;
    case EBatchControl::Daily: id = IDC_BATCH_DAILY; break;
    case EBatchControl::TickerOn: id = IDC_BATCH_TICKERON; break;
    case EBatchControl::TickerCol: id = IDC_BATCH_TICKERCOL; break;
    case EBatchControl::Directory: id = IDC_BATCH_DIRECTORY; break;
    case EBatchControl::Browse: id = IDC_BATCH_BROWSE; break;
    case EBatchControl::Convert: id = IDC_BATCH_CONVERT; break;
    case EBatchControl::Files: m_bEditable = on; return;
    }
    EnableWindow(GetDlgItem(m_hDlg, id), on);
}

void CBatchDlg::SetCancelCaption(const std::string& caption)
{
    SetDlgItemTextW(m_hDlg, IDCANCEL, Wide(caption).c_str());
}

void CBatchDlg::RunInBackground(const std::function<void()>& work)
{
    RunOnWorker(work, true, m_hDlg);
}

void CBatchDlg::Post(std::function<void()> fn)
{
    PostToWindowThread(std::move(fn));
}

void CBatchDlg::Close()
{
    EndDialog(m_hDlg, IDCANCEL);
}

}  // namespace win32
