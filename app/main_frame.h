#pragma once
// The main window: menu, toolbar, a status bar with one pane, and the text view. Its caption is always
// "Quoteforge"; its place and size, and which panels View shows, are remembered in section "Screen".

#include <QMainWindow>
#include <memory>
#include <utility>
#include <vector>

#include "app/stored_settings.h"
#include "desktop/stored_settings.h"
#include "dialogs/profile_store.h"

class QAction;
class QDragEnterEvent;
class QDockWidget;
class QDropEvent;
class QMenu;

namespace app {

class CDirectoryPanel;

// The file types of the open dialogs as a QFileDialog filter, price files first.
QString OpenFileFilter();

class CHelpWindow;
class CQuoteforgeDoc;
class CQuoteforgeView;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    CMainFrame(dialogs::CProfileStore& profile, int* pbMailVisited, int* pbWebVisited);
    ~CMainFrame() override;

    CQuoteforgeView* GetActiveView() const { return m_pView; }
    CQuoteforgeDoc* GetDocument() const { return m_pDoc.get(); }

    // Opens a file as File Open does; a file opened successfully goes to the top of the recent-file list.
    bool OpenDocumentFile(const QString& strPath);

    void OnFileOpen();
    // Files dropped on the window: one opens as File > Open does, several go to Convert Many Files.
    void OpenDroppedFiles(const QStringList& files);
    // File > Convert Many Files...: the batch dialog, with the files given (none: it asks for them).
    void OnConvertMany(const QStringList& files = {});
    void OnFileNew();
    void OnAppAbout();
    void OnHelp();
    // Shows the help window at the page; F1 in a dialog comes here too.
    void ShowHelpPage(const QString& strPage);
    CHelpWindow* GetHelpWindow() const { return m_pHelpWindow; }
    CDirectoryPanel* GetDirectoryPanel() const { return m_pDirectoryPanel; }

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    void PreCreateWindow();
    // The panels that View shows and hides, each with the name its visibility is stored under.
    std::vector<std::pair<QDockWidget*, const char*>> Panels() const;
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateDockWindows();
    void OnClose();
    void OnOpenRecentFile(int nIndex);
    void UpdateRecentFileMenu();
    void OnUpdateSettings();

    dialogs::CProfileStore& m_profile;
    CProfileStringStore m_stringStore{m_profile};
    desktop::CStoredSettings m_stored{m_stringStore};
    int* m_pbMailVisited;
    int* m_pbWebVisited;
    CQuoteforgeView* m_pView;
    std::unique_ptr<CQuoteforgeDoc> m_pDoc;
    CHelpWindow* m_pHelpWindow = nullptr;
    CDirectoryPanel* m_pDirectoryPanel = nullptr;
    QDockWidget* m_pPreviewDock = nullptr;

    QAction* m_pOpenAct = nullptr;
    QAction* m_pSettingsAct = nullptr;
    QAction* m_pConvertManyAct = nullptr;
    QAction* m_pExitAct = nullptr;
    QAction* m_pClearWindowAct = nullptr;
    QAction* m_pHelpTopicsAct = nullptr;
    QAction* m_pAboutAct = nullptr;
    QAction* m_pRecentFilePlaceholder = nullptr;
    QAction* m_pRecentFileActs[dialogs::kRecentFileCount] = {};
    QMenu* m_pFileMenu = nullptr;
    QMenu* m_pViewMenu = nullptr;
};

}  // namespace app
