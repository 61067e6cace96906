#pragma once
// The program's help: the pages that ship inside it, in a browser window of their own. It opens next to
// the main window, closes with Escape, and stays usable while a dialog is open, so that the help for a
// dialog can be read beside it.

#include <QMainWindow>

class QTextBrowser;

namespace app {

class CHelpWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit CHelpWindow(QWidget* pParent = nullptr);

    // Shows the contents page (or the page given) and brings the window to the front.
    void ShowPage(const QString& strPage = QString());

    QString CurrentPage() const;

private:
    void PlaceNearOwner(const QWidget* pOwner);
    void KeepUsableBeside(QWidget* pModal);

    QTextBrowser* m_pBrowser;
};

}  // namespace app
