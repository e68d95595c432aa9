"""Alt+Enter and F11 switch between the window and full screen at the desktop's size while
playing, the picture filling the screen, and the next start keeps the choice. Under a window
manager, as on every desktop: it is the window manager that gives a window the whole screen."""

import harness
import race_screen as rs
from harness import check, wait_for


def filled_at(game, width, height, name):
    """The game window at that size once sky runs across its top and the scene, not the clear
    colour, reaches its bottom corners."""
    window = game.wait_window(cls="OpenGLWin", width=width, height=height, timeout=20)

    def fills():
        shot = game.screenshot(window, name)
        sky = [shot.pixel(x, 2) for x in (2, width // 2, width - 3)]
        corners = [shot.region_mean(x, height - 12, x + 10, height - 2) for x in (2, width - 12)]
        return (all(p[2] > 150 and p[2] >= p[0] + 20 for p in sky) and
                not any(harness.colour_close(c, harness.CLEAR_COLOUR) for c in corners))

    wait_for(fills, 20, "the picture filling the %dx%d window" % (width, height))
    return window


def alt_enter_and_f11_switch_to_full_screen_and_back(game):
    window = rs.start_race(game)
    screen = (game.xvfb.width, game.xvfb.height)
    game.key("alt+Return", window)
    full = filled_at(game, *screen, "full.png")
    game.key("alt+Return", full)
    windowed = filled_at(game, 640, 480, "windowed.png")
    game.key("F11", windowed)
    game.quit(game.wait_window(cls="OpenGLWin", width=screen[0], height=screen[1]))
    check("Windowed=0" in game.read_ini(), "full screen was not kept:\n" + game.read_ini())

    game.launch()
    game.start_from_launcher()
    game.quit(game.wait_window(cls="OpenGLWin", width=screen[0], height=screen[1]))


if __name__ == "__main__":
    harness.run([alt_enter_and_f11_switch_to_full_screen_and_back], timeout=150,
                window_manager="openbox")
