#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit and whole-game
# tests, then a short run of every fuzz target in a clang build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

# Tests that draw with OpenGL share one virtual X server; whole-game tests start their own.
xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir build --output-on-failure --timeout 600 -j2

BUILD_DIR=build-fuzz CC=clang CXX=clang++ scripts/build.sh -DTB_FUZZ=ON -DTB_BUILD_TESTS=OFF
ctest --test-dir build-fuzz/tests/fuzz --output-on-failure
