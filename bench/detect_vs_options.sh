#!/usr/bin/env bash
# Times `quoteforge-cli convert --detect` against `convert` with the options given, on the largest input one
# security can hold (65,534 rows of seven fields, as cli_vs_awk.sh makes it), and prints the ratio of their
# median times next to its target: at most 1.10. Both must write the same bytes.
#
#   bench/detect_vs_options.sh [PATH/TO/quoteforge-cli]
#
# Without an argument it uses build/cli/quoteforge-cli of this repository. Use a Release build. RUNS
# (default 15) sets the number of timed runs of each. The script reports; it exits 0 whether or not the
# target is met, and non-zero only when a conversion fails or the two differ.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${RUNS:-15}
rows=65534
cli=${1:-$repo/build/cli/quoteforge-cli}
if [[ ! -x $cli ]]; then
  echo "detect_vs_options: $cli is not an executable file" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quoteforge-detect-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
awk -v rows="$rows" -v start=1961 -v weekdays=0 -f "$repo/samples/generate_prices.awk" >"$work/large.csv"

run() {  # out_dir [option...]: prints the microseconds the conversion took
  local out=$1 start end
  shift
  mkdir "$out"
  start=${EPOCHREALTIME/[.,]/}
  if ! "$cli" convert "$work/large.csv" --dir "$out" --symbol X --master new --no-sync "$@" >"$work/run.out" 2>"$work/run.err"; then
    echo "detect_vs_options: conversion failed:" >&2
    cat "$work/run.err" >&2
    exit 1
  fi
  end=${EPOCHREALTIME/[.,]/}
  echo $((end - start))
}

median() {
  printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'
}

given=()
detected=()
for ((i = 0; i < runs; ++i)); do
  given+=("$(run "$work/given$i" --date-format MM_DD_CCYY --skip 1)")
  detected+=("$(run "$work/detected$i" --detect)")
done
if ! cmp -s "$work/given0/F1.DAT" "$work/detected0/F1.DAT"; then
  echo "detect_vs_options: convert --detect wrote other records than convert with the options" >&2
  exit 1
fi
g=$(median "${given[@]}")
d=$(median "${detected[@]}")
awk -v g="$g" -v d="$d" -v rows="$rows" 'BEGIN {
  printf "convert with options:  %.1f ms (median of the runs, %d rows)\n", g / 1000, rows
  printf "convert --detect:      %.1f ms\n", d / 1000
  printf "ratio --detect / options: %.3f (target: at most 1.10)\n", d / g
}'
