# Keyfall: `make run` plays, `make test` checks everything. See README.md.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
CMAKE_FLAGS ?=
WINDOWS_BUILD ?= build-windows
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
# Seconds each harness runs in `make fuzz`; `make test` gives each 30.
FUZZ_SECONDS ?= 600
# keyfall.exe and the tests for Windows, cross-built with MinGW-w64 (see cmake/). -O2, not
# the -O3 of Release: GCC 12 at -O3 reports -Wrestrict falsely inside std::string.
WINDOWS_CONFIGURE = cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_BUILD_TYPE=Release -DKEYFALL_GTK=OFF \
	-DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
WINDOWS_TOOLS = x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres wine

.PHONY: all deps deps-windows configure build run test test-normal test-asan format format-check clean \
	windows test-windows bench fuzz fuzz-build test-fuzz

all: build

deps:
	scripts/install-deps.sh

deps-windows:
	scripts/install-deps.sh --windows

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# The game reads Date/ under its working directory: start it from the repository's root.
run: build
	@test -x $(BUILD)/keyfall || { echo "make run: $(BUILD)/keyfall was not built (is GTK 3 installed? see cmake's output)"; exit 1; }
	cd $(CURDIR) && ./$(BUILD)/keyfall

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
	@echo "format-check: sources are formatted"

test-normal: build
	cd $(BUILD) && ctest --output-on-failure -j2

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKEYFALL_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j2

windows: deps-windows
	$(WINDOWS_CONFIGURE)
	cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target keyfall
	@echo "windows: $(WINDOWS_BUILD)/keyfall.exe"

# The Windows part of `make test`, where the cross compiler and Wine are installed
# (`make deps-windows`): keyfall.exe, the unit tests under Wine and the smoke test.
test-windows:
	@missing=""; for tool in $(WINDOWS_TOOLS); do \
		command -v $$tool >/dev/null 2>&1 || missing="$$missing $$tool"; done; \
	if [ -z "$$missing" ]; then \
		set -e; $(WINDOWS_CONFIGURE); \
		cmake --build $(WINDOWS_BUILD) -j$(JOBS); \
		cd $(WINDOWS_BUILD) && ctest --output-on-failure -j2; \
	else \
		echo "test: skipped the Windows part, missing:$$missing (make deps-windows installs them)"; \
	fi

test: deps format-check test-normal test-asan test-fuzz test-windows

# libFuzzer harnesses (fuzz/): a clang build of their own, then each harness for FUZZ_SECONDS.
fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DKEYFALL_FUZZ=ON -DKEYFALL_TESTS=OFF -DKEYFALL_GTK=OFF -DKEYFALL_WERROR=OFF
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzzers

fuzz: fuzz-build
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

test-fuzz: fuzz-build
	fuzz/run.sh $(FUZZ_BUILD) 30

# Frame and word-draw costs against the frame-copy floor, in Release (bench/report.py).
bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DKEYFALL_BENCH=ON -DKEYFALL_TESTS=OFF \
		$(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j$(JOBS) --target keyfall_benchmarks
	python3 bench/report.py $(BENCH_BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WINDOWS_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
