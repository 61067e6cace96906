#include <QApplication>

#include <cstdio>
#include <cstring>

#include "app/quoteforge_app.h"
#include "quoteforge_version.h"

namespace {

const char kUsage[] =
    "Usage: quoteforge [FILE...]\n"
    "Converts daily price text files into MetaStock directories.\n"
    "FILE, when given, is opened as File > Open does; several files go to Convert Many Files.\n"
    "\n"
    "  --help     print this text and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "The command line tool quoteforge-cli converts, lists, checks, exports and removes without a window.\n";

}  // namespace

int main(int argc, char** argv)
{
    // Answered before any window or display is needed, so that they work in a terminal without a screen.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quoteforge %s\n", QUOTEFORGE_VERSION);
            return 0;
        }
    }
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Pelnic Software"));
    QApplication::setApplicationName(QStringLiteral("Quoteforge"));
    QApplication::setApplicationVersion(QStringLiteral(QUOTEFORGE_VERSION));
    app::CQuoteforgeApp theApp;
    if (!theApp.InitInstance(QApplication::arguments().mid(1)))
        return 1;
    return theApp.ExitInstance(application.exec());
}
