#!/bin/bash
# The main window against corvane-find for the same text and 10000 hits, interleaved, best
# and median of N: the window's time from Search to "Found %d items (the maximum)", read from
# its own label, with its peak working set; corvane-find --max 10000 as a whole process.
#   bench/window-bench.sh [TEXT] [RUNS]
# Environment: CORVANE_WINDOWS_BUILD (the build folder), CORVANE_BEFORE_BUILD (another build
# folder whose corvane.exe and corvane-find.exe run in the same rounds).
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${CORVANE_WINDOWS_BUILD:-$ROOT/build/windows}"
TEXT="${1:-e}"
RUNS="${2:-5}"
cmake --build "$BUILD" -j2 --target corvane corvane-find windowbench >/dev/null || exit 1
BEFORE="${CORVANE_BEFORE_BUILD:-}"
OUT="$(mktemp -d)"
trap 'rm -rf "$OUT"' EXIT

rounds() {
  local RUN="$BUILD/wine-run" DRIVER="$BUILD/bench/windowbench.exe"
  "$RUN" "$BUILD/src/app/find/corvane-find.exe" --max 10000 "$TEXT" >/dev/null  # warm up
  local progs=(window find)
  [ -n "$BEFORE" ] && progs=(window find window-before find-before)
  local n=${#progs[@]}
  for ((round = 0; round < RUNS; round++)); do
    local line="round $((round + 1)):"
    for ((k = 0; k < n; k++)); do
      local p=${progs[$(((round + k) % n))]} dir="$BUILD" t
      case "$p" in *-before) dir="$BEFORE" ;; esac
      case "$p" in
        window*)
          "$RUN" "$DRIVER" "$dir/src/app/corvane/corvane.exe" "$TEXT" >"$OUT/w.out" 2>&1
          t=$(sed -n 's/^window: \([0-9.]*\) s.*/\1/p' "$OUT/w.out")
          sed -n 's/.*peak working set \(.*\) MB/\1/p' "$OUT/w.out" >>"$OUT/$p.mem"
          sed -n 's/^window: [0-9.]* s to "\(.*\)";.*/\1/p' "$OUT/w.out" >"$OUT/$p.label" ;;
        find*)
          local s e
          s=$(date +%s.%N)
          "$RUN" "$dir/src/app/find/corvane-find.exe" --max 10000 "$TEXT" >"$OUT/f.out"
          e=$(date +%s.%N)
          t=$(echo "$e - $s" | bc)
          tail -1 "$OUT/f.out" >"$OUT/$p.label" ;;
      esac
      echo "${t:-nan}" >>"$OUT/$p.times"
      line+=" $p $(printf '%.2f' "${t:-0}")"
    done
    echo "$line"
  done
}
export -f rounds
export BUILD TEXT RUNS BEFORE OUT
"$ROOT/scripts/xvfb-wrap.sh" bash -c rounds

best() { sort -n "$OUT/$1.times" | head -1; }
median() { sort -n "$OUT/$1.times" | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
echo "times in s (best / median of $RUNS) for \"$TEXT\":"
for p in window find window-before find-before; do
  [ -f "$OUT/$p.times" ] || continue
  extra=""
  [ -f "$OUT/$p.mem" ] && extra=", peak working set $(sort -n "$OUT/$p.mem" | tail -1) MB (largest)"
  printf '  %-14s %6.2f / %6.2f  "%s"%s\n' "$p" "$(best "$p")" "$(median "$p")" "$(cat "$OUT/$p.label")" "$extra"
done
ratio() {
  [ -f "$OUT/$2.times" ] && [ -f "$OUT/$3.times" ] || return 0
  printf '  %-40s %5.2f (best %5.2f)\n' "$1" "$(echo "$(median "$2") / $(median "$3")" | bc -l)" \
    "$(echo "$(best "$2") / $(best "$3")" | bc -l)"
}
echo "ratios of the medians (the window from Search, corvane-find as a whole process):"
ratio "window / find (target <= 1.2)" window find
ratio "window-before / find-before" window-before find-before
