#include "win32/dialog_placement.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <vector>

namespace win32 {

namespace {

// The places of the dialogs whose WM_INITDIALOG is running (one may open another), before it ran.
struct PlaceBeforeInit {
    HWND hDialog;
    POINT place;
};
thread_local std::vector<PlaceBeforeInit> t_placesBeforeInit;
thread_local int t_nCentredSystemDialogs = 0;

bool IsDialog(HWND hWnd)
{
    wchar_t name[16] = L"";
    return GetClassNameW(hWnd, name, static_cast<int>(std::size(name))) > 0 && std::wcscmp(name, L"#32770") == 0 &&
           !(GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD);
}

POINT PlaceOf(HWND hWnd)
{
    RECT rect{};
    GetWindowRect(hWnd, &rect);
    return {rect.left, rect.top};
}

void CentreOnOwner(HWND hWnd)
{
    HWND hOwner = GetWindow(hWnd, GW_OWNER);
    RECT owner{};
    RECT rect{};
    if (!hOwner || IsIconic(hOwner) || !IsWindowVisible(hOwner) || !GetWindowRect(hOwner, &owner) ||
        !GetWindowRect(hWnd, &rect))
        return;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int x = owner.left + (owner.right - owner.left - width) / 2;
    int y = owner.top + (owner.bottom - owner.top - height) / 2;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(hOwner, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
        y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - height));
    }
    SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK BeforeMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const auto& message = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message.message == WM_INITDIALOG && IsDialog(message.hwnd))
        t_placesBeforeInit.push_back({message.hwnd, PlaceOf(message.hwnd)});
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The system's dialogs place themselves while they start; those the program opens are centred all the same.
LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const auto& message = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && message.message == WM_INITDIALOG && !t_placesBeforeInit.empty() &&
        t_placesBeforeInit.back().hDialog == message.hwnd) {
        const POINT before = t_placesBeforeInit.back().place;
        t_placesBeforeInit.pop_back();
        const POINT after = PlaceOf(message.hwnd);
        const bool bPlacedItself = before.x != after.x || before.y != after.y;
        if (!bPlacedItself || t_nCentredSystemDialogs > 0)
            CentreOnOwner(message.hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void CentreDialogsOnOwner()
{
    SetWindowsHookExW(WH_CALLWNDPROC, BeforeMessage, nullptr, GetCurrentThreadId());
    SetWindowsHookExW(WH_CALLWNDPROCRET, AfterMessage, nullptr, GetCurrentThreadId());
}

CCentredSystemDialog::CCentredSystemDialog()
{
    ++t_nCentredSystemDialogs;
}

CCentredSystemDialog::~CCentredSystemDialog()
{
    --t_nCentredSystemDialogs;
}

}  // namespace win32
