#!/usr/bin/env bash
# Takes the README's screenshots of the desktop application under Xvfb with a window manager, into
# docs/ (or the directory given second), on a screen of 1024x768 (or the size given first, e.g. 1920x1080). Needs a built build/app/quoteforge; installs its own tools (openbox, xdotool, ImageMagick)
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

size=${1:-1024x768}
shots=${2:-docs}
mkdir -p "$shots"
export DISPLAY=:97
Xvfb "$DISPLAY" -screen 0 "${size}x24" -nolisten tcp &
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
shoot() { sleep 0.7; import -frame -window "$1" "$shots/$2"; echo "$shots/$2"; }
shoot_screen() { sleep 0.7; import -window root "$shots/$1"; echo "$shots/$1"; }
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

"$app" "$work/prices.csv" &
dialog=$(window "Conversion Settings")
sleep 1
shoot_screen main-window.png
shoot "$(xdotool search --name '^Conversion Settings$' | head -1)" settings-dialog.png

xdotool windowactivate --sync "$dialog" key alt+b
chooser=$(window "Choose Directory")
shoot "$chooser" choose-directory.png
xdotool key Escape
sleep 0.5
xdotool windowactivate --sync "$dialog" key Return   # OK: the run
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
xdotool key Escape
sleep 0.5

# A second run of the same symbol: Make New Master is stored, so the first question offers to add to the
# MASTER there (Yes), the second to update the security.
xdotool windowactivate --sync "$main" key alt+f t
window "Conversion Settings" >/dev/null
sleep 0.5
xdotool key Return
sleep 1
xdotool key Return
sleep 1
shoot_screen update-offer.png
xdotool key n
sleep 1
xdotool windowactivate --sync "$main" key alt+f x
sleep 1

# Many files at once, started from the command line as a drop of several files would: the batch dialog
# with its progress while it runs.
mkdir -p "$work/many"
python3 - "$work/many" <<'PY'
import sys
for n in range(60):
    with open(f"{sys.argv[1]}/FUT{n:02d}.csv", "w") as f:
        f.write("Date,Open,High,Low,Close,Volume,OpenInt\n")
        for i in range(40000):
            f.write(f"{1 + i // 28 % 12:02d}/{1 + i % 28:02d}/{1930 + i // 336:04d},10.5,11,10,10.75,{1000 + i},50\n")
PY
"$app" "$work"/many/*.csv &
batch=$(window "Convert Many Files")
sleep 0.5
xdotool windowactivate --sync "$batch" key alt+c
sleep 0.1
import -frame -window "$batch" "$shots/batch-dialog.png"   # at once: the batch is under way
echo "$shots/batch-dialog.png"
