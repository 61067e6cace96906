#include "win32/window_thread.h"

#include <atomic>
#include <memory>
#include <thread>

namespace win32 {

namespace {

constexpr UINT WM_POSTEDCALL = WM_APP + 1;  // lParam: a std::function<void()>* to run and delete
constexpr UINT WM_WORKDONE = WM_APP + 2;    // wakes the waiting loop

HWND g_hCalls = nullptr;
DWORD g_windowThread = 0;

LRESULT CALLBACK CallsProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_POSTEDCALL) {
        std::unique_ptr<std::function<void()>> fn(reinterpret_cast<std::function<void()>*>(lParam));
        (*fn)();
        return 0;
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

bool IsUserInput(const MSG& msg)
{
    return (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
           (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) ||
           (msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCXBUTTONDBLCLK);
}

}  // namespace

void StartWindowThread(HINSTANCE hInstance)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = CallsProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = L"QuoteforgeCalls";
    RegisterClassW(&wc);
    g_hCalls = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, hInstance, nullptr);
    g_windowThread = GetCurrentThreadId();
}

void PostToWindowThread(std::function<void()> fn)
{
    PostMessageW(g_hCalls, WM_POSTEDCALL, 0, reinterpret_cast<LPARAM>(new std::function<void()>(std::move(fn))));
}

void OnWindowThread(const std::function<void()>& fn)
{
    if (GetCurrentThreadId() == g_windowThread || !g_hCalls) {
        fn();
        return;
    }
    HANDLE hDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    PostToWindowThread([&fn, hDone] {
        fn();
        SetEvent(hDone);
    });
    WaitForSingleObject(hDone, INFINITE);
    CloseHandle(hDone);
}

void RunOnWorker(const std::function<void()>& work, bool takeInput, HWND hDialog)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
        // Posted after the work's own calls, so that the loop below has run them all when it sees this.
        PostMessageW(g_hCalls, WM_WORKDONE, 0, 0);
    });
    bool quit = false;
    int exitCode = 0;
    MSG msg;
    while (!done || PeekMessageW(&msg, g_hCalls, WM_POSTEDCALL, WM_WORKDONE, PM_NOREMOVE)) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            quit = true;
            exitCode = static_cast<int>(msg.wParam);
            continue;
        }
        if (!takeInput && IsUserInput(msg))
            continue;
        if (hDialog && IsDialogMessageW(hDialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    worker.join();
    if (quit)
        PostQuitMessage(exitCode);
}

void CWindowThreadSink::ShowMessage(const std::string& text)
{
    OnWindowThread([&] { m_sink.ShowMessage(text); });
}

void CWindowThreadSink::ShowNotice(const std::string& text)
{
    OnWindowThread([&] { m_sink.ShowNotice(text); });
}

void CWindowThreadSettingsWriter::WriteString(const std::string& section, const std::string& name,
                                              const std::string& value)
{
    OnWindowThread([&] { m_writer.WriteString(section, name, value); });
}

}  // namespace win32
