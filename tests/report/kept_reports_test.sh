#!/usr/bin/env bash
# The reports kept in docs/reports: each text beside its JSON is what --show prints of it, and
# so is the README's example of the first screen, so that the guide's examples stay true as the
# report's words change.
#
#   kept_reports_test.sh FOLDER README [EMULATOR...] GCD_REPORT
#
# Exit status: 0 pass, 1 fail.
set -u
folder=$1
readme=$2
shift 2
report=("$@")  # under an emulator where the report is cross-built

failed=false
texts=0
for file in "$folder"/*.json; do
  grep -q '"format": "gcd-kit report' "$file" || continue  # side by side has a format of its own
  text=${file%.json}.txt
  if [ ! -e "$text" ]; then
    echo "FAIL: $file has no text beside it: ${report[*]} --show $file > $text"
    failed=true
    continue
  fi
  texts=$((texts + 1))
  if ! diff -u "$text" <("${report[@]}" --show "$file" 2>&1); then
    echo "FAIL: $text is not what --show prints of $file: ${report[*]} --show $file > $text"
    failed=true
  fi
done
[ "$texts" -gt 0 ] || { echo "FAIL: no report in $folder"; failed=true; }
# The README shows the text of the report its command names, from its first line to the end
# of the block.
kept=$(grep -o -m 1 'gcd_report --show docs/reports/[a-z0-9-]*\.json' "$readme" | sed 's|.* ||')
example=$(sed -n '/^GCD kit report$/,/^```$/p' "$readme" | sed '$d')
lines=$(printf '%s\n' "$example" | wc -l)
if [ -z "$kept" ] || [ -z "$example" ]; then
  echo "FAIL: $readme shows no report's text after a gcd_report --show command"
  failed=true
elif ! diff -u <(printf '%s\n' "$example") <("${report[@]}" --show "$folder/${kept#docs/reports/}" | head -n "$lines"); then
  echo "FAIL: $readme's example is not what --show prints of $kept"
  failed=true
fi
! $failed
