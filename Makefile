# The two commands every new user runs first: `make demo` and `make test`.
# Both install what a fresh Debian 12 machine lacks (through `make deps`) before building.

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 5
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
APT_PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev clang-format libgtest-dev \
	libgmock-dev libbenchmark-dev nlohmann-json3-dev libcli11-dev \
	g++-mingw-w64-x86-64-posix googletest wine wine64 librsvg2-bin netpbm fonts-dejavu-core

.PHONY: all deps demo test test-linux test-asan test-tsan test-windows test-release fuzz fuzz-smoke \
	bench \
	package format clean

all: test

# Debian's packages; Node.js and npm from Debian only when no node and npm are there (another
# Node.js may be installed); then the workflow check's npm packages, at the versions of the
# committed lock file, into build/npm (installed again only when the lock file changes).
NPM_LOCK := tests/workflows/package-lock.json

deps:
	@missing=""; \
	for p in $(APT_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	{ command -v node && command -v npm; } >/dev/null 2>&1 || missing="$$missing nodejs npm"; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
	@if ! cmp -s $(NPM_LOCK) build/npm/installed-lock.json; then \
	  echo "Installing the workflow check's npm packages into build/npm"; \
	  rm -rf build/npm && mkdir -p build/npm && \
	  cp tests/workflows/package.json $(NPM_LOCK) build/npm/ && \
	  (cd build/npm && npm ci --no-audit --no-fund --cache "$$PWD/.npm-cache") && \
	  cp $(NPM_LOCK) build/npm/installed-lock.json; \
	fi

build/%/build.ninja: | deps
	cmake --preset $* >/dev/null

# The simulator a user runs is the release build's; the debug build's is the tests'.
demo: build/release/build.ninja
	cmake --build --preset release --parallel $(JOBS) --target tallyglass-sim
	./build/release/tools/sim/tallyglass-sim --picture build/demo-trade.svg
	@echo "The trade as the player sees it: build/demo-trade.svg"

test: test-linux test-asan test-tsan test-windows fuzz-smoke test-release

test-linux: build/default/build.ninja
	cmake --build --preset default --parallel $(JOBS)
	ctest --preset default --parallel $(JOBS)

test-asan: build/asan/build.ninja
	cmake --build --preset asan --parallel $(JOBS)
	ctest --preset asan --parallel $(JOBS)

# ThreadSanitizer (clang) over the tests that run UE4SS's threads: only what they need is built.
test-tsan: build/tsan/build.ninja
	cmake --build --preset tsan --parallel $(JOBS)
	ctest --preset tsan --parallel $(JOBS)

# The Windows DLL and every suite, cross-built with mingw-w64 and run under Wine.
test-windows: build/windows/build.ninja
	cmake --build --preset windows --parallel $(JOBS)
	ctest --preset windows --parallel $(JOBS)

# The libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer). `fuzz` runs each
# for FUZZ_SECONDS and keeps the corpus it grows in build/fuzz/corpus; `fuzz-smoke` runs each
# briefly from its committed seeds. Crashing inputs land in build/fuzz/findings.
fuzz: build/fuzz/build.ninja
	cmake --build --preset fuzz --parallel $(JOBS)
	fuzz/run.sh long $(FUZZ_SECONDS) build/fuzz

fuzz-smoke: build/fuzz/build.ninja
	cmake --build --preset fuzz --parallel $(JOBS)
	fuzz/run.sh smoke $(FUZZ_SMOKE_SECONDS) build/fuzz

# What `make bench` and `make package` build, the zip, and every benchmark once, briefly: a run
# that proves the suite works, not a measurement (its report: build/release/bench-brief.txt).
test-release: build/release/build.ninja
	cmake --build --preset release --parallel $(JOBS)
	cmake --build --preset release --target tallyglass_package
	./build/release/bench/tallyglass-bench --benchmark_min_time=0.001 --benchmark_repetitions=1 \
	  --session-openings=100 >build/release/bench-brief.txt 2>&1 || \
	  { cat build/release/bench-brief.txt; exit 1; }

bench: build/release/build.ninja
	cmake --build --preset release --parallel $(JOBS)
	./build/release/bench/tallyglass-bench

# The zip of the simulated host's build, for trying an install with `tallyglass-sim --mods`
# (docs/simulator.md), in build/release/. The zips for players come from the release workflow.
package: build/release/build.ninja
	cmake --build --preset release --parallel $(JOBS) --target tallyglass_package

format:
	git ls-files '*.cpp' '*.hpp' | xargs clang-format -i

clean:
	rm -rf build
