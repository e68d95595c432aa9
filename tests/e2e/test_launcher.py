"""The launcher: what it shows, what Start stores, and what closing it leaves behind."""

import os
import subprocess

import harness
from harness import check, colour_close, wait_for

NINE_LINES_FOR_DEFAULTS = (
    "[Game]\n"
    "Windowed=1\n"
    "Lights=0\n"
    "Music=0\n"
    "Joystick=0\n"
    "UseHiQualTex=0\n"
    "Width=640\n"
    "Height=480\n"
    "UseScreenRes=0\n"
)

BLUE = (0, 0, 255)
RED = (255, 0, 0)


def two_colour_splash(game, width=50, height=30):
    """A splash picture that is blue on its left half and red on its right half."""
    path = os.path.join(game.folder, "splash-source.jpg")
    subprocess.run(["convert", "-size", "%dx%d" % (width, height), "xc:blue",
                    "-size", "%dx%d" % (width, height), "xc:red", "+append", "-quality", "95",
                    path], check=True)
    game.replace_media("splash.jpg", path)


def start_from_launcher(game, press=None):
    launcher = game.wait_window(name="Trundlebay", cls="Options")
    if press:
        press(launcher)
    game.click(launcher, *harness.START_BUTTON)
    window = game.wait_window(cls="OpenGLWin")
    check(not game.find_windows(cls="Options"), "the launcher is still open beside the game")
    return window


def ini_values(text):
    values = {}
    for line in text.splitlines():
        if "=" in line:
            key, value = line.split("=", 1)
            values[key] = value
    return values


def fresh_start_shows_defaults_and_saves_nine_lines(game):
    game.remove_ini()
    two_colour_splash(game)
    game.launch()
    launcher = game.wait_window(name="Trundlebay", cls="Options")
    check((launcher.width, launcher.height) == (640, 480), "launcher is %r" % launcher)

    shot = game.screenshot(launcher, "launcher.png")
    for x, y, colour in ((120, 240, BLUE), (2, 470, BLUE), (520, 240, RED), (637, 470, RED),
                         (637, 200, RED)):
        check(colour_close(shot.pixel(x, y), colour, 40),
              "splash not stretched over the launcher: %r at %d,%d" % (shot.pixel(x, y), x, y))
    windowed_box = shot.region_mean(136, 4, 152, 20)
    lights_box = shot.region_mean(232, 4, 248, 20)
    check(not colour_close(windowed_box, lights_box, 20),
          "Windowed should look checked and Lights not: %r %r" % (windowed_box, lights_box))

    window = start_from_launcher(game)
    check((window.width, window.height) == (640, 480), "game window is %r" % window)

    def colours_seen():
        frame = game.screenshot(window, "game.png")
        return {frame.pixel(x, y) for x in range(10, 640, 40) for y in range(10, 480, 40)}

    # The window maps before the level has loaded and its first frame is drawn.
    wait_for(lambda: len(colours_seen()) > 8, 60, "the scene drawn in the game window")

    game.key("q", window)
    check(game.wait_exit() == 0, "Q should end the game with exit code 0")
    check(game.read_ini() == NINE_LINES_FOR_DEFAULTS, "game.ini holds:\n" + game.read_ini())


def stored_resolution_two_gives_1024_by_800(game):
    game.write_ini("[Game]\nUseScreenRes=2\n")
    game.launch()
    window = start_from_launcher(game)
    check((window.width, window.height) == (1024, 800), "game window is %r" % window)
    game.key("Escape", window)
    check(game.wait_exit() == 0, "Escape should end the game with exit code 0")
    values = ini_values(game.read_ini())
    check((values["Width"], values["Height"], values["UseScreenRes"]) == ("1024", "800", "2"),
          "game.ini holds:\n" + game.read_ini())


def zero_width_takes_the_screen_size(game):
    game.write_ini("[Game]\nWidth=0\n")
    game.launch()
    window = start_from_launcher(game)
    screen = (game.xvfb.width, game.xvfb.height)
    check((window.width, window.height) == screen, "game window is %r" % window)
    game.key("q", window)
    check(game.wait_exit() == 0, "Q should end the game with exit code 0")
    values = ini_values(game.read_ini())
    check((int(values["Width"]), int(values["Height"])) == screen and
          values["UseScreenRes"] == "3", "game.ini holds:\n" + game.read_ini())


def controls_change_what_start_stores(game):
    game.remove_media("splash.jpg")
    game.write_ini("# tuned by hand\n[Game]\nLights=0\n\n[Modder]\nTrack=map3.bmp\n")
    game.launch()
    launcher = game.wait_window(name="Trundlebay", cls="Options")
    plain = game.screenshot(launcher, "plain-launcher.png")
    check(not colour_close(plain.pixel(320, 240), (0, 0, 0), 30),
          "without a splash the launcher shows its plain background")
    game.click(launcher, *harness.CHECK_BOXES["Lights"])
    game.click(launcher, *harness.CHECK_BOXES["HiQTexture"])
    game.scroll(launcher, *harness.RESOLUTION_LIST, steps=1)
    game.key("alt+s", launcher)
    window = game.wait_window(cls="OpenGLWin")
    check((window.width, window.height) == (800, 600), "game window is %r" % window)
    game.key("q", window)
    check(game.wait_exit() == 0, "Q should end the game with exit code 0")
    text = game.read_ini()
    values = ini_values(text)
    check(values["Lights"] == "1" and values["UseHiQualTex"] == "1" and
          values["UseScreenRes"] == "1" and values["Width"] == "800", "game.ini holds:\n" + text)
    check("# tuned by hand" in text and "[Modder]\nTrack=map3.bmp" in text,
          "other sections and comments were lost:\n" + text)


def closing_the_launcher_ends_without_writing(game):
    original = "[Game]\nWidth=800\nHeight=600\nUseScreenRes=1\n"
    game.write_ini(original)
    game.launch()
    launcher = game.wait_window(name="Trundlebay", cls="Options")
    game.close(launcher)
    check(game.wait_exit() == harness.EXIT_START_FAILED, "closing the launcher must exit -1")
    check(not game.find_windows(cls="OpenGLWin"), "a game window opened after all")
    check(game.read_ini() == original, "game.ini was changed:\n" + game.read_ini())


def hand_edited_settings_keep_every_byte(game):
    original = (b"\xef\xbb\xbf; my notes\r\n[Game] ; tuned\r\nthese are notes, not settings\r\n"
                b"UseScreenRes = 1\r\nLights=1\r\n\r\n[Video]\r\nGamma=2\r\n")
    with open(game.ini_path, "wb") as f:
        f.write(original)
    game.launch()
    window = start_from_launcher(game)
    check((window.width, window.height) == (800, 600), "game window is %r" % window)
    game.key("q", window)
    check(game.wait_exit() == 0, "Q should end the game with exit code 0")
    with open(game.ini_path, "rb") as f:
        saved = f.read()
    added = b"Windowed=1\r\nMusic=0\r\nJoystick=0\r\nUseHiQualTex=0\r\nWidth=800\r\nHeight=600\r\n"
    expected = original.replace(b"Lights=1\r\n", b"Lights=1\r\n" + added)
    check(saved == expected, "game.ini holds:\n%r" % saved)
    leftovers = [name for name in os.listdir(os.path.dirname(game.ini_path))
                 if name.startswith("game.ini.")]
    check(not leftovers, "files left beside game.ini: %r" % leftovers)


if __name__ == "__main__":
    harness.run([
        fresh_start_shows_defaults_and_saves_nine_lines,
        stored_resolution_two_gives_1024_by_800,
        zero_width_takes_the_screen_size,
        controls_change_what_start_stores,
        closing_the_launcher_ends_without_writing,
        hand_edited_settings_keep_every_byte,
    ])
