#include "settings/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace {

const char* const kCaption = "Quoteforge";

MessageBoxRecorder& Recorder()
{
    static MessageBoxRecorder recorder;
    return recorder;
}

}  // namespace

EMessageAnswer ShowMessageBox(const QString& strText, EMessageButtons buttons, QWidget* pParent)
{
    if (Recorder())
        return Recorder()(strText, buttons);

    if (!pParent)
        pParent = QApplication::activeWindow();
    QMessageBox box(pParent);
    box.setWindowTitle(QString::fromLatin1(kCaption));
    box.setText(strText);
    box.setTextFormat(Qt::PlainText);
    if (buttons == EMessageButtons::YesNo) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? EMessageAnswer::Yes : EMessageAnswer::No;
    }
    box.setIcon(QMessageBox::Warning);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return EMessageAnswer::Ok;
}

MessageBoxRecorder SetMessageBoxRecorder(MessageBoxRecorder recorder)
{
    MessageBoxRecorder previous = std::move(Recorder());
    Recorder() = std::move(recorder);
    return previous;
}

CMessageBoxLog::CMessageBoxLog(EMessageAnswer questionAnswer) : m_questionAnswer(questionAnswer)
{
    m_previous = SetMessageBoxRecorder([this](const QString& strText, EMessageButtons buttons) {
        m_texts.append(strText);
        m_buttons.push_back(buttons);
        return buttons == EMessageButtons::YesNo ? m_questionAnswer : EMessageAnswer::Ok;
    });
}

CMessageBoxLog::~CMessageBoxLog()
{
    SetMessageBoxRecorder(std::move(m_previous));
}

void CMessageBoxLog::Clear()
{
    m_texts.clear();
    m_buttons.clear();
}
