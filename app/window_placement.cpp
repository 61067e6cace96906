#include "app/window_placement.h"

#include <algorithm>

namespace app {


WindowPlacement ChooseWindowPlacement(const WindowPlacement& stored, const QSize& screen)
{
    const int screenWidth = screen.width();
    const int screenHeight = screen.height();
    // Only the size and the top-left corner are checked: a window stored at the right or bottom edge
    // may reopen partly off the screen.
    if (stored.cx > 0 && stored.cy > 0 && stored.x >= 0 && stored.y >= 0 && stored.cx <= screenWidth &&
        stored.cy <= screenHeight && stored.x <= screenWidth && stored.y <= screenHeight)
        return stored;
    WindowPlacement centred;
    centred.cx = static_cast<int>(static_cast<float>(screenWidth) * 0.85f);
    centred.cy = static_cast<int>(static_cast<float>(screenHeight) * 0.85f);
    centred.x = (screenWidth - centred.cx) / 2;
    centred.y = (screenHeight - centred.cy) / 2;
    return centred;
}

WindowPlacement PlacementToStore(const QPoint& position, const QSize& size)
{
    return {std::max(0, position.x()), std::max(0, position.y()), size.width(), size.height()};
}

}  // namespace app
