#!/usr/bin/env bash
# Configures and builds the game, its tools, its media and its tests into build/, with every
# warning in our own code an error.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTB_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
