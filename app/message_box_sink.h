#pragma once
// The engine's messages, shown as the desktop's modal message boxes with an OK button; its passing
// notices (waiting for another run's lock) in the main window's status bar.

#include <QString>

#include "engine/job/services.h"

class QStatusBar;

// A box shows the engine's text and, on the next line, what the run was about (the symbol and the
// directory), so that a message never leaves the user guessing which security or directory it means.

namespace app {

class CMessageBoxSink : public engine::IMessageSink {
public:
    explicit CMessageBoxSink(QStatusBar* pStatusBar = nullptr, QString strContext = QString())
        : m_pStatusBar(pStatusBar), m_strContext(std::move(strContext))
    {
    }
    void ShowMessage(const std::string& text) override;
    void ShowNotice(const std::string& text) override;

    void SetStatusBar(QStatusBar* pStatusBar) { m_pStatusBar = pStatusBar; }
    // The engine's last message, for the log.
    const QString& LastMessage() const { return m_strLast; }

private:
    QStatusBar* m_pStatusBar;
    QString m_strContext;
    QString m_strLast;
};

}  // namespace app
