#pragma once
// The main window: menu, toolbar, a status bar with one pane, and the text view. Its caption is always
// "Quoteforge"; its place and size are remembered in section "Screen".

#include <QMainWindow>
#include <memory>

#include "settings/profile_store.h"

class CHelpWindow;
class CProfileStore;
class CQuoteforgeDoc;
class CQuoteforgeView;
class QAction;
class QMenu;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    CMainFrame(CProfileStore& profile, int* pbMailVisited, int* pbWebVisited);
    ~CMainFrame() override;

    CQuoteforgeView* GetActiveView() const { return m_pView; }
    CQuoteforgeDoc* GetDocument() const { return m_pDoc.get(); }

    // Opens a file as File Open does; a file opened successfully goes to the top of the recent-file list.
    bool OpenDocumentFile(const QString& strPath);

    void OnFileOpen();
    void OnFileNew();
    void OnAppAbout();
    void OnHelp();
    // Shows the help window at the page; F1 in a dialog comes here too.
    void ShowHelpPage(const QString& strPage);
    CHelpWindow* GetHelpWindow() const { return m_pHelpWindow; }

protected:
    void closeEvent(QCloseEvent* pEvent) override;

private:
    void PreCreateWindow();
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void OnClose();
    void OnOpenRecentFile(int nIndex);
    void UpdateRecentFileMenu();
    void OnUpdateSettings();

    CProfileStore& m_profile;
    int* m_pbMailVisited;
    int* m_pbWebVisited;
    CQuoteforgeView* m_pView;
    std::unique_ptr<CQuoteforgeDoc> m_pDoc;
    CHelpWindow* m_pHelpWindow = nullptr;

    QAction* m_pOpenAct = nullptr;
    QAction* m_pSettingsAct = nullptr;
    QAction* m_pExitAct = nullptr;
    QAction* m_pClearWindowAct = nullptr;
    QAction* m_pHelpTopicsAct = nullptr;
    QAction* m_pAboutAct = nullptr;
    QAction* m_pRecentFilePlaceholder = nullptr;
    QAction* m_pRecentFileActs[kRecentFileCount] = {};
    QMenu* m_pFileMenu = nullptr;
};
