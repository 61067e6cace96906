#include "dialogs/help_request.h"

#include <QAction>
#include <QWidget>

namespace dialogs {

namespace {

HelpFunction& Function()
{
    static HelpFunction function;
    return function;
}

}  // namespace

void SetHelpFunction(HelpFunction function)
{
    Function() = std::move(function);
}

void AddHelpKey(QWidget* pDialog, const desktop::HelpPage& page)
{
    auto* pAction = new QAction(pDialog);
    pAction->setShortcut(QKeySequence::HelpContents);
    pAction->setShortcutContext(Qt::WindowShortcut);
    pDialog->addAction(pAction);
    const QString strPage = QStringLiteral("qrc:/help/") + QString::fromStdString(desktop::HelpAddress(page));
    QObject::connect(pAction, &QAction::triggered, pDialog, [strPage] {
        if (Function())
            Function()(strPage);
    });
}

}  // namespace dialogs
