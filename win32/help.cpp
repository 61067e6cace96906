#include "win32/help.h"

#include <shellapi.h>

#include <iterator>
#include <string_view>

#include "metastock/file_system.h"
#include "win32/message_box.h"
#include "win32/text.h"

namespace win32 {

namespace {

// The dialogs with a page of their own. The settings, the batch and the About dialog take their captions
// from the resources; the folder dialog's is the one it is given.
struct DialogPage {
    const wchar_t* caption;
    const desktop::HelpPage& page;
};

const DialogPage kDialogPages[] = {
    {L"Conversion Settings", desktop::kSettingsHelpPage},
    {L"Choose Directory", desktop::kChooseDirHelpPage},
    {L"About Quoteforge", desktop::kAboutHelpPage},
    {L"Convert Many Files", desktop::kBatchHelpPage},
};

// A modal dialog runs its own message loop, which the main window's accelerators never see; its messages
// pass this filter first.
LRESULT CALLBACK DialogMessageFilter(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == MSGF_DIALOGBOX) {
        const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1) {
            HWND hDialog = GetAncestor(msg.hwnd, GA_ROOT);
            ShowHelp(hDialog, DialogHelpPage(hDialog));
            return TRUE;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

std::wstring HelpFilePath(const desktop::HelpPage& page)
{
    std::wstring program(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
        if (length < program.size()) {
            program.resize(length);
            break;
        }
        program.resize(program.size() * 2);
    }
    return program.substr(0, program.find_last_of(L"\\/") + 1) + L"help\\" + Wide(page.file);
}

bool OpenHelpPage(HWND hOwner, const desktop::HelpPage& page, std::string& message)
{
    const std::wstring path = HelpFilePath(page);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = hOwner;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    // The shell's own answer to a missing file is a dialog of its own, or nothing at all; the check first
    // gives the one message the program words.
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && ShellExecuteExW(&info))
        return true;
    // Some of the system's reasons name the file as "%1".
    std::string reason = metastock::LastFailureReason();
    if (const std::size_t insert = reason.find("%1"); insert != std::string::npos)
        reason.replace(insert, 2, Utf8(path.substr(path.find_last_of(L'\\') + 1)));
    message = "Cannot open the help page\n" + Utf8(path) + "\n" + reason;
    return false;
}

void ShowHelp(HWND hOwner, const desktop::HelpPage& page)
{
    std::string message;
    if (!OpenHelpPage(hOwner, page, message))
        AskBox(hOwner, message, desktop::EButtons::Ok);
}

const desktop::HelpPage& DialogHelpPage(HWND hDialog)
{
    wchar_t caption[64] = L"";
    GetWindowTextW(hDialog, caption, static_cast<int>(std::size(caption)));
    for (const DialogPage& each : kDialogPages)
        if (std::wstring_view(caption) == each.caption)
            return each.page;
    return desktop::kIndexHelpPage;
}

void InstallDialogHelpKey()
{
    SetWindowsHookExW(WH_MSGFILTER, DialogMessageFilter, nullptr, GetCurrentThreadId());
}

}  // namespace win32
