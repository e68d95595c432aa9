"""Controls beyond the mouse: the arrow keys, and a virtual gamepad plugged in while racing.
Whether the player's jeepney moved is read off the overview (Page Up held): its eye is fixed on
the player, so the picture turns when the jeepney moves, while the rivals are small there."""

import time

import harness
import race_screen as rs
from game_probe import VirtualPad
from harness import check, wait_for

TRIGGER_RIGHT, BUTTON_Y = 5, 3


def overview(game, window, name):
    with game.holding("Prior", window):
        time.sleep(0.5)
        shot = game.screenshot(window, name)
    time.sleep(0.5)  # the chase view back before anything else is looked at
    return shot


def restart(game, window):
    game.key("r", window, hold=0.3)
    rs.wait_for_countdown(game, window)
    rs.race_started(game, window)


def arrow_keys_drive_and_steer(game):
    window = rs.start_race(game)
    rs.race_started(game, window)
    standing = overview(game, window, "standing.png")
    game.key("Up", hold=2.0)
    ahead = overview(game, window, "ahead.png")
    check(rs.mean_difference(standing, ahead) > 20, "Up held did not drive")

    views = {}
    for name in ("Left", "Right"):
        restart(game, window)
        game.key("Up+" + name, window, hold=2.0)
        views[name] = overview(game, window, name + ".png")
    difference = rs.mean_difference(views["Left"], views["Right"])
    check(difference > 15, "Left and Right held led to the same place (%.1f)" % difference)
    game.quit(window)


def a_pad_plugged_in_while_racing_drives(game):
    pad = VirtualPad(game)
    window = rs.start_race(game, ini="[Game]\nJoystick=1\n", env=pad.env())
    rs.race_started(game, window)
    standing = overview(game, window, "standing.png")
    pad.send("plug")
    pad.axis(TRIGGER_RIGHT, 32767)
    time.sleep(2.0)
    pad.axis(TRIGGER_RIGHT, -32768)
    driven = overview(game, window, "driven.png")
    check(rs.mean_difference(standing, driven) > 20, "the right trigger did not drive")

    chase = game.screenshot(window, "chase.png")
    pad.button(BUTTON_Y, True)
    try:
        wait_for(lambda: rs.mean_difference(
            game.screenshot(window, "overview_by_pad.png"), chase) > 25, 30,
            "the overview while Y is held")
    finally:
        pad.button(BUTTON_Y, False)

    pad.send("unplug")
    time.sleep(0.5)
    check(game.running(), "the game ended when the pad was pulled out")
    game.quit(window)


if __name__ == "__main__":
    harness.run([arrow_keys_drive_and_steer, a_pad_plugged_in_while_racing_drives], timeout=150)
