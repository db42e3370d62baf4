# Entry points: `make test` (install what is missing, build every
# configuration, run every suite) and `make demo`.
#
#   build/native  Linux, g++                      tests run directly
#   build/asan    Linux, ASan + UBSan             tests run directly
#   build/win64   x86_64 MinGW, static            tests run under Wine
#   build/win32   i686 MinGW (the release stub)   built and linked only

SHELL := /bin/bash
.SHELLFLAGS := -eo pipefail -c
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_COMMON := -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
export WINEDEBUG := -all
export WINEPREFIX ?= $(abspath $(BUILD))/wineprefix

.PHONY: test deps build configure native asan win64 win32 \
        test-native test-asan test-win64 bench demo clean

test: deps build
	@$(MAKE) --no-print-directory test-native test-asan test-win64

deps:
	@scripts/install-deps.sh

build: native asan win64 win32

$(BUILD)/native/build.ninja:
	cmake -S . -B $(BUILD)/native $(CMAKE_COMMON)
$(BUILD)/asan/build.ninja:
	cmake -S . -B $(BUILD)/asan $(CMAKE_COMMON) -DTAVLIN_SANITIZE=ON
$(BUILD)/win64/build.ninja:
	cmake -S . -B $(BUILD)/win64 $(CMAKE_COMMON) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
$(BUILD)/win32/build.ninja:
	cmake -S . -B $(BUILD)/win32 $(CMAKE_COMMON) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
$(BUILD)/bench/build.ninja:
	cmake -S . -B $(BUILD)/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVLIN_BENCH=ON -DTAVLIN_TESTS=OFF

native asan win64 win32: %: $(BUILD)/%/build.ninja
	ninja -C $(BUILD)/$@ -j$(JOBS)

test-native:
	@echo "== native tests"
	ctest --test-dir $(BUILD)/native --output-on-failure -j$(JOBS)

test-asan:
	@echo "== AddressSanitizer + UndefinedBehaviorSanitizer tests"
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(BUILD)/asan --output-on-failure -j$(JOBS)

# One wine server for the whole suite: each test program then starts in a
# fraction of a second instead of bringing up a fresh server.
test-win64:
	@echo "== win64 tests under Wine"
	@mkdir -p $(WINEPREFIX)
	@wineboot -i >/dev/null 2>&1 || true
	@wineserver -p >/dev/null 2>&1 || true
	@status=0; ctest --test-dir $(BUILD)/win64 --output-on-failure -j$(JOBS) || status=$$?; \
	  wineserver -k >/dev/null 2>&1 || true; exit $$status

bench: deps $(BUILD)/bench/build.ninja
	ninja -C $(BUILD)/bench -j$(JOBS)
	@for b in $(BUILD)/bench/bin/bench_*; do echo "== $$b"; "$$b"; done

demo: deps native
	@scripts/demo.sh $(BUILD)/native

clean:
	rm -rf $(BUILD)
