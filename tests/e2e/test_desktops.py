"""The game on a desktop with a window manager (openbox): the desktop size in a window, a full
screen the display does not offer, Alt+Enter and F11 switching to full screen and back (the next
start keeping the choice), focus and minimising, and keyboard layouts."""

import subprocess
import time

import harness
import race_screen as rs
from harness import Xatom, check, wait_for

def restart_shows_red_light(game, window, key="r"):
    game.key(key, window)
    wait_for(lambda: rs.light_state(game, window) == "red", 20, "the start lights after R")


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
    wait_for(lambda: rs.racing(game, window), 30, "the race after the countdown")
    check(game.drawing(window), "no frames while racing")

    other = other_window(game)
    game.xdotool("windowactivate", "--sync", other.id)
    time.sleep(0.5)  # frames already on their way may still land
    check(not game.drawing(window), "the race goes on without the focus")
    game.xdotool("mousemove", 1200, 1000)
    location = game.xdotool("getmouselocation", "--shell")
    check("X=1200" in location and "Y=1000" in location,
          "the pointer is still held by the game: " + location)

    game.xdotool("windowactivate", "--sync", window.id)
    check(game.drawing(window, 5), "the race did not go on with the focus back")
    game.quit(window)


def minimised_full_screen_game_sleeps(game):
    window = start_race(game, "[Game]\nWindowed=0\nUseScreenRes=3\n")
    wait_for(lambda: rs.light_state(game, window) or rs.racing(game, window), 30, "the HUD")
    game.xdotool("windowminimize", "--sync", window.id)
    time.sleep(0.5)
    before, started = game.cpu_seconds(), time.monotonic()
    time.sleep(3)
    share = (game.cpu_seconds() - before) / (time.monotonic() - started)
    print("   minimised: %.1f%% of a core" % (share * 100))
    check(share < 0.1, "minimised, the game used %.0f%% of a core" % (share * 100))
    game.xdotool("windowactivate", "--sync", window.id)
    game.quit(window)


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
            wait_for(lambda: rs.racing(game, window), 30, "the race after the countdown")
            if pause_key:
                game.key(pause_key, window)
                time.sleep(0.5)
                check(not game.drawing(window), layout + ": P did not pause")
                game.key(pause_key, window)
                check(game.drawing(window), layout + ": P did not resume")
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
        alt_enter_and_f11_switch_to_full_screen_and_back,
        losing_focus_pauses_and_releases_the_pointer,
        minimised_full_screen_game_sleeps,
        keys_act_on_every_layout,
    ], timeout=180, window_manager="openbox")
