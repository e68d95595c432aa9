"""The HUD on big screens: drawn at the whole multiple of its size that fits the drawing area's
height 480 times, at the bottom-left corner, whether the screen is 3840x2160 from the start or
the window is made 1920x1080 while the game runs."""

import harness
from harness import check, wait_for
from test_desktops import restart_shows_red_light, start_race


def hud_at_scale(game, window, scale):
    check(window.height // 480 == scale, "the window is %r" % window)
    restart_shows_red_light(game, window)  # where a HUD at this scale lights it
    # Where an unscaled HUD would show its red light, left of a scaled one.
    small = game.xvfb.pixel(window.x + 20, window.y + window.height - 15)
    check(not harness.colour_close(small, (255, 0, 0), 40), "the HUD is drawn at its small size")


def full_screen_3840x2160_draws_the_hud_four_times_larger(game):
    window = start_race(game, "[Game]\nWindowed=0\nUseScreenRes=3\n")
    check((window.width, window.height) == (3840, 2160), "full screen is %r" % window)
    hud_at_scale(game, window, 4)
    game.quit(window)


def window_made_1920x1080_draws_the_hud_twice_as_large(game):
    window = start_race(game, "[Game]\nWindowed=1\nUseScreenRes=3\n")
    game.xdotool("windowsize", window.id, 1920, 1080)
    wait_for(lambda: game.find_windows(cls="OpenGLWin", width=1920, height=1080), 20,
             "the window at 1920x1080")
    hud_at_scale(game, game.find_windows(cls="OpenGLWin")[0], 2)
    game.quit(window)


if __name__ == "__main__":
    harness.run([
        full_screen_3840x2160_draws_the_hud_four_times_larger,
        window_made_1920x1080_draws_the_hud_twice_as_large,
    ], screen="3840x2160x24", timeout=180)
