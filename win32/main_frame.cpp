#include "win32/main_frame.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <filesystem>

#include "desktop/preview_grid_presenter.h"
#include "engine/text/text_reader.h"
#include "win32/about_dlg.h"
#include "win32/batch_dlg.h"
#include "win32/dialog_placement.h"
#include "win32/help.h"
#include "win32/resource.h"
#include "win32/settings_dlg.h"
#include "win32/text.h"
#include "win32/window_object.h"

namespace win32 {

namespace {

const wchar_t kClassName[] = L"QuoteforgeFrame";
constexpr int kToolBarImageWidth = 16;
constexpr int kToolBarImageHeight = 15;
constexpr int kPreviewLines = 10;

// A command's prompt from the string table: the status-bar text before '\n', the tool tip after it.
std::wstring Prompt(UINT id, bool toolTip)
{
    const wchar_t* pText = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&pText), 0);
    if (length <= 0)
        return {};
    const std::wstring text(pText, static_cast<std::size_t>(length));
    const std::size_t newline = text.find(L'\n');
    if (newline == std::wstring::npos)
        return toolTip ? std::wstring() : text;
    return toolTip ? text.substr(newline + 1) : text.substr(0, newline);
}

std::wstring FullPath(const std::wstring& path)
{
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return path;
    std::wstring full(length, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), length, full.data(), nullptr));
    return full;
}

bool IsReadableFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(hFile);
    return true;
}

}  // namespace

bool CheckFileReadable(HWND hOwner, const std::string& path)
{
    if (IsReadableFile(Wide(path)))
        return true;
    AskBox(hOwner, "Cannot open the file\n" + path, desktop::EButtons::Ok);
    return false;
}

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame()
{
    if (m_hLogFont)
        DeleteObject(m_hLogFont);
    if (m_hToolBarImages)
        ImageList_Destroy(m_hToolBarImages);
}

bool CMainFrame::Create(HINSTANCE hInstance, int nShow)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconW(hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    wc.hIconSm = static_cast<HICON>(LoadImageW(hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINFRAME);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc))
        return false;
    m_hAccel = LoadAcceleratorsW(hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    if (!CreateWindowExW(WS_EX_ACCEPTFILES, kClassName, L"Quoteforge", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, hInstance, this))
        return false;
    PlaceWindow(nShow);
    return true;
}

LRESULT CALLBACK CMainFrame::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* pThis = WindowObject(hWnd, message, lParam, &CMainFrame::m_hWnd);
    return pThis ? pThis->OnMessage(message, wParam, lParam) : DefWindowProcW(hWnd, message, wParam, lParam);
}

LRESULT CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_SIZE: OnSize(); return 0;
    case WM_SETFOCUS: SetFocus(m_hLog); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
    case WM_NOTIFY: OnNotify(*reinterpret_cast<const NMHDR*>(lParam)); return 0;
    case WM_MENUSELECT: OnMenuSelect(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_EXITMENULOOP: ShowStatus(Prompt(IDS_IDLE, false)); return 0;
    case WM_INITMENUPOPUP: OnUpdateSettings(); return 0;
    case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_SETCURSOR:
        if (m_bBusy) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_DPICHANGED: {
        const RECT* pRect = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(m_hWnd, nullptr, pRect->left, pRect->top, pRect->right - pRect->left, pRect->bottom - pRect->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CLOSE:
        OnClose();
        DestroyWindow(m_hWnd);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
    }
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

void CMainFrame::OnCreate()
{
    CreateToolBar();
    CreateStatusBar();
    CreateLog();
    m_previewGrid.CreatePanel(m_hWnd, GetModuleHandleW(nullptr));
    m_directoryPanel.CreatePanel(m_hWnd, GetModuleHandleW(nullptr));
    // The panels that View hid stay hidden.
    for (const Panel& panel : Panels()) {
        const bool bShown = m_store.ReadInt(kScreenSection, panel.name, 1) != 0;
        ShowWindow(panel.pPanel->Window(), bShown ? SW_SHOW : SW_HIDE);
        CheckMenuItem(GetMenu(m_hWnd), static_cast<UINT>(panel.command), MF_BYCOMMAND | (bShown ? MF_CHECKED : MF_UNCHECKED));
    }
    m_pMessages = std::make_unique<CMessageBoxSink>(m_hWnd, m_hStatusBar);
    m_pRunMessages = std::make_unique<CWindowThreadSink>(*m_pMessages);
    UpdateRecentFileMenu();
    OnUpdateSettings();
}

void CMainFrame::CreateToolBar()
{
    m_hToolBar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                 WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0, 0, 0, m_hWnd,
                                 reinterpret_cast<HMENU>(0xE800), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(m_hToolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // The pictures of the Qt toolbar, one strip of 16 x 15 each in the buttons' order; magenta is
    // transparent.
    m_hToolBarImages = ImageList_Create(kToolBarImageWidth, kToolBarImageHeight, ILC_COLOR24 | ILC_MASK, 4, 0);
    HINSTANCE hInstance = GetModuleHandleW(nullptr);
    if (auto hStrip = static_cast<HBITMAP>(
            LoadImageW(hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
        ImageList_AddMasked(m_hToolBarImages, hStrip, RGB(255, 0, 255));
        DeleteObject(hStrip);
    }
    SendMessageW(m_hToolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_hToolBarImages));
    TBBUTTON buttons[] = {
        {0, ID_FILE_OPEN, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
        {1, ID_FILE_SETTINGS, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
        {2, ID_VIEW_CLEARWINDOW, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
        {0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0},
        {3, ID_APP_ABOUT, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    };
    SendMessageW(m_hToolBar, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    SendMessageW(m_hToolBar, TB_AUTOSIZE, 0, 0);
}

// One pane: the message pane, which shows the command prompts and otherwise its idle text.
void CMainFrame::CreateStatusBar()
{
    m_hStatusBar = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                   m_hWnd, reinterpret_cast<HMENU>(0xE801), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(m_hStatusBar, SB_SIMPLE, TRUE, 0);
    ShowStatus(Prompt(IDS_IDLE, false));
}

// Read-only and word-wrapping: the user can select and copy the text but never change it.
void CMainFrame::CreateLog()
{
    m_hLog = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", nullptr,
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY |
                                 ES_NOHIDESEL,
                             0, 0, 0, 0, m_hWnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        m_hLogFont = CreateFontIndirectW(&metrics.lfMessageFont);
    SendMessageW(m_hLog, WM_SETFONT, reinterpret_cast<WPARAM>(m_hLogFont), FALSE);
    // The log grows with every run: no limit of its own.
    SendMessageW(m_hLog, EM_SETLIMITTEXT, 0, 0);
}

// The stored place when it fits on the screen, else centred on 85 % of it; a window closed maximized
// opens maximized.
void CMainFrame::PlaceWindow(int nShow)
{
    int x = m_store.ReadInt(kScreenSection, "x", 0);
    int y = m_store.ReadInt(kScreenSection, "y", 0);
    int cx = m_store.ReadInt(kScreenSection, "cx", 0);
    int cy = m_store.ReadInt(kScreenSection, "cy", 0);
    const int screenX = GetSystemMetrics(SM_CXSCREEN);
    const int screenY = GetSystemMetrics(SM_CYSCREEN);
    if (!(cx > 0 && cy > 0 && x >= 0 && y >= 0 && cx <= screenX && cy <= screenY && x <= screenX && y <= screenY)) {
        cx = static_cast<int>(static_cast<float>(screenX) * 0.85f);
        cy = static_cast<int>(static_cast<float>(screenY) * 0.85f);
        x = (screenX - cx) / 2;
        y = (screenY - cy) / 2;
    }
    SetWindowPos(m_hWnd, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    const bool bMaximized = m_store.ReadInt(kScreenSection, "Maximized", 0) != 0;
    ShowWindow(m_hWnd, bMaximized && nShow != SW_SHOWMINIMIZED && nShow != SW_MINIMIZE ? SW_SHOWMAXIMIZED : nShow);
    UpdateWindow(m_hWnd);
}

// A minimized window stores nothing; a maximized one stores the place it has when restored, and that it
// was maximized.
void CMainFrame::OnClose()
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(m_hWnd, &placement) || placement.showCmd == SW_SHOWMINIMIZED || IsIconic(m_hWnd))
        return;
    const bool bMaximized = IsZoomed(m_hWnd) != FALSE;
    RECT rect{};
    if (bMaximized)
        rect = placement.rcNormalPosition;
    else
        GetWindowRect(m_hWnd, &rect);
    m_store.WriteInt(kScreenSection, "cx", rect.right - rect.left);
    m_store.WriteInt(kScreenSection, "cy", rect.bottom - rect.top);
    m_store.WriteInt(kScreenSection, "x", std::max(0, static_cast<int>(rect.left)));
    m_store.WriteInt(kScreenSection, "y", std::max(0, static_cast<int>(rect.top)));
    m_store.WriteInt(kScreenSection, "Maximized", bMaximized ? 1 : 0);
    for (const Panel& panel : Panels())
        m_store.WriteInt(kScreenSection, panel.name, IsWindowVisible(panel.pPanel->Window()) ? 1 : 0);
}

std::vector<CMainFrame::Panel> CMainFrame::Panels()
{
    return {{&m_previewGrid, ID_VIEW_PREVIEWGRID, "PreviewGrid"}, {&m_directoryPanel, ID_VIEW_DIRECTORYPANEL, "DirectoryPanel"}};
}

void CMainFrame::TogglePanel(int command)
{
    for (const Panel& panel : Panels())
        if (panel.command == command) {
            const bool bShown = !IsWindowVisible(panel.pPanel->Window());
            ShowWindow(panel.pPanel->Window(), bShown ? SW_SHOW : SW_HIDE);
            CheckMenuItem(GetMenu(m_hWnd), static_cast<UINT>(command), MF_BYCOMMAND | (bShown ? MF_CHECKED : MF_UNCHECKED));
        }
    OnSize();
}

void CMainFrame::OnSize()
{
    SendMessageW(m_hToolBar, TB_AUTOSIZE, 0, 0);
    SendMessageW(m_hStatusBar, WM_SIZE, 0, 0);
    RECT client{};
    RECT bar{};
    RECT status{};
    GetClientRect(m_hWnd, &client);
    GetWindowRect(m_hToolBar, &bar);
    GetWindowRect(m_hStatusBar, &status);
    const int top = bar.bottom - bar.top;
    const int bottom = client.bottom - (status.bottom - status.top);
    const int height = std::max(0, bottom - top);
    // The panels take the larger share on the right, the preview above the Directory panel; one shown
    // alone takes the whole height.
    const bool bPreview = IsWindowVisible(m_previewGrid.Window()) != FALSE;
    const bool bDirectory = IsWindowVisible(m_directoryPanel.Window()) != FALSE;
    const int logWidth = bPreview || bDirectory ? client.right * 9 / 20 : client.right;
    MoveWindow(m_hLog, 0, top, logWidth, height, TRUE);
    const int previewHeight = bDirectory ? (bPreview ? height / 2 : 0) : height;
    MoveWindow(m_previewGrid.Window(), logWidth, top, client.right - logWidth, previewHeight, TRUE);
    MoveWindow(m_directoryPanel.Window(), logWidth, top + previewHeight, client.right - logWidth, height - previewHeight, TRUE);
}

void CMainFrame::OnCommand(int id)
{
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount) {
        const std::size_t index = static_cast<std::size_t>(id - ID_FILE_MRU_FILE1);
        if (index < m_recentFiles.size())
            OpenDocumentFile(std::string(m_recentFiles[index]));
        return;
    }
    switch (id) {
    case ID_FILE_OPEN: OnFileOpen(); break;
    case ID_FILE_SETTINGS: OnSettings(); break;
    case ID_FILE_CONVERTMANY: OnConvertMany({}); break;
    case ID_FILE_NEW:
    case ID_VIEW_CLEARWINDOW: OnClearWindow(); break;
    case ID_APP_EXIT: SendMessageW(m_hWnd, WM_CLOSE, 0, 0); break;
    case ID_APP_ABOUT: OnAppAbout(); break;
    case ID_HELP:
    case ID_HELP_FINDER:
    case ID_CONTEXT_HELP: ShowHelp(m_hWnd, desktop::kIndexHelpPage); break;
    case ID_VIEW_PREVIEWGRID:
    case ID_VIEW_DIRECTORYPANEL: TogglePanel(id); break;
    // The log is read-only: of the edit keys only copying does anything.
    case ID_EDIT_COPY: SendMessageW(m_hLog, WM_COPY, 0, 0); break;
    default: break;
    }
}

void CMainFrame::OnNotify(const NMHDR& header)
{
    if (header.code == TTN_GETDISPINFOW) {
        auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
        static std::wstring tip;
        tip = Prompt(static_cast<UINT>(header.idFrom), true);
        info.lpszText = tip.data();
    } else if (header.code == TBN_HOTITEMCHANGE) {
        const auto& hot = reinterpret_cast<const NMTBHOTITEM&>(header);
        ShowStatus(hot.dwFlags & HICF_LEAVING ? Prompt(IDS_IDLE, false) : Prompt(static_cast<UINT>(hot.idNew), false));
    }
}

void CMainFrame::OnMenuSelect(UINT item, UINT flags)
{
    if (flags == 0xFFFF || (flags & (MF_POPUP | MF_SEPARATOR)))
        ShowStatus(Prompt(IDS_IDLE, false));
    else
        ShowStatus(Prompt(item >= ID_FILE_MRU_FILE1 && item < ID_FILE_MRU_FILE1 + kRecentFileCount ? ID_FILE_MRU_FILE1 : item, false));
}

void CMainFrame::ShowStatus(const std::wstring& text)
{
    SendMessageW(m_hStatusBar, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
}

void CMainFrame::OnDropFiles(HDROP hDrop)
{
    std::vector<std::string> files;
    const UINT count = DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring file(DragQueryFileW(hDrop, i, nullptr, 0) + 1, L'\0');
        file.resize(DragQueryFileW(hDrop, i, file.data(), static_cast<UINT>(file.size())));
        files.push_back(Utf8(file));
    }
    DragFinish(hDrop);
    // Opened once the drop is over, so that the source application is not kept waiting for the dialog.
    PostToWindowThread([this, files] { OpenFiles(files); });
}

void CMainFrame::OpenFiles(const std::vector<std::string>& files)
{
    if (files.size() == 1)
        OpenDocumentFile(files.front());
    else if (files.size() > 1)
        OnConvertMany(files);
}

void CMainFrame::OnFileOpen()
{
    wchar_t file[MAX_PATH * 4] = L"";
    const std::wstring filter = PriceFileFilter();
    const std::wstring folder = Wide(m_stored.OpenFolder());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = static_cast<DWORD>(std::size(file));
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = L"Open";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    CCentredSystemDialog centred;
    if (!GetOpenFileNameW(&ofn))
        return;
    m_stored.SetOpenFolder(Utf8(std::filesystem::path(file).parent_path().wstring()));
    OpenDocumentFile(Utf8(file));
}

bool CMainFrame::OpenDocumentFile(const std::string& path)
{
    if (!CheckFileReadable(m_hWnd, path))
        return false;
    m_inputPath = Utf8(FullPath(Wide(path)));
    m_store.AddRecentFile(m_inputPath);
    UpdateRecentFileMenu();
    OnUpdateSettings();
    OnPreviewFile();
    return true;
}

// The preview: a heading, the file's first ten lines and what its layout looks like, then the
// conversion command.
void CMainFrame::OnPreviewFile()
{
    SendMessageW(m_hLog, WM_SETREDRAW, FALSE, 0);
    OnClearWindow();
    engine::CTextReader reader;
    const bool opened = reader.Open(m_inputPath);
    AppendLog("To help you with the conversion settings, your file...\r\n\r\n\t" + m_inputPath +
              "\r\n\r\nlooks like this...\r\n\r\n");
    std::string_view piece;
    std::string lines;
    for (int line = 0; opened && line < kPreviewLines && reader.ReadLine(piece); ++line)
        lines += Utf8(FileText(std::string(engine::WithoutLineFeed(piece)))) + "\r\n";
    reader.Close();
    AppendLog(lines);
    const desktop::FilePreview preview = desktop::ReadFilePreview(m_inputPath);
    if (opened)
        AppendLog("\r\n" + preview.sentence + "\r\n");
    m_previewGrid.SetPreview(preview);
    SendMessageW(m_hLog, EM_SETSEL, 0, 0);
    SendMessageW(m_hLog, EM_SCROLLCARET, 0, 0);
    SendMessageW(m_hLog, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_hLog, nullptr, TRUE);
    OnSettings();
}

void CMainFrame::OnClearWindow()
{
    SetWindowTextW(m_hLog, L"");
}

// "Settings..." is available once a file has been opened.
void CMainFrame::OnUpdateSettings()
{
    const bool bOn = !m_inputPath.empty();
    EnableMenuItem(GetMenu(m_hWnd), ID_FILE_SETTINGS, MF_BYCOMMAND | (bOn ? MF_ENABLED : MF_GRAYED));
    SendMessageW(m_hToolBar, TB_ENABLEBUTTON, ID_FILE_SETTINGS, MAKELPARAM(bOn ? TRUE : FALSE, 0));
}

// The recent files take the place of the "Recent File" item, numbered "&1 path" to "&4 path".
void CMainFrame::UpdateRecentFileMenu()
{
    HMENU hFile = GetSubMenu(GetMenu(m_hWnd), 0);
    for (int i = 0; i < kRecentFileCount; ++i)
        DeleteMenu(hFile, static_cast<UINT>(ID_FILE_MRU_FILE1 + i), MF_BYCOMMAND);
    m_recentFiles = m_store.RecentFiles();
    // The items stand after the first separator.
    int position = 0;
    const int count = GetMenuItemCount(hFile);
    while (position < count && !(GetMenuState(hFile, static_cast<UINT>(position), MF_BYPOSITION) & MF_SEPARATOR))
        ++position;
    ++position;
    if (m_recentFiles.empty()) {
        InsertMenuW(hFile, static_cast<UINT>(position), MF_BYPOSITION | MF_STRING | MF_GRAYED, ID_FILE_MRU_FILE1,
                    L"Recent File");
        return;
    }
    for (std::size_t i = 0; i < m_recentFiles.size(); ++i) {
        const std::wstring text = L"&" + std::to_wstring(i + 1) + L" " + Wide(m_recentFiles[i]);
        InsertMenuW(hFile, static_cast<UINT>(position) + static_cast<UINT>(i), MF_BYPOSITION | MF_STRING,
                    ID_FILE_MRU_FILE1 + i, text.c_str());
    }
}

void CMainFrame::OnSettings()
{
    if (m_inputPath.empty())
        return;
    if (m_inputPath != m_command.InputPath())
        m_command.OnFileOpened(m_inputPath);
    m_command.SetDateFormat(m_nDateFormat);
    m_command.OnSettings();
    m_nDateFormat = m_command.DateFormat();
}

void CMainFrame::OnConvertMany(const std::vector<std::string>& files)
{
    CBatchDlg dlg(m_stored, m_stored.LoadConversion());
    if (dlg.DoModal(m_hWnd, files)) {
        AppendLog("\r\n" + dlg.Summary());
        ShowDirectory(dlg.Directory());
    }
}

void CMainFrame::OnAppAbout()
{
    ShowAboutBox(m_hWnd);
}

bool CMainFrame::EditSettings(engine::ConversionSettings& settings, int& dateFormat)
{
    CSettingsDlg dlg(settings, m_inputPath, &m_stored);
    dlg.SetInputListener([this](const engine::ConversionSettings& shown) { m_previewGrid.ShowSettings(shown); });
    return dlg.DoModal(m_hWnd, settings, dateFormat);
}

desktop::EAnswer CMainFrame::Ask(const std::string& text, desktop::EButtons buttons)
{
    return AskBox(m_hWnd, text, buttons);
}

void CMainFrame::AppendLog(const std::string& text)
{
    const int length = GetWindowTextLengthW(m_hLog);
    SendMessageW(m_hLog, EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageW(m_hLog, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(text).c_str()));
    SendMessageW(m_hLog, EM_SCROLLCARET, 0, 0);
}

void CMainFrame::RunInBackground(const std::function<void()>& work)
{
    RunOnWorker(work);
}

void CMainFrame::ShowBusy(bool busy)
{
    m_bBusy = busy;
    if (!busy)
        ShowStatus(Prompt(IDS_IDLE, false));  // a waiting notice is over
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void CMainFrame::Beep()
{
    MessageBeep(MB_OK);
}

engine::IMessageSink& CMainFrame::RunMessages()
{
    return *m_pRunMessages;
}

engine::ISettingsWriter& CMainFrame::RunSettings()
{
    return m_runSettings;
}

void CMainFrame::ShowDirectory(const std::string& directory)
{
    m_directoryPanel.ShowDirectory(directory);
}

}  // namespace win32
