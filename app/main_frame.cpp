#include "app/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/about_dlg.h"
#include "app/batch_dlg.h"
#include "app/directory_panel.h"
#include "app/preview_grid.h"
#include "app/help_window.h"
#include "app/quoteforge_doc.h"
#include "app/quoteforge_view.h"
#include "app/stored_settings.h"
#include "app/window_placement.h"
#include "desktop/file_types.h"
#include "res/resources.h"
#include "dialogs/engine_path.h"
#include "dialogs/help_request.h"
#include "dialogs/profile_store.h"

namespace app {

using namespace dialogs;

namespace {

// A command's prompt: the status-bar text, then the tool tip.
QAction* MakeAction(QObject* pParent, const QString& strText, const QString& strStatusTip, const QString& strToolTip)
{
    auto* pAction = new QAction(strText, pParent);
    pAction->setStatusTip(strStatusTip);
    pAction->setToolTip(strToolTip);
    return pAction;
}

// A key that works anywhere in the window without a menu item of its own.
QAction* AddAccelerator(QWidget* pWindow, const QList<QKeySequence>& keys)
{
    auto* pAction = new QAction(pWindow);
    pAction->setShortcuts(keys);
    pAction->setShortcutContext(Qt::WindowShortcut);
    pWindow->addAction(pAction);
    return pAction;
}

}  // namespace

QString OpenFileFilter()
{
    QStringList filters;
    for (const desktop::FileType& type : desktop::PriceFileTypes())
        filters << QString::fromStdString(type.caption);
    return filters.join(QStringLiteral(";;"));
}

CMainFrame::CMainFrame(CProfileStore& profile, int* pbMailVisited, int* pbWebVisited)
    : m_profile(profile), m_pbMailVisited(pbMailVisited), m_pbWebVisited(pbWebVisited),
      m_pView(new CQuoteforgeView(profile, this)), m_pDoc(std::make_unique<CQuoteforgeDoc>(*m_pView))
{
    setWindowTitle(QStringLiteral("Quoteforge"));
    setWindowIcon(ApplicationIcon());
    setCentralWidget(m_pView);
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateDockWindows();
    PreCreateWindow();
    // The panels take the larger share, so that the Directory panel's columns show without scrolling.
    resizeDocks({m_pPreviewDock}, {std::max(width() * 11 / 20, 520)}, Qt::Horizontal);
    setAcceptDrops(true);
    connect(m_pView, &CQuoteforgeView::InputPathChanged, this, &CMainFrame::OnUpdateSettings);
    OnUpdateSettings();
    SetHelpFunction([this](const QString& strPage) { ShowHelpPage(strPage); });
}

CMainFrame::~CMainFrame()
{
    SetHelpFunction({});
}

void CMainFrame::PreCreateWindow()
{
    const QString section = kScreenSection;
    const WindowPlacement stored{m_profile.ReadInt(section, "x", 0), m_profile.ReadInt(section, "y", 0),
                                  m_profile.ReadInt(section, "cx", 0), m_profile.ReadInt(section, "cy", 0)};
    const QScreen* pScreen = QGuiApplication::primaryScreen();
    const QSize screen = pScreen ? pScreen->geometry().size() : QSize(1024, 768);
    const WindowPlacement placement = ChooseWindowPlacement(stored, screen);
    move(placement.x, placement.y);
    resize(placement.cx, placement.cy);
    // A window closed maximized opens maximized; its stored place is where it goes when restored.
    if (m_profile.ReadInt(section, "Maximized", 0) != 0)
        setWindowState(windowState() | Qt::WindowMaximized);
    // The panels that View hid stay hidden.
    for (const auto& [pDock, szName] : Panels())
        if (m_profile.ReadInt(section, szName, 1) == 0)
            pDock->hide();
}

std::vector<std::pair<QDockWidget*, const char*>> CMainFrame::Panels() const
{
    return {{m_pPreviewDock, "PreviewGrid"}, {m_pDirectoryPanel, "DirectoryPanel"}};
}

void CMainFrame::CreateActions()
{
    m_pOpenAct = MakeAction(this, "&Open...", "Open an existing document", "Open");
    m_pOpenAct->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_pOpenAct->setIcon(QIcon(QString::fromLatin1(kToolbarOpenPath)));
    connect(m_pOpenAct, &QAction::triggered, this, &CMainFrame::OnFileOpen);

    m_pSettingsAct = MakeAction(this, "Se&ttings...", "File conversion settings", "Settings");
    m_pSettingsAct->setIcon(QIcon(QString::fromLatin1(kToolbarSettingsPath)));
    connect(m_pSettingsAct, &QAction::triggered, m_pView, &CQuoteforgeView::OnSettings);

    m_pConvertManyAct = MakeAction(this, "Convert &Many Files...", "Convert several files into one directory",
                                   "Convert Many Files");
    connect(m_pConvertManyAct, &QAction::triggered, this, [this] { OnConvertMany(); });

    m_pExitAct = MakeAction(this, "E&xit", "Quit the application; prompts to save documents", "Exit");
    connect(m_pExitAct, &QAction::triggered, this, &QWidget::close);

    m_pClearWindowAct = MakeAction(this, "&Clear Window", "Clear Window", "Clear Window");
    m_pClearWindowAct->setIcon(QIcon(QString::fromLatin1(kToolbarClearWindowPath)));
    connect(m_pClearWindowAct, &QAction::triggered, m_pView, &CQuoteforgeView::OnClearWindow);

    m_pHelpTopicsAct = MakeAction(this, "&Help Topics", "List Help topics", "Help Topics");
    m_pHelpTopicsAct->setShortcut(QKeySequence(Qt::Key_F1));
    m_pHelpTopicsAct->setShortcutContext(Qt::WindowShortcut);
    connect(m_pHelpTopicsAct, &QAction::triggered, this, &CMainFrame::OnHelp);

    m_pAboutAct = MakeAction(this, "&About Quoteforge...",
                             "Display program information, version number and copyright", "About");
    m_pAboutAct->setIcon(QIcon(QString::fromLatin1(kToolbarAboutPath)));
    connect(m_pAboutAct, &QAction::triggered, this, &CMainFrame::OnAppAbout);

    for (int i = 0; i < kRecentFileCount; ++i) {
        m_pRecentFileActs[i] = MakeAction(this, QString(), "Open this document", QString());
        connect(m_pRecentFileActs[i], &QAction::triggered, this, [this, i] { OnOpenRecentFile(i); });
    }
    m_pRecentFilePlaceholder = MakeAction(this, "Recent File", "Open this document", QString());
    m_pRecentFilePlaceholder->setEnabled(false);

    // Keys without menu items. The edit keys act on the view, which is read-only, so only copying
    // does anything; there is a single pane, so F6 and Shift+F6 have nowhere to go.
    connect(AddAccelerator(this, {QKeySequence(Qt::CTRL | Qt::Key_N)}), &QAction::triggered, this,
            &CMainFrame::OnFileNew);
    connect(AddAccelerator(this, {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}),
            &QAction::triggered, m_pView, &QPlainTextEdit::undo);
    connect(AddAccelerator(this, {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}),
            &QAction::triggered, m_pView, &QPlainTextEdit::cut);
    connect(AddAccelerator(this, {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}),
            &QAction::triggered, m_pView, &QPlainTextEdit::copy);
    connect(AddAccelerator(this, {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}),
            &QAction::triggered, m_pView, &QPlainTextEdit::paste);
    AddAccelerator(this, {QKeySequence(Qt::Key_F6)});
    AddAccelerator(this, {QKeySequence(Qt::SHIFT | Qt::Key_F6)});
    connect(AddAccelerator(this, {QKeySequence(Qt::SHIFT | Qt::Key_F1)}),
            &QAction::triggered, this, &CMainFrame::OnHelp);
}

void CMainFrame::CreateMenus()
{
    m_pFileMenu = menuBar()->addMenu("&File");
    m_pFileMenu->addAction(m_pOpenAct);
    m_pFileMenu->addAction(m_pSettingsAct);
    m_pFileMenu->addAction(m_pConvertManyAct);
    m_pFileMenu->addSeparator();
    m_pFileMenu->addAction(m_pRecentFilePlaceholder);
    for (QAction* pAction : m_pRecentFileActs)
        m_pFileMenu->addAction(pAction);
    m_pFileMenu->addSeparator();
    m_pFileMenu->addAction(m_pExitAct);
    UpdateRecentFileMenu();

    m_pViewMenu = menuBar()->addMenu("&View");
    m_pViewMenu->addAction(m_pClearWindowAct);

    QMenu* pHelpMenu = menuBar()->addMenu("&Help");
    pHelpMenu->addAction(m_pHelpTopicsAct);
    pHelpMenu->addSeparator();
    pHelpMenu->addAction(m_pAboutAct);
}

void CMainFrame::CreateToolBar()
{
    QToolBar* pToolBar = addToolBar("Toolbar");
    pToolBar->setObjectName("Toolbar");
    pToolBar->setIconSize(QSize(16, 15));
    pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    pToolBar->addAction(m_pOpenAct);
    pToolBar->addAction(m_pSettingsAct);
    pToolBar->addAction(m_pClearWindowAct);
    pToolBar->addSeparator();
    pToolBar->addAction(m_pAboutAct);
}

// The Directory panel shows the directory of the stored settings, and after each run the one it wrote to.
void CMainFrame::CreateDockWindows()
{
    auto* pPreview = new QDockWidget(QStringLiteral("Preview"), this);
    pPreview->setObjectName(QStringLiteral("PreviewDock"));
    // Closable, so that View > Preview Grid can hide it.
    pPreview->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_pPreviewDock = pPreview;
    // The detection sentence heads the grid, where the Conversion Settings dialog never covers it.
    auto* pBody = new QWidget(pPreview);
    auto* pCaption = new QLabel(pBody);
    pCaption->setObjectName(QStringLiteral("PreviewCaption"));
    pCaption->setWordWrap(true);
    pCaption->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* pGrid = new CPreviewGrid(pBody);
    auto* pLayout = new QVBoxLayout(pBody);
    pLayout->setContentsMargins(4, 0, 4, 4);
    pLayout->addWidget(pCaption);
    pLayout->addWidget(pGrid, 1);
    pPreview->setWidget(pBody);
    connect(pGrid, &CPreviewGrid::CaptionChanged, pCaption, &QLabel::setText);
    m_pView->m_pPreviewGrid = pGrid;
    addDockWidget(Qt::RightDockWidgetArea, pPreview);
    m_pDirectoryPanel = new CDirectoryPanel(m_stored, this);
    addDockWidget(Qt::RightDockWidgetArea, m_pDirectoryPanel);
    splitDockWidget(pPreview, m_pDirectoryPanel, Qt::Vertical);
    resizeDocks({pPreview, m_pDirectoryPanel}, {1, 1}, Qt::Vertical);
    QAction* pPreviewToggle = pPreview->toggleViewAction();
    pPreviewToggle->setText(QStringLiteral("Preview &Grid"));
    pPreviewToggle->setStatusTip(QStringLiteral("Show or hide the preview as columns named by the settings"));
    m_pViewMenu->addAction(pPreviewToggle);
    QAction* pToggle = m_pDirectoryPanel->toggleViewAction();
    pToggle->setText(QStringLiteral("&Directory Panel"));
    pToggle->setStatusTip(QStringLiteral("Show or hide the securities of the output directory"));
    m_pViewMenu->addAction(pToggle);
    connect(m_pView, &CQuoteforgeView::RunFinished, m_pDirectoryPanel, &CDirectoryPanel::ShowDirectory);
    connect(m_pDirectoryPanel, &CDirectoryPanel::Log, m_pView,
            [this](const QString& strLine) { m_pView->AppendText(QStringLiteral("\r\n") + strLine); });
}

// One pane: the message pane, which shows the command prompts and otherwise its idle text.
void CMainFrame::CreateStatusBar()
{
    statusBar()->addWidget(new QLabel(QStringLiteral("For Help, press F1")), 1);
}

bool CMainFrame::OpenDocumentFile(const QString& strPath)
{
    if (!m_pDoc->OnOpenDocument(strPath))
        return false;
    m_profile.AddRecentFile(QDir::toNativeSeparators(QFileInfo(strPath).absoluteFilePath()));
    UpdateRecentFileMenu();
    return true;
}

void CMainFrame::OnFileOpen()
{
    const QString strPath = QFileDialog::getOpenFileName(this, QStringLiteral("Open"), FromEngineText(m_stored.OpenFolder()),
                                                         OpenFileFilter());
    if (strPath.isEmpty())
        return;
    m_stored.SetOpenFolder(EnginePath(QFileInfo(strPath).absolutePath()));
    OpenDocumentFile(strPath);
}

void CMainFrame::OnFileNew()
{
    m_pDoc->OnNewDocument();
}

void CMainFrame::OnOpenRecentFile(int nIndex)
{
    const QStringList files = m_profile.ReadRecentFiles();
    if (nIndex >= files.size())
        return;
    const QString strPath = files[nIndex];
    if (!OpenDocumentFile(strPath)) {
        // A file that can no longer be opened leaves the list.
        QStringList remaining = m_profile.ReadRecentFiles();
        remaining.removeAll(strPath);
        m_profile.WriteRecentFiles(remaining);
        UpdateRecentFileMenu();
    }
}

void CMainFrame::UpdateRecentFileMenu()
{
    const QStringList files = m_profile.ReadRecentFiles();
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* pAction = m_pRecentFileActs[i];
        pAction->setVisible(i < files.size());
        if (i < files.size()) {
            QString strShown = fontMetrics().elidedText(files[i], Qt::ElideMiddle, 400);
            pAction->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(strShown.replace('&', "&&")));
        }
    }
    m_pRecentFilePlaceholder->setVisible(files.isEmpty());
}

void CMainFrame::OnUpdateSettings()
{
    m_pView->OnUpdateSettings(m_pSettingsAct);
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg dlg(m_pbMailVisited, m_pbWebVisited, this);
    dlg.DoModal();
}

void CMainFrame::OnHelp()
{
    ShowHelpPage(QString());
}

void CMainFrame::ShowHelpPage(const QString& strPage)
{
    if (!m_pHelpWindow)
        m_pHelpWindow = new CHelpWindow(this);
    m_pHelpWindow->ShowPage(strPage);
}

// Files dropped on the window: one opens as File > Open does.
void CMainFrame::dragEnterEvent(QDragEnterEvent* pEvent)
{
    const QList<QUrl> urls = pEvent->mimeData()->urls();
    if (!urls.isEmpty() && std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); }))
        pEvent->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* pEvent)
{
    QStringList files;
    for (const QUrl& url : pEvent->mimeData()->urls())
        files << url.toLocalFile();
    pEvent->acceptProposedAction();
    // Opened once the drop is over, so that the source application is not kept waiting for the dialog.
    QTimer::singleShot(0, this, [this, files] { OpenDroppedFiles(files); });
}

void CMainFrame::OpenDroppedFiles(const QStringList& files)
{
    if (files.size() == 1)
        OpenDocumentFile(files.first());
    else if (files.size() > 1)
        OnConvertMany(files);
}

void CMainFrame::OnConvertMany(const QStringList& files)
{
    CBatchDlg dlg(m_stored.LoadConversion(), m_stored, this);
    dlg.AddFiles(files);
    connect(&dlg, &CBatchDlg::Finished, this, [this](const QString& strDirectory, const QString& strSummary) {
        m_pView->AppendText(QStringLiteral("\r\n") + strSummary);
        m_pDirectoryPanel->ShowDirectory(strDirectory);
    });
    dlg.exec();
}

void CMainFrame::closeEvent(QCloseEvent* pEvent)
{
    OnClose();
    if (m_pHelpWindow)
        m_pHelpWindow->close();
    pEvent->accept();
}

// A minimized window stores nothing, so that the next start uses the placement stored before. A maximized
// one stores the place it has when restored, and that it was maximized.
void CMainFrame::OnClose()
{
    if (isMinimized())
        return;
    const bool bMaximized = isMaximized();
    const QRect restored = normalGeometry();
    // pos() is the frame's corner, the geometries the client area's.
    const QPoint frameOffset = pos() - geometry().topLeft();
    const WindowPlacement placement = bMaximized && restored.isValid()
                                           ? PlacementToStore(restored.topLeft() + frameOffset, restored.size())
                                           : PlacementToStore(pos(), size());
    const QString section = kScreenSection;
    m_profile.WriteInt(section, "cx", placement.cx);
    m_profile.WriteInt(section, "cy", placement.cy);
    m_profile.WriteInt(section, "x", placement.x);
    m_profile.WriteInt(section, "y", placement.y);
    m_profile.WriteInt(section, "Maximized", bMaximized ? 1 : 0);
    for (const auto& [pDock, szName] : Panels())
        m_profile.WriteInt(section, szName, pDock->toggleViewAction()->isChecked() ? 1 : 0);
}

}  // namespace app
