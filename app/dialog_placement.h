#pragma once
// Where the Conversion Settings dialog opens: clear of the preview, so that the lines it describes stay in
// sight while it is filled in.

#include <QPoint>
#include <QRect>
#include <QSize>

// The dialog's top-left corner (frame included) for a dialog of the given size and the text it should leave
// visible, all in screen coordinates: to the right of the text when the screen has room there, else below it, else
// wherever inside the screen it covers the least of the text.
QPoint PlaceBesideText(const QRect& text, const QSize& dialog, const QRect& screen);
