#!/usr/bin/env bash
# Installs the built library into a temporary prefix and builds and runs a C and a C++ program against the
# installed SHARED library, once through find_package(tirmok) and once through pkg-config.
#
#   tests/consumer/run.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null
pc=$(find "$prefix" -name tirmok.pc)
export PKG_CONFIG_PATH
PKG_CONFIG_PATH=$(dirname "$pc")
# The pkg-config file names the prefix it was installed to.
if [ "$(pkg-config --variable=prefix tirmok)" != "$prefix" ]; then
  echo "tirmok.pc names $(pkg-config --variable=prefix tirmok), not $prefix"; exit 1
fi
libdir=$(pkg-config --variable=libdir tirmok)

check() {  # program: runs it and checks that it took the installed shared library
  local program=$1
  LD_LIBRARY_PATH="$libdir" "$program"
  local loaded
  loaded=$(LD_LIBRARY_PATH="$libdir" ldd "$program")
  if ! grep -q "$libdir/libtirmok.so.0" <<<"$loaded"; then
    echo "$program does not load $libdir/libtirmok.so.0"; exit 1
  fi
}

# find_package(tirmok)
cmake -S "$here" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/cmake" >/dev/null
check "$work/cmake/consumer_c"
check "$work/cmake/consumer_cpp"

# pkg-config; the static library lies beside the shared one, so the link must not have taken it.
# shellcheck disable=SC2046
cc -std=c11 -Wall -o "$work/pc_c" "$here/consumer.c" $(pkg-config --cflags --libs tirmok)
# shellcheck disable=SC2046
c++ -std=c++17 -Wall -o "$work/pc_cpp" "$here/consumer.cpp" $(pkg-config --cflags --libs tirmok)
check "$work/pc_c"
check "$work/pc_cpp"
echo "consumers: find_package and pkg-config builds ran against $libdir/libtirmok.so.0"
