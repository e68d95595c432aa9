#!/usr/bin/env bash
# ThreadSanitizer over the sound: the game thread and the audio thread share the channel table
# without a lock, and this is what shows they do it safely. First the sound tests, then a short
# whole-game race under Xvfb with SDL's disk audio driver, so the real audio thread mixes
# moving jeepneys while the game thread drives them. Fails on any report, except what the
# system libraries report among their own threads (tests/tsan.supp). About 30 s once built.
#   scripts/run-tsan-audio.sh [--keep: keep the game folder]
# RACE_SECONDS (default 10) is how long the game runs after Start: the countdown, then the race.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-tsan}
export CC=${CC:-clang} CXX=${CXX:-clang++}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTB_SANITIZE=thread \
    -DTB_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j2 --target tb_audio_tests trundlebay media
# ThreadSanitizer needs the address-space layout it was built for; newer kernels randomise
# more of it, which setarch turns off for these runs (the game inherits it from the harness).
no_aslr() { setarch "$(uname -m)" -R "$@"; }
TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}" no_aslr "$build/tb_audio_tests"

RACE_SECONDS=${RACE_SECONDS:-10} PYTHONPATH=tests/e2e \
    no_aslr python3 - --build "$build" "$@" <<'PY'
import os
import time

import harness
import race_screen as rs
from harness import check

REPORT_MARK = "WARNING: ThreadSanitizer"
SUPPRESSIONS = os.path.abspath("tests/tsan.supp")


def race_under_thread_sanitizer(game):
    raw = os.path.join(game.folder, "sound.raw")
    rs.keep_one_map(game)
    game.remove_ini()
    game.launch(env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": raw,
                     # Mesa's own threads are not instrumented; one thread keeps them out.
                     "LP_NUM_THREADS": "0",
                     "TSAN_OPTIONS": "exitcode=66 suppressions=%s %s"
                                     % (SUPPRESSIONS, os.environ.get("TSAN_OPTIONS", ""))})
    launcher = game.wait_window(timeout=120, name="Trundlebay", cls="Options")
    game.click(launcher, *harness.START_BUTTON)
    window = game.wait_window(timeout=120, cls="OpenGLWin")
    rs.drive_forward(game, window)
    deadline = time.monotonic() + float(os.environ["RACE_SECONDS"])
    while time.monotonic() < deadline and REPORT_MARK not in game.log():
        time.sleep(0.5)
    game.key("q", window)
    status = game.wait_exit(120)
    check(REPORT_MARK not in game.log() and status == 0,
          "ThreadSanitizer reported (exit %d); see game.log in the kept folder" % status)
    check(os.path.exists(raw) and os.path.getsize(raw) > 0, "the audio thread mixed nothing")


harness.run([race_under_thread_sanitizer], timeout=600)
PY
