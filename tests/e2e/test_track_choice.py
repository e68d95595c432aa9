#!/usr/bin/env python3
"""The launcher's track list: every map of the media folder and of the player's own track
folder is offered, however many; the choice is kept in game.ini as Track= unless it is
Random, and the launcher opens on the stored choice."""
import os

import harness
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
    with open(plaza, "rb") as source, open(os.path.join(own, OWN_TRACK), "wb") as target:
        target.write(source.read())
    return {"XDG_DATA_HOME": data}


def choose_and_start(game, env, steps):
    game.launch(env)
    launcher = game.wait_window(name="Trundlebay", cls="Options")
    game.scroll(launcher, *TRACK_LIST, steps=steps)
    game.click(launcher, *harness.START_BUTTON)
    window = game.wait_window(cls="OpenGLWin")
    game.key("q", window)
    check(game.wait_exit() == 0, "Q should end the game with exit code 0")
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


if __name__ == "__main__":
    harness.run([
        the_last_of_nineteen_is_the_players_own,
        the_launcher_opens_on_the_stored_track_and_random_stores_none,
    ])
