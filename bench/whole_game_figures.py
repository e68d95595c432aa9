"""Whole-game speed figures of the built game under Xvfb, for docs/performance.md.

    python3 bench/whole_game_figures.py --build <build dir> [--keep]

For each of RUNS fresh starts (default 3) at 640 x 480 in a window:
  - load: seconds from the click on Start to the first frame of the scene in the game window
    (the window is read straight from the X server every 5 ms, so the figure is good to
    about 10 ms; it holds the window and context set-up, loadLevel and the first frame);
  - cpu: the game process's CPU time (all threads, llvmpipe's included) over RACE_SECONDS
    (default 20) of wall time while racing, the mouse holding the throttle half open, as a
    share of one core.
Prints one line per run and the medians.
"""

import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402
import race_screen  # noqa: E402
from harness import check  # noqa: E402

try:
    from Xlib import X
except ImportError:
    sys.path.append("/usr/lib/python3/dist-packages")
    from Xlib import X

RUNS = int(os.environ.get("RUNS", "3"))
RACE_SECONDS = float(os.environ.get("RACE_SECONDS", "20"))
COUNTDOWN_SECONDS = 5.0
STRIP_HEIGHT = 20
results = []


def strip_mean(game, window):
    """The mean colour of the top strip of the window, as the X server holds it now."""
    drawable = game.xvfb.connection.create_resource_object("window", window.id)
    try:
        image = drawable.get_image(0, 0, window.width, STRIP_HEIGHT, X.ZPixmap, 0xFFFFFFFF)
    except Exception:  # the window is not mapped yet
        return None
    data = image.data
    pixels = len(data) // 4
    blue = sum(data[0::4]) / pixels
    green = sum(data[1::4]) / pixels
    red = sum(data[2::4]) / pixels
    return (red, green, blue)


def shows_scene(colour):
    if colour is None:
        return False
    clear = harness.CLEAR_COLOUR
    away_from_clear = sum(abs(a - b) for a, b in zip(colour, clear)) > 30
    return away_from_clear and sum(colour) > 60


def load_and_race(game):
    game.launch()
    launcher = game.wait_window(name="Trundlebay", cls="Options")
    game.click(launcher, *harness.START_BUTTON)
    started = time.monotonic()
    window = None
    while time.monotonic() - started < 60:
        found = game.find_windows(cls="OpenGLWin")
        if found:
            window = found[0]
            if shows_scene(strip_mean(game, window)):
                break
        time.sleep(0.005)
    else:
        check(False, "no scene in the game window within 60 s")
    load = time.monotonic() - started
    check((window.width, window.height) == (640, 480), "game window is %r" % window)

    game.move_mouse(window, window.width // 2, window.height // 4)
    seen = race_screen.watch_lights(game, window, seconds=COUNTDOWN_SECONDS + 60)
    check(seen and seen[-1] == "green", "the race did not start: %r" % (seen,))
    cpu_before, wall_before = game.cpu_seconds(), time.monotonic()
    time.sleep(RACE_SECONDS)
    cpu_after, wall_after = game.cpu_seconds(), time.monotonic()
    share = (cpu_after - cpu_before) / (wall_after - wall_before)
    game.key("q", window)
    check(game.wait_exit() == 0, "the game did not quit cleanly")
    results.append((load, share))
    print("run %d: start to first frame %.3f s, CPU while racing %.1f%% of one core "
          "(%.2f s in %.1f s)" % (len(results), load, 100 * share, cpu_after - cpu_before,
                                 wall_after - wall_before))


def report():
    if results:
        print("median of %d runs: start to first frame %.3f s, CPU while racing %.1f%%" % (
            len(results), statistics.median(r[0] for r in results),
            100 * statistics.median(r[1] for r in results)))
    sys.stdout.flush()


if __name__ == "__main__":
    import atexit
    atexit.register(report)
    cases = []
    for i in range(RUNS):
        def run(game):
            load_and_race(game)
        run.__name__ = "load_and_race_%d" % (i + 1)
        cases.append(run)
    harness.run(cases, timeout=int(RACE_SECONDS) + 120)
