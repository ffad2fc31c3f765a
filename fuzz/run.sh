#!/usr/bin/env bash
# Builds the fuzz targets, replays each one's seed corpus, then fuzzes it for a while.
#
#   fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
#
# Needs clang with libFuzzer; without them it says so and succeeds (nothing to
# run). FUZZ_NO_BUILD=1 skips the build step. New inputs go to
# BUILD_DIR/fuzz-corpus/<target> (the seeds in fuzz/corpus stay as they are);
# a crash or broken invariant leaves its input in
# BUILD_DIR/fuzz-artifacts/<target> and makes the script fail. Ends with one
# line per target: executions, coverage (edges) and features.
#
# Without TARGETs, every *_fuzzer target of the fuzz build runs. Inputs reach
# FUZZ_MAX_LEN bytes (default 65536: well past the scratch buffers' first 1024
# bytes, the run loop's 256-unit stage and the automation object's first
# buffer); a target that needs longer inputs names its own libFuzzer options,
# one a line, in fuzz/options/<target> (e.g. -max_len=2200000 to cross a 1 MiB
# block).
set -euo pipefail

build=${1:?build directory}
seconds=${2:?seconds per target}
shift 2
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
max_len=${FUZZ_MAX_LEN:-65536}

if [ "${FUZZ_NO_BUILD:-0}" != 1 ]; then
  cxx=${FUZZ_CXX:-$(command -v clang++-14 || command -v clang++ || true)}
  cc=${FUZZ_CC:-$(command -v clang-14 || command -v clang || true)}
  if [ -z "$cxx" ] || [ -z "$cc" ]; then
    echo "fuzz: clang not found; the fuzz targets are skipped (install clang and libclang-rt-dev)"
    exit 0
  fi
  runtime="$("$cxx" -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a"
  if [ ! -f "$runtime" ]; then
    echo "fuzz: libFuzzer ($runtime) not found; the fuzz targets are skipped (install libclang-rt-dev)"
    exit 0
  fi
  CC="$cc" CXX="$cxx" cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(cmake --build "$build" --target help | grep -oE '[A-Za-z0-9_]+_fuzzer$' | sed 's/_fuzzer$//' | sort -u)
fi
if [ "${FUZZ_NO_BUILD:-0}" != 1 ]; then
  cmake --build "$build" -j "${JOBS:-2}" --target "${targets[@]/%/_fuzzer}"
fi

summary=()
failed=0
for target in "${targets[@]}"; do
  binary="$build/${target}_fuzzer"
  if [ ! -x "$binary" ]; then
    echo "fuzz: $binary is missing" >&2
    exit 1
  fi
  work="$build/fuzz-corpus/$target"
  artifacts="$build/fuzz-artifacts/$target"
  log="$build/fuzz-$target.log"
  mkdir -p "$work" "$artifacts"
  # The library prints its three messages on standard output; -close_fd_mask=1 silences them.
  options=(-close_fd_mask=1 -rss_limit_mb=2560 -timeout=30 -print_final_stats=1 "-max_len=$max_len"
           "-artifact_prefix=$artifacts/")
  if [ -f "$here/options/$target" ]; then
    mapfile -t own < <(grep -v '^[[:space:]]*\(#\|$\)' "$here/options/$target")
    options+=("${own[@]}")
  fi
  seeds="$here/corpus/$target"
  mkdir -p "$seeds"
  echo "fuzz: $target: replaying $(ls "$seeds" | wc -l) seeds, then fuzzing ${seconds}s"
  if ! "$binary" "${options[@]}" -runs=0 "$seeds" >"$log" 2>&1; then
    echo "fuzz: $target: a seed fails; see $log" >&2
    tail -n 30 "$log" >&2
    failed=1
    continue
  fi
  if ! "$binary" "${options[@]}" -max_total_time="$seconds" "$work" "$seeds" >"$log" 2>&1; then
    echo "fuzz: $target: finding; input in $artifacts, log $log" >&2
    grep -E "invariant broken|ERROR|SUMMARY" -A3 "$log" | head -n 40 >&2 || true
    failed=1
    continue
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  coverage=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | grep -o 'cov: [0-9]* ft: [0-9]*' | tail -n 1 || echo '?')
  summary+=("$target: $runs executions in ${seconds}s, $coverage, corpus $(ls "$work" | wc -l) files")
done

for line in "${summary[@]}"; do echo "fuzz: $line"; done
if [ "$failed" -ne 0 ]; then
  echo "fuzz: FAILED" >&2
  exit 1
fi
echo "fuzz: no finding in ${#targets[@]} targets"
