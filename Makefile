# Keyfall: `make run` plays, `make test` checks everything. See README.md.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
CMAKE_FLAGS ?=

.PHONY: all deps deps-windows configure build run test test-normal test-asan format format-check clean

all: build

deps:
	scripts/install-deps.sh

deps-windows:
	scripts/install-deps.sh --windows

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/keyfall

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

test: deps format-check test-normal test-asan

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
