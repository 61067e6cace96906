#pragma once
// A child window of the main frame that holds a few controls and hands their notices to its owner: the
// base of the preview grid and the Directory panel. Tab and the mnemonics reach its controls through
// IsDialogMessage in the message loop (WS_EX_CONTROLPARENT).

#include <windows.h>

namespace win32 {

class CPanel {
public:
    virtual ~CPanel() = default;
    // Makes the panel as a child of hParent.
    bool CreatePanel(HWND hParent, HINSTANCE hInstance);
    HWND Window() const { return m_hWnd; }

protected:
    virtual void OnCreate() = 0;
    virtual void OnSize(int cx, int cy) = 0;
    virtual void OnCommand(int id) { (void)id; }
    virtual LRESULT OnNotify(const NMHDR& header) { (void)header; return 0; }

    // A control of the panel: its window class, text, style and id; its font is the message font.
    HWND AddControl(const wchar_t* szClass, const wchar_t* szText, DWORD style, int id, DWORD exStyle = 0);
    // Pixels for the dialog-font height multiples the layout is given in.
    int Unit() const { return m_nUnit; }

    HWND m_hWnd = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    HFONT m_hFont = nullptr;
    int m_nUnit = 8;
};

// The message font of the system, made once.
HFONT MessageFont();

}  // namespace win32
