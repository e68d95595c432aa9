"""The launcher: what it shows, what Start stores, and what closing it leaves behind. Its track
list offers every map of the media folder and of the player's own track folder, however many;
the choice is kept in game.ini as Track= unless it is Random, the launcher opens on the stored
choice, and the race runs on the chosen track."""

import os
import shutil
import subprocess
import time

import harness
import race_screen as rs
from harness import check, colour_close, wait_for

BLUE = (0, 0, 255)
RED = (255, 0, 0)


def two_colour_splash(game, width=50, height=30):
    """A splash picture that is blue on its left half and red on its right half."""
    path = os.path.join(game.folder, "splash-source.jpg")
    subprocess.run(["convert", "-size", "%dx%d" % (width, height), "xc:blue",
                    "-size", "%dx%d" % (width, height), "xc:red", "+append", "-quality", "95",
                    path], check=True)
    game.replace_media("splash.jpg", path)


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

    window = game.start_from_launcher()
    check((window.width, window.height) == (640, 480), "game window is %r" % window)
    wait_for(lambda: game.scene_drawn(window), 60, "the scene drawn in the game window")
    game.quit(window)
    check(game.read_ini() == harness.DEFAULT_INI, "game.ini holds:\n" + game.read_ini())


def stored_settings_give_the_window_size_and_are_saved(game):
    screen = (game.xvfb.width, game.xvfb.height)
    for ini, size, saved, key in (("[Game]\nUseScreenRes=2\n", (1024, 800), "2", "Escape"),
                                  ("[Game]\nWidth=0\n", screen, "3", "q")):
        game.write_ini(ini)
        game.launch()
        window = game.start_from_launcher()
        check((window.width, window.height) == size, "%r gives %r" % (ini, window))
        game.quit(window, key)
        values = game.ini_values()
        check((int(values["Width"]), int(values["Height"])) == size and
              values["UseScreenRes"] == saved, "game.ini holds:\n" + game.read_ini())


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
    game.quit(window)
    text = game.read_ini()
    values = game.ini_values()
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


TRACK_LIST = (136, 436)
OWN_TRACK = "mapZzzOwn.bmp"
EXTRA_MAPS = ["mapX%02d.bmp" % i for i in range(1, 15)]


def prepare(game):
    """Eighteen maps in the media folder and one in the player's own folder."""
    plaza = os.path.join(game.build_dir, "media", "mapPlaza.bmp")
    for name in EXTRA_MAPS:
        game.replace_media(name, plaza)
    data = os.path.join(game.folder, "data")
    own = os.path.join(data, "trundlebay", "tracks")
    os.makedirs(own)
    shutil.copy(plaza, os.path.join(own, OWN_TRACK))
    return {"XDG_DATA_HOME": data}


def choose_and_start(game, env, steps):
    game.launch(env)
    launcher = game.wait_window(name="Trundlebay", cls="Options")
    game.scroll(launcher, *TRACK_LIST, steps=steps)
    game.quit(game.start_from_launcher())
    game_section = game.read_ini().split("[Modder]")[0]
    return [line for line in game_section.splitlines() if line.startswith("Track=")]


def nineteen_tracks_the_stored_one_first_and_random_stores_none(game):
    env = prepare(game)
    tracks = choose_and_start(game, env, steps=40)
    check(tracks == ["Track=" + OWN_TRACK], "the last is not the player's:\n" + game.read_ini())
    game.write_ini("[Game]\nTrack=%s\n\n[Modder]\nTrack=map3.bmp\n" % OWN_TRACK.upper())
    tracks = choose_and_start(game, env, steps=-1)
    check(tracks == ["Track=" + EXTRA_MAPS[-1]], "one up from the stored track:\n" +
          game.read_ini())
    tracks = choose_and_start(game, env, steps=-40)
    text = game.read_ini()
    check(tracks == [] and "[Modder]\nTrack=map3.bmp" in text,
          "Random keeps no Track in [Game] and the other section's stays:\n" + text)


def overview_at_the_start(game, steps=0):
    """From the launcher with the track list moved by `steps`, the overview (Page Up) while the
    start lights count down and every jeepney stands: the eye is fixed, the player's jeepney
    at the arch, so the picture shows where the map puts the arch."""
    game.remove_ini()
    game.launch()
    launcher = game.wait_window(name="Trundlebay", cls="Options")
    game.scroll(launcher, *TRACK_LIST, steps=steps)
    window = game.start_from_launcher()
    game.move_mouse(window, window.width // 2, window.height // 2)
    rs.wait_for_countdown(game, window)
    with game.holding("Prior", window):
        time.sleep(0.5)
        shot = game.screenshot(window)
    game.quit(window)
    return shot


def the_race_runs_on_the_chosen_track(game):
    maps = sorted(n for n in os.listdir(game.media) if n.startswith("map"))
    check(len(maps) >= 2, "too few maps: %r" % maps)
    chosen = overview_at_the_start(game, steps=len(maps))
    other = overview_at_the_start(game, steps=1)
    for name in maps[:-1]:
        game.remove_media(name)
    alone = overview_at_the_start(game)
    same = rs.mean_difference(chosen, alone)
    different = rs.mean_difference(other, alone)
    check(same < 8 and different > 25,
          "%s chosen in the launcher looks %.1f from a race where it is the only map, %s %.1f"
          % (maps[-1], same, maps[0], different))


if __name__ == "__main__":
    harness.run([
        fresh_start_shows_defaults_and_saves_nine_lines,
        stored_settings_give_the_window_size_and_are_saved,
        controls_change_what_start_stores,
        closing_the_launcher_ends_without_writing,
        nineteen_tracks_the_stored_one_first_and_random_stores_none,
        the_race_runs_on_the_chosen_track,
    ])
