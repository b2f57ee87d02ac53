# The two commands of the README, plus the steps they are made of.
JOBS ?= $(shell nproc)
.PHONY: deps build test test-release test-asan demo bench clean

deps:
	@scripts/install-deps

build: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)

test-release: build
	@ctest --preset release -j $(JOBS)

test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

test: test-release test-asan

demo: build
	@scripts/demo

bench: build
	@build/release/bench/kestrave_bench

clean:
	rm -rf build
