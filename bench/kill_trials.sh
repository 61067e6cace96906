#!/usr/bin/env bash
# Kills runs of `quoteforge-cli convert` with SIGKILL at random moments and checks with an independent
# reader (check_directory.py) that each leaves its directory either as before or with the complete new
# security; then runs 8 conversions into one directory at once, repeatedly, and checks that every
# security is there with distinct file numbers and a count equal to the records. Prints the figures.
#
#   bench/kill_trials.sh [PATH/TO/quoteforge-cli]
#   TRIALS (default 300), REPEATS (default 50), ROWS of the input (default 65534) and SECURITIES already in
#   the directory (default 50); ctest runs a short version. With FULL=DIR (a directory whose MASTER is
#   full, with EMASTER and XMASTER, such as a charting program's) a third part kills runs that add to its
#   XMASTER, on copies of DIR.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${1:-$repo/build/cli/quoteforge-cli}
trials=${TRIALS:-300}
repeats=${REPEATS:-50}
rows=${ROWS:-65534}
securities=${SECURITIES:-50}
check=$repo/bench/check_directory.py
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk -v rows=$rows -v start=1961 -f "$repo/samples/generate_prices.awk" > "$work/large.csv"
awk -v rows=20 -v start=2015 -f "$repo/samples/generate_prices.awk" > "$work/small.csv"
convert() {  # INPUT DIR SYMBOL [options]
  local input=$1 dir=$2 symbol=$3; shift 3
  "$cli" convert "$input" --dir "$dir" --symbol "$symbol" --date-format MM_DD_CCYY --skip 1 "$@"
}

# A directory of $securities securities.
mkdir "$work/base"
for i in $(seq 1 "$securities"); do convert "$work/small.csv" "$work/base" "S$i" > /dev/null; done

# How long one run takes, so that the kills spread over all of it.
cp -a "$work/base" "$work/timed"
start=$(date +%s%N)
convert "$work/large.csv" "$work/timed" NEWSYM > /dev/null
span_us=$(( ($(date +%s%N) - start) / 1000 ))

# The trials go in groups of 25 directories, each group checked by one reader process.
declare -A outcome=([before]=0 [added]=0 [violation]=0)
leftovers=0
for first in $(seq 1 25 "$trials"); do
  last=$(( first + 24 < trials ? first + 24 : trials ))
  for t in $(seq "$first" "$last"); do
    cp -a "$work/base" "$work/trial.$t"
    delay=$(awk -v r=$RANDOM -v span=$span_us 'BEGIN { printf "%.6f", r / 32767 * span * 1.2 / 1e6 }')
    "$cli" convert "$work/large.csv" --dir "$work/trial.$t" --symbol NEWSYM --date-format MM_DD_CCYY --skip 1 \
      > /dev/null 2>&1 &
    pid=$!  # the converter itself, not a subshell
    sleep "$delay"
    kill -KILL "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
  done
  mapfile -t results < <(python3 "$check" kill "$work/base" NEWSYM $rows $(seq -f "$work/trial.%g" "$first" "$last") || true)
  for t in $(seq "$first" "$last"); do
    result=${results[t - first]:-VIOLATION: no answer from the reader}
    if [[ $result == before || $result == added ]]; then
      outcome[$result]=$(( ${outcome[$result]} + 1 ))
    else
      outcome[violation]=$(( ${outcome[violation]} + 1 ))
      echo "trial $t: $result" >&2
    fi
    leftovers=$(( leftovers + $(find "$work/trial.$t" -name '*.NEW' -o -name '*.~NU' | wc -l) ))
    # The retry of a killed run succeeds and cleans up. A run killed after its journal was flushed reads as
    # before until the retry finishes the change, so the retry converts the same file.
    if [[ $result == before && $t == "$last" ]]; then
      convert "$work/large.csv" "$work/trial.$t" NEWSYM > /dev/null
      python3 "$check" kill "$work/base" NEWSYM $rows "$work/trial.$t" > /dev/null
    fi
    rm -rf "$work/trial.$t"
  done
done
echo "kill trials: $trials (one run takes about $((span_us / 1000)) ms); directory as before: ${outcome[before]}," \
     "complete new security: ${outcome[added]}, violations: ${outcome[violation]};" \
     "temporary files left by killed runs: $leftovers (removed by the next run)"

parallel_bad=0
symbols="P1 P2 P3 P4 P5 P6 P7 P8"
for r in $(seq 1 "$repeats"); do
  rm -rf "$work/par"
  cp -a "$work/base" "$work/par"
  pids=()
  for s in $symbols; do
    "$cli" convert "$work/small.csv" --dir "$work/par" --symbol "$s" --date-format MM_DD_CCYY --skip 1 \
      > /dev/null 2>> "$work/par.err" &
    pids+=($!)
  done
  failed=0
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
  if (( failed )) || ! result=$(python3 "$check" parallel "$work/par" 20 $symbols S1 "S$securities"); then
    parallel_bad=$(( parallel_bad + 1 ))
    echo "repetition $r: exit failure $failed ${result:-}" >&2
  fi
done
echo "parallel runs: $repeats repetitions of 8 runs into one directory; repetitions with a lost security," \
     "a repeated file number, a failed run or count != records: $parallel_bad"
full_bad=0
if [[ -n ${FULL:-} ]]; then
  declare -A full_outcome=([before]=0 [added]=0)
  cp -a "$FULL" "$work/full"
  chmod -R u+w "$work/full"
  for t in $(seq 1 "$(( trials / 4 + 1 ))"); do
    cp -a "$work/full" "$work/xtrial"
    delay=$(awk -v r=$RANDOM -v span=$span_us 'BEGIN { printf "%.6f", r / 32767 * span * 1.2 / 1e6 }')
    "$cli" convert "$work/large.csv" --dir "$work/xtrial" --symbol NEWSYM --date-format MM_DD_CCYY --skip 1 \
      > /dev/null 2>&1 &
    pid=$!
    sleep "$delay"
    kill -KILL "$pid" 2> /dev/null || true
    wait "$pid" 2> /dev/null || true
    result=$(python3 "$check" killx "$work/full" NEWSYM $rows "$work/xtrial" || true)
    if [[ $result == before || $result == added ]]; then
      full_outcome[$result]=$(( ${full_outcome[$result]} + 1 ))
    else
      full_bad=$(( full_bad + 1 ))
      echo "full trial $t: $result" >&2
    fi
    rm -rf "$work/xtrial"
  done
  echo "kill trials into a full directory with EMASTER and XMASTER: $(( trials / 4 + 1 )); as before:" \
       "${full_outcome[before]}, complete new XMASTER security: ${full_outcome[added]}, violations: $full_bad"
fi
[[ ${outcome[violation]} -eq 0 && $parallel_bad -eq 0 && $full_bad -eq 0 ]]
