#!/bin/bash
# Sets up the machine, builds Corvane natively and for Windows, and runs every test: the
# native suites (with AddressSanitizer and UBSan) and the Windows suites under Wine.
# Ends with the test runner's summary of both runs.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
source scripts/setup.sh
corvane_setup || exit 1

JOBS=2
LOG="$ROOT/build/test-logs"
mkdir -p "$LOG"
status=0

echo "== Native build"
cmake --preset native >"$LOG/native-configure.log" 2>&1 &&
  cmake --build --preset native -j$JOBS >"$LOG/native-build.log" 2>&1 ||
  { tail -n 50 "$LOG/native-configure.log" "$LOG/native-build.log"; exit 1; }

echo "== Windows build (MinGW-w64)"
cmake --preset windows >"$LOG/windows-configure.log" 2>&1 &&
  cmake --build --preset windows -j$JOBS >"$LOG/windows-build.log" 2>&1 ||
  { tail -n 50 "$LOG/windows-configure.log" "$LOG/windows-build.log"; exit 1; }

echo "== Native tests"
ctest --preset native 2>&1 | tee "$LOG/native-test.log" | grep -E '^(.*\*\*\*|.*tests passed|.*Failed)' || true
grep -q '100% tests passed' "$LOG/native-test.log" || status=1

echo "== Windows tests under Wine"
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
ctest --preset windows 2>&1 | tee "$LOG/windows-test.log" | grep -vE '^ *Start '
grep -q '100% tests passed' "$LOG/windows-test.log" || status=1
# End this build folder's persistent Wine server.
WINEPREFIX="$ROOT/build/windows/wineprefix" "$WINESERVER" -k 2>/dev/null || true

# One summary line over both runs.
count() { grep -oE "$1" "$2" | tail -1 | grep -oE '[0-9]+' | head -1; }
np=$(grep -oE '[0-9]+ tests failed out of [0-9]+' "$LOG/native-test.log" | tail -1)
wp=$(grep -oE '[0-9]+ tests failed out of [0-9]+' "$LOG/windows-test.log" | tail -1)
nf=$(echo "$np" | awk '{print $1}'); nt=$(echo "$np" | awk '{print $6}')
wf=$(echo "$wp" | awk '{print $1}'); wt=$(echo "$wp" | awk '{print $6}')
nf=${nf:-0}; nt=${nt:-0}; wf=${wf:-0}; wt=${wt:-0}
failed=$((nf + wf)); passed=$((nt - nf + wt - wf))
[ "$nt" -eq 0 ] || [ "$wt" -eq 0 ] && status=1
echo
echo "native: $((nt - nf)) passed, $nf failed; wine: $((wt - wf)) passed, $wf failed"
echo "$passed passed, $failed failed"
exit $status
