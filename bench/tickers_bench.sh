#!/usr/bin/env bash
# Times `quoteforge-cli batch` converting one market file of 2,000 tickers x 250 trading days (500,000
# rows, one row per ticker per day, the days in order) into an empty directory that goes on in XMASTER,
# against batch over the same rows in 2,000 files of one security each. Prints both times, their ratio
# next to its target (at most 1.5) and the peak memory of each run (the children's ru_maxrss, as
# /usr/bin/time reports it).
#
#   bench/tickers_bench.sh [PATH/TO/quoteforge-cli]
#
# Without an argument it uses build/cli/quoteforge-cli of this repository. TICKERS (2000) and DAYS (250)
# set the size, RUNS (3) the timed runs of each, BATCH_OPTIONS adds options to both batches. Exits 0
# whether or not the target is met, non-zero only when a batch fails or the two write other records.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${1:-$repo/build/cli/quoteforge-cli}
tickers=${TICKERS:-2000}
days=${DAYS:-250}
runs=${RUNS:-3}
read -r -a batch_options <<<"${BATCH_OPTIONS:-}"
if [[ ! -x $cli ]]; then
  echo "tickers_bench: $cli is not an executable file" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quoteforge-tickers-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/one"

# Every ticker's walk from its own price; the market file holds the days in order, each day all tickers.
awk -v tickers="$tickers" -v days="$days" -v dir="$work/one" '
BEGIN {
  seed = 20261210
  heading = "<TICKER>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>,<OPENINT>"
  print heading
  for (t = 1; t <= tickers; ++t) {
    price[t] = 10 + t % 90
    name[t] = sprintf("T%04d", t)
    print heading > (dir "/" name[t] ".csv")
  }
  y = 2020; m = 1; d = 1; w = 3  # 1 January 2020 was a Wednesday
  for (n = 0; n < days;) {
    if (w != 0 && w != 6) {
      date = sprintf("%04d%02d%02d", y, m, d)
      for (t = 1; t <= tickers; ++t) {
        seed = (seed * 16807) % 2147483647
        o = price[t]; c = o * (1 + (seed / 2147483647 - 0.5) / 25)
        high = (o > c ? o : c) * 1.01; low = (o < c ? o : c) * 0.99
        line = sprintf("%s,D,%s,000000,%.2f,%.2f,%.2f,%.2f,%d,0", name[t], date, o, high, low, c, 1000 + seed % 100000)
        print line
        print line >> (dir "/" name[t] ".csv")
        price[t] = c
      }
      ++n
    }
    w = (w + 1) % 7
    if (++d > (m == 2 ? (y % 4 == 0 ? 29 : 28) : (m == 4 || m == 6 || m == 9 || m == 11) ? 30 : 31)) { d = 1; if (++m > 12) { m = 1; ++y } }
  }
  for (t = 1; t <= tickers; ++t)
    close(dir "/" name[t] ".csv")
}' >"$work/market.csv"
input_bytes=$(wc -c <"$work/market.csv")
layout=(--date-format CCYYMMDD --skip 1 --date-col 3 --open-col 5 --high-col 6 --low-col 7 --close-col 8
        --volume-col 9 --oi-col 10 --xmaster)

run() {  # what dir inputs...
  local what=$1 dir=$2
  shift 2
  rm -rf "$dir"
  if ! /usr/bin/time -f '%e %M' -o "$work/time.out" "$cli" batch "$dir" "$@" "${layout[@]}" "${batch_options[@]}" \
    >"$work/run.out" 2>"$work/run.err"; then
    echo "tickers_bench: the batch of $what failed" >&2
    tail -n 5 "$work/run.err" >&2
    exit 1
  fi
  read -r seconds kb <"$work/time.out"
  summary=$(tail -n 1 "$work/run.out")
}

market_s=() market_kb=0 files_s=() files_kb=0
for ((i = 0; i < runs; ++i)); do
  run "the market file" "$work/out-market" "$work/market.csv"
  market_s+=("$seconds") market_kb=$kb market_summary=$summary
  run "2,000 files" "$work/out-files" "$work"/one/*.csv
  files_s+=("$seconds") files_kb=$kb files_summary=$summary
done

# Both hold the same records for each ticker.
"$cli" export "$work/out-market" --all | sort >"$work/market.txt"
"$cli" export "$work/out-files" --all | sort >"$work/files.txt"
if ! cmp -s "$work/market.txt" "$work/files.txt"; then
  echo "tickers_bench: the two batches wrote other records" >&2
  exit 1
fi

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
awk -v m="$(median "${market_s[@]}")" -v f="$(median "${files_s[@]}")" -v mkb="$market_kb" -v fkb="$files_kb" \
  -v inb="$input_bytes" -v t="$tickers" -v d="$days" -v runs="$runs" -v cores="$(nproc)" \
  -v ms="$market_summary" -v fs="$files_summary" -v cli="$cli" '
BEGIN {
  printf "quoteforge-cli: %s, %d cores; %d tickers x %d days, %.1f MB; median of %d runs\n", cli, cores, t, d, inb / 1048576, runs
  printf "market file says: %s\n2,000 files say:  %s\n\n", ms, fs
  printf "%-40s %10s %12s\n", "", "time (s)", "peak (MB)"
  printf "%-40s %10.2f %12.1f\n", "batch of the market file", m, mkb / 1024
  printf "%-40s %10.2f %12.1f\n", "batch of one file per ticker", f, fkb / 1024
  printf "%-40s %10.2f   target <= 1.5: %s\n", "ratio market / files", m / f, (m / f <= 1.5 ? "met" : "NOT MET")
}'
