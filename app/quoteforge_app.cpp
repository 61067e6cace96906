#include "app/quoteforge_app.h"

#include <QApplication>
#include <QTimer>

#include "app/main_frame.h"
#include "app/quoteforge_doc.h"
#include "res/resources.h"
#include "dialogs/profile_store.h"

namespace app {

using namespace dialogs;

namespace {

// The arguments that are not options name the files to open.
QStringList FileArguments(const QStringList& arguments)
{
    QStringList files;
    for (const QString& argument : arguments)
        if (!argument.startsWith('-'))
            files << argument;
    return files;
}

}  // namespace

CQuoteforgeApp::CQuoteforgeApp() = default;

CQuoteforgeApp::~CQuoteforgeApp()
{
    delete m_pMainWnd;
    delete m_pProfile;
}

bool CQuoteforgeApp::InitInstance(const QStringList& arguments, CProfileStore* pProfile)
{
    m_pProfile = pProfile ? pProfile : new CProfileStore();
    bool bCreated = false;
    if (m_pProfile->Open(&bCreated) && bCreated)
        m_pProfile->ImportIniFile();

    QApplication::setWindowIcon(ApplicationIcon());
    m_pMainWnd = new CMainFrame(*m_pProfile, &m_bMailVisited, &m_bWebVisited);
    // The message about an unreadable file is the main window's, though the program ends without showing it.
    const QStringList files = FileArguments(arguments);
    const QString strFile = files.value(0);
    if (files.size() == 1 && !CheckFileReadable(strFile, m_pMainWnd)) {
        delete m_pMainWnd;
        m_pMainWnd = nullptr;
        return false;
    }
    m_pMainWnd->show();
    // The file opens once the window is up, so that its preview and the dialog appear over it; several
    // files go to Convert Many Files, as when they are dropped on the window.
    if (!files.isEmpty())
        QTimer::singleShot(0, m_pMainWnd, [this, files] { m_pMainWnd->OpenDroppedFiles(files); });
    return true;
}

int CQuoteforgeApp::ExitInstance(int nExitCode)
{
    delete m_pMainWnd;
    m_pMainWnd = nullptr;
    delete m_pProfile;
    m_pProfile = nullptr;
    return nExitCode;
}

}  // namespace app
