"""The game window: full screen, close requests, termination, and a main loop that sleeps."""

import os
import signal
import time

import harness
import race_screen as rs
from harness import check


def full_screen_fills_the_screen_and_keeps_the_choice(game):
    """640x480, a mode the screen lacks, gives the nearest it has; the desktop size ends on a
    close request like Q."""
    screen = (0, 0, game.xvfb.width, game.xvfb.height)
    for choice, width in ((0, 640), (3, game.xvfb.width)):
        game.write_ini("[Game]\nWindowed=0\nUseScreenRes=%d\n" % choice)
        game.launch()
        window = game.start_from_launcher()
        check((window.x, window.y, window.width, window.height) == screen,
              "full screen %d is %r" % (choice, window))
        if choice:
            game.close(window)
            check(game.wait_exit() == 0, "a close request should end the game like Q")
        else:
            game.quit(window)
        values = game.ini_values()
        check(values["Windowed"] == "0" and int(values["Width"]) == width,
              "the player's choice was not kept:\n" + game.read_ini())


def termination_saves_the_settings(game):
    game.remove_ini()
    game.launch()
    game.start_from_launcher()
    os.kill(game.process.pid, signal.SIGTERM)
    check(game.wait_exit() == 0, "SIGTERM should end the game like Q")
    check("UseScreenRes=0" in game.read_ini(), "settings not saved on termination")


def main_loop_sleeps_between_frames(game):
    # One picture a frame, as the loop was first built: smooth frames add pictures between
    # frames, each drawn in software here, and are measured on their own.
    game.write_ini("[Game]\nSmoothFrames=0\n")
    game.launch()
    window = game.start_from_launcher()
    rs.wait_for_countdown(game, window)  # the level is loaded
    before, started = game.cpu_seconds(), time.monotonic()
    for i in range(40):  # events keep arriving as they would while a player steers
        game.move_mouse(window, 100 + i * 10, 200)
        time.sleep(0.1)
    share = (game.cpu_seconds() - before) / (time.monotonic() - started)
    check(share < 0.5, "the game used %.0f%% of a core while idle" % (share * 100))
    game.quit(window)


if __name__ == "__main__":
    harness.run([
        full_screen_fills_the_screen_and_keeps_the_choice,
        termination_saves_the_settings,
        main_loop_sleeps_between_frames,
    ])
