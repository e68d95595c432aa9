#!/usr/bin/env bash
# valgrind's memcheck over a short whole-game run under Xvfb: the launcher, Start, a few
# seconds of the race, then Q. Fails on any invalid read or write, any use of uninitialised
# memory and any definitely lost block that tests/valgrind.supp does not name as a system
# library's own. Takes about 40 s on two cores; the last step of scripts/run-tests.sh.
#   scripts/run-valgrind.sh [build dir, default build] [--keep: keep the game folder]
# RACE_SECONDS (default 12) is how long the game runs after Start: the 5 s countdown, then the
# race.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-${BUILD_DIR:-build}}
if [ ! -x "$build/trundlebay" ]; then
    BUILD_DIR=$build scripts/build.sh
fi
report=$(mktemp -t tb-valgrind-XXXXXX.log)

status=0
VALGRIND_REPORT=$report RACE_SECONDS=${RACE_SECONDS:-12} PYTHONPATH=tests/e2e \
    python3 - --build "$build" "${@:2}" <<'PY' || status=$?
import os
import subprocess
import time

import harness
from harness import check

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
    time.sleep(2)
    game.click(launcher, *harness.START_BUTTON)
    window = game.wait_window(timeout=240, cls="OpenGLWin")
    game.move_mouse(window, window.width // 2, window.height // 4)
    time.sleep(float(os.environ["RACE_SECONDS"]))
    shot = game.screenshot(window, name="racing.png")
    check(shot.region_mean(0, 0, window.width, window.height // 2) !=
          shot.region_mean(0, window.height // 2, window.width, window.height),
          "the game window shows no scene")
    game.key("q", window)
    status = game.wait_exit(600)
    check(status == 0, "memcheck found errors (exit %d); see %s" % (status, REPORT))


harness.run([race_under_memcheck], timeout=1200)
PY
grep -E "ERROR SUMMARY|definitely lost" "$report" || true
echo "memcheck report: $report"
exit $status
