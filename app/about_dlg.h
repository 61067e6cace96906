#pragma once
// The About box: the window of desktop::CAboutPresenter, which decides its texts and the addresses of its
// two links; the dialog places and shows them.

#include <QDialog>
#include <QString>

#include "desktop/about_box.h"

namespace controls { class CStaticLink; }

namespace app {

class CAboutDlg : public QDialog, private desktop::IAboutView {
    Q_OBJECT

public:
    // The visited flags belong to the application, so that a link opened once stays purple in every
    // later showing of the box until the program ends; without them each link keeps its own.
    CAboutDlg(int* pbMailVisited, int* pbWebVisited, QWidget* pParent = nullptr);

    int DoModal() { return exec(); }

    controls::CStaticLink* m_mailLink;
    controls::CStaticLink* m_webLink;
    QString m_strLegal;

private:
    // desktop::IAboutView
    void ShowTexts(const desktop::AboutTexts& texts) override;

    int* m_pbMailVisited;
    int* m_pbWebVisited;
};

}  // namespace app
