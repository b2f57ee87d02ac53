# The two commands of the README, plus the steps they are made of.
JOBS ?= $(shell nproc)
.PHONY: deps build test test-release test-asan demo bench clean

deps:
	@scripts/install-deps

# moc of CMake 3.25 can miss a Q_OBJECT header added to a globbed library in an existing build
# tree; dropping the autogen stamps makes it look again (cheap when nothing changed).
build: deps
	@cmake --preset release >/dev/null
	@find build/release -path '*_autogen/timestamp' -delete 2>/dev/null || true
	@cmake --build --preset release -j $(JOBS)

# Everything, the long runs (label "long") included; `ctest --preset release` leaves those out.
test-release: build
	@ctest --preset release-all -j $(JOBS)

test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

# The character's threads (engine, director, queue) under ThreadSanitizer; Qt stays out of it,
# its libraries are not instrumented.
.PHONY: test-tsan
test-tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS)
	@ctest --preset tsan -j $(JOBS)

test: test-release test-asan test-tsan

demo: build
	@scripts/demo

bench: build
	@build/release/bench/kestrave_bench

clean:
	rm -rf build
