"""Smooth frames in the built game under Xvfb, for docs/performance.md.

    python3 bench/smooth_frames_figures.py --build <build dir> [--keep]

For each of RUNS fresh starts (default 3) at 640 x 480 in a window, with smooth frames on (the
default) and off (SmoothFrames=0): after the green light, with the mouse holding the throttle
open for RACE_SECONDS (default 20) of wall time, the pictures drawn a second (counted by the
game probe of the whole-game tests) and the game process's CPU time (all threads, llvmpipe's
included) as a share of one core. Prints one line per run and the medians.
"""

import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402
import race_screen as rs  # noqa: E402
from game_probe import PictureCount  # noqa: E402
from harness import check  # noqa: E402

RUNS = int(os.environ.get("RUNS", "3"))
RACE_SECONDS = float(os.environ.get("RACE_SECONDS", "20"))
results = {"on": [], "off": []}


def measure(game, setting, ini):
    count = PictureCount(game)
    window = rs.start_race(game, ini=ini, env=count.env())
    seen = rs.watch_lights(game, window)
    check(seen and seen[-1] == "green", "the race did not start: %r" % (seen,))
    rs.drive_forward(game, window)
    pictures, cpu, start = count.read(), game.cpu_seconds(), time.monotonic()
    time.sleep(RACE_SECONDS)
    wall = time.monotonic() - start
    rate = (count.read() - pictures) / wall
    share = (game.cpu_seconds() - cpu) / wall
    results[setting].append((rate, share))
    print("   smooth frames %s: %.1f pictures a second, %.1f%% of a core"
          % (setting, rate, 100 * share))
    game.key("q", window)
    check(game.wait_exit() == 0, "Q should end the game with exit code 0")


def smooth_on(game):
    measure(game, "on", None)


def smooth_off(game):
    measure(game, "off", "[Game]\nSmoothFrames=0\n")


def summary():
    for setting, runs in results.items():
        if runs:
            print("median, smooth frames %s: %.1f pictures a second, %.1f%% of a core"
                  % (setting, statistics.median(r[0] for r in runs),
                     100 * statistics.median(r[1] for r in runs)))


if __name__ == "__main__":
    import atexit
    atexit.register(summary)
    harness.run([smooth_on, smooth_off] * RUNS, timeout=120)
