#!/usr/bin/env bash
# Takes the README's screenshots of the desktop application under Xvfb with a window manager, into
# docs/. Needs a built build/app/quoteforge; installs its own tools (openbox, xdotool, ImageMagick)
# when missing. The settings go to a temporary directory, and the web link "opens" a stand-in browser.
set -euo pipefail
cd "$(dirname "$0")/.."

tools=(xvfb openbox xdotool imagemagick)
missing=()
for package in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

app=build/app/quoteforge
[ -x "$app" ] || { echo "Build first: $app is missing" >&2; exit 1; }
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/out" docs
printf '#!/bin/sh\nexit 0\n' > "$work/browser" && chmod +x "$work/browser"

export DISPLAY=:97
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp &
sleep 1
openbox &
sleep 1

export XDG_CONFIG_HOME="$work/config" BROWSER="$work/browser"
mkdir -p "$XDG_CONFIG_HOME/Pelnic Software"
cat > "$XDG_CONFIG_HOME/Pelnic Software/Quoteforge.conf" <<CONF
[Setting]
DateFormat=MM_DD_CCYY
Path=$work/out
Symbol=QFDEMO
Name=Quoteforge Demo
SkipOn=1
SkipRows=1
Exist=1
CONF
cp samples/prices.csv "$work/prices.csv"

window() { xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }
shoot() { sleep 0.7; import -frame -window "$1" "docs/$2"; echo "docs/$2"; }
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

"$app" "$work/prices.csv" &
dialog=$(window "Conversion Settings")
sleep 1
sleep 0.7; import -window root docs/main-window.png
shoot "$(xdotool search --name '^Conversion Settings$' | head -1)" settings-dialog.png

# The focus starts on OK; Browse... is four steps back in the focus order (Detect, Name, Symbol, Browse).
xdotool windowactivate --sync "$dialog" key shift+Tab shift+Tab shift+Tab shift+Tab space
chooser=$(window "Choose Directory")
shoot "$chooser" choose-directory.png
xdotool key Escape
sleep 0.5
xdotool windowactivate --sync "$dialog" key Tab Tab Tab Tab space   # from Browse... to OK: the run
sleep 1.5
main=$(window "Quoteforge")
shoot "$main" conversion-log.png

xdotool windowactivate --sync "$main" key alt+h a
about=$(window "About Quoteforge")
sleep 0.5
read -r width height < <(xdotool getwindowgeometry "$about" | awk '/Geometry/ {split($2, g, "x"); print g[1], g[2]}')
click "$about" $((width * 200 / 262)) $((height * 95 / 167))   # the web link turns visited
sleep 1.3
xdotool mousemove --window "$about" 5 5
shoot "$about" about-box.png
xdotool key Return
sleep 0.5

xdotool windowactivate --sync "$main" key F1
help=$(window "Quoteforge Help")
shoot "$help" help-window.png
