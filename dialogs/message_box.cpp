#include "dialogs/message_box.h"

#include <QApplication>
#include <QGridLayout>
#include <QMainWindow>
#include <QMessageBox>
#include <QSpacerItem>

namespace dialogs {

namespace {

const char* const kCaption = "Quoteforge";

MessageBoxRecorder& Recorder()
{
    static MessageBoxRecorder recorder;
    return recorder;
}

// The active window, else the program's main window: a box always has an owner to centre on and take its
// icon from, also while no window is active (after a dialog has closed, during a run).
QWidget* Owner()
{
    if (QWidget* pActive = QApplication::activeWindow())
        return pActive;
    for (QWidget* pWidget : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(pWidget) && pWidget->parentWidget() == nullptr)
            return pWidget;
    return nullptr;
}

// Qt sizes a message box by its text alone, so a short message would cut the caption off; a spacer across
// the box keeps it as wide as the caption with the title bar's icon and buttons.
void MakeRoomForCaption(QMessageBox& box)
{
    auto* pLayout = qobject_cast<QGridLayout*>(box.layout());
    if (!pLayout)
        return;
    const QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    const int nWidth = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + 4 * 32 + 40;
    pLayout->addItem(new QSpacerItem(nWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), pLayout->rowCount(),
                     0, 1, pLayout->columnCount());
}

}  // namespace

EMessageAnswer ShowMessageBox(const QString& strText, EMessageButtons buttons, QWidget* pParent)
{
    if (Recorder())
        return Recorder()(strText, buttons);

    if (!pParent)
        pParent = Owner();
    QMessageBox box(pParent);
    box.setWindowTitle(QString::fromLatin1(kCaption));
    box.setWindowIcon(pParent ? pParent->window()->windowIcon() : QApplication::windowIcon());
    box.setText(strText);
    box.setTextFormat(Qt::PlainText);
    MakeRoomForCaption(box);
    if (buttons != EMessageButtons::Ok) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(buttons == EMessageButtons::YesNo ? QMessageBox::Yes : QMessageBox::No);
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
        return buttons == EMessageButtons::Ok ? EMessageAnswer::Ok : m_questionAnswer;
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

desktop::EAnswer AskBox(const std::string& text, desktop::EButtons buttons, QWidget* pParent)
{
    const EMessageButtons shown = buttons == desktop::EButtons::YesNo            ? EMessageButtons::YesNo
                                  : buttons == desktop::EButtons::YesNoDefaultNo ? EMessageButtons::YesNoDefaultNo
                                                                                 : EMessageButtons::Ok;
    const EMessageAnswer answer = ShowMessageBox(QString::fromStdString(text), shown, pParent);
    return answer == EMessageAnswer::Yes ? desktop::EAnswer::Yes
           : answer == EMessageAnswer::No ? desktop::EAnswer::No
                                          : desktop::EAnswer::Ok;
}

}  // namespace dialogs
