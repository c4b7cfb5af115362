#!/bin/bash
# corvane-find over the whole Wine prefix registry against the bare walk program, same prefix.
#   bench/wine-bench.sh [TEXT] [RUNS]
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${CORVANE_WINDOWS_BUILD:-$ROOT/build/windows}"
TEXT="${1:-shell32}"
RUNS="${2:-3}"
cmake --build "$BUILD" -j2 --target corvane-find barewalk >/dev/null || exit 1
RUN="$BUILD/wine-run"
"$RUN" "$BUILD/bench/barewalk.exe" >/dev/null  # warm the prefix and the server
best() { sort -n | head -1; }
bare=$(for i in $(seq "$RUNS"); do
  s=$(date +%s.%N); "$RUN" "$BUILD/bench/barewalk.exe" >/tmp/barewalk.out; e=$(date +%s.%N)
  echo "$e - $s" | bc; done | best)
find=$(for i in $(seq "$RUNS"); do
  s=$(date +%s.%N); "$RUN" "$BUILD/src/app/find/corvane-find.exe" --max 1000000 "$TEXT" >/tmp/find.out; e=$(date +%s.%N)
  echo "$e - $s" | bc; done | best)
# Without the probes corvane-find walks every key the bare walk does, duplicate views included.
all=$(for i in $(seq "$RUNS"); do
  s=$(date +%s.%N); "$RUN" "$BUILD/src/app/find/corvane-find.exe" --no-probe --max 1000000 "$TEXT" >/tmp/find-all.out; e=$(date +%s.%N)
  echo "$e - $s" | bc; done | best)
cat /tmp/barewalk.out
echo "corvane-find \"$TEXT\": $(tail -1 /tmp/find.out); with --no-probe: $(tail -1 /tmp/find-all.out)"
printf 'best of %s, whole processes: bare walk %.2f s; corvane-find --no-probe (same keys) %.2f s, ratio %.2f; corvane-find (duplicate views skipped) %.2f s, ratio %.2f\n' \
  "$RUNS" "$bare" "$all" "$(echo "$all / $bare" | bc -l)" "$find" "$(echo "$find / $bare" | bc -l)"
