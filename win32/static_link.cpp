#include "win32/static_link.h"

#include <commctrl.h>
#include <shellapi.h>

#include "win32/text.h"

namespace win32 {

namespace {

constexpr COLORREF kUnvisited = RGB(0, 0, 255);
constexpr COLORREF kVisited = RGB(128, 0, 128);

struct StaticLink {
    std::wstring address;
    bool* pVisited;
    HFONT hFont = nullptr;  // the dialog's font underlined
};

void Paint(HWND hWnd, StaticLink& link)
{
    PAINTSTRUCT paint;
    HDC hDC = BeginPaint(hWnd, &paint);
    if (!link.hFont) {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(GetParent(hWnd), WM_GETFONT, 0, 0)), sizeof(font), &font);
        font.lfUnderline = TRUE;
        link.hFont = CreateFontIndirectW(&font);
    }
    RECT rect;
    GetClientRect(hWnd, &rect);
    wchar_t text[256] = L"";
    GetWindowTextW(hWnd, text, static_cast<int>(std::size(text)));
    HGDIOBJ hOld = SelectObject(hDC, link.hFont);
    SetBkMode(hDC, TRANSPARENT);
    SetTextColor(hDC, *link.pVisited ? kVisited : kUnvisited);
    DrawTextW(hDC, text, -1, &rect, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(hDC, hOld);
    EndPaint(hWnd, &paint);
}

LRESULT CALLBACK LinkProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto* pLink = reinterpret_cast<StaticLink*>(data);
    switch (message) {
    case WM_PAINT: Paint(hWnd, *pLink); return 0;
    case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, IDC_HAND)); return TRUE;
    case WM_LBUTTONUP: {
        const auto result = reinterpret_cast<INT_PTR>(
            ShellExecuteW(GetParent(hWnd), L"open", pLink->address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (result > 32) {
            *pLink->pVisited = true;
            InvalidateRect(hWnd, nullptr, TRUE);
        } else {
            MessageBeep(MB_ICONWARNING);
        }
        return 0;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(hWnd, LinkProc, 1);
        if (pLink->hFont)
            DeleteObject(pLink->hFont);
        delete pLink;
        break;
    default: break;
    }
    return DefSubclassProc(hWnd, message, wParam, lParam);
}

}  // namespace

void AttachStaticLink(HWND hStatic, const std::string& text, const std::string& address, bool* pVisited)
{
    SetWindowTextW(hStatic, Wide(text).c_str());
    auto* pLink = new StaticLink{Wide(address), pVisited};
    SetWindowSubclass(hStatic, LinkProc, 1, reinterpret_cast<DWORD_PTR>(pLink));
}

}  // namespace win32
