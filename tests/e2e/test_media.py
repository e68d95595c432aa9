#!/usr/bin/env python3
"""The generated media folder: written the same way twice, never touching game.ini, every
model loading and rendering (kept in <build>/media-views/ for a look), every picture decoding,
both sounds in the formats the game plays. The maps are checked by test_map_tool.py."""
import filecmp
import json
import os
import subprocess
import tempfile

import harness
from harness import check

MODELS = ["skyDome", "field", "arch", "streetS", "streetL", "streetT", "streetJ", "jeepney",
          "wheel", "store", "kubo", "wall", "carabao"]
PLAYER_INI = "[Game]\n# mine\nWindowed=0\nLights=1\n"


def run(*command, **options):
    return subprocess.run(list(command), capture_output=True, text=True, timeout=120, **options)


def generate(game, folder):
    done = run(os.path.join(game.build_dir, "mediagen"), folder)
    check(done.returncode == 0, "mediagen into %s: %s" % (folder, done.stderr))


def generated_twice_alike_and_ini_untouched(game):
    with tempfile.TemporaryDirectory() as first, tempfile.TemporaryDirectory() as second:
        ini = os.path.join(second, "game.ini")
        with open(ini, "w") as f:
            f.write(PLAYER_INI)
        generate(game, first)
        generate(game, second)
        check(not os.path.exists(os.path.join(first, "game.ini")), "no game.ini written")
        with open(ini) as f:
            check(f.read() == PLAYER_INI, "the player's game.ini is left as it was")
        names = sorted(os.listdir(first))
        check(sorted(n for n in os.listdir(second) if n != "game.ini") == names,
              "both runs write the same files")
        for name in names:
            check(filecmp.cmp(os.path.join(first, name), os.path.join(second, name),
                              shallow=False), "%s differs between two runs" % name)
        built = os.path.join(game.build_dir, "media")
        for name in names:
            check(filecmp.cmp(os.path.join(first, name), os.path.join(built, name),
                              shallow=False), "the build's %s is not the generator's" % name)
        check({m + ".a3f" for m in MODELS} <= set(names), "a model is not generated")
        check(len([n for n in names if n.startswith("map") and n.endswith(".bmp")]) >= 4,
              "at least four track maps")


def media(game, name):
    return os.path.join(game.build_dir, "media", name)


def every_model_loads_and_every_picture_decodes(game):
    tool = os.path.join(game.build_dir, "trundlebay-tool")
    textures = set()
    for model in MODELS:
        done = run(tool, "model", media(game, model + ".a3f"))
        check(done.returncode == 0 and done.stderr == "",
              "%s.a3f loads without a report: %s" % (model, done.stderr))
        info = json.loads(done.stdout)
        check(info.get("faceCount", 0) > 0, "%s.a3f has faces" % model)
        textures.add(info.get("textureFile") or "")
    textures.discard("")
    textures |= {"jeepney2.jpg", "jeepney3.jpg", "jeepney4.jpg", "splash.jpg"}
    check(any(t.endswith(".bmp") for t in textures), "a model uses a BMP texture")
    for texture in sorted(textures):
        done = run("identify", "-format", "%m %w %h", media(game, texture))
        check(done.returncode == 0, "%s decodes: %s" % (texture, done.stderr))
        kind, width, height = done.stdout.split()
        expected = "BMP" if texture.endswith(".bmp") else "JPEG"
        check(kind.startswith(expected), "%s is a %s" % (texture, expected))
        if texture == "splash.jpg":
            check((width, height) == ("640", "480"), "splash is 640 x 480")
        else:
            for side in (int(width), int(height)):
                check(side & (side - 1) == 0, "%s is %sx%s, not powers of two"
                      % (texture, width, height))


def soxi(path, flag):
    done = run("soxi", flag, path)
    check(done.returncode == 0, "soxi %s %s: %s" % (flag, path, done.stderr))
    return done.stdout.strip()


def sounds_have_the_formats_the_game_plays(game):
    jeep, crash = media(game, "jeep.wav"), media(game, "crash.wav")
    check(soxi(jeep, "-e") == "Signed Integer PCM" and soxi(jeep, "-b") == "16",
          "jeep.wav is 16-bit PCM")
    check(soxi(crash, "-e") == "MS ADPCM", "crash.wav is Microsoft ADPCM")
    for path in (jeep, crash):
        check(soxi(path, "-c") == "1" and soxi(path, "-r") == "11025",
              "%s is mono at 11025 per second" % path)
        seconds = float(soxi(path, "-D"))
        check(0.5 < seconds < 3.0, "%s lasts %s s" % (path, seconds))
    with open(crash, "rb") as f:
        header = f.read(40)
    check(int.from_bytes(header[16:20], "little") == 50, "ADPCM format chunk of 50 bytes")


def every_model_renders(game):
    tool = os.path.join(game.build_dir, "trundlebay-tool")
    views = os.path.join(game.build_dir, "media-views")
    os.makedirs(views, exist_ok=True)
    env = dict(os.environ, DISPLAY=game.xvfb.name)
    for model in MODELS:
        png = os.path.join(views, model + ".png")
        done = run(tool, "view", media(game, model + ".a3f"), "--png", png, "--yaw", "35",
                   "--pitch", "20", "--size", "320x240", env=env)
        check(done.returncode == 0, "view %s: %s" % (model, done.stderr))
        shot = harness.Image(png)
        background = shot.pixel(0, 0)
        drawn = sum(1 for y in range(0, shot.height, 4) for x in range(0, shot.width, 4)
                    if not harness.colour_close(shot.pixel(x, y), background))
        check(drawn > shot.width * shot.height / 16 * 0.02,
              "%s renders as an empty picture" % model)


if __name__ == "__main__":
    harness.run([generated_twice_alike_and_ini_untouched,
                 every_model_loads_and_every_picture_decodes,
                 sounds_have_the_formats_the_game_plays, every_model_renders])
