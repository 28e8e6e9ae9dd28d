#!/usr/bin/env bash
# The report's guide states each option's default as --help does, so that a default changed
# in the code cannot leave the guide behind.
#
#   guide_defaults_test.sh GUIDE [EMULATOR...] GCD_REPORT
#
# Exit status: 0 pass, 1 fail.
set -u
guide=$1
shift
help=$("$@" --help) || { echo "FAIL: $* --help failed"; exit 1; }

# Each option of --help on one line: its first line and the lines that go on with it.
options=$(printf '%s\n' "$help" | awk '
  /^ +(-[a-z], )?--[a-z]/ { if (entry != "") print entry; entry = $0; next }
  /^                    / && entry != "" { entry = entry " " $0; next }
  { if (entry != "") print entry; entry = "" }
  END { if (entry != "") print entry }')

failed=false
checked=0
while IFS= read -r entry; do
  name=$(printf '%s\n' "$entry" | grep -o -m 1 -- '--[a-z-]*' | head -n 1)
  default=$(printf '%s\n' "$entry" | tr -s ' ' | grep -E -o '\(default ([0-9][0-9,]*[0-9]|[^,)]*)' | head -n 1)
  [ -n "$default" ] || continue
  row=$(grep -m 1 -- "^| .*\`$name[=\` ]" "$guide")
  if [ -z "$row" ]; then
    echo "FAIL: $guide has no row for $name"
    failed=true
    continue
  fi
  stated=$(printf '%s\n' "$row" | grep -E -o '\(default ([0-9][0-9,]*[0-9]|[^,)]*)' | head -n 1 | tr -d '`,')
  checked=$((checked + 1))
  if [ "${default//,/}" != "$stated" ]; then
    echo "FAIL: $name: --help says '${default#(}', $guide says '${stated#(}'"
    failed=true
  fi
done <<< "$options"
[ "$checked" -ge 5 ] || { echo "FAIL: only $checked defaults found in --help"; failed=true; }
! $failed
