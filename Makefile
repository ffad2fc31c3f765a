# Entry points: `make test` (every test: normal, ASan+UBSan and TSan builds, fuzz smoke run), `make demo`, `make bench`, `make fuzz`.
BUILD ?= build
BUILD_SAN ?= build-sanitize
BUILD_TSAN ?= build-tsan
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps build test test-normal test-sanitize test-tsan demo bench python python-test clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

test: test-normal test-sanitize test-tsan fuzz-smoke

test-normal: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(BUILD_SAN) -DCMAKE_BUILD_TYPE=Debug -DTIRMOK_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD_SAN) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(BUILD_SAN) --output-on-failure -j $(JOBS)

# Threads through the C exports and the C++ API, under ThreadSanitizer.
test-tsan: deps
	cmake -S . -B $(BUILD_TSAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIRMOK_TSAN=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD_TSAN) -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --test-dir $(BUILD_TSAN) --output-on-failure -j $(JOBS)

# Fuzzing with libFuzzer (needs clang; skipped with a message without it): `make fuzz` runs every target
# FUZZ_SECONDS seconds; `make fuzz-smoke` replays the seed corpora and runs each target a few seconds.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 600
FUZZ_SMOKE_SECONDS ?= 5
.PHONY: fuzz fuzz-smoke

fuzz: deps
	JOBS=$(JOBS) fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: deps
	JOBS=$(JOBS) fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SMOKE_SECONDS)

# The Python package: `make python` makes its wheel in python/dist (the library and the tool built with CMake
# inside it; offline, with Debian's python3-build), `make python-test` runs its tests against the build folder.
# Install into a virtual environment with `pip install --no-build-isolation ./python` (see the README).
PYTHON ?= /usr/bin/python3
python: deps
	cd python && $(PYTHON) -m build --wheel --no-isolation --outdir dist .

python-test: build
	TIRMOK_LIBRARY=$(BUILD)/libtirmok.so TIRMOK_TOOL=$(BUILD)/tirmok PYTHONDONTWRITEBYTECODE=1 \
	  $(PYTHON) -m pytest -q -p no:cacheprovider python/tests

demo: build
	@scripts/demo.sh $(BUILD)/tirmok

# Benchmarks on real Telugu text, ICU side by side when it is installed; a larger UTF-8 file can be given as
# TIRMOK_BENCH_FILE=path, and Google Benchmark flags as BENCH_ARGS (e.g. BENCH_ARGS=--benchmark_filter=compare).
# scripts/bench-cli-memory.sh measures the command-line tool's peak memory on 1 GB (not part of this target).
BENCH_ARGS ?=
bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTIRMOK_BENCH=ON -DTIRMOK_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	build-bench/bench/tirmok_bench $(BENCH_ARGS)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_TSAN) $(FUZZ_BUILD) build-bench python/build python/dist python/tirmok.egg-info
