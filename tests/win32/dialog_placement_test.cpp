// Where quoteforge.exe's dialogs open: centred on their owner unless they place themselves, the system's
// dialogs that the program opens centred all the same, and always whole on the screen.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <optional>

#include "win32/dialog_placement.h"

namespace {

// A dialog template of 120 x 60 dialog units without controls: no menu, the default class, no caption.
struct alignas(DWORD) EmptyTemplate {
    DLGTEMPLATE dialog{WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, 0, 0, 0, 120, 60};
    WORD menu = 0;
    WORD windowClass = 0;
    WORD title = 0;
};

// The dialog moves itself to the screen's corner while it starts when asked to.
INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG && lParam)
        SetWindowPos(hDlg, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return message == WM_INITDIALOG;
}

POINT Middle(HWND hWnd)
{
    RECT rect{};
    GetWindowRect(hWnd, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

TEST(DialogPlacement, CentredOnTheOwnerUnlessItPlacesItself)
{
    static const bool bInstalled = (win32::CentreDialogsOnOwner(), true);
    (void)bInstalled;
    HWND hOwner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 100, 80, 600, 400, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!hOwner)
        GTEST_SKIP() << "no window can be made here (no display)";
    const struct {
        bool bPlacesItself;
        bool bSystemDialog;
        bool bCentred;
    } cases[] = {{false, false, true}, {true, false, false}, {true, true, true}, {false, true, true}};
    EmptyTemplate dialogTemplate;
    for (const auto& each : cases) {
        std::optional<win32::CCentredSystemDialog> systemDialog;
        if (each.bSystemDialog)
            systemDialog.emplace();
        HWND hDialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &dialogTemplate.dialog, hOwner, DialogProc,
                                                  each.bPlacesItself);
        systemDialog.reset();
        ASSERT_NE(hDialog, nullptr);
        const POINT owner = Middle(hOwner);
        const POINT dialog = Middle(hDialog);
        const bool bCentred = std::abs(owner.x - dialog.x) <= 1 && std::abs(owner.y - dialog.y) <= 1;
        EXPECT_EQ(bCentred, each.bCentred) << "places itself " << each.bPlacesItself << ", system dialog "
                                           << each.bSystemDialog << ": middle " << dialog.x << "," << dialog.y;
        DestroyWindow(hDialog);
    }
    // An owner at the screen's right edge: the dialog stays whole on the screen.
    SetWindowPos(hOwner, nullptr, GetSystemMetrics(SM_CXSCREEN) - 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HWND hDialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &dialogTemplate.dialog, hOwner, DialogProc, 0);
    ASSERT_NE(hDialog, nullptr);
    RECT rect{};
    GetWindowRect(hDialog, &rect);
    EXPECT_LE(rect.right, GetSystemMetrics(SM_CXSCREEN));
    DestroyWindow(hDialog);
    DestroyWindow(hOwner);
}

}  // namespace
