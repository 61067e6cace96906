#include "app/message_box_sink.h"

#include <QApplication>
#include <QCursor>

#include "settings/message_box.h"

void CMessageBoxSink::ShowMessage(const std::string& text)
{
    // A run shows the wait cursor; the box itself gets the ordinary pointer.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting)
        QApplication::restoreOverrideCursor();
    ShowMessageBox(QString::fromLocal8Bit(text.c_str()));
    if (waiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}
