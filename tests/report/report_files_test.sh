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
  outputs_that_are_standard_streams)
    # The text would go to the file that the output's rename then replaces: refused, by the
    # file itself, under any of its names.
    cd "$work" || exit 1
    for output in "/dev/stdout" "./out.txt" "out.txt"; do
      "${report[@]}" --trace 1 2 --json "$output" > out.txt 2> err.txt
      status=$?
      [ "$status" -eq 2 ] || fail "--json $output onto standard output: status $status, expected 2"
      grep -q -F "gcd_report: --json $output is also standard output: name another file to write" err.txt ||
        { fail "no refusal for --json $output:"; cat err.txt; }
      [ ! -s out.txt ] || fail "--json $output: standard output holds $(wc -c < out.txt) bytes"
    done
    "${report[@]}" --trace 1 2 --json err.txt 2> err.txt > /dev/null
    grep -q -F "is also standard error" err.txt || { fail "no refusal onto standard error"; cat err.txt; }
    # A pipe is no file to replace: the report writes its JSON where it is told.
    "${report[@]}" --trace 1 2 --json trace.json | cat > piped.txt
    grep -q -F "JSON      trace.json" piped.txt || { fail "a pipe on standard output refused"; cat piped.txt; }
    ;;
  outputs_over_what_the_report_runs)
    # The programs it runs and its own executable are inputs: no output goes over them.
    cp "$fakes/bench_ok" "$work/bench_copy"
    "${report[@]}" "${report_args[@]}" bench_euclid_u="$fakes/bench_ok" \
      bench_binary_s="$work/bench_copy" --svg "$work/bench_copy" > /dev/null 2> "$work/err.txt"
    status=$?
    [ "$status" -eq 2 ] || fail "--svg over a program: status $status, expected 2"
    grep -q -F "is also a program the report runs, $work/bench_copy: name another file to write" "$work/err.txt" ||
      { fail "no refusal of --svg over a program:"; cat "$work/err.txt"; }
    cmp -s "$fakes/bench_ok" "$work/bench_copy" || fail "the program was changed"
    # A tool it runs from PATH is as much one: in a run, and in the modes that run nothing.
    printf '#!/bin/sh\nexit 1\n' > "$work/objdump"
    chmod +x "$work/objdump"
    cp "$work/objdump" "$work/objdump_before"
    PATH="$work:$PATH" "${report[@]}" "${report_args[@]}" bench_euclid_u="$fakes/bench_ok" \
      --json "$work/objdump" > /dev/null 2> "$work/err.txt"
    status=$?
    [ "$status" -eq 2 ] || fail "--json over objdump in a run: status $status, expected 2"
    grep -q -F "is also a tool the report runs, $work/objdump: name another file to write" "$work/err.txt" ||
      { fail "no refusal of --json over objdump in a run:"; cat "$work/err.txt"; }
    PATH="$work:$PATH" "${report[@]}" --trace 1 2 --json "$work/objdump" > /dev/null 2> "$work/err.txt"
    status=$?
    [ "$status" -eq 2 ] || fail "--trace --json over objdump: status $status, expected 2"
    cmp -s "$work/objdump" "$work/objdump_before" || fail "objdump was changed"
    if [ "${#report[@]}" -eq 1 ]; then  # not under an emulator, whose program it would be
      # The kit's own programs where the report finds them, in the modes that run nothing: a
      # copy of the report in a kit of its own, laid out as the build lays it out.
      mkdir -p "$work/kit/bench"
      cp "${report[0]}" "$work/kit/gcd_report"
      cp "$fakes/bench_ok" "$work/kit/bench/bench_euclid_u"
      printf '{}' > "$work/a.json"
      printf '{}' > "$work/b.json"
      for mode in "--trace 48 18" "--side-by-side $work/a.json $work/b.json"; do
        # shellcheck disable=SC2086 # the mode's words are split on purpose
        "$work/kit/gcd_report" $mode --json "$work/kit/bench/bench_euclid_u" > /dev/null 2> "$work/err.txt"
        status=$?
        [ "$status" -eq 2 ] || fail "$mode --json over bench_euclid_u: status $status, expected 2"
        grep -q -F "is also a program the report runs" "$work/err.txt" ||
          { fail "no refusal of $mode --json over bench_euclid_u:"; cat "$work/err.txt"; }
      done
      cmp -s "$fakes/bench_ok" "$work/kit/bench/bench_euclid_u" || fail "bench_euclid_u was changed"
      cp "${report[0]}" "$work/gcd_copy"
      "$work/gcd_copy" --trace 1 2 --json "$work/gcd_copy" > /dev/null 2> "$work/err.txt"
      status=$?
      [ "$status" -eq 2 ] || fail "--json over the report itself: status $status, expected 2"
      grep -q -F "is also the report's own program" "$work/err.txt" ||
        { fail "no refusal of --json over the report itself:"; cat "$work/err.txt"; }
      cmp -s "${report[0]}" "$work/gcd_copy" || fail "the report's own program was changed"
    fi
    ;;
  replaced_outputs_keep_what_the_user_set)
    cd "$work" || exit 1
    # A link to nothing is refused, not replaced by a file.
    ln -s missing.json dangling.json
    "${report[@]}" --trace 1 2 --json dangling.json > /dev/null 2> err.txt
    status=$?
    [ "$status" -eq 2 ] || fail "a link to nothing: status $status, expected 2"
    grep -q -F "cannot write dangling.json: is a link to missing.json, which is not there" err.txt ||
      { fail "no refusal of a link to nothing:"; cat err.txt; }
    [ -L dangling.json ] || fail "the link to nothing was replaced"
    # A link to a file is written through: the link stays, its target is the new file.
    printf 'old' > target.json
    ln -s target.json link.json
    "${report[@]}" --trace 1 2 --json link.json > /dev/null || fail "a link to a file: refused"
    [ -L link.json ] || fail "the link was replaced by a file"
    grep -q -F '"format": "gcd-kit trace 1"' target.json || fail "the link's target was not written"
    # A file its owner may not write is refused, saying so.
    printf 'kept' > read_only.json
    chmod 444 read_only.json
    "${report[@]}" --trace 1 2 --json read_only.json > /dev/null 2> err.txt
    status=$?
    [ "$status" -eq 2 ] || fail "a read-only file: status $status, expected 2"
    grep -q -F "cannot write read_only.json: is read-only: its owner may not write it" err.txt ||
      { fail "no refusal of a read-only file:"; cat err.txt; }
    [ "$(cat read_only.json)" = kept ] || fail "the read-only file was changed"
    ;;
  a_replaced_file_keeps_its_owner)
    [ "$(id -u)" -eq 0 ] || { echo "SKIPPED: only root may give a file to another user"; exit 77; }
    cd "$work" || exit 1
    printf 'theirs' > theirs.json
    chown nobody:nogroup theirs.json 2>/dev/null || chown 65534:65534 theirs.json
    chmod 640 theirs.json
    before=$(stat -c '%u:%g %a' theirs.json)
    "${report[@]}" --trace 1 2 --json theirs.json > /dev/null || fail "a file of another user: refused"
    after=$(stat -c '%u:%g %a' theirs.json)
    [ "$before" = "$after" ] || fail "owner and mode $before became $after"
    grep -q -F '"format": "gcd-kit trace 1"' theirs.json || fail "the file was not written"
    ;;
  *) echo "unknown case $case_name"; exit 2 ;;
esac

if $failed; then
  exit 1
fi
echo "ok"
