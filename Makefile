# Entry points: `make test` (every test: normal, ASan+UBSan and TSan builds, the Debian packages, fuzz smoke run),
# `make demo`, `make deb`, `make bench`, `make fuzz`.
BUILD ?= build
BUILD_SAN ?= build-sanitize
BUILD_TSAN ?= build-tsan
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps build test test-normal test-sanitize test-tsan demo deb test-deb bench python clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

test: test-normal test-sanitize test-tsan test-deb fuzz-smoke

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

# The Python package with the library next to it: python/tirmok.
python: build
	cp $(BUILD)/libtirmok.so python/tirmok/libtirmok.so
	cd python && python3 -c "import tirmok; print('tirmok', tirmok.__version__, 'ready:', len(tirmok.FORMATS), 'formats')"

# The library and the tool only, in a folder of their own: no tests, benchmarks or fuzzers, and nothing to install
# beyond a C++ compiler and CMake.
BUILD_DEMO ?= build-demo
demo:
	@scripts/install-deps.sh build
	cmake -S . -B $(BUILD_DEMO) -DCMAKE_BUILD_TYPE=Release -DTIRMOK_TESTS=OFF -DTIRMOK_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD_DEMO) -j $(JOBS)
	@scripts/demo.sh $(BUILD_DEMO)/tirmok

# Debian packages of the library, its development files and the tool (cmake/packaging.cmake), built in their own
# folder for /usr; scripts/check-deb.sh unpacks them into a throwaway root and runs the tool from there.
BUILD_DEB ?= build-deb
deb:
	@scripts/install-deps.sh deb
	cmake -S . -B $(BUILD_DEB) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DTIRMOK_TESTS=OFF \
	  -DTIRMOK_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD_DEB) -j $(JOBS)
	cd $(BUILD_DEB) && cpack -G DEB
	@ls -l $(BUILD_DEB)/*.deb

test-deb: deps deb
	scripts/check-deb.sh $(BUILD_DEB)

# Benchmarks on real Telugu text, ICU side by side when it is installed; a larger UTF-8 file can be given as
# TIRMOK_BENCH_FILE=path, and Google Benchmark flags as BENCH_ARGS (e.g. BENCH_ARGS=--benchmark_filter=compare).
# scripts/bench-cli-memory.sh measures the command-line tool's peak memory on 1 GB (not part of this target).
BENCH_ARGS ?=
bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTIRMOK_BENCH=ON -DTIRMOK_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	build-bench/bench/tirmok_bench $(BENCH_ARGS)

clean:
	rm -rf $(BUILD) $(BUILD_DEMO) $(BUILD_DEB) $(BUILD_SAN) $(BUILD_TSAN) $(FUZZ_BUILD) build-bench
