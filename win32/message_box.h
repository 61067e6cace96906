#pragma once
// The program's message boxes: caption "Quoteforge", a warning with OK, or a question with Yes and No.

#include <windows.h>

#include <string>

#include "desktop/question.h"
#include "engine/job/services.h"

namespace win32 {

desktop::EAnswer AskBox(HWND hOwner, const std::string& text, desktop::EButtons buttons);

// A run's messages as boxes over the owner, its notices in the status bar.
class CMessageBoxSink : public engine::IMessageSink {
public:
    CMessageBoxSink(HWND hOwner, HWND hStatusBar) : m_hOwner(hOwner), m_hStatusBar(hStatusBar) {}
    void ShowMessage(const std::string& text) override;
    void ShowNotice(const std::string& text) override;

private:
    HWND m_hOwner;
    HWND m_hStatusBar;
};

}  // namespace win32
