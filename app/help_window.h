#pragma once
// The program's help: the pages that ship inside it, in a browser window of their own.

#include <QMainWindow>

class QTextBrowser;

class CHelpWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit CHelpWindow(QWidget* pParent = nullptr);

    // Shows the contents page (or the page given) and brings the window to the front.
    void ShowPage(const QString& strPage = QString());

private:
    QTextBrowser* m_pBrowser;
};
