#!/usr/bin/env bash
# mavix-cli --help, its man page and its bash completion name the same long
# options: those of --help's usage lines in the man page's SYNOPSIS, every
# one in an OPTIONS entry and in the completion's word lists, and none in
# them that --help lacks. --version prints the name and the version.
#   check_cli_docs.sh MAVIX_CLI VERSION MAN_PAGE COMPLETION
set -euo pipefail
cli=$1 version=$2 man=$3 completion=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

longopts() { grep -oE -- '--[a-z][a-z-]*[a-z]' | sort -u || true; }
# One section of the man page, with roff's \- as -.
section() { awk -v name="$1" '/^\.SH /{on = ($2 == name)} on' "$man" | sed 's/\\-/-/g'; }
# Each of $2 missing from $3: "$1 lacks OPTION".
lacks() { # what expected actual
  local o
  for o in $(comm -23 <(echo "$2") <(echo "$3")); do fail "$1 lacks $o"; done
}

help=$("$cli" --help)
all=$(longopts <<<"$help")
usage=$(sed -n '/^Usage:/,/^$/p' <<<"$help" | longopts)
synopsis=$(section SYNOPSIS | longopts)
# An OPTIONS entry's tag is the line after .TP; the body may name others.
options=$(section OPTIONS | grep -A1 '^\.TP' | grep -v '^\.TP' | longopts)
words=$(longopts <"$completion")

lacks "the man page's SYNOPSIS" "$usage" "$synopsis"
lacks "the man page's OPTIONS" "$all" "$options"
lacks "the completion" "$all" "$words"
lacks "--help (named in the SYNOPSIS)" "$synopsis" "$all"
lacks "--help (named in OPTIONS)" "$options" "$all"
lacks "--help (named in the completion)" "$words" "$all"

for args in --version "scan --version"; do
  # shellcheck disable=SC2086 # the words are meant to split
  got=$("$cli" $args) || fail "mavix-cli $args: exit status $?"
  [ "$got" = "mavix-cli $version" ] || fail "mavix-cli $args printed: $got"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "$(wc -w <<<"$all") options: help, man page and completion agree"
