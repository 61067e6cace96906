#!/usr/bin/env bash
# What the flushes to disk cost: times `quoteforge-cli convert` of the largest input one security can hold
# (65,534 rows) into a fresh directory and into one holding 50 securities, with and without --no-sync.
#
#   bench/sync_cost.sh [PATH/TO/quoteforge-cli]     RUNS (default 15) timed runs of each; use a Release build
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${1:-$repo/build/cli/quoteforge-cli}
runs=${RUNS:-15}
work=$(mktemp -d "${TMPDIR:-/tmp}/sync-cost.XXXXXX")
trap 'rm -rf "$work"' EXIT

awk -v rows=65534 -v start=1961 -f "$repo/samples/generate_prices.awk" > "$work/large.csv"
awk -v rows=20 -v start=2015 -f "$repo/samples/generate_prices.awk" > "$work/small.csv"
mkdir "$work/base"
for i in $(seq 1 50); do
  "$cli" convert "$work/small.csv" --dir "$work/base" --symbol "S$i" --date-format MM_DD_CCYY --skip 1 > /dev/null
done

# Median milliseconds of RUNS conversions: DIR-TEMPLATE (empty for a fresh directory), extra options.
median_ms() {
  local template=$1; shift
  local times=()
  for r in $(seq 1 "$runs"); do
    rm -rf "$work/out"
    if [[ -n $template ]]; then cp -a "$template" "$work/out"; else mkdir "$work/out"; fi
    sync
    local start=$(date +%s%N)
    "$cli" convert "$work/large.csv" --dir "$work/out" --symbol NEW --date-format MM_DD_CCYY --skip 1 "$@" > /dev/null
    times+=($(( ($(date +%s%N) - start) / 1000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { printf "%.1f", t[int((NR + 1) / 2)] / 1000 }'
}

echo "convert of 65,534 rows (1.8 MB written), median of $runs runs, file system: $(df -T "$work" | awk 'NR == 2 { print $2 }')"
for setup in fresh "50 securities"; do
  template=""; [[ $setup == fresh ]] || template=$work/base
  with=$(median_ms "$template")
  without=$(median_ms "$template" --no-sync)
  awk -v s="$setup" -v a="$with" -v b="$without" \
    'BEGIN { printf "  %-14s with flushes %7.1f ms   --no-sync %7.1f ms   cost of the flushes %6.1f ms\n", s, a, b, a - b }'
done
