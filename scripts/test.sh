#!/bin/bash
# Sets up the machine, builds Corvane natively and for Windows, and runs every test: the
# native suites (with AddressSanitizer and UBSan) and the Windows suites under Wine.
# Ends with the test runner's summary of both runs and the end of the build folder's Wine
# servers, also after a failure; the exit status is non-zero when anything failed.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

JOBS=2
LOG="$ROOT/build/test-logs"
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver || echo wineserver)
status=0

# Failed tests out of all tests in a ctest log, as "F T"; nothing when the run did not end.
counts() {
  [ -f "$1" ] || return 0
  grep -oE '[0-9]+ tests failed out of [0-9]+' "$1" | tail -1 | awk '{print $1, $6}'
}

summary() {
  local nf nt wf wt
  read -r nf nt <<<"$(counts "$LOG/native-test.log")"
  read -r wf wt <<<"$(counts "$LOG/windows-test.log")"
  nf=${nf:-0}; nt=${nt:-0}; wf=${wf:-0}; wt=${wt:-0}
  # A run that did not happen or found no tests fails the whole.
  { [ "$nt" -eq 0 ] || [ "$wt" -eq 0 ]; } && status=1
  echo
  echo "native: $((nt - nf)) passed, $nf failed; wine: $((wt - wf)) passed, $wf failed"
  echo "$((nt - nf + wt - wf)) passed, $((nf + wf)) failed"
}

# The persistent Wine servers of the console and the GUI test prefixes.
end_wine_servers() {
  local prefix
  for prefix in "$ROOT/build/windows/wineprefix" "$ROOT/build/windows/wineprefix-gui"; do
    [ -d "$prefix" ] && { WINEPREFIX="$prefix" "$WINESERVER" -k 2>/dev/null || true; }
  done
}

finish() {
  local rc=$?
  trap - EXIT
  end_wine_servers
  summary
  [ "$rc" -eq 0 ] && rc=$status
  exit "$rc"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

source scripts/setup.sh
corvane_setup || exit 1

mkdir -p "$LOG"
# The summary counts this run only.
rm -f "$LOG/native-test.log" "$LOG/windows-test.log"

echo "== Native build"
cmake --preset native >"$LOG/native-configure.log" 2>&1 &&
  cmake --build --preset native -j$JOBS >"$LOG/native-build.log" 2>&1 ||
  { tail -n 50 "$LOG/native-configure.log" "$LOG/native-build.log"; exit 1; }

echo "== Windows build (MinGW-w64)"
cmake --preset windows >"$LOG/windows-configure.log" 2>&1 &&
  cmake --build --preset windows -j$JOBS >"$LOG/windows-build.log" 2>&1 ||
  { tail -n 50 "$LOG/windows-configure.log" "$LOG/windows-build.log"; exit 1; }

echo "== Native tests"
ctest --preset native 2>&1 | tee "$LOG/native-test.log" | grep -E '^(.*\*\*\*|.*tests passed|.*Failed)'
grep -q '100% tests passed' "$LOG/native-test.log" || status=1

echo "== Windows tests under Wine"
ctest --preset windows 2>&1 | tee "$LOG/windows-test.log" | grep -vE '^ *Start '
grep -q '100% tests passed' "$LOG/windows-test.log" || status=1

exit $status
