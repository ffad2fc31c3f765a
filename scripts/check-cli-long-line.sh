#!/usr/bin/env bash
# A single line of about 200 MB of real Telugu text through the command-line tool, UTF-8 -> TELTRANS -> UTF-8:
# the result must be byte-identical to the input and each run's peak memory below 64 MB (/usr/bin/time -v).
# The TELTRANS file is also checked against converting one copy of the repeated text at once.
#
# The line is built from a corpus file with its line ends turned into spaces (TIRMOK_CORPUS, default
# /work/shared/corpus/te_text_1mb.txt), after one trip UTF-8 -> TELTRANS -> UTF-8 of that text: the trip writes
# a zero width non-joiner between two vowels that stand side by side (కలిగిఉండడం), and text that has been
# through it once comes back unchanged. Not part of `make test`: it writes about 500 MB to /tmp.
# Usage: scripts/check-cli-long-line.sh [BUILD_DIR] [SIZE_MB]   (defaults: build, 200)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
size_mb=${2:-200}
tool="$here/$build/tirmok"
corpus=${TIRMOK_CORPUS:-/work/shared/corpus/te_text_1mb.txt}
for needed in "$tool" /usr/bin/time; do
  if [ ! -x "$needed" ]; then
    echo "missing: $needed (build the tool; /usr/bin/time is the Debian package time)" >&2
    exit 2
  fi
done
if [ ! -r "$corpus" ]; then
  echo "no corpus at $corpus (set TIRMOK_CORPUS)" >&2
  exit 2
fi

work=$(mktemp -d /tmp/tirmok-long-line.XXXXXX)
trap 'rm -rf "$work"' EXIT

# One copy: the corpus as one line ending in a space, brought through the trip once. At about 1 MB it is one
# block, so the tool converts it whole.
tr '\n' ' ' < "$corpus" > "$work/raw.txt"
"$tool" convert --from UTF-8 --to TELTRANS "$work/raw.txt" | "$tool" convert --from TELTRANS --to UTF-8 \
  > "$work/unit.txt"
"$tool" convert --from UTF-8 --to TELTRANS "$work/unit.txt" > "$work/unit.tt"
copies=$(( (size_mb * 1024 * 1024 + $(stat -c %s "$work/unit.txt") - 1) / $(stat -c %s "$work/unit.txt") ))
for _ in $(seq "$copies"); do cat "$work/unit.txt"; done > "$work/input.txt"
if [ "$(wc -l < "$work/input.txt")" -ne 0 ]; then
  echo "the input is not a single line" >&2
  exit 1
fi
echo "input: one line of $(stat -c %s "$work/input.txt") bytes ($copies copies of $(stat -c %s "$work/unit.txt"))"

status=0
run() {  # name, then the command; prints peak memory and time, fails at 64 MB or more
  local name=$1
  shift
  /usr/bin/time -v "$@" 2> "$work/time.txt"
  local peak_kb wall
  peak_kb=$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$work/time.txt")
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$work/time.txt")
  echo "$name: peak memory $((peak_kb / 1024)) MB ($peak_kb kB), wall time $wall"
  if [ "$peak_kb" -ge $((64 * 1024)) ]; then
    echo "$name: peak memory is not below 64 MB" >&2
    status=1
  fi
}
run "UTF-8 -> TELTRANS" "$tool" convert --from UTF-8 --to TELTRANS -o "$work/line.tt" "$work/input.txt"
run "TELTRANS -> UTF-8" "$tool" convert --from TELTRANS --to UTF-8 -o "$work/back.txt" "$work/line.tt"

for _ in $(seq "$copies"); do cat "$work/unit.tt"; done | cmp - "$work/line.tt" ||
  { echo "the TELTRANS line is not the copies' conversion" >&2; status=1; }
if cmp "$work/input.txt" "$work/back.txt"; then
  echo "UTF-8 -> TELTRANS -> UTF-8 gives the input back byte for byte"
else
  status=1
fi
exit "$status"
