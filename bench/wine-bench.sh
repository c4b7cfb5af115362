#!/bin/bash
# Whole processes in one Wine prefix, interleaved round by round, best and median of N:
#   bare-all     the bare walk over all five roots (duplicate views included)
#   find-all     corvane-find --no-probe: the same keys
#   bare-skip    the bare walk leaving out the alias keys (probes included)
#   find         corvane-find: the same keys
#   find-within  corvane-find --modified-within 36500d: the same keys and hits, each key's
#                last-write time checked against the range
#   find-regex   corvane-find --regex: the text as a regular expression (a literal one for
#                the default text), the same keys and hits
#   regedit      regedit /E of the whole registry, its output searched for the text
#   reg-query    reg query ROOT /s of all five roots, piped to the same text search
# and, with CORVANE_FIND_BEFORE set to another corvane-find.exe, find-all-before and
# find-before: that program over the same keys, in the same rounds.
#   bench/wine-bench.sh [TEXT] [RUNS]
# Environment: CORVANE_WINDOWS_BUILD (the build folder), CORVANE_FIND_BEFORE, PROGRAMS (the
# names above to run, separated by spaces; default all).
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${CORVANE_WINDOWS_BUILD:-$ROOT/build/windows}"
TEXT="${1:-shell32}"
RUNS="${2:-5}"
cmake --build "$BUILD" -j2 --target corvane-find barewalk >/dev/null || exit 1
RUN="$BUILD/wine-run"
FIND="$BUILD/src/app/find/corvane-find.exe"
BARE="$BUILD/bench/barewalk.exe"
BEFORE="${CORVANE_FIND_BEFORE:-}"
OUT="$(mktemp -d)"
trap 'rm -rf "$OUT"' EXIT

# The text search over an export or listing: lines holding the text, letters a-z in any case.
search() { LC_ALL=C grep -c -i -F -- "$TEXT"; }

run_one() {
  case "$1" in
    bare-all) "$RUN" "$BARE" ;;
    bare-skip) "$RUN" "$BARE" --skip-aliases ;;
    find-all) "$RUN" "$FIND" --no-probe --max 1000000 "$TEXT" ;;
    find) "$RUN" "$FIND" --max 1000000 "$TEXT" ;;
    find-within) "$RUN" "$FIND" --max 1000000 --modified-within 36500d "$TEXT" ;;
    find-regex) "$RUN" "$FIND" --max 1000000 --regex "$TEXT" ;;
    find-all-before) "$RUN" "$BEFORE" --no-probe --max 1000000 "$TEXT" ;;
    find-before) "$RUN" "$BEFORE" --max 1000000 "$TEXT" ;;
    regedit)
      # regedit writes UTF-16; the search reads it as UTF-8.
      "$RUN" regedit /E "Z:${OUT//\//\\}\\export.reg" && iconv -f UTF-16 -t UTF-8 "$OUT/export.reg" | search
      rm -f "$OUT/export.reg" ;;
    reg-query)
      for r in HKCU HKLM HKU HKCC HKCR; do "$RUN" reg query "$r" /s; done | search ;;
  esac
}

ALL="bare-all find-all bare-skip find find-within find-regex regedit reg-query"
[ -n "$BEFORE" ] && ALL="bare-all find-all find-all-before bare-skip find find-before find-within find-regex regedit reg-query"
PROGRAMS="${PROGRAMS:-$ALL}"
read -r -a progs <<<"$PROGRAMS"

# One untimed pass: warms the prefix and the server, and shows what each program covers.
"$RUN" "$BARE" | tail -1 | sed 's/^/bare-all:  /'
"$RUN" "$BARE" --skip-aliases | tail -1 | sed 's/^/bare-skip: /'
"$RUN" "$FIND" --no-probe --progress --max 1000000 "$TEXT" 2>&1 >/dev/null | tail -1 | sed 's/^/find-all (last progress):  /'
"$RUN" "$FIND" --progress --max 1000000 "$TEXT" 2>&1 >/dev/null | tail -1 | sed 's/^/find (last progress):      /'
echo "find: $("$RUN" "$FIND" --max 1000000 "$TEXT" | tail -1)"
[ -n "$BEFORE" ] && echo "find-before: $("$RUN" "$BEFORE" --max 1000000 "$TEXT" | tail -1)"

# Interleaved rounds; each round starts one program further on, so no program always runs
# first or after the same neighbour.
n=${#progs[@]}
for ((round = 0; round < RUNS; round++)); do
  line="round $((round + 1)):"
  for ((k = 0; k < n; k++)); do
    p=${progs[$(((round + k) % n))]}
    s=$(date +%s.%N)
    run_one "$p" >"$OUT/$p.out" 2>/dev/null
    e=$(date +%s.%N)
    t=$(echo "$e - $s" | bc)
    echo "$t" >>"$OUT/$p.times"
    line+=" $p $(printf '%.2f' "$t")"
  done
  echo "$line"
done

best() { sort -n "$OUT/$1.times" | head -1; }
median() { sort -n "$OUT/$1.times" | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
have() { [ -f "$OUT/$1.times" ]; }
echo "times in s (best / median of $RUNS, whole processes):"
for p in "${progs[@]}"; do printf '  %-16s %6.2f / %6.2f\n' "$p" "$(best "$p")" "$(median "$p")"; done
for p in regedit reg-query; do have "$p" && echo "  $p: $(tail -1 "$OUT/$p.out") lines hold \"$TEXT\""; done
ratio() {  # ratio NAME A B: A over B, of the medians and of the bests
  have "$2" && have "$3" || return 0
  printf '  %-44s %5.2f (best %5.2f)\n' "$1" "$(echo "$(median "$2") / $(median "$3")" | bc -l)" \
    "$(echo "$(best "$2") / $(best "$3")" | bc -l)"
}
echo "ratios of the medians:"
ratio "find-all / bare-all (target <= 1.15)" find-all bare-all
ratio "find-all-before / bare-all" find-all-before bare-all
ratio "find / bare-skip" find bare-skip
ratio "find-before / bare-skip" find-before bare-skip
ratio "find / regedit (target <= 1)" find regedit
ratio "find-before / regedit" find-before regedit
ratio "reg-query / find (target >= 5)" reg-query find
ratio "reg-query / find-before" reg-query find-before
