#pragma once
// The About box: version, maker, what the program does, the maker's mail and web links, and the
// legal notice.

#include <QDialog>
#include <QString>

namespace controls { class CStaticLink; }

namespace app {

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    // The visited flags belong to the application, so that a link opened once stays purple in every
    // later showing of the box until the program ends.
    CAboutDlg(int* pbMailVisited, int* pbWebVisited, QWidget* pParent = nullptr);

    int DoModal() { return exec(); }

    controls::CStaticLink* m_mailLink;
    controls::CStaticLink* m_webLink;
    QString m_strLegal;
};

}  // namespace app
