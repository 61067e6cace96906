#include "app/about_dlg.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>

#include "controls/about_texts.h"
#include "controls/static_link.h"
#include "quoteforge_version.h"
#include "res/resources.h"
#include "dialogs/dialog_units.h"
#include "dialogs/help_request.h"

namespace app {

using namespace dialogs;
using namespace controls;

namespace {

QLabel* AddCentredText(QWidget* pParent, const CDialogUnits& units, const QRect& place, const QString& strText)
{
    auto* pLabel = new QLabel(strText, pParent);
    pLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    pLabel->setWordWrap(true);
    pLabel->setGeometry(units.Rect(place.x(), place.y(), place.width(), place.height()));
    return pLabel;
}

}  // namespace

CAboutDlg::CAboutDlg(int* pbMailVisited, int* pbWebVisited, QWidget* pParent)
    : QDialog(pParent), m_mailLink(new CStaticLink(this)), m_webLink(new CStaticLink(this)),
      m_strLegal(kLegalNotice.toString())
{
    setWindowTitle(QStringLiteral("About Quoteforge"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const CDialogUnits units(font());
    setFixedSize(units.Size(262, 167));

    auto* pWhat = new QGroupBox(QStringLiteral("What Quoteforge Does"), this);
    pWhat->setGeometry(units.Rect(10, 5, 128, 52));
    auto* pLegalBox = new QGroupBox(QStringLiteral("Legal Stuff"), this);
    pLegalBox->setGeometry(units.Rect(10, 65, 128, 92));

    auto* pIcon = new QLabel(this);
    pIcon->setPixmap(ApplicationIcon().pixmap(32, 32));
    pIcon->setGeometry(units.Rect(190, 110, 21, 20));

    AddCentredText(this, units, {160, 15, 75, 8}, QStringLiteral("Quoteforge Version " QUOTEFORGE_VERSION));
    AddCentredText(this, units, {155, 25, 85, 8}, kCopyrightLine.toString());
    AddCentredText(this, units, {22, 20, 100, 32},
                   QStringLiteral("Converts historical financial data in ASCII form to data in MetaStock or "
                                  "CompuTrac format"));
    AddCentredText(this, units, {165, 40, 64, 25},
                   QStringLiteral("A %1 bit application\nby\n").arg(QSysInfo::WordSize) + kAuthorName.toString());
    AddCentredText(this, units, {18, 81, 112, 72}, m_strLegal);

    // The links are as wide as their texts (a click beside a text opens nothing), centred under the texts
    // above them, whose middle is at 197.5 units.
    auto placeLink = [&](CStaticLink* pLink, const QString& strText, int y) {
        pLink->setText(strText);
        const int nWidth = pLink->sizeHint().width();
        pLink->setGeometry(units.X(395) / 2 - nWidth / 2, units.Y(y), nWidth, units.Y(10));
    };
    placeLink(m_mailLink, kMailAddress.toString(), 75);
    m_mailLink->m_pVisited = pbMailVisited;
    placeLink(m_webLink, kWebAddress.toString(), 90);
    m_webLink->m_pVisited = pbWebVisited;

    auto* pOK = new QPushButton(QStringLiteral("OK"), this);
    pOK->setDefault(true);
    pOK->setGeometry(units.Rect(175, 140, 55, 14));
    connect(pOK, &QPushButton::clicked, this, &QDialog::accept);
    AddHelpKey(this, kAboutHelpPage);
}

}  // namespace app
