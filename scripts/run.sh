#!/bin/bash
# Sets up the machine, builds Corvane for Windows and runs it under Wine: for now the console
# front end corvane-find, searching the Wine prefix's registry for the text given.
#   scripts/run.sh [corvane-find options] [TEXT]      (default text: "Wine")
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
source scripts/setup.sh
corvane_setup || exit 1
LOG="$ROOT/build/run-logs"
mkdir -p "$LOG"
cmake --preset windows >"$LOG/configure.log" 2>&1 &&
  cmake --build --preset windows -j2 --target corvane-find >"$LOG/build.log" 2>&1 ||
  { tail -50 "$LOG/configure.log" "$LOG/build.log"; exit 1; }
[ $# -eq 0 ] && set -- "Wine"
exec build/windows/wine-run build/windows/src/app/find/corvane-find.exe "$@"
