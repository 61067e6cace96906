#pragma once
// The one QApplication that widget tests need, made at first use. Without a platform named in the
// environment the tests draw off screen, and nothing they do reaches the user's own settings.

#include <QApplication>
#include <QStandardPaths>

inline void EnsureApplication()
{
    if (QApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    static int argc = 1;
    static char name[] = "quoteforge_tests";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
}
