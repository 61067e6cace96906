#pragma once
// The engine's messages, shown as the desktop's modal message boxes with an OK button; its passing
// notices (waiting for another run's lock) in the main window's status bar.

#include "engine/services.h"

class QStatusBar;

class CMessageBoxSink : public engine::IMessageSink {
public:
    explicit CMessageBoxSink(QStatusBar* pStatusBar = nullptr) : m_pStatusBar(pStatusBar) {}
    void ShowMessage(const std::string& text) override;
    void ShowNotice(const std::string& text) override;

private:
    QStatusBar* m_pStatusBar;
};
