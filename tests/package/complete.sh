#!/usr/bin/env bash
# Prints what bash completes for a quoteforge-cli command line, one candidate a line, with the
# completion file given loaded the way bash-completion loads it.
# Usage: complete.sh COMPLETION_FILE 'quoteforge-cli conv'   (a trailing space starts a new word)
set -uo pipefail
source /usr/share/bash-completion/bash_completion || exit 1
source "$1" || exit 1
COMP_LINE=$2
COMP_POINT=${#COMP_LINE}
read -ra COMP_WORDS <<<"$COMP_LINE"
[[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
COMPREPLY=()
"$(complete -p quoteforge-cli | sed 's/.*-F \([^ ]*\) .*/\1/')" quoteforge-cli "${COMP_WORDS[COMP_CWORD]}" \
  "${COMP_WORDS[COMP_CWORD - 1]:-}"
printf '%s\n' "${COMPREPLY[@]}"
