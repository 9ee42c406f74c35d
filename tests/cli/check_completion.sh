#!/usr/bin/env bash
# The bash completion offers account names quoted as the shell needs them,
# and matches the word as typed, quoted or not.
#   check_completion.sh COMPLETION
set -uo pipefail
completion=$1
framework=/usr/share/bash-completion/bash_completion
if [[ ! -r $framework ]]; then
  echo "SKIP: no bash-completion"
  exit 0
fi
stub=$(mktemp -d)
trap 'rm -rf "$stub"' EXIT
printf '#!/bin/sh\nprintf "Old ISP\\t-\\nHome\\t-\\nOld\\t-\\n"\n' >"$stub/mavix-cli"
chmod +x "$stub/mavix-cli"
PATH=$stub:$PATH
source "$framework"
source "$completion"
failures=0
while IFS='|' read -r typed expected; do
  COMP_WORDS=(mavix-cli scan --account "$typed")
  COMP_CWORD=3
  COMP_LINE="mavix-cli scan --account $typed"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _mavix_cli
  got="${COMPREPLY[*]}"
  if [[ $got != "$expected" ]]; then
    echo "FAIL: '$typed' offered '$got', expected '$expected'"
    failures=$((failures + 1))
  fi
done <<'ROWS'
|Old\ ISP Home Old
Old|Old\ ISP Old
Old\ I|Old\ ISP
H|Home
ROWS
exit $((failures > 0))
