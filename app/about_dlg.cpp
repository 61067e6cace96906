#include "app/about_dlg.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>

#include "controls/static_link.h"
#include "res/resources.h"
#include "dialogs/dialog_units.h"
#include "dialogs/help_request.h"

namespace app {

using namespace dialogs;
using namespace controls;

namespace {

QLabel* AddCentredText(QWidget* pParent, const CDialogUnits& units, const QRect& place, const std::string& text)
{
    auto* pLabel = new QLabel(QString::fromStdString(text), pParent);
    pLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    pLabel->setWordWrap(true);
    pLabel->setGeometry(units.Rect(place.x(), place.y(), place.width(), place.height()));
    return pLabel;
}

}  // namespace

CAboutDlg::CAboutDlg(int* pbMailVisited, int* pbWebVisited, QWidget* pParent)
    : QDialog(pParent), m_mailLink(new CStaticLink(this)), m_webLink(new CStaticLink(this)),
      m_pbMailVisited(pbMailVisited), m_pbWebVisited(pbWebVisited)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    desktop::CAboutPresenter(*this, QSysInfo::WordSize).OnInit();
    AddHelpKey(this, kAboutHelpPage);
}

void CAboutDlg::ShowTexts(const desktop::AboutTexts& texts)
{
    setWindowTitle(QString::fromStdString(texts.caption));
    const CDialogUnits units(font());
    setFixedSize(units.Size(262, 167));

    auto* pWhat = new QGroupBox(QString::fromStdString(texts.whatHeading), this);
    pWhat->setGeometry(units.Rect(10, 5, 128, 52));
    auto* pLegalBox = new QGroupBox(QString::fromStdString(texts.legalHeading), this);
    pLegalBox->setGeometry(units.Rect(10, 65, 128, 92));

    auto* pIcon = new QLabel(this);
    pIcon->setPixmap(ApplicationIcon().pixmap(32, 32));
    pIcon->setGeometry(units.Rect(190, 110, 21, 20));

    m_strLegal = QString::fromStdString(texts.legal);
    AddCentredText(this, units, {160, 15, 75, 8}, texts.version);
    AddCentredText(this, units, {155, 25, 85, 8}, texts.copyright);
    AddCentredText(this, units, {22, 20, 100, 32}, texts.purpose);
    AddCentredText(this, units, {165, 40, 64, 25}, texts.madeBy);
    AddCentredText(this, units, {18, 81, 112, 72}, texts.legal);

    // The links are as wide as their texts (a click beside a text opens nothing), centred under the texts
    // above them, whose middle is at 197.5 units.
    auto placeLink = [&](CStaticLink* pLink, const desktop::LinkTarget& target, int* pVisited, int y) {
        pLink->setText(QString::fromStdString(target.text));
        pLink->SetTarget(QString::fromStdString(target.address));
        if (pVisited)
            pLink->m_pVisited = pVisited;
        const int nWidth = pLink->sizeHint().width();
        pLink->setGeometry(units.X(395) / 2 - nWidth / 2, units.Y(y), nWidth, units.Y(10));
    };
    placeLink(m_mailLink, texts.mail, m_pbMailVisited, 75);
    placeLink(m_webLink, texts.web, m_pbWebVisited, 90);

    auto* pOK = new QPushButton(QStringLiteral("OK"), this);
    pOK->setDefault(true);
    pOK->setGeometry(units.Rect(175, 140, 55, 14));
    connect(pOK, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace app
