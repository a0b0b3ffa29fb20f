#!/bin/sh
# Each manual page formats without a groff warning and names its program.
# usage: manual_pages_test.sh GROFF PAGE...
set -eu
groff=$1
shift
status=0
for page in "$@"; do
  name=$(basename "$page" .1)
  warnings=$("$groff" -man -ww -z -Tutf8 "$page" 2>&1) || true
  if [ -n "$warnings" ]; then
    echo "$page: $warnings"
    status=1
  fi
  text=$("$groff" -man -Tutf8 -P-c "$page" 2>/dev/null)
  if ! printf '%s\n' "$text" | grep -q "^ *$name - "; then
    echo "$page: no NAME line for $name"
    status=1
  fi
  if grep -q '@VERSION@' "$page"; then
    echo "$page: the version was not filled in"
    status=1
  fi
done
exit $status
