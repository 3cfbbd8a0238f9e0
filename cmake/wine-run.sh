#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest. The test scripts set up the
# prefix and start its server beforehand; this picks the loader and guards
# against one fault of Wine's own.
#
# Wine 10's server has been seen to spin at full speed, answering no program
# any more, after one of the launchers it served ended: from then on every
# program hangs at its start, and every later test would run into the
# runner's time-out without a word. So a program that runs past
# PLINOR_RUN_LIMIT seconds (default 100) is stopped, and Wine is asked to
# start a trivial program. When the server still answers, the test itself
# hung: it fails, and the server is left alone. When it does not, the state
# of the prefix's processes is saved under build/wine-hangs/ (for a report
# to Wine), they are ended, and the server is started again. The test then
# runs once more only if its first run showed no failure of its own; a
# first run that failed is the test's result. Every restart is written to
# build/wine-restarts.log, which scripts/test lists.
#
# The program's output goes through a file: a Wine process left running
# cannot keep the test runner's pipe open.
: "${WINEPREFIX:=$(dirname "$0")/../build/wineprefix}"
export WINEPREFIX
export WINEDEBUG=-all
root="$(cd "$(dirname "$0")/.." && pwd)"
limit="${PLINOR_RUN_LIMIT:-100}"
mkdir -p "$root/build/wine-run"
out=$(mktemp "$root/build/wine-run/output.XXXXXX")
snapshot="$out.processes"
trap 'rm -f "$out" "$snapshot" "$snapshot.new"' EXIT

export WINE_ENV_PREFIX="$WINEPREFIX"
source "$root/scripts/wine-env.sh"

# Runs the program; past the limit, a watcher records the prefix's
# processes, the program's among them, and stops it. Sets status (124 past
# the limit).
run() {
  rm -f "$snapshot"
  local started=$SECONDS
  "$root/scripts/wine" "$@" </dev/null >"$out" 2>&1 &
  local program=$!
  (
    sleep "$limit"
    wine_processes_report "$program" >"$snapshot.new"
    mv "$snapshot.new" "$snapshot"
    kill -TERM "$program" 2>/dev/null
    sleep 5
    kill -KILL "$program" 2>/dev/null
  ) </dev/null >/dev/null 2>&1 &
  local watcher=$!
  status=0
  wait "$program" || status=$?
  pkill -KILL -P "$watcher" 2>/dev/null
  kill -KILL "$watcher" 2>/dev/null
  wait "$watcher" 2>/dev/null
  [ ! -s "$snapshot" ] || status=124
  cat "$out"
  if [ "$status" -ne 0 ] && [ "$status" -ne 124 ] && [ ! -s "$out" ]; then
    echo "wine-run: $(basename "$1") ended with status $status after $((SECONDS - started)) s without printing anything" >&2
  fi
}

run "$@"
[ "$status" -eq 124 ] || exit "$status"

if wine_server_answers; then
  echo "wine-run: $1 ran past $limit s and was stopped" >&2
  exit "$status"
fi
test_name="$(basename "$1") $2"
report="$root/build/wine-hangs/$(date +%Y%m%d-%H%M%S)-$$"
mkdir -p "$report"
cp "$snapshot" "$report/processes.txt"
cp "$out" "$report/first-run-output.txt"
echo "$test_name" >"$report/test.txt"
end_prefix_programs
start_wine_server

said="wine-run: $test_name ran past $limit s and Wine's server answers no program any more; its state is in ${report#"$root"/}; ended the prefix's programs and restarted the server"
# GoogleTest's failures, the watchdog's line and a crash: a failure of the
# test's own, which a second run must not hide.
# Windows programs end their lines with CR LF.
if tr -d '\r' <"$out" |
   grep -Eq '^\[  FAILED  \]|: Failure$|\): error: |still running after [0-9]+ s, stopped|^wine: Unhandled'; then
  said="$said; its first run had failed, so it was not run again"
  echo "$said" >&2
  echo "$said" >>"$root/build/wine-restarts.log"
  exit 1
fi
said="$said, and ran the test again"
echo "$said" >&2
echo "$said" >>"$root/build/wine-restarts.log"
run "$@"
exit "$status"
