"""Alt+Enter and F11 switch between the window and full screen at the desktop's size while
playing, the picture filling the screen, and the next start keeps the choice. Under a window
manager, as on every desktop: it is the window manager that gives a window the whole screen."""

import time

import harness
import race_screen as rs
from harness import check


def wait_size(game, width, height, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = game.find_windows(cls="OpenGLWin", width=width, height=height)
        if found:
            time.sleep(0.5)  # a picture or two at the new size
            return found[0]
        time.sleep(0.1)
    raise harness.TestFailure("no %dx%d game window; windows: %r" % (width, height, game.windows()))


def picture_fills(game, window, name):
    """Sky across the top and the scene, not the clear colour, in the bottom corners."""
    shot = game.screenshot(window, name)
    w, h = window.width, window.height
    sky = [shot.pixel(x, 2) for x in (2, w // 2, w - 3)]
    check(all(p[2] > 150 and p[2] >= p[0] + 20 for p in sky), "no sky across the top: %r" % sky)
    corners = [shot.region_mean(x, h - 12, x + 10, h - 2) for x in (2, w - 12)]
    check(not any(harness.colour_close(c, harness.CLEAR_COLOUR) for c in corners),
          "the picture does not reach the bottom corners: %r" % corners)


def alt_enter_and_f11_switch_to_full_screen_and_back(game):
    window = rs.start_race(game)
    screen = (game.xvfb.width, game.xvfb.height)
    game.key("alt+Return", window)
    full = wait_size(game, *screen)
    picture_fills(game, full, "full.png")
    game.key("alt+Return", full)
    windowed = wait_size(game, 640, 480)
    picture_fills(game, windowed, "windowed.png")
    game.key("F11", windowed)
    full = wait_size(game, *screen)
    game.key("q", full)
    check(game.wait_exit() == 0, "Q should end the game with exit code 0")
    check("Windowed=0" in game.read_ini(), "full screen was not kept:\n" + game.read_ini())

    game.launch()
    launcher = game.wait_window(name="Trundlebay", cls="Options")
    game.click(launcher, *harness.START_BUTTON)
    window = wait_size(game, *screen)
    game.key("q", window)
    check(game.wait_exit() == 0, "Q should end the game with exit code 0")


if __name__ == "__main__":
    harness.run([alt_enter_and_f11_switch_to_full_screen_and_back], timeout=150,
                window_manager="openbox")
