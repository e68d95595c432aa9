#!/usr/bin/env python3
"""The generated media folder: written the same way twice, never touching game.ini, every
model loading and rendering (kept in <build>/media-views/ for a look), every picture decoding,
both sounds in the formats the game plays. The maps are checked by test_map_tool.py."""
import filecmp
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
        for other in (second, os.path.join(game.build_dir, "media")):
            _, differ, missing = filecmp.cmpfiles(first, other, names, shallow=False)
            check(not differ and not missing, "%s differs in %s" % (differ + missing, other))
        check({m + ".a3f" for m in MODELS} <= set(names), "a model is not generated")


def media(game, name):
    return os.path.join(game.build_dir, "media", name)


def every_model_loads_and_renders_and_every_picture_decodes(game):
    views = os.path.join(game.build_dir, "media-views")
    os.makedirs(views, exist_ok=True)
    textures = {"jeepney2.jpg", "jeepney3.jpg", "jeepney4.jpg", "splash.jpg"}
    for model in MODELS:
        code, info, stderr = game.tool("model", media(game, model + ".a3f"))
        check(code == 0 and stderr == "" and info["faceCount"] > 0,
              "%s.a3f loads without a report and has faces: %s" % (model, stderr))
        textures.add(info.get("textureFile") or "splash.jpg")
        png = os.path.join(views, model + ".png")
        code, _, stderr = game.tool("view", media(game, model + ".a3f"), "--png", png,
                                    "--yaw", 35, "--pitch", 20, "--size", "320x240")
        check(code == 0, "view %s: %s" % (model, stderr))
        shot = harness.Image(png)
        drawn = sum(1 for y in range(0, shot.height, 4) for x in range(0, shot.width, 4)
                    if not harness.colour_close(shot.pixel(x, y), shot.pixel(0, 0)))
        check(drawn > shot.width * shot.height / 16 * 0.02, "%s renders as empty" % model)
    check(any(t.endswith(".bmp") for t in textures), "a model uses a BMP texture")
    for texture in sorted(textures):
        done = run("identify", "-format", "%m %w %h", media(game, texture))
        check(done.returncode == 0, "%s decodes: %s" % (texture, done.stderr))
        kind, width, height = done.stdout.split()
        sides = (int(width), int(height))
        check(kind.startswith("BMP" if texture.endswith(".bmp") else "JPEG") and
              (sides == (640, 480) if texture == "splash.jpg" else
               all(side & (side - 1) == 0 for side in sides)),
              "%s is a %s of %sx%s: the splash 640x480, the rest powers of two"
              % (texture, kind, width, height))


def sounds_have_the_formats_the_game_plays(game):
    for name, encoding in (("jeep.wav", "16-bit Signed Integer PCM"),
                           ("crash.wav", "MS ADPCM")):
        done = run("soxi", media(game, name))
        info = dict(line.split(":", 1) for line in done.stdout.splitlines() if ":" in line)
        got = {k.strip(): v.strip() for k, v in info.items()}
        seconds = float(got.get("Duration", "0:0:0").split()[0].split(":")[-1])
        check(done.returncode == 0 and encoding in got.get("Sample Encoding", "") and
              got.get("Channels") == "1" and got.get("Sample Rate") == "11025" and
              0.5 < seconds < 3, "%s is not %s, mono at 11025 a second, 0.5 to 3 s long: %s"
              % (name, encoding, got))


if __name__ == "__main__":
    harness.run([generated_twice_alike_and_ini_untouched,
                 every_model_loads_and_renders_and_every_picture_decodes,
                 sounds_have_the_formats_the_game_plays])
