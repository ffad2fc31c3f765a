#!/usr/bin/env bash
# Shows what each output format makes of a small Telugu sample.
set -euo pipefail
tool=${1:-build/tirmok}
here=$(cd "$(dirname "$0")/.." && pwd)
sample="$here/examples/sample.txt"

echo "== sample (UTF-8)"
cat "$sample"
for to in TELTRANS ISO15919_UTF_8 ISO15919_ANSI ANSI BRAILLE LPXCODE; do
  echo
  echo "== UTF-8 -> $to"
  case $to in
    ANSI|ISO15919_ANSI|LPXCODE) "$tool" convert --from UTF-8 --to "$to" "$sample" | od -An -tu1 -w24 | sed 's/^ *//' ;;
    *) "$tool" convert --from UTF-8 --to "$to" "$sample" ;;
  esac
done
echo
echo "== TELTRANS -> UTF-8"
printf 'telugu bhAsha\n' | "$tool" convert --from TELTRANS --to UTF-8
echo
echo "== sorted in Telugu dictionary order"
"$tool" sort "$sample"
echo
echo "== date: Monday, 5 March 2010 10:30 AM"
"$tool" date "Monday, 5 March 2010 10:30 AM"
