#pragma once
// Where the Conversion Settings dialog opens: clear of the preview, so that the lines it describes stay in
// sight while it is filled in.

#include <QPoint>
#include <QRect>
#include <QSize>

// The dialog's top-left corner (frame included) for a dialog of the given size and the text it should leave
// visible, all in screen coordinates: to the right of the text when the screen has room there, else below it, else
// wherever inside the screen it covers the least of the text.

namespace app {

// A place that also leaves alsoShown (the preview grid) in view is taken first.
QPoint PlaceBesideText(const QRect& text, const QSize& dialog, const QRect& screen, const QRect& alsoShown = QRect());

// Where a window (the help) goes beside an owner (a dialog or the main window), frame sizes and screen
// coordinates: right of it, else left of it, else on the side with more room, narrowed to that room down to
// nMinWidth; only a screen without that much room on either side lets it overlap the owner.
QRect PlaceBesideWindow(const QRect& owner, const QSize& window, const QRect& screen, int nMinWidth = 320);

}  // namespace app
