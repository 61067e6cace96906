#!/usr/bin/env bash
# Drives quoteforge.exe (build-win/) under Wine on a virtual screen (Xvfb with openbox) as a user would,
# with xdotool: the price file named on the command line opens the Conversion Settings dialog, Detect
# fills it, the path and symbol are typed and OK and the offers' defaults taken. The directory then holds
# MASTER, F1.DAT and F1.DOP byte for byte as the Linux build's quoteforge-cli convert --detect writes them,
# and the registry holds the settings. The first start imports the legacy INI file of the Windows folder, the
# second does not; F1 opens the help page of the window it is pressed in. Every wait has a time-out; a Wine
# prefix of its own, made here. The Win32 front end's tests that need a screen run here too.
# With QUOTEFORGE_SCREENSHOTS=DIR, a picture of each window goes into DIR.
set -euo pipefail
cd "$(dirname "$0")/.."

exe=build-win/win32/quoteforge.exe
cli=build/cli/quoteforge-cli
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "windows-desktop-test: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
[ -f "$exe" ] || { echo "windows-desktop-test: build $exe first" >&2; exit 1; }
[ -x "$cli" ] || { echo "windows-desktop-test: build $cli (the Linux build) first" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  WINEPREFIX="$work/prefix" timeout 20 wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "windows-desktop-test: $*" >&2
  [ -n "${QUOTEFORGE_SCREENSHOTS:-}" ] && shot failure
  exit 1
}

# A display of its own: Xvfb names the first free one.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"
openbox >/dev/null 2>&1 &
pids+=($!)
export WINEPREFIX="$work/prefix" LC_ALL=C.UTF-8
timeout 120 cmake/wine-run.sh wineboot -i >/dev/null 2>&1 || fail "the Wine prefix could not be made"

# The legacy INI file that the first start imports, named in upper case as old programs wrote it.
ini="$WINEPREFIX/drive_c/windows/QUOTEFORGE.INI"
printf '[ Old Section ]\r\nk = v\r\n' >"$ini"
# The shell's "open" of a web page writes the page's path into a file instead of starting a browser.
opened="$WINEPREFIX/drive_c/help-opened.txt"
cmake/wine-run.sh reg add 'HKCR\.html' /ve /d QuoteforgeTestPage /f >/dev/null 2>&1
cmake/wine-run.sh reg add 'HKCR\QuoteforgeTestPage\shell\open\command' /ve /f \
  /d 'C:\windows\system32\cmd.exe /c echo %1>>C:\help-opened.txt' >/dev/null 2>&1 || fail "the test's page opener could not be registered"

shot() {
  mkdir -p "$QUOTEFORGE_SCREENSHOTS"
  sleep 0.5
  import -window root "$QUOTEFORGE_SCREENSHOTS/$1.png"
}

# The id of the window named exactly so, once it is there.
window() {
  timeout "${2:-60}" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -1
}

# Takes the default answer (Return) of each message box over the main window until none is left.
answer_boxes() {
  local main=$1 box
  for _ in $(seq 20); do
    box=$(xdotool search --onlyvisible --name '^Quoteforge$' 2>/dev/null | grep -vx "$main" | head -1 || true)
    [ -n "$box" ] || return 0
    xdotool windowactivate --sync "$box" 2>/dev/null || true
    xdotool key --clearmodifiers Return
    sleep 1
  done
  fail "message boxes kept coming"
}

# Presses F1 in the window and waits for the shell to open the page named.
opened_pages() {
  if [ -f "$opened" ]; then wc -l <"$opened"; else echo 0; fi
}
help_key() {
  local window=$1 page=$2 before
  before=$(opened_pages)
  # The window manager may miss an activation under load; the key is pressed again then.
  for _ in 1 2 3; do
    xdotool windowactivate --sync "$window" 2>/dev/null || sleep 1
    xdotool key --clearmodifiers F1
    for _ in $(seq 20); do
      [ "$(opened_pages)" -gt "$before" ] && break 2
      sleep 0.5
    done
  done
  [ "$(opened_pages)" -gt "$before" ] || fail "F1 in window $window opened no help page"
  tail -1 "$opened" | tr -d '\r ' | grep -q "\\\\help\\\\$page\$" ||
    fail "F1 in window $window did not open help\\$page beside the program: $(tail -1 "$opened")"
}

# The middle of a window on the screen, as "x y".
middle() {
  xdotool getwindowgeometry --shell "$1" | awk -F= '{v[$1]=$2} END {print v["X"] + int(v["WIDTH"] / 2), v["Y"] + int(v["HEIGHT"] / 2)}'
}
# Fails unless the dialog stands centred on the main window (within a few pixels of rounding and frame).
centred() {
  local main_x main_y dialog_x dialog_y
  read -r main_x main_y < <(middle "$2")
  read -r dialog_x dialog_y < <(middle "$1")
  [ $((dialog_x - main_x)) -ge -3 ] && [ $((dialog_x - main_x)) -le 3 ] && [ $((dialog_y - main_y)) -ge -3 ] &&
    [ $((dialog_y - main_y)) -le 3 ] || fail "$3 stands at $dialog_x,$dialog_y, not centred on the main window at $main_x,$main_y"
}

out="$work/out"
windows_out="Z:${out//\//\\}"
timeout 300 cmake/wine-run.sh "$exe" "$PWD/samples/prices.csv" >"$work/quoteforge.log" 2>&1 &
app=$!
pids+=($app)

main=$(window Quoteforge) || true
[ -n "$main" ] || fail "the main window did not appear"
dialog=$(window 'Conversion Settings') || true
[ -n "$dialog" ] || fail "the Conversion Settings dialog did not appear for the file on the command line"
help_key "$dialog" settings.html
xdotool windowactivate --sync "$dialog"
xdotool key --clearmodifiers alt+d
sleep 0.5
xdotool key --clearmodifiers alt+p
xdotool type --delay 10 "$windows_out"
xdotool key --clearmodifiers alt+y
xdotool type --delay 10 QFDEMO
[ -n "${QUOTEFORGE_SCREENSHOTS:-}" ] && shot conversion-settings
xdotool key --clearmodifiers Return
sleep 1
answer_boxes "$main"
for _ in $(seq 60); do
  [ -f "$out/MASTER" ] && [ -f "$out/F1.DOP" ] && break
  sleep 0.5
done
sleep 1
answer_boxes "$main"
[ -n "${QUOTEFORGE_SCREENSHOTS:-}" ] && shot main-window

mkdir "$work/linux"
"$cli" convert samples/prices.csv --dir "$work/linux" --symbol QFDEMO --detect >/dev/null
for file in MASTER F1.DAT F1.DOP; do
  [ -f "$out/$file" ] || fail "quoteforge.exe wrote no $file"
  cmp -s "$work/linux/$file" "$out/$file" || fail "quoteforge.exe wrote other bytes into $file than quoteforge-cli"
done

setting() {
  cmake/wine-run.sh reg query 'HKCU\Software\Pelnic Software\Quoteforge\Setting' /v "$1" 2>/dev/null |
    tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"
}
[ "$(setting Symbol)" = QFDEMO ] || fail "the registry holds Symbol '$(setting Symbol)', not QFDEMO"
[ "$(setting DateFormat)" = MM_DD_CCYY ] || fail "the registry holds DateFormat '$(setting DateFormat)'"
[ "$(setting SkipRows)" = 1 ] || fail "the registry holds SkipRows '$(setting SkipRows)'"
[ -n "$(setting Path)" ] || fail "the registry holds no Path"

old_section=$(cmake/wine-run.sh reg query 'HKCU\Software\Pelnic Software\Quoteforge\Old Section' 2>/dev/null | tr -d '\r')
grep -q '^ *k  *REG_SZ  *v$' <<<"$old_section" || fail "the legacy INI file was not imported: $old_section"

help_key "$main" index.html
# Help > About shows the About box; Return closes it.
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers alt+h
sleep 0.3
xdotool key --clearmodifiers a
about=$(window 'About Quoteforge' 30) || true
[ -n "$about" ] || fail "Help > About did not show the About box"
centred "$about" "$main" "the About box"
[ -n "${QUOTEFORGE_SCREENSHOTS:-}" ] && shot about
help_key "$about" overview.html
xdotool windowactivate --sync "$about"
xdotool key --clearmodifiers Return
sleep 1
[ -z "$(xdotool search --onlyvisible --name '^About Quoteforge$' 2>/dev/null)" ] || fail "OK did not close the About box"

# File > Exit closes the program, which stores its place.
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers alt+f
sleep 0.3
xdotool key --clearmodifiers x
for _ in $(seq 40); do kill -0 "$app" 2>/dev/null || break; sleep 0.5; done
kill -0 "$app" 2>/dev/null && fail "File > Exit did not end the program"
wait "$app" || fail "quoteforge.exe ended with a failure"
cmake/wine-run.sh reg query 'HKCU\Software\Pelnic Software\Quoteforge\Screen' /v cx >/dev/null 2>&1 ||
  fail "the window's place was not stored in section Screen"
# What the INI file holds by the second start is not imported again.
printf '[Later]\r\nx=1\r\n' >>"$ini"
# Three files on the command line go to Convert Many Files, which converts them into one new directory
# with each file's layout detected; the Directory panel then lists them.
mkdir "$work/many"
for symbol in AAA BBB CCC; do cp samples/prices.csv "$work/many/$symbol.csv"; done
many_out="$work/many-out"
timeout 300 cmake/wine-run.sh "$exe" "$work/many/AAA.csv" "$work/many/BBB.csv" "$work/many/CCC.csv" \
  >>"$work/quoteforge.log" 2>&1 &
app=$!
pids+=($app)
main=$(window Quoteforge) || true
batch=$(window 'Convert Many Files') || true
[ -n "$batch" ] || fail "three files on the command line did not open Convert Many Files"
cmake/wine-run.sh reg query 'HKCU\Software\Pelnic Software\Quoteforge\Later' >/dev/null 2>&1 &&
  fail "the second start imported the legacy INI file again"
help_key "$batch" batch.html
centred "$batch" "$main" "Convert Many Files"
xdotool windowactivate --sync "$batch"
xdotool key --clearmodifiers alt+d alt+p ctrl+a
xdotool type --delay 10 "Z:${many_out//\//\\}"
[ -n "${QUOTEFORGE_SCREENSHOTS:-}" ] && shot convert-many-files
xdotool key --clearmodifiers alt+c
sleep 1
answer_boxes "$main"
for _ in $(seq 60); do
  [ "$("$cli" list "$many_out" 2>/dev/null | grep -c -E '^ *(AAA|BBB|CCC) ')" = 3 ] && break
  sleep 0.5
done
[ "$("$cli" list "$many_out" 2>/dev/null | grep -c -E '^ *(AAA|BBB|CCC) ')" = 3 ] ||
  fail "Convert Many Files did not convert the three files: $("$cli" list "$many_out" 2>&1)"
sleep 1
[ -n "${QUOTEFORGE_SCREENSHOTS:-}" ] && shot convert-many-files-done
xdotool windowactivate --sync "$batch"
xdotool key --clearmodifiers Escape
for _ in $(seq 20); do
  [ -z "$(xdotool search --onlyvisible --name '^Convert Many Files$' 2>/dev/null)" ] && break
  sleep 0.5
done
[ -z "$(xdotool search --onlyvisible --name '^Convert Many Files$' 2>/dev/null)" ] || fail "Escape did not close Convert Many Files"
[ -n "${QUOTEFORGE_SCREENSHOTS:-}" ] && shot directory-panel
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers alt+f
sleep 0.3
xdotool key --clearmodifiers x
for _ in $(seq 40); do kill -0 "$app" 2>/dev/null || break; sleep 0.5; done
[ "$(cmake/wine-run.sh reg query 'HKCU\Software\Pelnic Software\Quoteforge\Screen' /v DirectoryPanel 2>/dev/null |
  tr -d '\r' | sed -n 's/^ *DirectoryPanel *REG_SZ *//p')" = 1 ] || fail "the Directory panel's visibility was not stored"
# The Win32 front end's own tests, some of which need a screen to make windows on (last: they write into
# the registry).
tests=build-win/tests/win32/win32_tests.exe
if [ -f "$tests" ]; then
  timeout 120 cmake/wine-run.sh "$tests" >"$work/win32_tests.log" 2>&1 || fail "$tests failed: $(tail -20 "$work/win32_tests.log")"
  if grep -q SKIPPED "$work/win32_tests.log"; then
    fail "$tests skipped tests on the virtual screen: $(grep SKIPPED "$work/win32_tests.log")"
  fi
fi

echo "quoteforge.exe under Wine wrote the same bytes as quoteforge-cli and stored its settings"
