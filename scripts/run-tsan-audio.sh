#!/usr/bin/env bash
# Builds the sound tests with ThreadSanitizer and runs them: the game thread and the audio
# thread share the channel table without a lock, and this is what shows they do it safely.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-tsan}
export CC=${CC:-clang} CXX=${CXX:-clang++}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTB_SANITIZE=thread \
    -DTB_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j2 --target tb_audio_tests
# ThreadSanitizer needs the address-space layout it was built for; newer kernels randomise
# more of it, which setarch turns off for this one run.
TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}" setarch "$(uname -m)" -R "$build/tb_audio_tests"
