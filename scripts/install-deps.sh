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
  # The Python package: Debian's interpreter (/usr/bin/python3) with pytest, Dask and pandas for its tests, and pip,
  # build, setuptools, wheel and venv to install it and make its wheel offline.
  [ -x /usr/bin/python3 ] || need+=(python3)
  py_has() { [ -x /usr/bin/python3 ] && /usr/bin/python3 -c "import $1" >/dev/null 2>&1; }
  py_has pytest || need+=(python3-pytest)
  py_has dask.bag || need+=(python3-dask)
  py_has distributed || need+=(python3-distributed)
  py_has pandas || need+=(python3-pandas)
  py_has pip || need+=(python3-pip)
  py_has build || need+=(python3-build)
  py_has setuptools || need+=(python3-setuptools)
  py_has wheel || need+=(python3-wheel)
  py_has ensurepip || need+=(python3-venv)
  # The benchmarks time ICU beside the library when it is there.
  [ -f /usr/include/unicode/ucol.h ] || need+=(libicu-dev)
  # and liblouis beside the Braille figures.
  [ -f /usr/include/liblouis/liblouis.h ] || need+=(liblouis-dev)
  command -v /usr/bin/time >/dev/null 2>&1 || need+=(time)
  # The installed-library test builds consumers through pkg-config.
  command -v pkg-config >/dev/null 2>&1 || need+=(pkg-config)
  # The fuzz targets need clang and its libFuzzer runtime.
  command -v clang++-14 >/dev/null 2>&1 || command -v clang++ >/dev/null 2>&1 || need+=(clang-14)
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
  # The WebAssembly build, the npm package's tests and the converter page's browser test (with a Telugu font, so
  # that its screenshot shows the text).
  command -v emcc >/dev/null 2>&1 || need+=(emscripten)
  command -v node >/dev/null 2>&1 || need+=(nodejs)
  command -v npm >/dev/null 2>&1 || need+=(npm)
  command -v chromium >/dev/null 2>&1 || need+=(chromium)
  [ -d /usr/share/fonts/truetype/lohit-telugu ] || need+=(fonts-lohit-telu)
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
