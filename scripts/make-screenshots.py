#!/usr/bin/env python3
"""Takes the README's screenshots from the built game under a virtual X server:

    python3 scripts/make-screenshots.py [--build build] [--out docs/screenshots]

writes launcher.png (the launcher window), countdown.png (the start lights) and racing.png
(driving with the head-up display) at 800 x 600 on the Plaza map."""
import argparse
import os
import shutil
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

import harness  # noqa: E402
import race_screen  # noqa: E402

SETTINGS = "[Game]\nWindowed=1\nLights=0\nWidth=800\nHeight=600\nUseScreenRes=1\n"


def wait_for_light(game, window, wanted, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        shot = game.screenshot(window)
        if race_screen.light_state(shot, window) == wanted:
            return shot
    raise harness.TestFailure("the %s start light never came on" % wanted)


def take(game, out):
    race_screen.keep_one_map(game)
    game.write_ini(SETTINGS)
    game.launch()
    launcher = game.wait_window(name="Trundlebay", cls="Options")
    game.move_mouse(launcher, 700, 560)  # keep the pointer off the picture
    shutil.copyfile(game.settled_screenshot(launcher).path, os.path.join(out, "launcher.png"))

    game.click(launcher, *harness.START_BUTTON)
    window = game.wait_window(cls="OpenGLWin")
    game.move_mouse(window, window.width // 2, window.height // 2)
    shutil.copyfile(wait_for_light(game, window, "yellow").path,
                    os.path.join(out, "countdown.png"))

    wait_for_light(game, window, None)
    # How long to hold each control is the picture's composition, not a wait for the game.
    race_screen.drive_forward(game, window)
    time.sleep(1.6)
    game.move_mouse(window, window.width // 2 - 60, window.height // 4)  # into the first bend
    time.sleep(0.8)
    shutil.copyfile(game.screenshot(window).path, os.path.join(out, "racing.png"))

    game.key("q", window)
    if game.wait_exit() != 0:
        raise harness.TestFailure("the game did not end cleanly")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--out", default=os.path.join(ROOT, "docs", "screenshots"))
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    xvfb = harness.Xvfb("1024x768x24")
    folder = tempfile.mkdtemp(prefix="tb-screenshots-")
    game = None
    try:
        game = harness.Game(args.build, xvfb, folder)
        take(game, args.out)
    except harness.TestFailure as failure:
        print("make-screenshots: %s; log in %s" % (failure, folder))
        return 1
    finally:
        if game:
            game.kill()
        xvfb.stop()
    shutil.rmtree(folder, ignore_errors=True)
    for name in ("launcher.png", "countdown.png", "racing.png"):
        print(os.path.join(args.out, name))
    return 0


if __name__ == "__main__":
    sys.exit(main())
