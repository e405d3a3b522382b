# Keyfall: `make run` plays, `make test` checks everything. See README.md.
#
# The builds are the presets of CMakePresets.json; each has its own folder (build,
# build-asan, build-windows, build-bench, build-fuzz).
JOBS ?= $(shell nproc)
# Seconds each harness runs in `make fuzz`; `make test` gives each 30.
FUZZ_SECONDS ?= 600
WINDOWS_TOOLS = x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres wine
WEB_TOOLS = emcc node npm chromium
# The port of `make serve-web`.
WEB_PORT ?= 8080

.PHONY: all deps deps-windows configure build run test test-normal test-asan format \
	format-check clean windows test-windows bench fuzz fuzz-build test-fuzz package \
	package-windows run-wine deps-web web serve-web test-web bench-web

all: build

deps:
	scripts/install-deps.sh

deps-windows:
	scripts/install-deps.sh --windows

# Emscripten, Chromium and the font (Debian), and puppeteer-core for the page tests (npm).
deps-web:
	scripts/install-deps.sh --web
	$(MAKE) tests/web/node_modules/.package-lock.json

# npm ci only when the lock file has changed since the last install.
tests/web/node_modules/.package-lock.json: tests/web/package-lock.json
	npm ci --prefix tests/web --no-audit --no-fund

# The first configure of a build installs what is missing first; later builds do not ask.
build/CMakeCache.txt:
	scripts/install-deps.sh
	cmake --preset normal

configure: build/CMakeCache.txt

build: build/CMakeCache.txt
	cmake --build --preset normal -j$(JOBS)

# The game alone; it reads Date/ under its working directory, the repository's root.
run: build/CMakeCache.txt
	cmake --build --preset normal -j$(JOBS) --target keyfall
	@test -x build/keyfall || { echo "make run: build/keyfall was not built (is GTK 3 installed? see cmake's output)"; exit 1; }
	cd $(CURDIR) && ./build/keyfall

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
	@echo "format-check: sources are formatted"

test-normal: deps
	cmake --preset normal
	cmake --build --preset normal -j$(JOBS)
	ctest --preset normal

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j$(JOBS)
	ctest --preset asan

windows: deps-windows
	cmake --preset windows
	cmake --build --preset windows -j$(JOBS) --target keyfall
	@echo "windows: build-windows/keyfall.exe"

# keyfall.exe under Wine, in the repository's root, with the Japanese fonts of a Windows player.
run-wine: windows
	scripts/run-wine build-windows/keyfall.exe

# The Debian package build/keyfall_<version>_<architecture>.deb (CPack).
package: build/CMakeCache.txt
	cmake --build --preset normal -j$(JOBS) --target package

# build-windows/keyfall-<version>-win64.zip and keyfall-<version>-win64-setup.exe (NSIS).
package-windows: deps-windows
	cmake --preset windows
	cmake --build --preset windows -j$(JOBS) --target package

# The Windows part of `make test`, where the cross compiler and Wine are installed
# (`make deps-windows`): keyfall.exe, the unit tests under Wine and the smoke test.
test-windows:
	@missing=""; for tool in $(WINDOWS_TOOLS); do \
		command -v $$tool >/dev/null 2>&1 || missing="$$missing $$tool"; done; \
	if [ -z "$$missing" ]; then \
		set -e; cmake --preset windows; \
		cmake --build --preset windows -j$(JOBS); \
		ctest --preset windows; \
	else \
		echo "test: skipped the Windows part, missing:$$missing (make deps-windows installs them)"; \
	fi

# Keyfall in the browser: build-web/ holds static files that any web server can serve.
web:
	scripts/install-deps.sh --web
	cmake --preset web
	cmake --build --preset web -j$(JOBS)
	@echo "web: build-web/index.html and its files (make serve-web serves them)"

serve-web: web
	node scripts/serve-web.mjs build-web $(WEB_PORT)

# The web part of `make test`, where Emscripten, node and Chromium are installed (`make
# deps-web`): the page in headless Chromium. Its result is compared with keyfall-sim of the
# normal build.
test-web:
	@missing=""; for tool in $(WEB_TOOLS); do \
		command -v $$tool >/dev/null 2>&1 || missing="$$missing $$tool"; done; \
	if [ -z "$$missing" ]; then \
		set -e; $(MAKE) tests/web/node_modules/.package-lock.json; \
		cmake --preset normal; cmake --build --preset normal -j$(JOBS) --target keyfall-sim; \
		cmake --preset web; \
		cmake --build --preset web -j$(JOBS); \
		ctest --preset web; \
	else \
		echo "test: skipped the web part, missing:$$missing (make deps-web installs them)"; \
	fi

test: deps format-check test-normal test-asan test-fuzz test-windows test-web

# libFuzzer harnesses (fuzz/): a clang build of their own, then each harness for FUZZ_SECONDS.
fuzz-build: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j$(JOBS)

fuzz: fuzz-build
	fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

test-fuzz: fuzz-build
	fuzz/run.sh build-fuzz 30

# Frame and word-draw costs against the frame-copy floor, in Release (bench/report.py).
bench: deps
	cmake --preset bench
	cmake --build --preset bench -j$(JOBS)
	python3 bench/report.py build-bench

# The page's paint time and CPU share in headless Chromium, beside the native paint of
# `make bench` when build-bench/ has it.
bench-web: web
	$(MAKE) tests/web/node_modules/.package-lock.json
	node bench/web_bench.mjs --site build-web --chromium $$(command -v chromium) --native build-bench

clean:
	rm -rf build build-asan build-windows build-web build-bench build-fuzz
