#include "app/help_window.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QWindow>

#include <algorithm>

#include "app/dialog_placement.h"
#include "res/resources.h"

namespace app {


CHelpWindow::CHelpWindow(QWidget* pParent) : QMainWindow(pParent, Qt::Window), m_pBrowser(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("Quoteforge Help"));
    setWindowIcon(ApplicationIcon());
    m_pBrowser->setOpenExternalLinks(true);
    setCentralWidget(m_pBrowser);

    QToolBar* pToolBar = addToolBar(QStringLiteral("Navigation"));
    pToolBar->setMovable(false);
    QAction* pContents = pToolBar->addAction(QStringLiteral("&Contents"), m_pBrowser, &QTextBrowser::home);
    QAction* pBack = pToolBar->addAction(QStringLiteral("&Back"), m_pBrowser, &QTextBrowser::backward);
    QAction* pForward = pToolBar->addAction(QStringLiteral("&Forward"), m_pBrowser, &QTextBrowser::forward);
    pBack->setShortcut(QKeySequence::Back);
    pForward->setShortcut(QKeySequence::Forward);
    pBack->setEnabled(false);
    pForward->setEnabled(false);
    connect(m_pBrowser, &QTextBrowser::backwardAvailable, pBack, &QAction::setEnabled);
    connect(m_pBrowser, &QTextBrowser::forwardAvailable, pForward, &QAction::setEnabled);
    pContents->setToolTip(QStringLiteral("Contents"));

    auto* pClose = new QAction(this);
    pClose->setShortcut(QKeySequence(Qt::Key_Escape));
    pClose->setShortcutContext(Qt::WindowShortcut);
    addAction(pClose);
    connect(pClose, &QAction::triggered, this, &QWidget::close);

    m_pBrowser->setSource(QUrl(QString::fromLatin1(kHelpIndexUrl)));
    resize(720, 560);
}

void CHelpWindow::ShowPage(const QString& strPage)
{
    if (!strPage.isEmpty())
        m_pBrowser->setSource(QUrl(strPage));
    QWidget* pModal = QApplication::activeModalWidget();
    if (pModal == this)
        pModal = nullptr;
    // Beside the dialog that asked for help, never over it; else beside the main window.
    if (pModal && (!isVisible() || frameGeometry().intersects(pModal->frameGeometry())))
        PlaceNearOwner(pModal);
    else if (!isVisible())
        PlaceNearOwner(parentWidget());
    if (pModal)
        KeepUsableBeside(pModal);
    show();
    raise();
    activateWindow();
}

QString CHelpWindow::CurrentPage() const
{
    return m_pBrowser->source().toString();
}

// Beside the owner, narrowed to the room there when need be.
void CHelpWindow::PlaceNearOwner(const QWidget* pOwner)
{
    if (!pOwner)
        return;
    const QScreen* pScreen = pOwner->screen();
    const QRect owner = pOwner->frameGeometry();
    const QRect screen = pScreen ? pScreen->availableGeometry() : owner;
    const QSize frame = frameGeometry().size() - size();
    // Beside a dialog it narrows to keep the dialog in view; the main window it may cover (over its
    // corner), since the help is read instead of the log rather than beside it.
    const QSize wanted = QSize(720, 560) + frame;
    QRect place = PlaceBesideWindow(owner, wanted, screen, pOwner->isModal() ? 320 : wanted.width());
    if (!pOwner->isModal() && place.intersects(owner))
        place.moveTopLeft(QPoint(std::min(owner.left() + 40, screen.right() + 1 - wanted.width()),
                                 std::min(owner.top() + 40, screen.bottom() + 1 - wanted.height())));
    resize(place.size() - frame);
    move(place.topLeft());
}

// A modal dialog blocks every window except its own and those that belong to it. While it is open the
// help window belongs to it; once the dialog is gone it belongs to the main window again.
// Whether a window is blocked is settled when it is shown, so a help window already open is shown again.
void CHelpWindow::KeepUsableBeside(QWidget* pModal)
{
    winId();  // the window exists from here on
    QWindow* pHelp = windowHandle();
    QWindow* pDialog = pModal->windowHandle();
    if (!pHelp || !pDialog || pDialog == pHelp || pHelp->transientParent() == pDialog)
        return;
    if (isVisible())
        hide();
    pHelp->setTransientParent(pDialog);
    connect(pDialog, &QWindow::visibleChanged, this, [this, pDialog](bool bVisible) {
        if (!bVisible && windowHandle() && windowHandle()->transientParent() == pDialog && parentWidget())
            windowHandle()->setTransientParent(parentWidget()->windowHandle());
    });
}

}  // namespace app
