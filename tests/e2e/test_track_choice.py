#!/usr/bin/env python3
"""The launcher's track list: every map of the media folder and of the player's own track
folder is offered, however many; the choice is kept in game.ini as Track= unless it is
Random, and the launcher opens on the stored choice; the race runs on the chosen track."""
import os
import shutil
import time

import harness
import race_screen
from harness import check

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


def the_last_of_nineteen_is_the_players_own(game):
    env = prepare(game)
    game.remove_ini()
    tracks = choose_and_start(game, env, steps=40)
    check(tracks == ["Track=" + OWN_TRACK], "game.ini holds:\n" + game.read_ini())


def the_launcher_opens_on_the_stored_track_and_random_stores_none(game):
    env = prepare(game)
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
    race_screen.wait_for_countdown(game, window)
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
    same = race_screen.mean_difference(chosen, alone)
    different = race_screen.mean_difference(other, alone)
    check(same < 8 and different > 25,
          "%s chosen in the launcher looks %.1f from a race where it is the only map, %s %.1f"
          % (maps[-1], same, maps[0], different))


if __name__ == "__main__":
    harness.run([
        the_last_of_nineteen_is_the_players_own,
        the_launcher_opens_on_the_stored_track_and_random_stores_none,
        the_race_runs_on_the_chosen_track,
    ])
