#include "app/help_window.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QWindow>

#include <algorithm>

#include "res/resources.h"

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
    if (!isVisible())
        PlaceNearOwner();
    if (QWidget* pModal = QApplication::activeModalWidget())
        KeepUsableBeside(pModal);
    show();
    raise();
    activateWindow();
}

QString CHelpWindow::CurrentPage() const
{
    return m_pBrowser->source().toString();
}

// Beside the main window where the screen has room (right, then left), else over its top-left corner.
void CHelpWindow::PlaceNearOwner()
{
    const QWidget* pOwner = parentWidget();
    if (!pOwner)
        return;
    const QRect owner = pOwner->frameGeometry();
    const QScreen* pScreen = pOwner->screen();
    const QRect screen = pScreen ? pScreen->availableGeometry() : owner;
    const QSize size = frameGeometry().size();
    QPoint place(owner.left() + 40, owner.top() + 40);
    if (owner.right() + size.width() < screen.right())
        place = QPoint(owner.right() + 1, owner.top());
    else if (owner.left() - size.width() >= screen.left())
        place = QPoint(owner.left() - size.width(), owner.top());
    place.setX(std::clamp(place.x(), screen.left(), std::max(screen.left(), screen.right() - size.width())));
    place.setY(std::clamp(place.y(), screen.top(), std::max(screen.top(), screen.bottom() - size.height())));
    move(place);
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
