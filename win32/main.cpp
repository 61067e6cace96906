// quoteforge.exe: the desktop for Windows, a native window over the desktop's presenters.

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "quoteforge_version.h"
#include "win32/dialog_placement.h"
#include "win32/help.h"
#include "win32/main_frame.h"
#include "win32/text.h"
#include "win32/window_thread.h"

namespace {

const char kUsage[] =
    "Usage: quoteforge [FILE...]\n"
    "Converts daily price text files into MetaStock directories.\n"
    "FILE, when given, is opened as File > Open does; several files go to Convert Many Files.\n"
    "\n"
    "  --help     print this text and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "The command line tool quoteforge-cli converts, lists, checks, exports and removes without a window.\n";

// A window program has no console of its own; --help and --version print into the one it was started from.
void Print(const std::string& text)
{
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        DWORD written = 0;
        const std::wstring wide = win32::Wide(text);
        HANDLE hOut = GetStdHandle(STD_OUTPUT_HANDLE);
        if (!WriteConsoleW(hOut, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr))
            WriteFile(hOut, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int nShow)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--help" || argument == L"-h") {
            Print(kUsage);
            return 0;
        }
        if (argument == L"--version") {
            Print(std::string("quoteforge ") + QUOTEFORGE_VERSION + "\n");
            return 0;
        }
        if (!argument.empty() && argument[0] != L'-')
            files.push_back(win32::Utf8(argument));
    }
    LocalFree(argv);

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    win32::StartWindowThread(hInstance);
    win32::InstallDialogHelpKey();
    win32::CentreDialogsOnOwner();
    // The first start takes over the settings that the legacy INI file holds.
    if (win32::CRegistryStore store; store.IsEmpty())
        store.ImportIniFile(win32::LegacyIniPath());

    // The message about an unreadable file is the program's, though it ends without showing its window.
    if (files.size() == 1 && !win32::CheckFileReadable(nullptr, files.front()))
        return 1;
    win32::CMainFrame frame;
    if (!frame.Create(hInstance, nShow))
        return 1;
    // The files open once the window is up, so that the dialog appears over it.
    if (!files.empty())
        win32::PostToWindowThread([&frame, files] { frame.OpenFiles(files); });

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // The keys of the menus first, then Tab and the mnemonics of the panels' controls.
        if (TranslateAcceleratorW(frame.Window(), frame.Accelerators(), &msg) || IsDialogMessageW(frame.Window(), &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CoUninitialize();
    return static_cast<int>(msg.wParam);
}
