#!/usr/bin/env bash
# Kills `quoteforge-cli batch` with SIGKILL at random moments and checks with an independent reader
# (check_directory.py prefix) that each leaves its directory holding whole committed groups only: the
# first k files' securities, complete, in order, for some k. Prints how many trials ended at which k.
#
#   bench/batch_kill_trials.sh [PATH/TO/quoteforge-cli]     TRIALS (default 20), FILES (120), ROWS (20000)
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${1:-$repo/build/cli/quoteforge-cli}
trials=${TRIALS:-20}
files=${FILES:-120}
rows=${ROWS:-20000}
check=$repo/bench/check_directory.py
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"

symbols=()
for ((i = 1; i <= files; ++i)); do
  printf -v name 'K%03d' "$i"
  awk -v rows="$rows" -v start=1961 -f "$repo/samples/generate_prices.awk" >"$work/in/$name.csv"
  symbols+=("$name")
done
batch() {  # DIR
  "$cli" batch "$1" "$work"/in/*.csv --date-format MM_DD_CCYY --skip 1
}

# How long a whole batch takes, so that the kills spread over all of it (groups commit every second).
start=$(date +%s%N)
batch "$work/timed" >/dev/null
span_us=$(( ($(date +%s%N) - start) / 1000 ))
python3 "$check" prefix "$work/timed" "$rows" "${symbols[@]}" >/dev/null

violations=0
declare -A ends=()
for ((t = 1; t <= trials; ++t)); do
  rm -rf "$work/trial"
  delay=$(awk -v r=$RANDOM -v span=$span_us 'BEGIN { printf "%.6f", r / 32767 * span * 1.1 / 1e6 }')
  "$cli" batch "$work/trial" "$work"/in/*.csv --date-format MM_DD_CCYY --skip 1 >/dev/null 2>&1 &
  pid=$!  # the batch itself, not a subshell
  sleep "$delay"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if k=$(python3 "$check" prefix "$work/trial" "$rows" "${symbols[@]}"); then
    ends[$k]=$(( ${ends[$k]:-0} + 1 ))
  else
    violations=$((violations + 1))
    echo "trial $t (kill after ${delay}s): $k" >&2
  fi
done
summary=""
for k in $(printf '%s\n' "${!ends[@]}" | sort -n); do summary+=" $k:${ends[$k]}"; done
echo "batch kill trials: $trials (a batch of $files files of $rows rows takes about $((span_us / 1000)) ms);" \
     "securities committed (count:trials):$summary; violations: $violations"
[[ $violations -eq 0 ]]
