#pragma once
// Drives the modal dialog that the code under test is about to show: once it is up, the action runs on
// it (and is expected to close it).

#include <QApplication>
#include <QTimer>
#include <functional>

template <typename Dialog>
void WhenModal(std::function<void(Dialog&)> action)
{
    auto* pTimer = new QTimer;
    pTimer->setInterval(5);
    QObject::connect(pTimer, &QTimer::timeout, [pTimer, action] {
        auto* pDialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!pDialog)
            return;
        pTimer->stop();
        pTimer->deleteLater();
        action(*pDialog);
    });
    pTimer->start();
}
