#!/usr/bin/env bash
# The bash completion of quoteforge-cli completes subcommands, options, the values of options and
# file names, for the program found first on PATH.
# Usage: completion_test.sh COMPLETION_FILE (run from a directory holding samples/prices.csv)
set -uo pipefail
here=$(dirname "$0")
[ -f /usr/share/bash-completion/bash_completion ] || { echo "bash-completion is not installed"; exit 77; }

failed=0
# command line | the candidates expected, in order, separated by spaces
while IFS='|' read -r line expected; do
  got=$("$here/complete.sh" "$1" "$line" | tr '\n' ' ')
  if [ "${got% }" != "$expected" ]; then
    echo "completing \"$line\": expected \"$expected\", got \"${got% }\""
    failed=1
  fi
done <<'CASES'
quoteforge-cli li|list
quoteforge-cli --ver|--version
quoteforge-cli convert --del|--delimiter
quoteforge-cli convert --delimiter t|tab
quoteforge-cli export --delimiter=sp|space
quoteforge-cli list --format j|json
quoteforge-cli export --time-format H|HHMMSS HH:MM:SS HH:MM
quoteforge-cli export --time-format HH:MM:|SS
quoteforge-cli convert --date-format ccyymm|CCYYMMDD
quoteforge-cli convert --frame |daily weekly monthly intraday
quoteforge-cli batch --fr|--frame --from
quoteforge-cli batch --skip 1 --oi-col of|off
quoteforge-cli convert --date-col o|
quoteforge-cli convert --close-col 1|1 10 11 12 13 14 15 16 17 18 19
quoteforge-cli detect samples/pri|samples/prices.csv
quoteforge-cli convert --dir sampl|samples
CASES
exit $failed
