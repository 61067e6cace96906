#include "win32/about_dlg.h"

#include <shellapi.h>

#include <string>

#include "desktop/about_box.h"
#include "win32/resource.h"
#include "win32/static_link.h"
#include "win32/text.h"

namespace win32 {

namespace {

class CAboutDlg : public desktop::IAboutView {
public:
    explicit CAboutDlg(HWND hDlg) : m_hDlg(hDlg) {}

    void ShowTexts(const desktop::AboutTexts& texts) override
    {
        SetWindowTextW(m_hDlg, Wide(texts.caption).c_str());
        const std::pair<int, const std::string*> items[] = {
            {IDC_ABOUT_WHAT, &texts.whatHeading}, {IDC_ABOUT_LEGALBOX, &texts.legalHeading},
            {IDC_ABOUT_VERSION, &texts.version},  {IDC_ABOUT_COPYRIGHT, &texts.copyright},
            {IDC_ABOUT_PURPOSE, &texts.purpose},  {IDC_ABOUT_MADEBY, &texts.madeBy},
            {IDC_ABOUT_LEGAL, &texts.legal},
        };
        for (const auto& [id, pText] : items)
            SetDlgItemTextW(m_hDlg, id, Wide(*pText).c_str());
        AttachStaticLink(GetDlgItem(m_hDlg, IDC_ABOUT_MAIL), texts.mail.text, texts.mail.address, &g_bMailVisited);
        AttachStaticLink(GetDlgItem(m_hDlg, IDC_ABOUT_WEB), texts.web.text, texts.web.address, &g_bWebVisited);
    }

    // A link opened once is drawn as visited in every later showing, until the program ends.
    static bool g_bMailVisited;
    static bool g_bWebVisited;

private:
    HWND m_hDlg;
};

bool CAboutDlg::g_bMailVisited = false;
bool CAboutDlg::g_bWebVisited = false;

INT_PTR CALLBACK AboutProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        CAboutDlg view(hDlg);
        desktop::CAboutPresenter(view, static_cast<int>(sizeof(void*) * 8)).OnInit();
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void ShowAboutBox(HWND hOwner)
{
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), hOwner, AboutProc, 0);
}

}  // namespace win32
