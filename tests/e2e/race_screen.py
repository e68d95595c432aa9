"""What the race looks like on screen: the start lights and HUD texts in the overlay corner,
and the kinds of colour a village race track shows. Shared by the whole-game race tests."""

import os
import time

import harness
from harness import check

OVERLAY_HEIGHT = 30
# Centres of the three start lights in overlay pixels.
LIGHT_CENTRES = {"red": (30, 15), "yellow": (80, 15), "green": (130, 15)}
LIT = {"red": (255, 0, 0), "yellow": (255, 255, 0), "green": (0, 255, 0)}


def keep_one_map(game, name="mapPlaza.bmp"):
    """Leaves only one track map in the game's media, so the race is the same every run."""
    maps = [m for m in os.listdir(game.media) if m.lower().startswith("map")]
    check(name in maps, "no %s in the media folder: %r" % (name, maps))
    for other in maps:
        if other != name:
            game.remove_media(other)


def overlay_pixel(game, window, point):
    """The screen pixel at an overlay point: the HUD is drawn at the window's bottom-left corner
    at the largest whole multiple of its size that fits the drawing area's height 480 times."""
    scale = max(1, window.height // 480)
    return game.xvfb.pixel(window.x + point[0] * scale + scale // 2,
                           window.y + window.height - (OVERLAY_HEIGHT - point[1]) * scale
                           + scale // 2)


def light_state(game, window):
    """The lit start light ("red", "yellow", "green"), or None when no light is lit."""
    for name, centre in LIGHT_CENTRES.items():
        if harness.colour_close(overlay_pixel(game, window, centre), LIT[name], 40):
            return name
    return None


def racing(game, window):
    """The speed gauge is up: its edge shows the complement of red."""
    return is_gauge_background(overlay_pixel(game, window, (1, 20)))


def count_pixels(shot, x0, y0, x1, y1, test, step=1):
    return sum(1 for y in range(y0, y1, step) for x in range(x0, x1, step)
               if test(shot.pixel(x, y)))


def is_red_text(p):
    return p[0] > 150 and p[1] < 90 and p[2] < 90


def is_gauge_background(p):
    return p[0] < 90 and p[1] > 150 and p[2] > 150  # the complement of red


def watch_lights(game, window, seconds=30):
    """The order in which the lights came on while watching; ends once the race is on."""
    seen = []
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        state = light_state(game, window)
        if state is None and seen:
            break
        seen += [state] if state and state not in seen[-1:] else []
        time.sleep(0.05)
    return seen


def start_race(game, ini=None, map_name="mapPlaza.bmp", env=None, wait_for_lights=True):
    """Launcher, Start, and the game window with the countdown on (or, with
    wait_for_lights=False, as soon as the window is there: error boxes may hold the level)."""
    keep_one_map(game, map_name)
    if ini is None:
        game.remove_ini()
    else:
        game.write_ini(ini)
    game.launch(env=env)
    window = game.start_from_launcher(launcher_gone=wait_for_lights)
    game.move_mouse(window, window.width // 2, window.height // 2)  # throttle 0, no steering
    if wait_for_lights:
        wait_for_countdown(game, window)
    return window


def wait_for_countdown(game, window, seconds=30):
    """Waits until the level is loaded and drawn: the red start light is on."""
    harness.wait_for(lambda: light_state(game, window) == "red", seconds,
                     "the countdown's red light")


def race_started(game, window):
    """Watches the lights until the race is on."""
    seen = watch_lights(game, window)
    check(seen and seen[-1] == "green", "the race did not start: %r" % (seen,))


def drive_forward(game, window):
    """The cursor at the top centre: full throttle, straight ahead."""
    game.move_mouse(window, window.width // 2, 1)


def mean_difference(a, b, step=8):
    total, count = 0, 0
    for y in range(0, min(a.height, b.height), step):
        for x in range(0, min(a.width, b.width), step):
            pa, pb = a.pixel(x, y), b.pixel(x, y)
            total += sum(abs(pa[c] - pb[c]) for c in range(3))
            count += 1
    return total / count
