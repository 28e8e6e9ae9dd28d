#!/usr/bin/env bash
# The reports kept in docs/reports: each text beside its JSON is what --show prints of it, so
# that the guide's examples stay true as the report's words change.
#
#   kept_reports_test.sh FOLDER GCD_REPORT
#
# Exit status: 0 pass, 1 fail.
set -u
folder=$1
report=$2

failed=false
texts=0
for file in "$folder"/*.json; do
  grep -q '"format": "gcd-kit report' "$file" || continue  # side by side has a format of its own
  text=${file%.json}.txt
  if [ ! -e "$text" ]; then
    echo "FAIL: $file has no text beside it: $report --show $file > $text"
    failed=true
    continue
  fi
  texts=$((texts + 1))
  if ! diff -u "$text" <("$report" --show "$file" 2>&1); then
    echo "FAIL: $text is not what --show prints of $file: $report --show $file > $text"
    failed=true
  fi
done
[ "$texts" -gt 0 ] || { echo "FAIL: no report in $folder"; failed=true; }
! $failed
