#!/usr/bin/env bash
# Time and peak memory of one whole conversion of a large UTF-8 text through the C++ API (tirmok::convert) beside
# LpxConvert on the same text, measured with /usr/bin/time -v. The C++ API must need at most 3 times the memory of
# input plus output and at most 1.5 times LpxConvert's conversion time; the script says whether it does. Also
# checks that a misaligned UTF-16 output with capacity INT32_MAX allocates nothing near that size. Not part of
# `make test` (it writes SIZE_MB to /tmp and takes a minute).
# Usage: scripts/bench-api-memory.sh [BUILD_DIR] [SIZE_MB] [SAMPLE]
#   (defaults: build-bench, 100, bench/data/te_text_300k.txt; SAMPLE is UTF-8 text, repeated to SIZE_MB)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-bench}
size_mb=${2:-100}
sample=${3:-$here/bench/data/te_text_300k.txt}
cmake -S "$here" -B "$here/$build" -DCMAKE_BUILD_TYPE=Release -DTIRMOK_BENCH=ON -DTIRMOK_TESTS=OFF >/dev/null
cmake --build "$here/$build" -j "${JOBS:-2}" --target api_memory >/dev/null
program="$here/$build/bench/api_memory"

work=$(mktemp -d /tmp/tirmok-api-memory.XXXXXX)
trap 'rm -rf "$work"' EXIT
target=$((size_mb * 1000 * 1000))
: > "$work/input.txt"
while [ "$(stat -c %s "$work/input.txt")" -lt "$target" ]; do cat "$sample" >> "$work/input.txt"; done
truncate -s "$target" "$work/input.txt"

failed=0
peak_mb() { awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); printf "%d", $2 / 1024}' "$1"; }
field() { grep -oE "$2 [0-9.]+" "$1" | awk '{print $NF}'; }
for to in TELTRANS UTF-8; do
  for mode in lpx cpp; do
    /usr/bin/time -v "$program" $mode UTF-8 $to "$work/input.txt" >"$work/$mode.out" 2>"$work/$mode.time"
    echo "$(cat "$work/$mode.out"), peak memory $(peak_mb "$work/$mode.time") MB"
  done
  in_mb=$(field "$work/cpp.out" "input")
  out_mb=$(field "$work/cpp.out" "output")
  limit=$(awk -v i="$in_mb" -v o="$out_mb" 'BEGIN {printf "%d", 3 * (i + o)}')
  cpp_s=$(field "$work/cpp.out" "conversion")
  lpx_s=$(field "$work/lpx.out" "conversion")
  if [ "$(peak_mb "$work/cpp.time")" -gt "$limit" ]; then
    echo "  C++ API over 3 x (input + output) = $limit MB" >&2; failed=1
  fi
  if awk -v c="$cpp_s" -v l="$lpx_s" 'BEGIN {exit !(c > 1.5 * l)}'; then
    echo "  C++ API time $cpp_s s over 1.5 x LpxConvert's $lpx_s s" >&2; failed=1
  fi
  echo "  UTF-8 -> $to: C++ API within 3 x (input + output) = $limit MB and 1.5 x LpxConvert's time: $([ $failed = 0 ] && echo yes || echo NO)"
done
/usr/bin/time -v "$program" misaligned >"$work/m.out" 2>"$work/m.time"
echo "$(cat "$work/m.out"), peak memory $(peak_mb "$work/m.time") MB"
if [ "$(peak_mb "$work/m.time")" -gt 64 ]; then echo "  a misaligned output allocated far more than it wrote" >&2; failed=1; fi
exit $failed
