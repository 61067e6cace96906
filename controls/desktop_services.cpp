#include "controls/desktop_services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <utility>

namespace controls {

namespace {

OpenUrlFunction& OpenUrlReplacement()
{
    static OpenUrlFunction function;
    return function;
}

BeepFunction& BeepReplacement()
{
    static BeepFunction function;
    return function;
}

}  // namespace

bool OpenUrl(const QUrl& url)
{
    if (const OpenUrlFunction& replacement = OpenUrlReplacement())
        return replacement(url);
    return QDesktopServices::openUrl(url);
}

void Beep()
{
    if (const BeepFunction& replacement = BeepReplacement()) {
        replacement();
        return;
    }
    QApplication::beep();
}

void SetOpenUrlFunction(OpenUrlFunction function)
{
    OpenUrlReplacement() = std::move(function);
}

void SetBeepFunction(BeepFunction function)
{
    BeepReplacement() = std::move(function);
}

}  // namespace controls
