#pragma once
// Where the main window opens: the placement stored when it last closed, unless that no longer fits
// the screen, in which case a window centred on the screen and 85 % of its width and height.

#include <QPoint>
#include <QSize>

namespace app {

struct WindowPlacement {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;

    bool operator==(const WindowPlacement&) const = default;
};

WindowPlacement ChooseWindowPlacement(const WindowPlacement& stored, const QSize& screen);

// What is stored when the window closes: its size as it is, its position raised to 0 where negative.
WindowPlacement PlacementToStore(const QPoint& position, const QSize& size);

}  // namespace app
