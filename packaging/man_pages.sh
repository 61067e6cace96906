#!/bin/sh
# Makes the manual pages of quoteforge-cli from the program's own help texts: quoteforge-cli(1) with
# the list of subcommands, and quoteforge-cli-<subcommand>(1) for each, gzipped as Debian keeps them.
# Usage: man_pages.sh PROGRAM OUT_DIR MAIN_INCLUDE CHANGELOG
# The pages carry the date of the changelog's newest entry unless SOURCE_DATE_EPOCH says otherwise.
set -eu
program=$1 out=$2 include=$3 changelog=$4
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(date -d "$(sed -n 's/^ -- .*>  //p' "$changelog" | head -n 1)" +%s)
fi
export SOURCE_DATE_EPOCH
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -rf "$out"
mkdir -p "$out"

# help2man runs a program with --help and --version; this one answers for PROGRAM or one of its
# subcommands. CLI11 calls every value TEXT: the pages name what it is instead (a column, a format,
# a directory ...), and show a choice as its set of words.
cat > "$work/options.sed" <<'SED'
s/^\(  [A-Z][A-Z.]*\) TEXT\( \.\.\.\)\{0,1\}/\1\2/
s/^\(  [^ ]*\) TEXT:\({[^}]*}\)/\1 \2/
s/^\(  [^ ]*-col\) TEXT/\1 COLUMN/
s/^\(  [^ ]*-from\) TEXT\( x 2\)\{0,1\}/\1 SOURCE/
s/^\(  [^ ]*--output\) TEXT/\1 FILE/
s/^\(  [^ ]*--\([a-z]*-\)*\([a-z]*\)\) TEXT/\1 \U\3/
SED
help_of() {  # PAGE_NAME [SUBCOMMAND]
  cat > "$work/$1" <<SH
#!/bin/sh
if [ "\$1" = --version ]; then
  "$program" --version | sed 's/^[^ ]*/$1/'
else
  "$program" $2 --help | sed -f "$work/options.sed"
fi
SH
  chmod +x "$work/$1"
}

subcommands=$("$program" --help | sed -n '/^Subcommands:/,$s/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$subcommands" ] || { echo "man_pages.sh: $program lists no subcommands" >&2; exit 1; }
version=$("$program" --version | sed 's/^[^ ]* //')
common="--no-info --section=1 --source=Quoteforge\ $version --manual=User\ Commands"

see_also=$(for sub in $subcommands; do printf '.BR quoteforge-cli-%s (1),\n' "$sub"; done)
{ cat "$include"; printf '\n[see also]\n%s\n.BR quoteforge (1)\n' "$see_also"; } > "$work/main.h2m"
help_of quoteforge-cli ""
eval help2man $common --include="$work/main.h2m" --output="$work/quoteforge-cli.1" '"$work/quoteforge-cli"'
for sub in $subcommands; do
  page=quoteforge-cli-$sub
  summary=$("$program" "$sub" --help | head -n 1 | sed 's/ (.*//; s/^\(.\)/\L\1/')
  printf '[see also]\n.BR quoteforge-cli (1)\n' > "$work/$page.h2m"
  help_of "$page" "$sub"
  eval help2man $common --name='"$summary"' --include='"$work/$page.h2m"' --output='"$work/$page.1"' \
    '"$work/$page"'
done
for page in "$work"/*.1; do
  gzip -9nc "$page" > "$out/$(basename "$page").gz"
done
