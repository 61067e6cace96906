#!/usr/bin/env bash
# Kills `quoteforge-cli` with SIGKILL at every rename, unlink, fsync and fdatasync of a change (strace
# injects the signal into the Nth such call), on copies of the genuine directories, for convert,
# convert --update, remove, batch and batch --update. After each kill the directory must be one that
# another program can read without harm (every security that MASTER or XMASTER lists has its data file),
# and the same command run again must succeed and leave every file byte for byte as a run that was never
# killed leaves it. Prints the trials and violations per change.
#
#   bench/kill_every_step.sh [PATH/TO/quoteforge-cli]     GENUINE=DIR (default ../shared/genuine)
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=$(realpath "${1:-$repo/build/cli/quoteforge-cli}")
genuine=${GENUINE:-$repo/../shared/genuine}
check=$repo/bench/check_directory.py
if ! command -v strace >/dev/null || [[ ! -d $genuine/futures-lumber ]]; then
  echo "kill at every step: skipped (needs strace and the genuine directories)"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '20240102,1,2,0.5,1.5,100,7\n20240103,2,3,1.5,2.5,200,8\n' > "$work/QFA.csv"
printf '20240102,1,2,0.5,1.5,100,7\n20240104,2,3,1.5,2.5,200,8\n' > "$work/QFB.csv"
mkdir "$work/later"
printf '20240102,1,2,0.5,1.5,100,7\n20240103,2,3,1.5,2.5,200,8\n20240108,3,4,2.5,3.5,300,9\n' > "$work/later/QFA.csv"

fresh() {  # NAME [prepare...]: a writable copy of a genuine directory in $work/d
  rm -rf "$work/d"
  cp -r "$genuine/$1" "$work/d"
  chmod -R u+w "$work/d"
}
prepare_qfa() {  # the security QFA, to update
  "$cli" convert "$work/QFA.csv" --dir "$work/d" --symbol QFA --date-format CCYYMMDD > /dev/null 2>&1
}
sums() { (cd "$work/d" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }

total=0
bad=0
trial() {  # WHAT DIRNAME PREPARE COMMAND...
  local what=$1 name=$2 prepare=$3; shift 3
  local args=("$@") n kills=0 violations=0 reference
  fresh "$name"; $prepare
  "$cli" "${args[@]}" > /dev/null 2> "$work/why" || { echo "  $what: the run itself fails: $(cat "$work/why")"; bad=$((bad + 1)); return; }
  reference=$(sums)
  # strace counts each system call on its own: every Nth call of each, in turn.
  for call in rename unlink fsync fdatasync; do
    for ((n = 1; ; ++n)); do
      fresh "$name"; $prepare
      (strace -f -o /dev/null -e trace=$call -e inject=$call:signal=KILL:when=$n "$cli" "${args[@]}" > /dev/null 2>&1) \
        2> /dev/null && break  # the run got through: no Nth such call
      kills=$((kills + 1))
      if ! python3 "$check" readable "$work/d" > "$work/why" 2>&1; then
        violations=$((violations + 1)); echo "  $what, killed at $call $n: $(cat "$work/why")"
      fi
      if ! "$cli" "${args[@]}" > /dev/null 2> "$work/why" || [[ $(sums) != "$reference" ]]; then
        violations=$((violations + 1)); echo "  $what, killed at $call $n: the retry: $(cat "$work/why")"
      fi
    done
  done
  echo "  $what: $kills kills, $violations violations"
  total=$((total + kills)); bad=$((bad + violations))
}

cd "$work"
exec 2> /dev/null  # the shell's notices of the runs it saw killed
echo "kill at every step (rename, unlink, fsync, fdatasync), on copies of the genuine directories:"
for name in futures-euro-oat futures-lumber; do
  trial "$name convert" "$name" : convert "$work/QFA.csv" --dir "$work/d" --symbol QFNEW --date-format CCYYMMDD
  trial "$name convert --update" "$name" prepare_qfa convert "$work/later/QFA.csv" --dir "$work/d" --symbol QFA \
    --date-format CCYYMMDD --update
  trial "$name batch" "$name" : batch "$work/d" "$work/QFA.csv" "$work/QFB.csv" --date-format CCYYMMDD
  trial "$name batch --update" "$name" prepare_qfa batch "$work/d" "$work/later/QFA.csv" "$work/QFB.csv" \
    --date-format CCYYMMDD --update
done
trial "futures-euro-oat remove" futures-euro-oat : remove "$work/d" OAT4_2022M
trial "futures-lumber remove (XMASTER)" futures-lumber : remove "$work/d" LB___2023N
trial "futures-lumber remove (MASTER)" futures-lumber : remove "$work/d" LB___1980F
echo "kill at every step: $total kills, $bad violations"
[[ $bad -eq 0 ]]
