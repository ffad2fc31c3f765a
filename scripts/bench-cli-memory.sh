#!/usr/bin/env bash
# Peak memory of `tirmok convert` on a 1 GB UTF-8 file, which it must stream in blocks cut at safe points: converts a
# generated file of real Telugu text to TELTRANS under /usr/bin/time -v and fails when the peak resident set is
# 64 MB or more. Not part of `make test`: it writes 1 GB to /tmp and takes a few minutes; the file is deleted at
# the end, whatever happens.
# Usage: scripts/bench-cli-memory.sh [BUILD_DIR] [SIZE_MB]   (defaults: build-bench, 1024)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-bench}
size_mb=${2:-1024}
tool="$here/$build/tirmok"
if [ ! -x "$tool" ]; then
  echo "no tool at $tool: build it first (make bench builds $here/build-bench)" >&2
  exit 2
fi
if [ ! -x /usr/bin/time ]; then
  echo "/usr/bin/time is missing (Debian package: time)" >&2
  exit 2
fi

work=$(mktemp -d /tmp/tirmok-cli-memory.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The benchmark's sample of real Telugu text, repeated to the size asked for.
sample="$here/bench/data/te_text_300k.txt"
target=$((size_mb * 1024 * 1024))
: > "$work/input.txt"
while [ "$(stat -c %s "$work/input.txt")" -lt "$target" ]; do
  cat "$sample" "$sample" "$sample" "$sample" >> "$work/input.txt"
done
truncate -s "$target" "$work/input.txt"
echo "input: $(du -m "$work/input.txt" | cut -f1) MB of UTF-8"

/usr/bin/time -v "$tool" convert --from UTF-8 --to TELTRANS -o "$work/output.txt" "$work/input.txt" \
  2> "$work/time.txt"
peak_kb=$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$work/time.txt")
wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time.txt")
echo "tirmok convert --from UTF-8 --to TELTRANS: peak memory $((peak_kb / 1024)) MB, wall time $wall," \
  "output $(du -m "$work/output.txt" | cut -f1) MB"
if [ "$peak_kb" -ge $((64 * 1024)) ]; then
  echo "peak memory is not below 64 MB" >&2
  exit 1
fi
echo "peak memory below 64 MB"
