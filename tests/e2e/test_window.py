"""The game window: full screen, close requests, termination, and a main loop that sleeps."""

import os
import signal
import time

import harness
import race_screen as rs
from harness import check

from test_launcher import ini_values, start_from_launcher


def full_screen_without_that_mode_fills_the_screen_and_keeps_the_choice(game):
    game.write_ini("[Game]\nWindowed=0\nUseScreenRes=0\n")
    game.launch()
    window = start_from_launcher(game)
    check((window.x, window.y, window.width, window.height) ==
          (0, 0, game.xvfb.width, game.xvfb.height),
          "a display mode the screen lacks should give the nearest it has: %r" % window)
    game.key("q", window)
    check(game.wait_exit() == 0, "Q should end the game with exit code 0")
    values = ini_values(game.read_ini())
    check(values.get("Windowed") == "0" and values.get("Width") == "640",
          "the player's choice was not kept:\n" + game.read_ini())


def full_screen_at_the_desktop_size_closes_like_quit(game):
    game.write_ini("[Game]\nWindowed=0\nUseScreenRes=3\n")
    game.launch()
    window = start_from_launcher(game)
    check((window.x, window.y, window.width, window.height) ==
          (0, 0, game.xvfb.width, game.xvfb.height), "full-screen window is %r" % window)
    game.close(window)
    check(game.wait_exit() == 0, "a close request should end the game like Q")
    values = ini_values(game.read_ini())
    check(int(values["Width"]) == game.xvfb.width and values["Windowed"] == "0",
          "game.ini holds:\n" + game.read_ini())


def termination_saves_the_settings(game):
    game.remove_ini()
    game.launch()
    start_from_launcher(game)
    os.kill(game.process.pid, signal.SIGTERM)
    check(game.wait_exit() == 0, "SIGTERM should end the game like Q")
    check("UseScreenRes=0" in game.read_ini(), "settings not saved on termination")


def main_loop_sleeps_between_frames(game):
    # One picture a frame, as the loop was first built: smooth frames add pictures between
    # frames, each drawn in software here, and are measured on their own.
    game.write_ini("[Game]\nSmoothFrames=0\n")
    game.launch()
    window = start_from_launcher(game)
    rs.wait_for_countdown(game, window)  # the level is loaded
    before, started = game.cpu_seconds(), time.monotonic()
    for i in range(40):  # events keep arriving as they would while a player steers
        game.move_mouse(window, 100 + i * 10, 200)
        time.sleep(0.1)
    share = (game.cpu_seconds() - before) / (time.monotonic() - started)
    check(share < 0.5, "the game used %.0f%% of a core while idle" % (share * 100))
    game.key("q", window)
    check(game.wait_exit() == 0, "Q should end the game with exit code 0")


if __name__ == "__main__":
    harness.run([
        full_screen_without_that_mode_fills_the_screen_and_keeps_the_choice,
        full_screen_at_the_desktop_size_closes_like_quit,
        termination_saves_the_settings,
        main_loop_sleeps_between_frames,
    ])
