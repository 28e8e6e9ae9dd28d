#!/usr/bin/env bash
# Runs one program as a user would and compares its exact stdout bytes, stderr and exit status.
#
#   run_program.sh [options] -- command [args...]
#
#   --stdin TEXT            standard input, with printf %b escapes (default: empty)
#   --stdin-closed          standard input closed
#   --stdin-file PATH       standard input from this file (a directory, /dev/null, ...)
#   --stdin-empty-pipe      standard input a pipe whose writer has gone without writing
#   --stdout MODE           capture (default), full (/dev/full), closed, or broken-pipe
#                           (a pipe whose reader has already gone)
#   --stdout-is TEXT        exact standard output, with printf %b escapes
#   --stdout-matches RE     extended regular expression that the whole output must match
#   --status N              expected exit status (default 0)
#   --stdout-contains TEXT  a fixed string that standard output must contain (may be given
#                           more than once: each must be there)
#   --stderr-is TEXT        exact standard error (default: empty)
#   --stderr-contains TEXT  a fixed string that standard error must contain, instead of an
#                           exact match (may be given more than once)
#   --stderr-lacks TEXT     a fixed string that standard error must not contain, instead of
#                           an exact match (may be given more than once)
#   --file-contains FILE TEXT  a fixed string that FILE must hold once the command has ended
#                           (may be given more than once)
#   --write-error           expect the failed-write outcome: status 1 and one line
#                           "<program>: write error..." on stderr (or death by SIGPIPE for
#                           broken-pipe), the program named as its file is, without .exe
#
# Exit status: 0 pass, 1 fail, 77 skip (a device the case needs is missing).
set -u

stdin_text=""
stdin_mode=text
stdout_mode=capture
expect_stdout=""
expect_stdout_set=false
expect_regex=""
expect_status=0
expect_stderr=""
stdout_contains=()
stderr_contains=()
stderr_lacks=()
file_contains=()
write_error=false

while [ $# -gt 0 ]; do
  case "$1" in
    --stdin) stdin_text=$2; shift 2 ;;
    --stdin-closed) stdin_mode=closed; shift ;;
    --stdin-file) stdin_mode=file; stdin_file=$2; shift 2 ;;
    --stdin-empty-pipe) stdin_mode=empty-pipe; shift ;;
    --stdout) stdout_mode=$2; shift 2 ;;
    --stdout-is) expect_stdout=$2; expect_stdout_set=true; shift 2 ;;
    --stdout-matches) expect_regex=$2; shift 2 ;;
    --status) expect_status=$2; shift 2 ;;
    --stderr-is) expect_stderr=$2; shift 2 ;;
    --stdout-contains) stdout_contains+=("$2"); shift 2 ;;
    --stderr-contains) stderr_contains+=("$2"); shift 2 ;;
    --stderr-lacks) stderr_lacks+=("$2"); shift 2 ;;
    --file-contains) file_contains+=("$2" "$3"); shift 3 ;;
    --write-error) write_error=true; shift ;;
    --) shift; break ;;
    *) echo "run_program.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
[ $# -gt 0 ] || { echo "run_program.sh: no command given" >&2; exit 2; }
program=$(basename "${!#}" .exe)  # the name a program's error lines start with

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
printf '%b' "$stdin_text" > "$work/stdin"
: > "$work/stdout"

run() {
  case "$stdin_mode" in
    closed) "$@" <&- 2> "$work/stderr" ;;
    file) "$@" < "$stdin_file" 2> "$work/stderr" ;;
    empty-pipe) : | "$@" 2> "$work/stderr" ;;
    *) "$@" < "$work/stdin" 2> "$work/stderr" ;;
  esac
}

case "$stdout_mode" in
  capture) run "$@" > "$work/stdout" ;;
  full)
    [ -c /dev/full ] || { echo "skipped: no /dev/full here"; exit 77; }
    run "$@" > /dev/full ;;
  closed) run "$@" >&- ;;
  broken-pipe)
    # Open a pipe and wait until its only reader has exited, so that the very first
    # write of the program meets a closed pipe, whatever the timing.
    exec {pipe_fd}> >(:)
    wait $!
    run "$@" >&"$pipe_fd"
    ;;
  *) echo "run_program.sh: unknown stdout mode $stdout_mode" >&2; exit 2 ;;
esac
status=$?

failed=false
fail() { echo "FAIL: $*"; failed=true; }
show() { od -c "$1" | sed 's/^/    /'; }

if $write_error; then
  lines=$(wc -l < "$work/stderr")
  if [ "$stdout_mode" = broken-pipe ] && [ "$status" -eq 141 ]; then
    :  # ended by SIGPIPE, the usual fate of a writer to a closed pipe
  elif [ "$status" -ne 1 ]; then
    fail "exit status $status, expected 1 for a failed write"
  elif [ "$lines" -ne 1 ] || ! grep -q "^$program: write error" "$work/stderr"; then
    fail "stderr should be one line naming the write error, got:"; show "$work/stderr"
  fi
else
  [ "$status" -eq "$expect_status" ] || fail "exit status $status, expected $expect_status"
  if [ $((${#stderr_contains[@]} + ${#stderr_lacks[@]})) -gt 0 ]; then
    for part in "${stderr_contains[@]}"; do
      grep -q -F -- "$part" "$work/stderr" ||
        { fail "stderr lacks \"$part\", got:"; cat "$work/stderr"; }
    done
    for part in "${stderr_lacks[@]}"; do
      ! grep -q -F -- "$part" "$work/stderr" ||
        { fail "stderr holds \"$part\", got:"; cat "$work/stderr"; }
    done
  elif ! cmp -s "$work/stderr" <(printf '%b' "$expect_stderr"); then
    fail "stderr differs, got:"; show "$work/stderr"
  fi
fi
for ((i = 0; i < ${#file_contains[@]}; i += 2)); do
  grep -q -F -- "${file_contains[i+1]}" "${file_contains[i]}" 2>/dev/null ||
    fail "${file_contains[i]} lacks \"${file_contains[i+1]}\""
done
for part in "${stdout_contains[@]}"; do
  grep -q -F -- "$part" "$work/stdout" || { fail "stdout lacks \"$part\", got:"; cat "$work/stdout"; }
done

if $expect_stdout_set && ! cmp -s "$work/stdout" <(printf '%b' "$expect_stdout"); then
  fail "stdout differs"
  echo "  expected:"; printf '%b' "$expect_stdout" > "$work/expected"; show "$work/expected"
  echo "  got:"; show "$work/stdout"
fi
if [ -n "$expect_regex" ]; then
  actual=$(cat "$work/stdout"; printf x)   # keep a trailing line end visible to the match
  actual=${actual%x}
  if ! [[ "$actual" =~ ^($expect_regex)$ ]]; then
    fail "stdout does not match /$expect_regex/, got:"; show "$work/stdout"
  fi
fi

if $failed; then
  echo "command: $*"
  exit 1
fi
echo "ok"
