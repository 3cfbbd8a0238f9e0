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
# start a trivial program. When even that cannot start, the server is the
# one that hangs: it is ended and started again, this is said, and the test
# runs once more. When the server still answers, the test itself hung: it
# fails, and the server is left alone.
: "${WINEPREFIX:=$(dirname "$0")/../build/wineprefix}"
export WINEPREFIX
export WINEDEBUG=-all
root="$(cd "$(dirname "$0")/.." && pwd)"
limit="${PLINOR_RUN_LIMIT:-100}"

run() { timeout -k 5 "$limit" "$root/scripts/wine" "$@"; }

run "$@"
status=$?
[ "$status" -eq 124 ] || [ "$status" -eq 137 ] || exit "$status"

export WINE_ENV_PREFIX="$WINEPREFIX"
source "$root/scripts/wine-env.sh"
if timeout 20 "$wine64_loader" cmd /c exit </dev/null >/dev/null 2>&1; then
  echo "wine-run: $1 ran past $limit s and was stopped" >&2
  exit "$status"
fi
said="wine-run: $(basename "$1") $2 ran past $limit s and Wine's server answers no program any more; ended and restarted the server, and ran the test again"
echo "$said" >&2
# The test runner shows a passing test's output to nobody: scripts/test
# prints this file at its end.
echo "$said" >>"$root/build/wine-restarts.log"
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
start_wine_server
run "$@"
