# The two commands of the README, and the wrappers around the CMake presets.
#   make play    install what is missing, build a release build, start the game
#   make test    install what is missing, build, run every test (dev, asan, tsan, browser)
SHELL := /bin/bash
JOBS ?= $(shell nproc)

.PHONY: play test test-dev test-asan test-tsan test-web web serve build bench fuzz format clean \
        screenshot install idle-cpu

play:
	scripts/install-deps play
	cmake --preset release
	cmake --build --preset release --target carblast
	./build/release/carblast

test: test-dev test-asan test-tsan test-web

test-dev:
	scripts/install-deps test
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev -j $(JOBS)

test-asan:
	scripts/install-deps test
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan -j $(JOBS)

test-tsan:
	scripts/install-deps test
	cmake --preset tsan
	cmake --build --preset tsan
	ctest --preset tsan -j $(JOBS)

# The browser build (build/web/carblast.html), its server and its test in
# Debian's chromium. The test's npm packages go to web/node_modules.
web:
	scripts/install-deps web
	cmake --preset web
	cmake --build --preset web

# Any free port unless PORT is given (make serve PORT=8000).
serve: web
	node web/serve.mjs build/web $(PORT)

test-web: web
	cd web && if [ ! -f node_modules/.package-lock.json ] || \
	    [ package-lock.json -nt node_modules/.package-lock.json ]; then \
	  PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund; fi
	cd web && node --test test/browser.test.mjs

# docs/screenshot.png: the shipped level after a scripted drive with a few
# shots, as the game drew it.
screenshot:
	scripts/install-deps test
	cmake --preset dev
	cmake --build --preset dev --target carblast-replay
	./build/dev/tools/replay/carblast-replay --data . --script tools/screenshot.script \
	    --png docs/screenshot.png

# The game, its tools, its data, a launcher, a desktop entry and icons below
# PREFIX (make install PREFIX=$$HOME/.local). cpack in build/release makes
# the Debian package.
PREFIX ?= /usr/local
install:
	scripts/install-deps play
	cmake --preset release
	cmake --build --preset release --target carblast carblast-check carblast-replay carblast_icons
	cmake --install build/release --prefix "$(PREFIX)"

# The game's CPU use while nobody plays, beside a baseline (docs/performance.md).
idle-cpu:
	scripts/install-deps test
	scripts/idle-cpu

build:
	cmake --preset dev
	cmake --build --preset dev

bench:
	scripts/install-deps test
	cmake --preset bench
	cmake --build --preset bench --target carblast-bench
	./build/bench/bench/carblast-bench

# Each fuzz target for FUZZ_SECONDS, one after the other (clang, libFuzzer).
FUZZ_SECONDS ?= 60
fuzz:
	scripts/install-deps test
	cmake --preset fuzz
	cmake --build --preset fuzz
	fuzz/run $(FUZZ_SECONDS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
