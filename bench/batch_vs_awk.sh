#!/usr/bin/env bash
# Times `quoteforge-cli batch` converting 255 generated price files (2,520 rows each: ten years of trading
# days, seven fields) into one fresh directory, against one `awk -F, 'END{print NR}'` merely counting the
# lines of all of them, and against 255 separate `quoteforge-cli convert` processes into one directory.
# Prints the figures next to their targets:
#   batch / awk time ratio at most 4.0; 255 converts / batch at least 10; batch peak memory under 32 MB.
#
#   bench/batch_vs_awk.sh [PATH/TO/quoteforge-cli]
#
# Without an argument it uses build/cli/quoteforge-cli of this repository and builds it there if it is
# missing. Use a Release build. RUNS (default 7) sets the number of timed runs of batch and awk; the 255
# converts run twice. BATCH_OPTIONS adds options to batch (for instance --no-sync). The script exits 0
# whether or not the targets are met, and non-zero only when a conversion fails.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${RUNS:-7}
files=255
rows=2520
record_size=28  # seven fields of 4 bytes
read -r -a batch_options <<<"${BATCH_OPTIONS:-}"

if [[ $# -ge 1 ]]; then
  cli=$1
else
  cli=$repo/build/cli/quoteforge-cli
  if [[ ! -x $cli ]]; then
    echo "batch_vs_awk: building $cli" >&2
    if [[ ! -f $repo/build/CMakeCache.txt ]]; then
      cmake -S "$repo" -B "$repo/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >&2
    fi
    cmake --build "$repo/build" --target quoteforge-cli >&2
  fi
fi
if [[ ! -x $cli ]]; then
  echo "batch_vs_awk: $cli is not an executable file" >&2
  exit 2
fi
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
build_type=unknown
for cache in "$(dirname "$cli")/../CMakeCache.txt" "$(dirname "$cli")/CMakeCache.txt"; do
  if [[ -f $cache ]]; then
    build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$cache")
    break
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quoteforge-batch-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"

# One series, its dates moved to a different starting year for each security.
for ((i = 1; i <= files; ++i)); do
  printf -v name 'S%03d' "$i"
  awk -v rows="$rows" -v start=$((1961 + i % 60)) -v weekdays=1 -f "$repo/samples/generate_prices.awk" \
    >"$work/in/$name.csv"
done
inputs=("$work"/in/*.csv)
input_bytes=$(cat "${inputs[@]}" | wc -c)

stamp() {
  if [[ -n ${EPOCHREALTIME:-} ]]; then
    stamp_us=${EPOCHREALTIME/[.,]/}
  else
    stamp_us=$(($(date +%s%N) / 1000))
  fi
}

# A batch counts only if it exited 0 and wrote every record of every file.
check_output() {  # status dir what
  local status=$1 dir=$2 bytes
  bytes=$(cat "$dir"/F*.DAT 2>/dev/null | wc -c)
  if [[ $status -ne 0 || $bytes != $((files * record_size * (rows + 1))) ]]; then
    echo "batch_vs_awk: $3 failed (exit $status, $bytes bytes of data files)" >&2
    cat "$work/run.err" >&2
    exit 1
  fi
}

run_batch() {  # dir
  "$cli" batch "$1" "${inputs[@]}" --date-format MM_DD_CCYY --skip 1 "${batch_options[@]}" \
    >"$work/run.out" 2>"$work/run.err"
}

batch_us=()
awk_us=()
converts_us=()

time_batch() {
  local dir=$work/out-batch start end status=0
  rm -rf "$dir"
  stamp
  start=$stamp_us
  run_batch "$dir" || status=$?
  stamp
  end=$stamp_us
  check_output "$status" "$dir" batch
  batch_us+=("$((end - start))")
}

time_awk() {
  local start end
  stamp
  start=$stamp_us
  awk -F, 'END{print NR}' "${inputs[@]}" >"$work/awk.out"
  stamp
  end=$stamp_us
  if [[ $(cat "$work/awk.out") != $((files * (rows + 1))) ]]; then
    echo "batch_vs_awk: awk counted $(cat "$work/awk.out") lines" >&2
    exit 1
  fi
  awk_us+=("$((end - start))")
}

time_converts() {
  local dir=$work/out-converts start end status=0 input symbol
  rm -rf "$dir"
  mkdir "$dir"
  stamp
  start=$stamp_us
  for input in "${inputs[@]}"; do
    symbol=$(basename "$input" .csv)
    "$cli" convert "$input" --dir "$dir" --symbol "$symbol" --date-format MM_DD_CCYY --skip 1 \
      >"$work/run.out" 2>"$work/run.err" || status=$?
  done
  stamp
  end=$stamp_us
  check_output "$status" "$dir" "255 converts"
  converts_us+=("$((end - start))")
}

time_batch
time_awk
batch_us=()
awk_us=()
for ((i = 0; i < runs; ++i)); do
  if ((i % 2 == 0)); then
    time_batch
    time_awk
  else
    time_awk
    time_batch
  fi
done
time_converts
time_converts

# The batch and the 255 converts write the same bytes.
for file in "$work"/out-converts/F*; do
  if ! cmp -s "$file" "$work/out-batch/$(basename "$file")"; then
    echo "batch_vs_awk: $(basename "$file") differs between batch and convert" >&2
    exit 1
  fi
done

median_us() {
  printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
min_us() {
  printf '%s\n' "$@" | sort -n | head -n 1
}

rm -rf "$work/out-batch"
/usr/bin/time -v -o "$work/time.out" "$cli" batch "$work/out-batch" "${inputs[@]}" --date-format MM_DD_CCYY \
  --skip 1 "${batch_options[@]}" >"$work/run.out" 2>"$work/run.err"
batch_kb=$(sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): //p' "$work/time.out")
cpu_seconds() {  # user + system time of a /usr/bin/time -v report
  awk -F': ' '/User time|System time/ { s += $2 } END { print s }' "$work/time.out"
}
batch_cpu=$(cpu_seconds)
summary=$(cat "$work/run.out")
/usr/bin/time -v -o "$work/time.out" awk -F, 'END{print NR}' "${inputs[@]}" >/dev/null
awk_kb=$(sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): //p' "$work/time.out")
awk_cpu=$(cpu_seconds)
load=$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)
output_bytes=$(cat "$work"/out-batch/* 2>/dev/null | wc -c)

awk -v bm="$(median_us "${batch_us[@]}")" -v am="$(median_us "${awk_us[@]}")" \
  -v bmin="$(min_us "${batch_us[@]}")" -v amin="$(min_us "${awk_us[@]}")" \
  -v cm="$(median_us "${converts_us[@]}")" -v cmin="$(min_us "${converts_us[@]}")" \
  -v bkb="$batch_kb" -v akb="$awk_kb" -v runs="$runs" -v cli="$cli" -v type="$build_type" \
  -v inb="$input_bytes" -v outb="$output_bytes" -v files="$files" -v rows="$rows" -v summary="$summary" \
  -v options="${BATCH_OPTIONS:-}" -v cores="$(nproc)" -v bcpu="$batch_cpu" -v acpu="$awk_cpu" -v load="$load" '
function verdict(ok) { return ok ? "met" : "NOT MET" }
BEGIN {
  ratio = bm / am
  speedup = cm / bm
  printf "quoteforge-cli: %s (build type %s), %d cores, load average %s\n", cli, type, cores, load
  printf "input: %d files of %d rows, %.1f MB; output %.1f MB; %d interleaved runs of batch and awk\n", files, rows, inb / 1048576, outb / 1048576, runs
  printf "batch options: %s\nbatch says: %s\n\n", (options == "" ? "(none)" : options), summary
  printf "%-44s %10s %10s   %-8s %s\n", "", "median", "fastest", "target", ""
  printf "%-44s %10.1f %10.1f\n", "quoteforge-cli batch (ms)", bm / 1000, bmin / 1000
  printf "%-44s %10.1f %10.1f\n", "awk -F, \047END{print NR}\047 over all files (ms)", am / 1000, amin / 1000
  printf "%-44s %10.1f %10.1f\n", "255 quoteforge-cli convert processes (ms)", cm / 1000, cmin / 1000
  printf "%-44s %10.2f %10s   %-8s %s\n", "ratio batch / awk", ratio, "", "<= 4.0", verdict(ratio <= 4.0)
  printf "%-44s %10.1f %10s   %-8s %s\n", "255 converts / batch", speedup, "", ">= 10", verdict(speedup >= 10)
  printf "%-44s %10.1f %10s   %-8s %s\n", "batch peak memory (MB)", bkb / 1024, "", "< 32", verdict(bkb / 1024 < 32)
  printf "%-44s %10.1f\n", "awk peak memory, for comparison (MB)", akb / 1024
  printf "%-44s %10.0f\n", "batch CPU time, user + system, one run (ms)", bcpu * 1000
  printf "%-44s %10.0f\n", "awk CPU time, user + system, one run (ms)", acpu * 1000
}'
