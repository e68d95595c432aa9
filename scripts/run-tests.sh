#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   1. the unit and whole-game tests of the normal build (build/),
#   2. a short run of every fuzz target in a clang build (build-fuzz/), which also builds the
#      game and its tools, so that a warning from either compiler fails the run,
#   3. the unit tests again with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/),
#   4. the sound tests and a short whole-game race with ThreadSanitizer (build-tsan/),
#   5. a short whole-game run under valgrind's memcheck (build/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# Tests that draw with OpenGL share one virtual X server; whole-game tests start their own.
with_display() { xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }

echo "== build and test"
scripts/build.sh
with_display ctest --test-dir build --output-on-failure --timeout 600 -j2

echo "== fuzz targets"
BUILD_DIR=build-fuzz CC=clang CXX=clang++ scripts/build.sh -DTB_FUZZ=ON -DTB_BUILD_TESTS=OFF
ctest --test-dir build-fuzz/tests/fuzz --output-on-failure -j2

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
BUILD_DIR=build-asan scripts/build.sh -DTB_SANITIZE=address,undefined
# Leaks are left to valgrind: the GL driver is unloaded at exit, so LeakSanitizer cannot tell
# the driver's own blocks from ours.
ASAN_OPTIONS="detect_leaks=0" UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
    with_display ctest --test-dir build-asan --output-on-failure --timeout 600 -j2 -LE e2e

echo "== sound tests and a whole-game race under ThreadSanitizer"
scripts/run-tsan-audio.sh

echo "== whole game under valgrind's memcheck"
scripts/run-valgrind.sh build
