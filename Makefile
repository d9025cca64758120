# Everything a fresh Debian machine needs: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)

CMAKE_COMMON = -G Ninja -DTEXTWRIGHT_WERROR=ON
# Rebuilds of unchanged sources come from ccache when it is installed.
CCACHE := $(shell command -v ccache 2>/dev/null)
ifneq ($(CCACHE),)
CMAKE_COMMON += -DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)
endif

.PHONY: all deps build build-asan run test test-main test-asan check-format format fuzz bench package check-package clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# The sanitizer build leaves out the desktop program: its tests run in the main build.
build-asan: deps
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Debug \
	  -DTEXTWRIGHT_SANITIZE=address,undefined -DTEXTWRIGHT_BUILD_GUI=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)

run: build
	@scripts/run-example.sh $(BUILD)

test: check-format test-main test-asan

# Every tracked C++ file as clang-format makes it (.clang-format).
check-format: deps
	@scripts/check-format.sh

format:
	@scripts/check-format.sh --fix

test-main: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: build-asan
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# The Debian package (CPack): build/package/textwright_<version>_<arch>.deb.
package: build
	@cd $(BUILD) && cpack -G DEB >/dev/null
	@ls $(BUILD)/package/*.deb

# The package unpacked into a temporary root and run from there, and lintian over it.
check-package: package
	@scripts/check-package.sh $(BUILD)/package/textwright_*.deb

# Every libFuzzer target for FUZZ_SECONDS each (seeds from fuzz/corpus/<name>/).
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTEXTWRIGHT_BUILD_FUZZ=ON -DTEXTWRIGHT_BUILD_TESTS=OFF -DTEXTWRIGHT_BUILD_GUI=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Every benchmark, or those whose names contain BENCH (make bench BENCH=compare-gui). The
# desktop program is built too: compare-gui.sh times its run against the command-line tool.
bench:
	@scripts/install-deps.sh --bench
	@cmake -S . -B $(BENCH_BUILD) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Release \
	  -DTEXTWRIGHT_BUILD_BENCH=ON -DTEXTWRIGHT_BUILD_TESTS=OFF -DTEXTWRIGHT_BUILD_GUI=ON >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS)
	@BENCH="$(BENCH)" scripts/run-benchmarks.sh $(BENCH_BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
