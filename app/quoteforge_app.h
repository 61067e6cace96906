#pragma once
// The application object: it starts and ends the program, owns the settings store for the whole
// process, and keeps the About box links' visited flags, which last until the program ends.

#include <QStringList>

namespace dialogs { class CProfileStore; }

namespace app {

class CMainFrame;

class CQuoteforgeApp {
public:
    CQuoteforgeApp();
    ~CQuoteforgeApp();
    CQuoteforgeApp(const CQuoteforgeApp&) = delete;
    CQuoteforgeApp& operator=(const CQuoteforgeApp&) = delete;

    // Opens the settings store (importing the legacy INI file when the store is new), shows the main
    // window and opens the file named on the command line, if any. False ends the program: a named
    // file that cannot be read. pProfile replaces the platform's store (the application owns it).
    bool InitInstance(const QStringList& arguments, dialogs::CProfileStore* pProfile = nullptr);
    int ExitInstance(int nExitCode);

    dialogs::CProfileStore* m_pProfile = nullptr;
    int m_bMailVisited = 0;
    int m_bWebVisited = 0;
    CMainFrame* m_pMainWnd = nullptr;
};

}  // namespace app
