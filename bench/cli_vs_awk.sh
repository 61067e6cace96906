#!/usr/bin/env bash
# Times `quoteforge-cli convert --no-sync` (and, beside it, with its flushes to disk) on the largest input one security can hold (65,534 rows of seven fields)
# against `awk -F, 'END{print NR}'` merely counting the lines of the same file, times the same rows with
# every field quoted against the plain file (target: at most 1.5 times), and measures the
# converter's peak memory on that input and on a small one. Prints the figures next to their targets:
#   converter / awk time ratio at most 2.0; peak memory under 16 MB. Every row is checked before anything
#   is written, so the records of the whole input are held in memory: the growth from the small input to
#   the large one is at most one data file's records (65,535 of 28 bytes, in 2 MB pages where the system
#   gives them), under 2560 KB.
#
#   bench/cli_vs_awk.sh [PATH/TO/quoteforge-cli]
#
# Without an argument it uses build/cli/quoteforge-cli of this repository and builds it there if it is
# missing. Use a Release build: the figures of a debug or sanitizer build say nothing. RUNS (default 15)
# sets the number of timed runs of each command. The script reports; it exits 0 whether or not the
# targets are met, and non-zero only when a conversion fails (its times would then mean nothing).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${RUNS:-15}
large_rows=65534
small_rows=1000
record_size=28  # seven fields of 4 bytes

if [[ $# -ge 1 ]]; then
  cli=$1
  if [[ ! -x $cli ]]; then
    echo "cli_vs_awk: $cli is not an executable file" >&2
    exit 2
  fi
else
  cli=$repo/build/cli/quoteforge-cli
  if [[ ! -x $cli ]]; then
    echo "cli_vs_awk: building $cli" >&2
    if [[ ! -f $repo/build/CMakeCache.txt ]]; then
      cmake -S "$repo" -B "$repo/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >&2
    fi
    cmake --build "$repo/build" --target quoteforge-cli >&2
  fi
fi
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
build_type=unknown
for cache in "$(dirname "$cli")/../CMakeCache.txt" "$(dirname "$cli")/CMakeCache.txt"; do
  if [[ -f $cache ]]; then
    build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$cache")
    break
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quoteforge-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

generate() {  # rows file
  awk -v rows="$1" -v start=1961 -v weekdays=0 -f "$repo/samples/generate_prices.awk" >"$2"
}
generate "$large_rows" "$work/large.csv"
generate "$small_rows" "$work/small.csv"
# The same rows with every field quoted, as spreadsheets write them.
sed -E 's/([^,]+)/"\1"/g' "$work/large.csv" >"$work/quoted.csv"

# Sets stamp_us to the microseconds since the epoch; without a command substitution, so that no extra
# process start falls inside a timed interval. EPOCHREALTIME writes its decimal point as the locale says.
stamp() {
  if [[ -n ${EPOCHREALTIME:-} ]]; then
    stamp_us=${EPOCHREALTIME/[.,]/}
  else
    stamp_us=$(($(date +%s%N) / 1000))
  fi
}

fresh_dir() {  # prints the path of a new, empty output directory
  local dir
  dir=$(mktemp -d "$work/out.XXXXXX")
  echo "$dir"
}

convert() {  # input out_dir [option...]
  local input=$1 out=$2
  shift 2
  "$cli" convert "$input" --dir "$out" --symbol X --date-format MM_DD_CCYY --skip 1 --master new "$@" \
    >"$work/convert.out" 2>"$work/convert.err"
}

# A conversion counts only if it exited 0 and wrote every record (plus the header record) of the input.
check_conversion() {  # status out_dir rows
  local status=$1 dat=$2/F1.DAT rows=$3 size
  size=$(stat -c %s "$dat" 2>/dev/null || echo missing)
  if [[ $status -ne 0 || $size != $((record_size * (rows + 1))) ]]; then
    echo "cli_vs_awk: conversion failed (exit $status, F1.DAT size $size, expected $((record_size * (rows + 1))))" >&2
    cat "$work/convert.err" >&2
    exit 1
  fi
}

converter_us=()  # with --no-sync: the figure the target is about
synced_us=()     # with the flushes to disk, reported beside it
awk_us=()
quoted_us=()     # the quoted file, with --no-sync

time_quoted() {
  local dir start end status=0
  dir=$(fresh_dir)
  stamp
  start=$stamp_us
  convert "$work/quoted.csv" "$dir" --no-sync || status=$?
  stamp
  end=$stamp_us
  check_conversion "$status" "$dir" "$large_rows"
  rm -rf "$dir"
  quoted_us+=("$((end - start))")
}

time_converter() {  # [--no-sync]
  local dir start end status=0
  dir=$(fresh_dir)
  stamp
  start=$stamp_us
  convert "$work/large.csv" "$dir" "$@" || status=$?
  stamp
  end=$stamp_us
  check_conversion "$status" "$dir" "$large_rows"
  rm -rf "$dir"
  if (($# > 0)); then
    converter_us+=("$((end - start))")
  else
    synced_us+=("$((end - start))")
  fi
}

time_awk() {
  local start end
  stamp
  start=$stamp_us
  awk -F, 'END{print NR}' "$work/large.csv" >"$work/awk.out"
  stamp
  end=$stamp_us
  if [[ $(cat "$work/awk.out") != $((large_rows + 1)) ]]; then
    echo "cli_vs_awk: awk counted $(cat "$work/awk.out") lines, expected $((large_rows + 1))" >&2
    exit 1
  fi
  awk_us+=("$((end - start))")
}

# One untimed run of each brings the input, both programs and their libraries into the page cache.
time_converter --no-sync
time_converter
time_awk
time_quoted
converter_us=()
synced_us=()
awk_us=()
quoted_us=()

# Interleaved, and alternating which goes first, so that a burst of background load or a slow process
# start falls on both commands alike.
for ((i = 0; i < runs; ++i)); do
  if ((i % 2 == 0)); then
    time_converter --no-sync
    time_awk
    time_converter
    time_quoted
  else
    time_quoted
    time_awk
    time_converter --no-sync
    time_converter
  fi
done

median_us() {  # values...
  printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
min_us() {
  printf '%s\n' "$@" | sort -n | head -n 1
}

# Peak resident memory in KB of the converter on an input: the largest of three runs.
peak_kb() {  # input rows
  local best=0 kb dir status
  for _ in 1 2 3; do
    dir=$(fresh_dir)
    status=0
    /usr/bin/time -f %M -o "$work/time.out" "$cli" convert "$1" --dir "$dir" --symbol X \
      --date-format MM_DD_CCYY --skip 1 --master new >"$work/convert.out" 2>"$work/convert.err" || status=$?
    check_conversion "$status" "$dir" "$2"
    rm -rf "$dir"
    kb=$(tail -n 1 "$work/time.out")
    if ((kb > best)); then
      best=$kb
    fi
  done
  echo "$best"
}

converter_median=$(median_us "${converter_us[@]}")
awk_median=$(median_us "${awk_us[@]}")
synced_median=$(median_us "${synced_us[@]}")
quoted_median=$(median_us "${quoted_us[@]}")
converter_min=$(min_us "${converter_us[@]}")
awk_min=$(min_us "${awk_us[@]}")
large_kb=$(peak_kb "$work/large.csv" "$large_rows")
small_kb=$(peak_kb "$work/small.csv" "$small_rows")
awk_kb=$(/usr/bin/time -f %M -o "$work/time.out" awk -F, 'END{print NR}' "$work/large.csv" >/dev/null &&
  tail -n 1 "$work/time.out")

awk -v cm="$converter_median" -v qm="$quoted_median" -v sm="$synced_median" -v am="$awk_median" -v cmin="$converter_min" -v amin="$awk_min" \
  -v lkb="$large_kb" -v skb="$small_kb" -v akb="$awk_kb" -v runs="$runs" -v cli="$cli" \
  -v type="$build_type" -v bytes="$(stat -c %s "$work/large.csv")" -v large="$large_rows" -v small="$small_rows" '
function verdict(ok) { return ok ? "met" : "NOT MET" }
function mb(kb) { return kb / 1024 }
BEGIN {
  ratio = cm / am
  growth_limit_kb = 2560  # the records of one data file held, and no more
  printf "quoteforge-cli: %s (build type %s)\n", cli, type
  printf "input: %d rows, %d bytes; %d interleaved runs of each command\n\n", large, bytes, runs
  printf "%-40s %10s %10s   %-10s %s\n", "", "median", "fastest", "target", ""
  printf "%-40s %10.1f %10.1f\n", "quoteforge-cli convert --no-sync (ms)", cm / 1000, cmin / 1000
  printf "%-40s %10.1f\n", "quoteforge-cli convert, flushed (ms)", sm / 1000
  printf "%-40s %10.1f\n", "the same rows, every field quoted (ms)", qm / 1000
  printf "%-40s %10.2f %10s   %-10s %s\n", "ratio quoted / plain", qm / cm, "", "<= 1.5", verdict(qm / cm <= 1.5)
  printf "%-40s %10.1f %10.1f\n", "awk -F, \047END{print NR}\047 (ms)", am / 1000, amin / 1000
  printf "%-40s %10.2f %10.2f   %-10s %s\n", "ratio converter --no-sync / awk", ratio, cmin / amin, "<= 2.0", verdict(ratio <= 2.0)
  printf "%-40s %10.1f %10s   %-10s %s\n", sprintf("peak memory, %d rows (MB)", large), mb(lkb), "", "< 16", verdict(mb(lkb) < 16)
  printf "%-40s %10.1f %10s   %-10s %s\n", sprintf("peak memory, %d rows (MB)", small), mb(skb), "", "< 16", verdict(mb(skb) < 16)
  printf "%-40s %10d %10s   %-10s %s\n", "peak memory growth, large - small (KB)", lkb - skb, "", "< 2560", verdict(lkb - skb < growth_limit_kb)
  printf "%-40s %10.1f\n", "awk peak memory, for comparison (MB)", mb(akb)
  printf "\n(1 MB = 1024 KB of maximum resident set size, as /usr/bin/time reports it)\n"
}'
