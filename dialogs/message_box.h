#pragma once
// Every message box of the desktop application goes through ShowMessageBox: modal, captioned "Quoteforge",
// with an OK button or with Yes and No. Tests install a recorder that takes the text and answers instead of
// showing anything.

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

#include "desktop/question.h"

class QWidget;

// YesNoDefaultNo asks a question whose safe answer is No: Enter answers No.

namespace dialogs {

enum class EMessageButtons { Ok, YesNo, YesNoDefaultNo };
enum class EMessageAnswer { Ok, Yes, No };

// Shows the text and waits for the answer. Without a parent the box is centred over the active window, or
// over the main window when none is active.
EMessageAnswer ShowMessageBox(const QString& strText, EMessageButtons buttons = EMessageButtons::Ok,
                              QWidget* pParent = nullptr);

using MessageBoxRecorder = std::function<EMessageAnswer(const QString& strText, EMessageButtons buttons)>;

// Installs a recorder in place of the real message box; an empty one brings the real box back. Returns the
// recorder installed before.
MessageBoxRecorder SetMessageBoxRecorder(MessageBoxRecorder recorder);

// For tests: records every message box of its lifetime. A box with an OK button is answered Ok, a question
// with the answer chosen (Yes unless set otherwise).
class CMessageBoxLog {
public:
    explicit CMessageBoxLog(EMessageAnswer questionAnswer = EMessageAnswer::Yes);
    ~CMessageBoxLog();
    CMessageBoxLog(const CMessageBoxLog&) = delete;
    CMessageBoxLog& operator=(const CMessageBoxLog&) = delete;

    void SetQuestionAnswer(EMessageAnswer answer) { m_questionAnswer = answer; }
    const QStringList& Texts() const { return m_texts; }
    const std::vector<EMessageButtons>& Buttons() const { return m_buttons; }
    void Clear();

private:
    EMessageAnswer m_questionAnswer;
    QStringList m_texts;
    std::vector<EMessageButtons> m_buttons;
    MessageBoxRecorder m_previous;
};

// A presenter's question, shown as ShowMessageBox shows it.
desktop::EAnswer AskBox(const std::string& text, desktop::EButtons buttons, QWidget* pParent = nullptr);

}  // namespace dialogs
