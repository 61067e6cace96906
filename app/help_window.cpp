#include "app/help_window.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

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

    m_pBrowser->setSource(QUrl(QString::fromLatin1(kHelpIndexUrl)));
    resize(720, 560);
}

void CHelpWindow::ShowPage(const QString& strPage)
{
    if (!strPage.isEmpty())
        m_pBrowser->setSource(QUrl(strPage));
    show();
    raise();
    activateWindow();
}
