#!/bin/bash
# The registry editor launch under Wine, editor running and not, on a display of its own.
#   bench/launch-bench.sh [RUNS]
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${CORVANE_WINDOWS_BUILD:-$ROOT/build/windows}"
cmake --build "$BUILD" -j2 --target launch_bench >/dev/null || exit 1
# The GUI tests' prefix: its desktop belongs to processes with a display.
RUN="$BUILD/wine-run-gui"
[ -x "$RUN" ] || RUN="$BUILD/wine-run"
"$ROOT/scripts/xvfb-wrap.sh" "$RUN" "$BUILD/bench/launch_bench.exe" "${1:-5}"
