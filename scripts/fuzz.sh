#!/bin/bash
# Fuzzes one target (or all) for a given time: scripts/fuzz.sh TARGET|all SECONDS
#   Targets: verres, savedsearch, regexport, hive, hivelog, regex.
# Configures the "fuzz" preset (build/fuzz, clang, libFuzzer), builds the target and runs it
# on its saved corpus fuzz/corpus/TARGET/. Afterwards the corpus is merged again: files with
# names of their own (seeds, crash-*, regressions) always stay; of the generated ones (named
# by their SHA-1), old and new, only inputs of at most MERGE_MAX_BYTES (default 1024) that
# reach code the others do not (edges, not hit counts) are kept. Every crash found is copied
# into the corpus (the replay tests then fail until it is fixed) and the script fails.
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build/fuzz"
ALL_TARGETS=(verres savedsearch regexport hive hivelog regex)
MERGE_MAX_BYTES="${MERGE_MAX_BYTES:-1024}"
# FUZZ_FORKS=N runs N fuzzing processes at once (libFuzzer's fork mode), for an idle machine.
FUZZ_FORKS="${FUZZ_FORKS:-1}"

if [ $# -ne 2 ] || ! [[ "$2" =~ ^[0-9]+$ ]]; then
  echo "usage: $0 TARGET|all SECONDS   (targets: ${ALL_TARGETS[*]})" >&2
  exit 2
fi
if [ "$1" = all ]; then
  TARGETS=("${ALL_TARGETS[@]}")
else
  case " ${ALL_TARGETS[*]} " in
    *" $1 "*) TARGETS=("$1") ;;
    *) echo "unknown target: $1 (targets: ${ALL_TARGETS[*]})" >&2; exit 2 ;;
  esac
fi
SECONDS_EACH="$2"

cd "$ROOT"
[ -f "$BUILD/build.ninja" ] || cmake --preset fuzz >/dev/null
cmake --build "$BUILD" -j2 --target "${TARGETS[@]/#/fuzz_}"

status=0
for t in "${TARGETS[@]}"; do
  exe="$BUILD/fuzz/fuzz_$t"
  corpus="$ROOT/fuzz/corpus/$t"
  work="$BUILD/work/$t"
  rm -rf "$work"
  mkdir -p "$work/new" "$work/artifacts" "$corpus"
  dict=()
  [ -f "$ROOT/fuzz/$t.dict" ] && dict=(-dict="$ROOT/fuzz/$t.dict")
  forks=()
  [ "$FUZZ_FORKS" -gt 1 ] && forks=(-fork="$FUZZ_FORKS")

  echo "== fuzzing $t for $SECONDS_EACH s"
  # New inputs go to the first folder; the saved corpus is only read.
  set +e
  "$exe" -max_total_time="$SECONDS_EACH" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "${dict[@]}" "${forks[@]}" -artifact_prefix="$work/artifacts/" \
    "$work/new" "$corpus" 2>&1 | tee "$work/log.txt" | grep -E '^(#[0-9]+.*(DONE|pulse)|#[0-9]+: cov|stat::|==[0-9]+==|SUMMARY|Done)' || true
  set -e

  crashes=$(find "$work/artifacts" -type f | wc -l)
  if [ "$crashes" -gt 0 ]; then
    echo "!! $t: $crashes finding(s), copied to $corpus:"
    for f in "$work/artifacts"/*; do
      cp "$f" "$corpus/$(basename "$f")"
      echo "   $(basename "$f")"
    done
    status=1
  fi

  # Re-minimise the generated part of the corpus together with the new inputs.
  mkdir -p "$work/old" "$work/min"
  before=$(find "$corpus" -type f | wc -l)
  for f in "$corpus"/*; do
    [ -f "$f" ] || continue
    if [[ "$(basename "$f")" =~ ^[0-9a-f]{40}$ ]]; then mv "$f" "$work/old/"; else cp "$f" "$work/min/"; fi
  done
  find "$work/new" -type f -size +"${MERGE_MAX_BYTES}"c -delete
  if ! "$exe" -merge=1 -use_counters=0 "${dict[@]}" "$work/min" "$work/old" "$work/new" >"$work/merge.txt" 2>&1; then
    echo "!! $t: merge failed, corpus left as it was (see $work/merge.txt)"
    mv "$work/old"/* "$corpus/" 2>/dev/null || true
    status=1
    continue
  fi
  for f in "$work/min"/*; do
    [[ "$(basename "$f")" =~ ^[0-9a-f]{40}$ ]] && cp "$f" "$corpus/"
  done
  after=$(find "$corpus" -type f | wc -l)
  echo "== $t: corpus $before -> $after files, $(du -sk "$corpus" | cut -f1) KiB (log: $work/log.txt)"
done
exit $status
