#!/usr/bin/env bash
# Converts a file of more than 100 MB with the command-line tool, reports its peak memory, and checks that the
# output equals converting the same content through the library (line by line, through the Python package).
# Not part of `make test`: it takes a minute. Usage: scripts/check-cli-large.sh [BUILD_DIR] [SIZE_MB]
set -euo pipefail
build=${1:-build}
size_mb=${2:-120}
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Real Telugu words joined into running text, repeated to the size asked for.
python3 - "$here/tests/data/te_words_sample.txt" "$work/input.txt" "$size_mb" <<'PY'
import random, sys
words = [w for w in open(sys.argv[1], encoding="utf-8").read().split("\n") if w and not w.startswith("#")]
target = int(sys.argv[3]) << 20
rng = random.Random(1)
with open(sys.argv[2], "w", encoding="utf-8") as out:
    written = 0
    while written < target:
        line = " ".join(rng.choice(words) for _ in range(rng.randint(3, 15))) + rng.choice([".", ",", "", "?"]) + "\n"
        out.write(line)
        written += len(line.encode("utf-8"))
PY
echo "input: $(du -m "$work/input.txt" | cut -f1) MB"
/usr/bin/time -v "$here/$build/tirmok" convert --from UTF-8 --to TELTRANS -o "$work/output.txt" "$work/input.txt" \
  2> "$work/time.txt"
peak_kb=$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$work/time.txt")
seconds=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time.txt")
echo "tirmok convert: peak memory $((peak_kb / 1024)) MB, wall time $seconds"

TIRMOK_LIBRARY="$here/$build/libtirmok.so" python3 - "$work/input.txt" "$work/output.txt" "$here/python" <<'PY'
import sys
sys.path.insert(0, sys.argv[3])
import tirmok
with open(sys.argv[1], encoding="utf-8") as src, open(sys.argv[2], encoding="latin-1") as got:
    for number, (line, out) in enumerate(zip(src, got), 1):
        expected = tirmok.convert(line, "UTF-8", "TELTRANS")
        if expected != out:
            sys.exit(f"line {number} differs: {expected!r} != {out!r}")
print("output equals the library's conversion of every line")
PY
if [ "$peak_kb" -ge $((64 * 1024)) ]; then
  echo "peak memory above 64 MB" >&2
  exit 1
fi
