#include "app/dialog_placement.h"

#include <algorithm>
#include <iterator>

namespace app {


namespace {

constexpr int kGap = 8;

QPoint InsideScreen(QPoint place, const QSize& dialog, const QRect& screen)
{
    place.setX(std::clamp(place.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - dialog.width())));
    place.setY(std::clamp(place.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - dialog.height())));
    return place;
}

long long CoveredArea(const QPoint& place, const QSize& dialog, const QRect& text)
{
    const QRect covered = QRect(place, dialog).intersected(text);
    return covered.isEmpty() ? 0 : static_cast<long long>(covered.width()) * covered.height();
}

}  // namespace

QPoint PlaceBesideText(const QRect& text, const QSize& dialog, const QRect& screen, const QRect& alsoShown)
{
    const QPoint below = InsideScreen(QPoint(text.left(), text.bottom() + 1 + kGap), dialog, screen);
    const QPoint beside = InsideScreen(QPoint(text.right() + 1 + kGap, text.top()), dialog, screen);
    // Beside first: on a wide screen it leaves the most of the window below the text in view. A place
    // that leaves alsoShown in view too wins over one that does not.
    for (const bool bStrict : {true, false})
        for (const QPoint& place : {beside, below})
            if (CoveredArea(place, dialog, text) == 0 && (!bStrict || CoveredArea(place, dialog, alsoShown) == 0))
                return place;
    const QPoint corner = InsideScreen(screen.bottomRight(), dialog, screen);
    const QPoint candidates[] = {below, beside, corner};
    return *std::min_element(std::begin(candidates), std::end(candidates), [&](const QPoint& a, const QPoint& b) {
        return CoveredArea(a, dialog, text) < CoveredArea(b, dialog, text);
    });
}

QRect PlaceBesideWindow(const QRect& owner, const QSize& window, const QRect& screen, int nMinWidth)
{
    const int nRight = screen.right() - owner.right();  // room on each side
    const int nLeft = owner.left() - screen.left();
    const int nTop = std::clamp(owner.top(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - window.height()));
    if (nRight >= window.width())
        return QRect(QPoint(owner.right() + 1, nTop), window);
    if (nLeft >= window.width())
        return QRect(QPoint(owner.left() - window.width(), nTop), window);
    const bool bRight = nRight >= nLeft;
    const int nWidth = std::max(std::max(nRight, nLeft), std::min(nMinWidth, window.width()));
    const int nX = bRight ? std::max(screen.left(), screen.right() + 1 - nWidth) : screen.left();
    return QRect(nX, nTop, nWidth, window.height());
}

}  // namespace app
