# Keyfall: `make run` plays, `make test` checks everything. See README.md.
#
# The builds are the presets of CMakePresets.json; each has its own folder (build,
# build-asan, build-windows, build-web, build-bench, build-fuzz); `make test` logs each of
# its steps in build-logs/.
JOBS ?= $(shell nproc)
export JOBS
# Seconds each harness runs in `make fuzz`; `make test` runs a fixed set of inputs instead.
FUZZ_SECONDS ?= 600
# The port of `make serve-web`.
WEB_PORT ?= 8080

.PHONY: all deps deps-run deps-test deps-windows deps-web configure build run test \
	test-normal test-asan format format-check clean windows test-windows bench fuzz \
	fuzz-build test-fuzz package package-windows run-wine web serve-web test-web bench-web

all: build

# Every package any target uses, and the page tests' npm packages.
deps:
	scripts/install-deps.sh --all
	$(MAKE) tests/web/node_modules/.package-lock.json

# What building and playing needs, and nothing of the tests.
deps-run:
	scripts/install-deps.sh --run

deps-test:
	scripts/install-deps.sh --test

deps-windows:
	scripts/install-deps.sh --windows

# Emscripten, Chromium and the font (Debian), and puppeteer-core for the page tests (npm).
deps-web:
	scripts/install-deps.sh --web
	$(MAKE) tests/web/node_modules/.package-lock.json

# npm ci only when the lock file has changed since the last install.
tests/web/node_modules/.package-lock.json: tests/web/package-lock.json
	npm ci --prefix tests/web --no-audit --no-fund

# The first configure of a build installs what building and playing need first; the test
# tools come with `make test`. Later builds do not ask.
build/CMakeCache.txt:
	scripts/install-deps.sh --run
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

# Every part, the builds one after the other and each part's tests beside the next builds
# (scripts/test-all); the sanitizer build comes second, its tests being the longest. The
# Windows and web parts run where their tools are installed (make deps-windows, make
# deps-web) and are named as not run otherwise.
test: deps-test format-check
	scripts/test-all normal asan web windows fuzz

# One part at a time: the same steps, the same logs.
test-normal: deps-test
	scripts/test-all normal

test-asan: deps-test
	scripts/test-all asan

# The Windows part, where the cross compiler and Wine are installed (`make deps-windows`):
# keyfall.exe, the unit tests under Wine and the smoke test.
test-windows:
	scripts/test-all windows

# The web part, where Emscripten, node and Chromium are installed (`make deps-web`): the page
# in headless Chromium, its result compared with keyfall-sim of the normal build.
test-web:
	scripts/test-all web

# The fuzz harnesses over their corpus and a fixed set of variations of it: the same inputs
# on every run, so that a result never depends on chance. `make fuzz` searches for new ones.
test-fuzz: deps-test
	scripts/test-all fuzz

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

# Keyfall in the browser: build-web/ holds static files that any web server can serve.
web:
	scripts/install-deps.sh --web
	cmake --preset web
	cmake --build --preset web -j$(JOBS)
	@echo "web: build-web/index.html and its files (make serve-web serves them)"

serve-web: web
	node scripts/serve-web.mjs build-web $(WEB_PORT)

# libFuzzer harnesses (fuzz/): a clang build of their own, then each harness for FUZZ_SECONDS.
fuzz-build: deps-test
	cmake --preset fuzz
	cmake --build --preset fuzz -j$(JOBS)

fuzz: fuzz-build
	fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

# Frame and word-draw costs against the frame-copy floor, in Release (bench/report.py).
bench: deps-test
	cmake --preset bench
	cmake --build --preset bench -j$(JOBS)
	python3 bench/report.py build-bench

# The page's paint time and CPU share in headless Chromium, beside the native paint of
# `make bench` when build-bench/ has it.
bench-web: web
	$(MAKE) tests/web/node_modules/.package-lock.json
	node bench/web_bench.mjs --site build-web --chromium $$(command -v chromium) --native build-bench

clean:
	rm -rf build build-asan build-windows build-web build-bench build-fuzz build-logs
