#!/bin/bash
# Sets up the machine, builds Corvane for Windows and starts its window, corvane.exe, under
# Wine: on $DISPLAY when it is set, otherwise on an Xvfb display of its own.
#   scripts/run.sh
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
source scripts/setup.sh
corvane_setup || exit 1
LOG="$ROOT/build/run-logs"
mkdir -p "$LOG"
cmake --preset windows >"$LOG/configure.log" 2>&1 &&
  cmake --build --preset windows -j2 --target corvane >"$LOG/build.log" 2>&1 ||
  { tail -n 50 "$LOG/configure.log" "$LOG/build.log"; exit 1; }
if [ -n "${DISPLAY:-}" ]; then
  export CORVANE_GUI_DISPLAY="$DISPLAY"
  echo "Starting Corvane on display $DISPLAY"
else
  echo "No DISPLAY: starting Corvane on an Xvfb display of its own (nothing visible;" \
       "close it with Ctrl+C)"
fi
exec scripts/xvfb-wrap.sh build/windows/wine-run build/windows/src/app/corvane/corvane.exe
