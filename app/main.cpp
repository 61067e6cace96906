#include <QApplication>

#include "app/quoteforge_app.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Pelnic Software"));
    QApplication::setApplicationName(QStringLiteral("Quoteforge"));
    QApplication::setApplicationVersion(QStringLiteral("1.3"));
    CQuoteforgeApp app;
    if (!app.InitInstance(QApplication::arguments().mid(1)))
        return 1;
    return app.ExitInstance(application.exec());
}
