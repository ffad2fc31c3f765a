#!/usr/bin/env bash
# Installs what building and testing need, when it is missing (Debian; as root).
set -euo pipefail

# `install-deps.sh build` asks only for what building the library and the tool needs (make demo);
# without an argument, also for what packaging, the tests, benchmarks and fuzzing need (make test).
need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v g++ >/dev/null 2>&1 || need+=(g++)
command -v make >/dev/null 2>&1 || need+=(make)
# `install-deps.sh deb` adds what making Debian packages needs (make deb).
if [ "${1:-all}" != build ]; then
  command -v dpkg-shlibdeps >/dev/null 2>&1 || need+=(dpkg-dev)
  command -v file >/dev/null 2>&1 || need+=(file)
fi
if [ "${1:-all}" = all ]; then
  [ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
  [ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
  command -v python3 >/dev/null 2>&1 || need+=(python3)
  # The benchmarks time ICU beside the library when it is there.
  [ -f /usr/include/unicode/ucol.h ] || need+=(libicu-dev)
  command -v /usr/bin/time >/dev/null 2>&1 || need+=(time)
  # The fuzz targets need clang and its libFuzzer runtime.
  command -v clang++-14 >/dev/null 2>&1 || command -v clang++ >/dev/null 2>&1 || need+=(clang-14)
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
fi

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${need[*]}; install them (as root: apt-get install -y ${need[*]})" >&2
  exit 1
fi
echo "installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${need[@]}"
