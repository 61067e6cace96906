#!/usr/bin/env bash
# Cross-compiles quoteforge-cli.exe, the desktop quoteforge.exe and the tests of the format layer, the engine and the command line
# for 64-bit Windows (mingw-w64) into build-win/, runs the tests under Wine, and packs
# build-win/quoteforge-cli-<version>-win64.zip: the two programs, the desktop's help pages (help\),
# README.txt (for Windows users), LICENSE.txt and THIRD-PARTY-NOTICES.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DQUOTEFORGE_GUI=OFF -DQUOTEFORGE_BENCH=OFF -DQUOTEFORGE_WERROR=ON
cmake --build build-win
ctest --test-dir build-win --output-on-failure -j "$(nproc)"

# The Windows program writes the same bytes as the Linux build's, here into a directory named outside
# ASCII and given with a drive letter and backslashes.
if [ -x build/cli/quoteforge-cli ]; then
  check=$(mktemp -d)
  options=(--symbol QFDEMO --name "Quoteforge Demo" --date-format MM_DD_CCYY --skip 1 --master new)
  mkdir "$check/linux" "$check/Müller"
  build/cli/quoteforge-cli convert samples/prices.csv --dir "$check/linux" "${options[@]}" >/dev/null
  windows_dir="Z:${check//\//\\}\\Müller"
  LC_ALL=C.UTF-8 cmake/wine-run.sh build-win/cli/quoteforge-cli.exe convert samples/prices.csv --dir "$windows_dir" \
    "${options[@]}"
  diff -r "$check/linux" "$check/Müller" || { echo "quoteforge-cli.exe wrote other bytes" >&2; exit 1; }
  # In a console window (Wine makes one for a terminal) names outside ASCII print as they are.
  if command -v script >/dev/null; then
    LC_ALL=C.UTF-8 cmake/wine-run.sh build-win/cli/quoteforge-cli.exe convert samples/prices.csv --dir "$windows_dir" \
      --symbol MUELLER --name "Müller" --date-format MM_DD_CCYY --skip 1 >/dev/null
    listed=$(LC_ALL=C.UTF-8 script -qc "cmake/wine-run.sh build-win/cli/quoteforge-cli.exe list '$windows_dir'" /dev/null)
    grep -q 'MUELLER *Müller' <<<"$listed" || { echo "quoteforge-cli.exe prints Müller wrong: $listed" >&2; exit 1; }
  fi
  rm -rf "$check"
fi

# The desktop, driven under Wine on a virtual screen, writes the bytes the Linux build's quoteforge-cli writes.
if [ -x build/cli/quoteforge-cli ] && command -v Xvfb >/dev/null && command -v xdotool >/dev/null &&
  command -v openbox >/dev/null; then
  timeout 600 scripts/windows-desktop-test.sh
fi
desktop_exe=build-win/win32/quoteforge.exe
# Windows' own DLLs only, and small.
if x86_64-w64-mingw32-objdump -p "$desktop_exe" | sed -n 's/^\tDLL Name: //p' |
  grep -viE '^(advapi32|comctl32|comdlg32|gdi32|kernel32|msvcrt|ole32|shell32|user32)\.dll$'; then
  echo "$desktop_exe needs a DLL beyond Windows' own" >&2
  exit 1
fi

version=$(sed -n 's/^#define QUOTEFORGE_VERSION "\(.*\)"$/\1/p' build-win/generated/quoteforge_version.h)
exe=build-win/cli/quoteforge-cli.exe

# The program carries its version (Explorer's Details tab), its icon, and the manifest that makes
# UTF-8 its code page.
resources=$(x86_64-w64-mingw32-windres -i "$exe" -O rc)
grep -q "VALUE \"ProductVersion\", \"$version\"" <<<"$resources" || { echo "$exe: no version $version" >&2; exit 1; }
grep -q 'RT_GROUP_ICON' <<<"$resources" || { echo "$exe: no icon" >&2; exit 1; }
grep -q '>UTF-8</activeCodePage>' <<<"$resources" || { echo "$exe: no UTF-8 code page in its manifest" >&2; exit 1; }

# The README for Windows users shows every command the program has.
readme=packaging/windows/README.txt
for command in $(cmake/wine-run.sh "$exe" --help | tr -d '\r' | sed -n '/^Subcommands:/,$s/^  \([a-z][a-z-]*\) .*/\1/p'); do
  grep -q "^$command " "$readme" || { echo "$readme does not show the command $command" >&2; exit 1; }
done

zip_file="build-win/quoteforge-cli-$version-win64.zip"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
x86_64-w64-mingw32-strip -o "$stage/quoteforge-cli.exe" "$exe"
x86_64-w64-mingw32-strip -o "$stage/quoteforge.exe" "$desktop_exe"
[ "$(stat -c %s "$stage/quoteforge.exe")" -le 3145728 ] || { echo "quoteforge.exe is larger than 3 MB" >&2; exit 1; }
# Text files for Windows end their lines in CR LF.
sed "s/@VERSION@/$version/; s/\$/\r/" "$readme" > "$stage/README.txt"
sed 's/$/\r/' LICENSE > "$stage/LICENSE.txt"
sed 's/$/\r/' packaging/windows/THIRD-PARTY-NOTICES.txt > "$stage/THIRD-PARTY-NOTICES.txt"
# quoteforge.exe opens its help pages from the folder beside it.
cp -r res/help "$stage/help"
rm -f "$zip_file"
(cd "$stage" && zip -q -X -r "$OLDPWD/$zip_file" quoteforge-cli.exe quoteforge.exe help README.txt LICENSE.txt \
  THIRD-PARTY-NOTICES.txt)
echo "Packed $zip_file"
