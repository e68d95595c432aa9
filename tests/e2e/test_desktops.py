"""The game on a desktop with a window manager (openbox): the desktop size in a window, a full
screen the display does not offer, focus and minimising, and keyboard layouts."""

import subprocess
import time

import harness
from harness import Xatom, check, wait_for

RED_LIGHT = (30, 15)  # centre of the red start light, overlay units
GAUGE_EDGE = (1, 20)  # inside the gauge's 2-unit border, overlay units
OVERLAY_HEIGHT = 30


def overlay_colour(game, window, point):
    """A screen pixel of the HUD, which is drawn at the window's bottom-left corner at a whole
    multiple of its size: the largest that fits the drawing area's height 480 times."""
    scale = max(1, window.height // 480)
    x = window.x + point[0] * scale + scale // 2
    y = window.y + window.height - (OVERLAY_HEIGHT - point[1]) * scale + scale // 2
    return game.xvfb.pixel(x, y)


def red_light_on(game, window):
    return harness.colour_close(overlay_colour(game, window, RED_LIGHT), (255, 0, 0), 40)


def racing(game, window):
    p = overlay_colour(game, window, GAUGE_EDGE)
    return p[0] < 90 and p[1] > 150 and p[2] > 150  # the gauge's complement of red


def restart_shows_red_light(game, window, key="r"):
    game.key(key, window)
    wait_for(lambda: red_light_on(game, window), 20, "the start lights after R")


def frames_keep_coming(game, window, seconds=2.0):
    return harness.changes_within(
        lambda: game.xvfb.picture(window.x, window.y, window.width, window.height), seconds)


def other_window(game):
    """A plain window of another program, raised and focused as a player's click would."""
    conn = game.xvfb.connection
    screen = conn.screen()
    window = screen.root.create_window(700, 100, 300, 200, 0, screen.root_depth,
                                       background_pixel=screen.white_pixel)
    window.set_wm_name("Other")
    window.set_wm_class("other", "Other")
    window.map()
    conn.flush()
    wait_for(lambda: game.find_windows(name="Other"), 20, "the other window")
    return window


def start_race(game, ini):
    game.write_ini(ini)
    game.launch()
    return game.start_from_launcher()


def has_icon(game, window):
    conn = game.xvfb.connection
    target = conn.create_resource_object("window", window.id)
    icon = target.get_full_property(conn.intern_atom("_NET_WM_ICON"), Xatom.CARDINAL)
    return icon is not None and len(icon.value) > 2


def windowed_desktop_size_fits_within_the_screen(game):
    game.write_ini("[Game]\nWindowed=1\nUseScreenRes=3\n")
    game.launch()
    launcher = game.wait_window(name="Trundlebay", cls="Options")
    check(has_icon(game, launcher), "the launcher has no icon")
    game.click(launcher, *harness.START_BUTTON)
    check(has_icon(game, game.wait_window(cls="OpenGLWin")), "the game window has no icon")

    def fitted():
        found = game.find_windows(cls="OpenGLWin")
        if not found:
            return False
        x, y, width, height = found[0].outer
        return (x >= 0 and y >= 0 and x + width <= game.xvfb.width and
                y + height <= game.xvfb.height and found[0].height < game.xvfb.height)

    wait_for(fitted, 20, "the window, frame and all, within the screen")
    window = game.find_windows(cls="OpenGLWin")[0]
    print("   desktop size in a window: %r, frame %r" % (window, window.outer))
    check(window.width > 1000 and window.height > 800, "the window is small: %r" % window)
    restart_shows_red_light(game, window)
    game.quit(window)
    values = game.ini_values()
    check((int(values["Width"]), int(values["Height"])) == (window.width, window.height),
          "saved %sx%s, used %dx%d" % (values["Width"], values["Height"], window.width,
                                       window.height))


def full_screen_at_a_size_not_offered_fills_the_screen(game):
    window = start_race(game, "[Game]\nWindowed=0\nUseScreenRes=1\n")
    wait_for(lambda: game.find_windows(cls="OpenGLWin", width=game.xvfb.width,
                                       height=game.xvfb.height), 20, "a full screen")
    window = game.find_windows(cls="OpenGLWin")[0]
    check((window.x, window.y) == (0, 0), "full screen at %r" % window)
    restart_shows_red_light(game, window)
    check(game.xvfb.pixel(game.xvfb.width - 5, 5) != (0, 0, 0),
          "the picture does not reach the top right corner")
    game.quit(window)
    values = game.ini_values()
    check(values["Windowed"] == "0" and values["Width"] == "800",
          "the player's choice changed:\n" + game.read_ini())


def losing_focus_pauses_and_releases_the_pointer(game):
    window = start_race(game, "[Game]\nWindowed=1\nUseScreenRes=0\n")
    wait_for(lambda: racing(game, window), 30, "the race after the countdown")
    check(frames_keep_coming(game, window), "no frames while racing")

    other = other_window(game)
    game.xdotool("windowactivate", "--sync", other.id)
    time.sleep(0.5)  # frames already on their way may still land
    check(not frames_keep_coming(game, window), "the race goes on without the focus")
    game.xdotool("mousemove", 1200, 1000)
    location = game.xdotool("getmouselocation", "--shell")
    check("X=1200" in location and "Y=1000" in location,
          "the pointer is still held by the game: " + location)

    game.xdotool("windowactivate", "--sync", window.id)
    check(frames_keep_coming(game, window, 5), "the race did not go on with the focus back")
    game.quit(window)


def minimised_full_screen_game_sleeps(game):
    window = start_race(game, "[Game]\nWindowed=0\nUseScreenRes=3\n")
    wait_for(lambda: red_light_on(game, window) or racing(game, window), 30, "the HUD")
    game.xdotool("windowminimize", "--sync", window.id)
    time.sleep(0.5)
    before, started = game.cpu_seconds(), time.monotonic()
    time.sleep(3)
    share = (game.cpu_seconds() - before) / (time.monotonic() - started)
    print("   minimised: %.1f%% of a core" % (share * 100))
    check(share < 0.1, "minimised, the game used %.0f%% of a core" % (share * 100))
    game.xdotool("windowactivate", "--sync", window.id)
    game.quit(window)


def set_layout(game, layout):
    subprocess.run(["setxkbmap", "-display", game.xvfb.name, layout], check=True)


# Layout, then the keys for Q, R and P on it, and a key that must not quit: Russian keys act
# by their place, German and French by their letter, and AZERTY's A lies where QWERTY has Q.
LAYOUTS = [("ru", "Cyrillic_shorti", "Cyrillic_ka", "Cyrillic_ze", None),
           ("de", "q", "r", "p", None),
           ("fr", "q", "r", None, "a")]


def keys_act_on_every_layout(game):
    for layout, quit_key, restart_key, pause_key, not_quit in LAYOUTS:
        set_layout(game, layout)
        try:
            window = start_race(game, "[Game]\nWindowed=1\nUseScreenRes=0\n")
            wait_for(lambda: racing(game, window), 30, "the race after the countdown")
            if pause_key:
                game.key(pause_key, window)
                time.sleep(0.5)
                check(not frames_keep_coming(game, window), layout + ": P did not pause")
                game.key(pause_key, window)
                check(frames_keep_coming(game, window), layout + ": P did not resume")
            restart_shows_red_light(game, window, restart_key)
            if not_quit:
                game.key(not_quit, window)
                time.sleep(0.5)
                check(game.running(), "%s: %s ended the game" % (layout, not_quit))
            game.quit(window, quit_key)
        finally:
            set_layout(game, "us")


if __name__ == "__main__":
    harness.run([
        windowed_desktop_size_fits_within_the_screen,
        full_screen_at_a_size_not_offered_fills_the_screen,
        losing_focus_pauses_and_releases_the_pointer,
        minimised_full_screen_game_sleeps,
        keys_act_on_every_layout,
    ], timeout=180, window_manager="openbox")
