# The two commands of the README, and the wrappers around the CMake presets.
#   make play    install what is missing, build a release build, start the game
#   make test    install what is missing, build, run every test (dev, asan)
SHELL := /bin/bash
JOBS ?= $(shell nproc)

.PHONY: play test test-dev test-asan test-tsan build bench fuzz format clean

play:
	scripts/install-deps play
	cmake --preset release
	cmake --build --preset release --target carblast
	./build/release/carblast

test: test-dev test-asan

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

build:
	cmake --preset dev
	cmake --build --preset dev

bench:
	scripts/install-deps test
	cmake --preset release
	cmake --build --preset release
	./build/release/bench/carblast-bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
