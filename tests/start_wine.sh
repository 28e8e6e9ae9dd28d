#!/usr/bin/env bash
# Starts wine once for the program tests and proves that it runs 32-bit programs.
#
#   start_wine.sh WINE CALCULATOR_EXE      (WINEPREFIX names the prefix to use)
#
# Without wine32 a 32-bit program "runs" with no output and status 0, so the check is on
# the exact output of a real calculator, never on a status.
set -u
wine=$1
calculator=$2
: "${WINEPREFIX:?WINEPREFIX must be set}"
log="$WINEPREFIX-start.log"

{
  wineserver -p            # one server for the whole run, until wine.stop
  wineboot --init
  # A crash should end the program, not wait for a dialog nobody can close.
  "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
} >> "$log" 2>&1

expected='Enter two signed numbers: Greatest common divisor = 6'
actual=$(printf '12 18' | "$wine" "$calculator" 2>> "$log")
if [ "$actual" != "$expected" ]; then
  echo "wine cannot run the 32-bit calculator (is wine32 installed?): got \"$actual\""
  echo "--- $log:"; tail -n 20 "$log"
  exit 1
fi
echo "wine runs 32-bit programs"
