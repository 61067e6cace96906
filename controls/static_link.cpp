#include "controls/static_link.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPicture>
#include <QPixmap>
#include <QTextDocument>
#include <QUrl>

#include "controls/desktop_services.h"

namespace controls {

namespace {

// After a click the link ignores the pointer for this long, so that the hand cursor does not come
// back while the mail program or browser is still starting.
constexpr int kClickPauseMs = 1000;

}  // namespace

CStaticLink::CStaticLink(QWidget* parent) : QLabel(parent), m_pVisited(&m_bOwnVisited)
{
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(false);  // the dialog's background shows through
    setMouseTracking(true);        // moves without a button pressed, to switch the cursor
    m_clickPauseTimer.setParent(this);
    m_clickPauseTimer.setObjectName("clickPause");
    m_clickPauseTimer.setSingleShot(true);
    m_clickPauseTimer.setInterval(kClickPauseMs);
    connect(&m_clickPauseTimer, &QTimer::timeout, this, &CStaticLink::OnClickPauseEnd);
}

CStaticLink::~CStaticLink() = default;

bool CStaticLink::event(QEvent* event)
{
    const bool handled = QLabel::event(event);
    if (event->type() == QEvent::Polish)
        UpdateColors();  // before the first layout, so that the underlined font sets the size
    return handled;
}

void CStaticLink::paintEvent(QPaintEvent* event)
{
    UpdateColors();  // the flag may have been set by another link sharing it
    QLabel::paintEvent(event);
}

void CStaticLink::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    OnMouseMove(event->position().toPoint());
}

void CStaticLink::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    if (!m_bClickPause && m_bCaptured)
        EndHover();
}

void CStaticLink::mouseMoveEvent(QMouseEvent* event)
{
    QLabel::mouseMoveEvent(event);
    OnMouseMove(event->position().toPoint());
}

void CStaticLink::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    m_bPressed = true;
    event->accept();
}

void CStaticLink::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    const bool clicked = m_bPressed && rect().contains(event->position().toPoint());
    m_bPressed = false;
    if (clicked)
        OnClicked();
}

void CStaticLink::OnClicked()
{
    if (m_strLink.isEmpty())
        m_strLink = text();
    EndHover();
    m_bClickPause = 1;
    m_clickPauseTimer.start();
    // The text may lack a scheme (www.example.org); the desktop's handlers need one.
    if (!OpenUrl(QUrl::fromUserInput(m_strLink))) {
        Beep();
        return;
    }
    *m_pVisited = 1;
    UpdateColors();
    update();
}

void CStaticLink::OnMouseMove(const QPoint& position)
{
    if (m_bClickPause)
        return;
    const bool inside = rect().contains(position);
    if (!m_bCaptured && inside) {
        m_bCaptured = 1;
        setCursor(Qt::PointingHandCursor);
    } else if (m_bCaptured && !inside) {
        EndHover();
    }
}

void CStaticLink::OnClickPauseEnd()
{
    m_bClickPause = 0;
}

void CStaticLink::EndHover()
{
    m_bCaptured = 0;
    setCursor(Qt::ArrowCursor);
}

void CStaticLink::UpdateColors()
{
    if (!HoldsPlainText())
        return;  // a picture, or formatted text, is drawn as the label draws it
    if (!m_font) {
        m_font = font();
        m_font->setUnderline(true);
        setFont(*m_font);
    }
    const QColor color = *m_pVisited == 1 ? m_colorVisited : m_colorUnvisited;
    if (palette().color(QPalette::WindowText) != color) {
        QPalette colors = palette();
        colors.setColor(QPalette::WindowText, color);
        setPalette(colors);
    }
}

bool CStaticLink::HoldsPlainText() const
{
    if (!pixmap().isNull() || movie() || !picture().isNull())
        return false;
    return textFormat() == Qt::PlainText || (textFormat() == Qt::AutoText && !Qt::mightBeRichText(text()));
}

}  // namespace controls
