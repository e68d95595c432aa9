"""A long stall mid-race, as when the machine is suspended or a debugger holds the game: the
race goes on from where it was, with the road under the jeepneys and the player's jeepney in
front of the camera, instead of one frame as long as the stall throwing everyone off the world."""

import os
import signal
import time

import harness
import race_screen as rs

from test_race_view import is_blue_paint, is_road

STALL_SECONDS = 20


def road_and_jeepney(shot, window):
    """Pixels of road ahead of the camera and of the player's blue paint in front of it."""
    w, h = window.width, window.height
    road = rs.count_pixels(shot, w // 6, h // 2, w * 5 // 6, h - 40, is_road, 4)
    blue = rs.count_pixels(shot, w // 4, h // 4, w * 3 // 4, h * 3 // 4, is_blue_paint, 2)
    return road, blue


def wait_for_race_view(game, window, name, unlike=None, seconds=30):
    """The first view with road ahead and the jeepney in front (and, when given, changed from
    `unlike`), or raises with what the last view showed."""
    deadline = time.monotonic() + seconds
    while True:
        shot = game.screenshot(window, name)
        road, blue = road_and_jeepney(shot, window)
        moved = unlike is None or rs.mean_difference(unlike, shot) > 3
        if road > 400 and blue > 300 and moved:
            return shot
        if time.monotonic() > deadline:
            raise harness.TestFailure("no race view: road %d, blue %d, moved %s"
                                      % (road, blue, moved))
        time.sleep(0.2)


def race_goes_on_after_a_stall(game):
    window = rs.start_race(game)
    rs.race_started(game, window)
    rs.drive_forward(game, window)
    before = wait_for_race_view(game, window, "before.png")

    os.kill(game.process.pid, signal.SIGSTOP)
    try:
        time.sleep(STALL_SECONDS)  # the stall itself is what is tested
    finally:
        os.kill(game.process.pid, signal.SIGCONT)
    wait_for_race_view(game, window, "after.png", unlike=before)

    game.quit(window)


if __name__ == "__main__":
    harness.run([race_goes_on_after_a_stall], timeout=200)
