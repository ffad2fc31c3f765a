#!/usr/bin/env bash
# Unpacks the Debian packages made by `make deb` into a throwaway root (dpkg -x, no installing) and checks them:
# the tool runs from there, its manual page and completion are in place, and a C program builds against the
# development package and runs against the library package.
set -euo pipefail
dir=${1:-build-deb}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

fail() { echo "check-deb: $*" >&2; exit 1; }
for package in libtirmok0 libtirmok-dev tirmok; do
  deb=$(ls "$dir"/${package}_*.deb 2>/dev/null | head -1)
  [ -n "$deb" ] || fail "no ${package}_*.deb in $dir"
  dpkg-deb --info "$deb" >/dev/null || fail "$deb is not a Debian package"
  dpkg -x "$deb" "$root"
  echo "$(basename "$deb"): $(dpkg-deb --field "$deb" Depends)"
done

tool=$root/usr/bin/tirmok
lib=$(dirname "$(find "$root" -name 'libtirmok.so.0' | head -1)")
[ -x "$tool" ] || fail "the tool is not in usr/bin"
[ -d "$lib" ] || fail "libtirmok.so.0 is not in the library package"
for file in usr/share/man/man1/tirmok.1 usr/share/bash-completion/completions/tirmok usr/include/tirmok/tirmok.h \
            usr/include/tirmok/tirmok.hpp; do
  [ -f "$root/$file" ] || fail "$file is missing"
done
find "$root" -name tirmok.pc | grep -q . || fail "the pkg-config file is missing"
find "$root" -name tirmokConfig.cmake | grep -q . || fail "the CMake package is missing"
grep -q '^prefix=/usr$' "$(find "$root" -name tirmok.pc | head -1)" || fail "tirmok.pc does not name /usr"

export LD_LIBRARY_PATH=$lib
got=$(printf 'telugu\n' | "$tool" convert -f TELTRANS -t UTF-8)
[ "$got" = "తెలుగు" ] || fail "the unpacked tool converted 'telugu' to '$got'"
"$tool" --version
if command -v man >/dev/null 2>&1; then
  man -l "$root/usr/share/man/man1/tirmok.1" 2>/dev/null | grep -q 'tirmok convert' || fail "the manual page does not render"
fi
bash -c "source '$root/usr/share/bash-completion/completions/tirmok'; COMP_WORDS=(tirmok convert --from T); COMP_CWORD=3; _tirmok; [ \"\${COMPREPLY[*]}\" = TELTRANS ]" ||
  fail "the completion does not complete format names"

cat > "$root/app.c" <<'C'
#include <stdio.h>
#include <tirmok/tirmok.h>
int main(void) {
  char out[64];
  int32_t n = LpxConvert("kalaM", "TELTRANS", out, "UTF-8", sizeof out);
  fputs(out, stdout);
  return n > 0 ? 0 : 1;
}
C
cc -I"$root/usr/include" "$root/app.c" -L"$lib" -ltirmok -o "$root/app"
[ "$("$root/app")" = "కలం" ] || fail "a program against the unpacked library gave the wrong text"
echo "check-deb: the packages unpack, and the tool and the library run from $root"
