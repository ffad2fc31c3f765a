# Entry points: `make test` (every test: normal, ASan+UBSan and TSan builds, the Debian packages, fuzz smoke run,
# the npm package and the converter page), `make demo`, `make deb`, `make bench`, `make fuzz`, `make web`,
# `make bench-js`.
BUILD ?= build
BUILD_SAN ?= build-sanitize
BUILD_TSAN ?= build-tsan
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps build test test-normal test-sanitize test-tsan demo deb test-deb bench python python-test clean web test-js bench-js

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

test: test-normal test-sanitize test-tsan test-deb fuzz-smoke test-js

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

# WebAssembly build (emscripten), the npm package and the converter page, all in $(BUILD_WEB).
BUILD_WEB ?= build-web
web: deps
	JOBS=$(JOBS) scripts/build-web.sh $(BUILD_WEB)
	@echo "npm package:    $(BUILD_WEB)/js  (npm install $(CURDIR)/$(BUILD_WEB)/js, then import 'tirmok')"
	@echo "converter page: $(BUILD_WEB)/page  (serve the folder and open it, for instance:"
	@echo "                python3 -m http.server -b 127.0.0.1 -d $(BUILD_WEB)/page 8000, then http://127.0.0.1:8000/)"

# puppeteer-core for the browser test, exactly as js/package-lock.json pins it (it downloads no browser).
js/node_modules/.package-lock.json: js/package.json js/package-lock.json
	cd js && npm ci --no-audit --no-fund

# The npm package against the native tool, then the page in headless chromium (screenshot in $(BUILD_WEB)/test-output).
test-js: build web js/node_modules/.package-lock.json
	TIRMOK_TOOL=$(BUILD)/tirmok TIRMOK_PACKAGE=$(BUILD_WEB)/js TIRMOK_PAGE=$(BUILD_WEB)/page \
	  TIRMOK_TEST_OUTPUT=$(BUILD_WEB)/test-output node --test js/test/tirmok.test.js js/test/browser.test.js

# The package's speed in Node against the native library (Release) on the same text, the .wasm size, and the
# time the page takes to convert a 1 MB paste.
bench-js: deps web js/node_modules/.package-lock.json
	cmake -S . -B build-bench-js -DCMAKE_BUILD_TYPE=Release -DTIRMOK_TESTS=OFF -DTIRMOK_TOOLS=OFF
	cmake --build build-bench-js -j $(JOBS) --target tirmok
	$(CXX) -O2 -std=c++20 -Iinclude js/bench/native_bench.cpp -Lbuild-bench-js -ltirmok \
	  -Wl,-rpath,$(CURDIR)/build-bench-js -o build-bench-js/native_bench
	node js/bench/bench.mjs $(BUILD_WEB)/js build-bench-js/native_bench bench/data/te_text_300k.txt $(BUILD_WEB)/page

clean:
	rm -rf $(BUILD) $(BUILD_DEMO) $(BUILD_DEB) $(BUILD_SAN) $(BUILD_TSAN) $(FUZZ_BUILD) build-bench build-bench-js $(BUILD_WEB) python/build python/dist python/tirmok.egg-info
