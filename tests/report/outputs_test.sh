#!/usr/bin/env bash
# What the report's tests wrote, checked as a user's next step would take it: every report
# reads back (the report never writes a file it would refuse to read), and every picture is
# well-formed XML, as a browser's parser takes it.
#
#   outputs_test.sh FOLDER [EMULATOR...] GCD_REPORT
#
# Exit status: 0 pass, 1 fail, 77 skip (no xmllint for the pictures; the reports were read).
set -u
folder=$1
shift
report=("$@")

failed=false
fail() { echo "FAIL: $*"; failed=true; }

copy=$(mktemp -d) || exit 1
trap 'rm -rf "$copy"' EXIT
reports=0
for file in "$folder"/*.json; do
  [ -e "$file" ] || continue
  grep -q '"format": "gcd-kit report' "$file" || continue  # side by side has a format of its own
  reports=$((reports + 1))
  # Beside a copy of itself: one file twice is refused.
  cp "$file" "$copy/copy.json"
  if ! out=$("${report[@]}" --side-by-side "$file" "$copy/copy.json" 2>&1 >/dev/null); then
    fail "$file does not read back: $out"
  fi
done
[ "$reports" -gt 0 ] || fail "no report in $folder"

pictures=0
if command -v xmllint >/dev/null; then
  for file in "$folder"/*.svg; do
    [ -e "$file" ] || continue
    pictures=$((pictures + 1))
    xmllint --noout "$file" || fail "$file is not well-formed XML"
  done
  [ "$pictures" -gt 0 ] || fail "no picture in $folder"
fi

if $failed; then
  exit 1
fi
echo "ok: $reports reports read back, $pictures pictures well-formed"
command -v xmllint >/dev/null || { echo "skipped the pictures: no xmllint (Debian libxml2-utils)"; exit 77; }
