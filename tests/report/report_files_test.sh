#!/usr/bin/env bash
# The report's files and programs when things go wrong around it: a write that fails half
# way, a signal while a program runs, the report killed outright.
#
#   report_files_test.sh STAND_INS CASE [EMULATOR...] GCD_REPORT
#
# STAND_INS is the folder of stand-in programs (check_ok, bench_ok, ...). Exit status: 0
# pass, 1 fail, 77 skip.
set -u
fakes=$1
case_name=$2
shift 2
report=("$@")

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
failed=false
fail() { echo "FAIL: $*"; failed=true; }

mkdir "$work/out"
printf 'the old results' > "$work/out/report.json"
printf 'the old picture' > "$work/out/report.svg"

# A stand-in benchmark that starts a child of its own, tells both process ids and waits, as
# a program that hangs.
cat > "$work/bench_waits" <<SCRIPT
#!/bin/sh
sleep 60 &
echo "\$\$ \$!" > "$work/pid"
wait
SCRIPT
chmod +x "$work/bench_waits"

report_args=(--repetitions 1 --pairs 1000 --sweep-pairs 1000 --runs 1 --timeout 100
  --json "$work/out/report.json" --svg "$work/out/report.svg"
  check_u="$fakes/check_ok" check_s="$fakes/check_ok"
  bench_euclid_s="$fakes/bench_ok" bench_binary_u="$fakes/bench_ok" bench_binary_s="$fakes/bench_ok")

old_files_kept() {
  [ "$(cat "$work/out/report.json")" = 'the old results' ] || fail "report.json was changed"
  [ "$(cat "$work/out/report.svg")" = 'the old picture' ] || fail "report.svg was changed"
  local left
  left=$(ls -A "$work/out" | grep -v -x -e report.json -e report.svg)
  [ -z "$left" ] || fail "temporaries left behind: $left"
}

# The stand-in's process is gone (or a zombie no one waits for yet), not running on.
program_stopped() {
  local pid=$1 state
  for _ in $(seq 50); do
    state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)
    if [ -z "$state" ] || [ "$state" = Z ]; then
      return 0
    fi
    sleep 0.1
  done
  fail "the program $pid still runs after the report ended (state $state)"
  kill -9 "$pid" 2>/dev/null
}

start_report_and_wait_for_the_program() {
  "${report[@]}" "${report_args[@]}" bench_euclid_u="$work/bench_waits" > "$work/stdout" 2> "$work/stderr" &
  report_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/pid" ] && break
    sleep 0.1
  done
  read -r program_pid child_pid < "$work/pid"
  [ -n "$child_pid" ] || { fail "the stand-in never started"; cat "$work/stderr"; exit 1; }
}

case "$case_name" in
  old_files_survive_a_failed_write)
    # 1 KiB a file, as if the disk were full: the text report and the progress go to pipes,
    # which have no such limit; the results and the picture are larger.
    { ( ulimit -f 1 && exec "${report[@]}" "${report_args[@]}" bench_euclid_u="$fakes/bench_ok" ) \
        2>&1 1>&3 | cat > "$work/stderr"
      echo "${PIPESTATUS[0]}" > "$work/status"
    } 3>&1 | cat > "$work/stdout"
    status=$(cat "$work/status")
    [ "$status" -eq 1 ] || fail "exit status $status, expected 1"
    grep -q -F "gcd_report: cannot write $work/out/report.json: File too large" "$work/stderr" ||
      { fail "stderr does not name the file:"; cat "$work/stderr"; }
    grep -q -F "  JSON      $work/out/report.json (not written: File too large)" "$work/stdout" ||
      { fail "the report does not say the file was not written:"; cat "$work/stdout"; }
    grep -q -F "Theory: passes per bit" "$work/stdout" || fail "the text report was lost"
    old_files_kept
    ;;
  a_signal_stops_the_running_program)
    for signal in HUP TERM USR1 ALRM PIPE; do
      rm -f "$work/pid"
      start_report_and_wait_for_the_program
      kill -s "$signal" "$report_pid"
      wait "$report_pid"
      status=$?
      expected=$((128 + $(kill -l "$signal")))
      [ "$status" -eq "$expected" ] || fail "SIG$signal: exit status $status, expected $expected"
      program_stopped "$program_pid"
      program_stopped "$child_pid"  # the whole group, not only the program
      old_files_kept
    done
    ;;
  the_program_dies_with_the_report)
    [ "$(uname -s)" = Linux ] || { echo "skipped: the parent-death signal is Linux's"; exit 77; }
    start_report_and_wait_for_the_program
    kill -s KILL "$report_pid"
    wait "$report_pid"
    program_stopped "$program_pid"
    kill "$child_pid" 2>/dev/null  # beyond the signal's reach, and no program of the kit has one
    ;;
  *) echo "unknown case $case_name"; exit 2 ;;
esac

if $failed; then
  exit 1
fi
echo "ok"
