# The two commands of the README, plus the steps they are made of.
JOBS ?= $(shell nproc)
# make fuzz: each fuzz target runs this many seconds, this many targets at a time.
FUZZ_SECONDS ?= 60
FUZZ_JOBS ?= 4
# make install: where the program goes (DESTDIR, when set, is put in front for packaging).
PREFIX ?= /usr/local
.PHONY: deps build install test test-release test-order test-asan test-tsan test-fuzz fuzz fuzz-build demo bench clean

deps:
	@scripts/install-deps

# moc of CMake 3.25 can miss a Q_OBJECT header added to a globbed library in an existing build
# tree; dropping the autogen stamps makes it look again (cheap when nothing changed).
build: deps
	@cmake --preset release >/dev/null
	@find build/release -path '*_autogen/timestamp' -delete 2>/dev/null || true
	@cmake --build --preset release -j $(JOBS)

# Installs what `make build` built; it builds nothing itself, so that `sudo make install` leaves no
# files of root's in the build tree. Installed straight into a live prefix, the desktop's MIME and
# application caches are brought up to date so that the new file kinds and the menu entry show.
install:
	@test -x build/release/kestrave || { echo "install: run make build first" >&2; exit 1; }
	@DESTDIR="$(DESTDIR)" cmake --install build/release --prefix "$(PREFIX)"
	@if [ -z "$(DESTDIR)" ]; then \
	  if command -v update-mime-database >/dev/null; then update-mime-database "$(PREFIX)/share/mime"; fi; \
	  if command -v update-desktop-database >/dev/null; then \
	    update-desktop-database -q "$(PREFIX)/share/applications"; fi; \
	fi

# Everything, the long runs (label "long") included; `ctest --preset release` leaves those out.
test-release: build
	@ctest --preset release-all -j $(JOBS)

# Every test program run whole and shuffled (a few fixed seeds): no test may lean on what another
# left behind. ctest runs each test alone and cannot see that.
test-order: build
	@JOBS=$(JOBS) scripts/check-test-order build/release

# The core tests under AddressSanitizer and UndefinedBehaviorSanitizer, with assertions on.
test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

# The character's threads (engine, director, queue) and the core's (parallel loops, frames read
# ahead, alignment, optimizer, stacking, the pipeline's passes) under ThreadSanitizer, at several
# threads; Qt stays out of it, its libraries are not instrumented.
test-tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS)
	@ctest --preset tsan -j $(JOBS)

# The file readers under libFuzzer (clang, core only): the test run replays the seeds and the
# inputs of every fault found once; make fuzz searches for new ones.
fuzz-build: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS) --target kestrave_fuzzers kestrave_fuzz_seeds

test-fuzz: fuzz-build
	@fuzz/run check

# The coverage build measures how much of each reader a campaign reached.
fuzz: fuzz-build
	@cmake --preset fuzz-coverage >/dev/null
	@cmake --build --preset fuzz-coverage -j $(JOBS) --target kestrave_fuzzers
	@FUZZ_JOBS=$(FUZZ_JOBS) fuzz/run campaign $(FUZZ_SECONDS)

# The test programs give themselves temporary settings folders; the whole run is checked to have
# left the user's own settings folder as it found it.
test:
	@scripts/check-settings-untouched $(MAKE) --no-print-directory test-release test-order test-asan test-tsan \
	  test-fuzz

demo: build
	@scripts/demo

bench: build
	@scripts/with-temp-home build/release/bench/kestrave_bench

clean:
	rm -rf build
