#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh made, installing nothing: unpacks it into a
# temporary root, converts the sample with the unpacked quoteforge-cli and compares the files with
# those of the build tree's program, and checks the version it prints, the desktop entry, the icons,
# the manual pages and lintian's verdict.
set -euo pipefail
cd "$(dirname "$0")/../.."

debs=(build/quoteforge_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "Expected one build/quoteforge_*_amd64.deb" >&2; exit 1; }
deb=${debs[0]}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check_package: $*" >&2; exit 1; }

dpkg-deb -x "$deb" "$work/root"
root=$work/root
version=$(dpkg-deb -f "$deb" Version)
cli=$root/usr/bin/quoteforge-cli

printed=$("$cli" --version)
[ "$printed" = "quoteforge-cli $version" ] || fail "the package is version $version, quoteforge-cli says \"$printed\""

convert() {
  mkdir "$2"
  "$1" convert samples/prices.csv --dir "$2" --symbol QFDEMO --name "Quoteforge Demo" \
    --date-format MM_DD_CCYY --skip 1 --master new >/dev/null
}
convert "$cli" "$work/packaged"
convert build/cli/quoteforge-cli "$work/built"
diff -r "$work/built" "$work/packaged" || fail "the packaged quoteforge-cli wrote other bytes than build/cli/quoteforge-cli"

entry=$root/usr/share/applications/quoteforge.desktop
desktop-file-validate "$entry" || fail "$entry is not a valid desktop entry"
grep -qx 'Exec=quoteforge %f' "$entry" && [ -x "$root/usr/bin/quoteforge" ] || fail "the desktop entry does not start /usr/bin/quoteforge"
for size in 16 32 48 256; do
  [ -f "$root/usr/share/icons/hicolor/${size}x$size/apps/quoteforge.png" ] || fail "no ${size}x$size icon"
done
for page in quoteforge quoteforge-cli; do
  [ -f "$root/usr/share/man/man1/$page.1.gz" ] || fail "no manual page $page(1)"
done
[ -f "$root/usr/share/doc/quoteforge/copyright" ] || fail "no copyright file"

if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" || fail "lintian reports errors"
fi
echo "Package $deb checked"
