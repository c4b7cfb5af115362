#!/bin/bash
# A search of a large hive file (written once by hivegen into build/bench/) against:
#   floor     grep -c -a TEXT FILE: every byte of the file read once
#   peer      hivexml FILE | grep -c TEXT: hivex's whole-hive dump, as a Linux user does it
#   find      corvane-find --hive FILE TEXT, natively
#   wine      corvane-find.exe --hive FILE TEXT under Wine (with a Windows build)
#   jobs      four copies of the hive with --jobs 2, against the four one after another
# Each program runs RUNS times, interleaved round by round; best and median in seconds, and
# the largest peak resident memory (GNU time).
#   bench/hive-bench.sh [TEXT] [RUNS]
# Environment: CORVANE_HIVE (another hive file to search), CORVANE_WINDOWS_BUILD (the Windows
# build folder; the wine row is left out when it has no corvane-find.exe).
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TEXT="${1:-shell32}"
RUNS="${2:-5}"
REL="$ROOT/build/native-release"
WINBUILD="${CORVANE_WINDOWS_BUILD:-$ROOT/build/windows}"
cmake --preset native-release >/dev/null && cmake --build --preset native-release --target corvane-find hivegen >/dev/null || exit 1
HIVE="${CORVANE_HIVE:-$ROOT/build/bench/SOFTWARE}"
if [ ! -f "$HIVE" ]; then
  mkdir -p "$(dirname "$HIVE")"
  "$REL/bench/hivegen" "$HIVE" || exit 1
fi
FIND="$REL/src/app/find/corvane-find"
WINFIND="$WINBUILD/src/app/find/corvane-find.exe"
OUT="$(mktemp -d)"
trap 'rm -rf "$OUT"' EXIT
for i in 1 2 3 4; do mkdir -p "$OUT/m$i" && ln -s "$HIVE" "$OUT/m$i/$(basename "$HIVE")"; done
FOUR=()
for i in 1 2 3 4; do FOUR+=(--hive "$OUT/m$i/$(basename "$HIVE")"); done
WINHIVE="Z:${HIVE//\//\\}"

run_one() {
  case "$1" in
    floor) LC_ALL=C grep -c -a -F -- "$TEXT" "$HIVE" ;;
    peer) hivexml "$HIVE" | LC_ALL=C grep -c -F -- "$TEXT" ;;
    find) "$FIND" --hive "$HIVE" --max 100000000 "$TEXT" ;;
    wine) "$WINBUILD/wine-run" "$WINFIND" --hive "$WINHIVE" --max 100000000 "$TEXT" ;;
    four-jobs2) "$FIND" --jobs 2 "${FOUR[@]}" --max 100000000 "$TEXT" ;;
    four-jobs1) "$FIND" --jobs 1 "${FOUR[@]}" --max 100000000 "$TEXT" ;;
  esac
}

PROGS=(floor peer find four-jobs1 four-jobs2)
[ -x "$WINFIND" ] && PROGS+=(wine) && "$WINBUILD/wine-run" "$WINFIND" --help >/dev/null 2>&1
echo "hive: $HIVE ($(stat -c %s "$HIVE") bytes), text \"$TEXT\""
echo "find: $("$FIND" --hive "$HIVE" --max 100000000 "$TEXT" | tail -1)"
cat "$HIVE" >/dev/null  # in the page cache for every program alike

for ((round = 0; round < RUNS; round++)); do
  n=${#PROGS[@]}
  for ((k = 0; k < n; k++)); do
    p="${PROGS[$(((k + round) % n))]}"
    /usr/bin/time -f "%e %M" -o "$OUT/t" bash -c "$(declare -f run_one); $(declare -p TEXT HIVE FIND WINFIND WINBUILD WINHIVE FOUR); run_one $p; true" >/dev/null 2>&1
    read -r secs kb <"$OUT/t"
    echo "$secs" >>"$OUT/$p.s"
    echo "$kb" >>"$OUT/$p.kb"
  done
done

stat_of() { sort -n "$OUT/$1.s" | awk '{a[NR]=$1} END {printf "%7.3f / %7.3f", a[1], a[int((NR+1)/2)]}'; }
median() { sort -n "$OUT/$1.s" | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
echo "times in s (best / median of $RUNS), peak resident memory:"
for p in "${PROGS[@]}"; do
  printf "  %-11s %s  %6.1f MB\n" "$p" "$(stat_of "$p")" "$(sort -n "$OUT/$p.kb" | tail -1 | awk '{print $1 / 1024}')"
done
ratio() { awk -v a="$(median "$1")" -v b="$(median "$2")" 'BEGIN {printf "%.2f", a / b}'; }
echo "ratios of the medians:"
echo "  find / floor        (goal <= 3)    $(ratio find floor)"
echo "  peer / find         (goal >= 3)    $(ratio peer find)"
[ -x "$WINFIND" ] && echo "  wine / find         (goal <= 2)    $(ratio wine find)"
echo "  four-jobs2 / four-jobs1 (goal <= 0.6) $(ratio four-jobs2 four-jobs1)"
