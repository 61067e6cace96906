#include "win32/message_box.h"

#include <commctrl.h>

#include "win32/dialog_placement.h"
#include "win32/text.h"

namespace win32 {

desktop::EAnswer AskBox(HWND hOwner, const std::string& text, desktop::EButtons buttons)
{
    UINT type = MB_OK | MB_ICONWARNING;
    if (buttons == desktop::EButtons::YesNo)
        type = MB_YESNO | MB_ICONQUESTION;
    else if (buttons == desktop::EButtons::YesNoDefaultNo)
        type = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
    CCentredSystemDialog centred;
    const int answer = MessageBoxW(hOwner, Wide(text).c_str(), L"Quoteforge", type);
    if (buttons == desktop::EButtons::Ok)
        return desktop::EAnswer::Ok;
    return answer == IDYES ? desktop::EAnswer::Yes : desktop::EAnswer::No;
}

void CMessageBoxSink::ShowMessage(const std::string& text)
{
    AskBox(m_hOwner, text, desktop::EButtons::Ok);
}

void CMessageBoxSink::ShowNotice(const std::string& text)
{
    if (m_hStatusBar)
        SendMessageW(m_hStatusBar, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

}  // namespace win32
