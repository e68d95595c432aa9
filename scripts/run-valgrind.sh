#!/usr/bin/env bash
# valgrind's memcheck over a short whole-game run under Xvfb: the launcher, Start, the level
# drawn, the countdown, a stretch of driving, then Q. Fails on any invalid read or write, any use
# of uninitialised memory and any definitely lost block that tests/valgrind.supp does not name
# as a system library's own. Takes a few minutes on two cores; the last step of
# scripts/run-tests.sh. Every step waits for what it needs, with a deadline of minutes: under
# memcheck a busy machine loads the level slowly.
#   scripts/run-valgrind.sh [build dir, default build] [--keep: keep the game folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-${BUILD_DIR:-build}}
if [ ! -x "$build/trundlebay" ]; then
    BUILD_DIR=$build scripts/build.sh
fi
report=$(mktemp -t tb-valgrind-XXXXXX.log)

status=0
VALGRIND_REPORT=$report PYTHONPATH=tests/e2e \
    python3 - --build "$build" "${@:2}" <<'PY' || status=$?
import os
import subprocess

import harness
import race_screen as rs
from harness import check, wait_for

REPORT = os.environ["VALGRIND_REPORT"]
SUPPRESSIONS = os.path.abspath("tests/valgrind.supp")


def launch_under_memcheck(game):
    environment = dict(os.environ)
    environment.update({"DISPLAY": game.xvfb.name, "SDL_AUDIODRIVER": "dummy",
                        "NO_AT_BRIDGE": "1", "GDK_BACKEND": "x11"})
    environment.pop("WAYLAND_DISPLAY", None)
    command = ["valgrind", "--tool=memcheck", "--error-exitcode=3", "--track-origins=yes",
               "--leak-check=full", "--show-leak-kinds=definite",
               "--errors-for-leak-kinds=definite", "--num-callers=30",
               # helpers that libraries fork before they run another program
               "--child-silent-after-fork=yes",
               "--suppressions=" + SUPPRESSIONS, "--gen-suppressions=all",
               "--log-file=" + REPORT, game.binary]
    game._log = open(game.log_path, "wb")
    game.process = subprocess.Popen(command, cwd=game.folder, env=environment,
                                    stdout=game._log, stderr=subprocess.STDOUT,
                                    start_new_session=True)


def race_under_memcheck(game):
    launch_under_memcheck(game)
    launcher = game.wait_window(timeout=240, name="Trundlebay", cls="Options")
    game.settled_screenshot(launcher, timeout=240)  # the launcher is drawn and takes clicks
    game.click(launcher, *harness.START_BUTTON)
    window = game.wait_window(timeout=240, cls="OpenGLWin")
    game.move_mouse(window, window.width // 2, window.height // 2)
    rs.wait_for_countdown(game, window, seconds=600)
    # Frames come seconds apart under memcheck: a light may pass between two of them.
    wait_for(lambda: rs.light_state(game, window) is None, 300, "the start lights did not go out")
    racing = game.screenshot(window, name="racing.png")
    rs.drive_forward(game, window)
    wait_for(lambda: rs.mean_difference(racing, game.screenshot(window, name="driven.png")) > 10,
             300, "the view did not change while driving")
    game.key("q", window)
    status = game.wait_exit(600)
    check(status == 0, "memcheck found errors (exit %d); see %s" % (status, REPORT))


harness.run([race_under_memcheck], timeout=1200)
PY
grep -E "ERROR SUMMARY|definitely lost" "$report" || true
echo "memcheck report: $report"
exit $status
