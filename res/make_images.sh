#!/bin/sh
# Redraws the PNG images of res/ (and the SVG and Windows icons) from res/art. Needs Qt 6 development
# files and ImageMagick; the program's build needs neither, since the results are committed.
set -e
res=$(cd "$(dirname "$0")" && pwd)
build=${TMPDIR:-/tmp}/quoteforge-art
cmake -S "$res/art" -B "$build" -G Ninja >/dev/null
cmake --build "$build" >/dev/null
QT_QPA_PLATFORM=offscreen "$build/draw_images" "$res"
magick=$(command -v magick || echo /usr/bin/convert)
"$magick" "$res/icons/quoteforge_16.png" "$res/icons/quoteforge_32.png" "$res/icons/quoteforge_48.png" \
    "$res/icons/quoteforge_256.png" "$res/icons/quoteforge.ico"
# The Windows toolbar's strip: the four buttons side by side in the toolbar's order, 24-bit, with magenta
# where the pictures are transparent (they are either wholly so or not at all), which the toolbar masks out.
"$magick" "$res/toolbar/open.png" "$res/toolbar/settings.png" "$res/toolbar/clear_window.png" \
    "$res/toolbar/about.png" -background '#FF00FF' -alpha remove -alpha off +append -type truecolor \
    "BMP3:$res/toolbar/toolbar.bmp"
