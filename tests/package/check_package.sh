#!/usr/bin/env bash
# Checks the Debian packages that scripts/package.sh made, installing nothing: unpacks them into a
# temporary root, converts the sample with the unpacked quoteforge-cli and compares the files with
# those of the build tree's program, and checks the version it prints, the command-line package's
# dependencies, the desktop entry, the AppStream data, the icons, the manual pages, the bash
# completion, the documentation and lintian's verdict.
set -euo pipefail
cd "$(dirname "$0")/../.."

package() {  # NAME: the one build/NAME_*_amd64.deb
  local debs=(build/"$1"_*_amd64.deb)
  [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "Expected one build/$1_*_amd64.deb" >&2; exit 1; }
  echo "${debs[0]}"
}
cli_deb=$(package quoteforge-cli)
desktop_deb=$(package quoteforge)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check_package: $*" >&2; exit 1; }

root=$work/root
dpkg-deb -x "$cli_deb" "$root"
dpkg-deb -x "$desktop_deb" "$root"
version=$(dpkg-deb -f "$cli_deb" Version)
[ "$(dpkg-deb -f "$desktop_deb" Version)" = "$version" ] || fail "the two packages have different versions"
cli=$root/usr/bin/quoteforge-cli

printed=$("$cli" --version)
[ "$printed" = "quoteforge-cli $version" ] || fail "the package is version $version, quoteforge-cli says \"$printed\""

# Scripts and servers install the converter without the desktop stack.
cli_depends=$(dpkg-deb -f "$cli_deb" Depends Pre-Depends Recommends)
! grep -qi 'qt' <<<"$cli_depends" || fail "quoteforge-cli depends on Qt: $cli_depends"
! dpkg-deb -c "$cli_deb" | grep -q 'usr/bin/quoteforge$' || fail "quoteforge-cli holds the desktop program"
dpkg-deb -f "$desktop_deb" Depends | grep -q "quoteforge-cli (= $version)" ||
  fail "quoteforge does not depend on quoteforge-cli $version"

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
# Declaring text/plain would make Quoteforge the default program for every text file.
! grep -q 'text/plain' "$entry" || fail "the desktop entry claims text/plain"
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "no AppStream metainfo"
appstreamcli validate --no-net "${metainfo[@]}" >/dev/null 2>&1 || {
  appstreamcli validate --no-net "${metainfo[@]}" >&2 || true
  fail "the AppStream metainfo does not validate"
}
for size in 16 32 48 64 128 256; do
  [ -f "$root/usr/share/icons/hicolor/${size}x$size/apps/quoteforge.png" ] || fail "no ${size}x$size icon"
done
[ -f "$root/usr/share/icons/hicolor/scalable/apps/quoteforge.svg" ] || fail "no scalable icon"

# Every subcommand has its manual page, and the program's page names them all.
pages=$root/usr/share/man/man1
[ -f "$pages/quoteforge.1.gz" ] || fail "no manual page quoteforge(1)"
subcommands=$("$cli" --help | sed -n '/^Subcommands:/,$s/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$subcommands" ] || fail "quoteforge-cli --help lists no subcommands"
for sub in $subcommands; do
  [ -f "$pages/quoteforge-cli-$sub.1.gz" ] || fail "no manual page quoteforge-cli-$sub(1)"
  zgrep -q "quoteforge-cli-$sub" "$pages/quoteforge-cli.1.gz" || fail "quoteforge-cli(1) does not name $sub"
  ! zgrep -q ' TEXT' "$pages/quoteforge-cli-$sub.1.gz" || fail "quoteforge-cli-$sub(1) calls a value TEXT"
done

completion=$root/usr/share/bash-completion/completions/quoteforge-cli
[ -f "$completion" ] || fail "no bash completion where bash-completion looks"
completed=$(PATH=$root/usr/bin:$PATH tests/package/complete.sh "$completion" "quoteforge-cli li")
[ "$completed" = list ] || fail "the bash completion completes \"quoteforge-cli li\" to \"$completed\""

docs=$root/usr/share/doc
[ -f "$docs/quoteforge/examples/prices.csv" ] || fail "no sample in /usr/share/doc/quoteforge/examples"
! zgrep -q 'build/' "$docs/quoteforge/README.md.gz" || fail "the packaged README names build/ paths"
for name in quoteforge quoteforge-cli; do
  [ -f "$docs/$name/copyright" ] || fail "no copyright file in /usr/share/doc/$name"
done
grep -q 'BSD-3-clause' "$docs/quoteforge-cli/copyright" || fail "the copyright of quoteforge-cli does not name CLI11's licence"

if command -v lintian >/dev/null; then
  lintian --fail-on error "$cli_deb" "$desktop_deb" || fail "lintian reports errors"
fi
echo "Packages $cli_deb and $desktop_deb checked"
