#include "win32/panel.h"
#include "win32/window_object.h"

namespace win32 {

namespace {

const wchar_t kPanelClass[] = L"QuoteforgePanel";

}  // namespace

HFONT MessageFont()
{
    static HFONT hFont = [] {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        return CreateFontIndirectW(&metrics.lfMessageFont);
    }();
    return hFont;
}

bool CPanel::CreatePanel(HWND hParent, HINSTANCE hInstance)
{
    static const ATOM atom = [hInstance] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = hInstance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kPanelClass;
        return RegisterClassW(&wc);
    }();
    (void)atom;
    HDC hDC = GetDC(hParent);
    HGDIOBJ hOld = SelectObject(hDC, MessageFont());
    TEXTMETRICW metrics{};
    GetTextMetricsW(hDC, &metrics);
    SelectObject(hDC, hOld);
    ReleaseDC(hParent, hDC);
    m_nUnit = metrics.tmHeight;
    return CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0,
                           0, hParent, nullptr, hInstance, this) != nullptr;
}

HWND CPanel::AddControl(const wchar_t* szClass, const wchar_t* szText, DWORD style, int id, DWORD exStyle)
{
    HWND hControl = CreateWindowExW(exStyle, szClass, szText, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, m_hWnd,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(hControl, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont()), FALSE);
    return hControl;
}

LRESULT CALLBACK CPanel::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* pThis = WindowObject(hWnd, message, lParam, &CPanel::m_hWnd);
    if (pThis) {
        switch (message) {
        case WM_CREATE: pThis->OnCreate(); return 0;
        case WM_SIZE: pThis->OnSize(LOWORD(lParam), HIWORD(lParam)); return 0;
        case WM_COMMAND: pThis->OnCommand(LOWORD(wParam)); return 0;
        case WM_NOTIFY: return pThis->OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        default: break;
        }
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

}  // namespace win32
