// The link control: which target a click opens, the visited colour that outlives the control, the
// failed open, and the hand cursor with its pause after a click. The desktop is replaced by recorders.

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <vector>

#include "controls/desktop_services.h"
#include "controls/static_link.h"
#include "desktop/about_box.h"

using namespace controls;

namespace {

// The About box's two links.
const desktop::AboutTexts kAbout = desktop::AboutBoxTexts(64);
const desktop::LinkTarget& kMail = kAbout.mail;
const desktop::LinkTarget& kWeb = kAbout.web;
const QString kMailAddress = QString::fromStdString(kMail.text);
const QString kWebAddress = QString::fromStdString(kWeb.text);

const QColor kBlue(0, 0, 255);
const QColor kPurple(128, 0, 128);

void Send(QWidget& widget, QEvent::Type type, QPoint position)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, position, widget.mapToGlobal(position), button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void Click(QWidget& widget)
{
    const QPoint middle = widget.rect().center();
    Send(widget, QEvent::MouseButtonPress, middle);
    Send(widget, QEvent::MouseButtonRelease, middle);
}

void MoveTo(QWidget& widget, QPoint position)
{
    Send(widget, QEvent::MouseMove, position);
}

void Enter(QWidget& widget)
{
    const QPoint middle = widget.rect().center();
    QEnterEvent event(middle, middle, widget.mapToGlobal(middle));
    QApplication::sendEvent(&widget, &event);
}

void Leave(QWidget& widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&widget, &event);
}

QColor TextColor(const QWidget& widget)
{
    return widget.palette().color(QPalette::WindowText);
}

bool ImageHolds(const QImage& image, const QColor& color)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).rgb() == color.rgb())
                return true;
    return false;
}

class StaticLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetOpenUrlFunction([this](const QUrl& url) {
            m_opened.push_back(url);
            return m_bOpenSucceeds;
        });
        SetBeepFunction([this] { ++m_nBeeps; });
    }

    void TearDown() override
    {
        SetOpenUrlFunction({});
        SetBeepFunction({});
    }

    // A link as the About box makes it: text, target and visited flag set before the first showing.
    std::unique_ptr<CStaticLink> MakeLink(const desktop::LinkTarget& target, int* pVisited)
    {
        auto link = std::make_unique<CStaticLink>();
        link->setText(QString::fromStdString(target.text));
        link->SetTarget(QString::fromStdString(target.address));
        link->m_pVisited = pVisited;
        link->resize(link->sizeHint());
        link->ensurePolished();
        return link;
    }

    std::vector<QUrl> m_opened;
    bool m_bOpenSucceeds = true;
    int m_nBeeps = 0;
};

TEST_F(StaticLinkTest, MailAddressOpensAsMailtoAndAgainOnTheSecondClick)
{
    int bVisited = 0;
    auto link = MakeLink(kMail, &bVisited);
    Click(*link);
    link->setText("someone else");  // the target was fixed at the first click
    Click(*link);

    const QUrl expected(QStringLiteral("mailto:") + kMailAddress);
    ASSERT_EQ(m_opened.size(), 2u);
    EXPECT_EQ(m_opened[0], expected) << m_opened[0].toString().toStdString();
    EXPECT_EQ(m_opened[1], expected) << m_opened[1].toString().toStdString();
}

TEST_F(StaticLinkTest, WebAddressOpensAsItStands)
{
    int bVisited = 0;
    auto link = MakeLink(kWeb, &bVisited);
    Click(*link);

    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0].toString(), kWebAddress);
    EXPECT_EQ(m_nBeeps, 0);
}

TEST_F(StaticLinkTest, ALinkWithoutATargetOpensItsText)
{
    int bVisited = 0;
    CStaticLink link;
    link.setText(QStringLiteral("www.example.org"));
    link.m_pVisited = &bVisited;
    link.resize(link.sizeHint());
    Click(link);
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0], QUrl::fromUserInput(QStringLiteral("www.example.org")));
}

TEST_F(StaticLinkTest, PressReleasedOutsideTheLinkOpensNothing)
{
    int bVisited = 0;
    auto link = MakeLink(kWeb, &bVisited);
    Send(*link, QEvent::MouseButtonPress, link->rect().center());
    Send(*link, QEvent::MouseButtonRelease, link->rect().bottomRight() + QPoint(20, 20));

    EXPECT_TRUE(m_opened.empty());
    EXPECT_EQ(bVisited, 0);
}

TEST_F(StaticLinkTest, OpenedLinkTurnsPurpleAndStaysPurpleInTheNextShowing)
{
    int bMailVisited = 0;  // the application's flag: it outlives every About box
    {
        auto link = MakeLink(kMail, &bMailVisited);
        EXPECT_EQ(TextColor(*link), kBlue);
        EXPECT_TRUE(link->font().underline());
        EXPECT_TRUE(ImageHolds(link->grab().toImage(), kBlue)) << "the underline is drawn in blue";

        Click(*link);
        EXPECT_EQ(bMailVisited, 1);
        EXPECT_EQ(TextColor(*link), kPurple);
        EXPECT_TRUE(ImageHolds(link->grab().toImage(), kPurple)) << "redrawn in the visited colour";
        EXPECT_FALSE(ImageHolds(link->grab().toImage(), kBlue));
    }
    auto shownAgain = MakeLink(kMail, &bMailVisited);
    EXPECT_EQ(TextColor(*shownAgain), kPurple);

    int bAfterRestart = 0;
    auto afterRestart = MakeLink(kMail, &bAfterRestart);
    EXPECT_EQ(TextColor(*afterRestart), kBlue);
}

TEST_F(StaticLinkTest, LinkSharingAFlagPicksUpTheVisitedColourAtItsNextPaint)
{
    int bWebVisited = 0;
    auto shown = MakeLink(kWeb, &bWebVisited);
    auto other = MakeLink(kWeb, &bWebVisited);
    Click(*other);
    shown->grab();
    EXPECT_EQ(TextColor(*shown), kPurple);
}

TEST_F(StaticLinkTest, FailedOpenBeepsAndLeavesTheLinkBlueAndClickable)
{
    m_bOpenSucceeds = false;
    int bVisited = 0;
    auto link = MakeLink(kWeb, &bVisited);
    Click(*link);

    EXPECT_EQ(m_nBeeps, 1);
    EXPECT_EQ(bVisited, 0);
    EXPECT_EQ(TextColor(*link), kBlue);

    m_bOpenSucceeds = true;
    Click(*link);
    EXPECT_EQ(m_opened.size(), 2u);
    EXPECT_EQ(m_nBeeps, 1);
    EXPECT_EQ(bVisited, 1);
    EXPECT_EQ(TextColor(*link), kPurple);
}

TEST_F(StaticLinkTest, LabelThatIsNotPlainTextGetsNoLinkColours)
{
    int bVisited = 1;
    auto picture = std::make_unique<CStaticLink>();
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    picture->setPixmap(pixmap);
    picture->m_pVisited = &bVisited;
    picture->ensurePolished();
    EXPECT_NE(TextColor(*picture), kPurple);
    EXPECT_FALSE(picture->font().underline());

    auto formatted = std::make_unique<CStaticLink>();
    formatted->setTextFormat(Qt::RichText);
    formatted->setText("<b>bold</b>");
    formatted->m_pVisited = &bVisited;
    formatted->grab();
    EXPECT_NE(TextColor(*formatted), kPurple);
    EXPECT_FALSE(formatted->font().underline());
}

TEST_F(StaticLinkTest, PointingHandWhileThePointerIsOverTheLink)
{
    int bVisited = 0;
    auto link = MakeLink(kWeb, &bVisited);
    EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor);

    Enter(*link);
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    MoveTo(*link, QPoint(-3, -3));  // a move outside reaches the link while a button holds the mouse
    EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor);
    MoveTo(*link, link->rect().center());
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    Leave(*link);
    EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(StaticLinkTest, ClickPauseIgnoresThePointerForOneSecond)
{
    for (bool bOpenSucceeds : {true, false}) {
        SCOPED_TRACE(bOpenSucceeds ? "successful open" : "failed open");
        m_bOpenSucceeds = bOpenSucceeds;
        int bVisited = 0;
        auto link = MakeLink(kWeb, &bVisited);
        Enter(*link);
        Click(*link);
        EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor) << "the click ends the hover";

        auto* pause = link->findChild<QTimer*>("clickPause");
        ASSERT_NE(pause, nullptr);
        EXPECT_TRUE(pause->isActive());
        EXPECT_TRUE(pause->isSingleShot());
        EXPECT_EQ(pause->interval(), 1000);

        QTest::qWait(20);
        MoveTo(*link, link->rect().center());
        Enter(*link);
        EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor) << "moves within the pause are ignored";

        pause->start(0);  // let the pause run out now rather than in a second
        ASSERT_TRUE(QTest::qWaitFor([pause] { return !pause->isActive(); }, 2000));
        MoveTo(*link, link->rect().center());
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor) << "after the pause a move over it hovers again";
    }
}

}  // namespace
