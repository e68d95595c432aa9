#!/usr/bin/env python3
"""trundlebay-tool model and view on small model files: the JSON, the exit codes, the picture."""
import json
import os
import shutil
import subprocess

import harness
from harness import check

TRIANGLE = """A3F
VERSION { 1.0 }
VERTICES { POSITION_NORMAL_TEXCOORDS 3
  0 0 0  0 0 1  0 0
  2 0 0  0 0 1  1 0
  0 3 -1  0 0 1  0 0.5
}
FACES { 1
  0 1 2 0
}
MATERIALS { 1
  { NAME paint DIFFUSE 0.5 0.25 1 1 SHININESS 12
    TEXTURE { FILE skin.bmp ALPHA GREEN_MASK } }
}
"""

FLAT = """A3F VERTICES { POSITION_NORMAL 3
  0 0 0 0 0 1  4 0 0 0 0 1  0 2 0 0 0 1 }
FACES { 1 0 1 2 0 }
"""


def write(path, data):
    with open(path, "wb" if isinstance(data, bytes) else "w") as f:
        f.write(data)
    return path


def run_model(tool, path):
    done = subprocess.run([tool, "model", path], capture_output=True, text=True, timeout=30)
    return done.returncode, json.loads(done.stdout), done.stderr


def fields(result, names):
    return {name: result.get(name) for name in names}


def model_command_reports_what_it_read(game):
    tool, folder = tool_and_folder(game)
    code, result, _ = run_model(tool, write(os.path.join(folder, "tri.a3f"), TRIANGLE))
    wanted = {"loaded": True, "errors": [], "warnings": [], "vertexCount": 3, "faceCount": 1,
              "hasNormals": True, "boundsMin": [0, 0, -1], "boundsMax": [2, 3, 0],
              "radiusSquared": 13, "materialName": "paint", "shininess": 12,
              "diffuse": [0.5, 0.25, 1, 1], "textureFile": "skin.bmp", "alphaMode": 8,
              "texcoords": [[0, 0], [1, 0], [0, 0.5]]}
    # The texture is named, not loaded: it need not exist for the reader's view.
    check(code == 0 and fields(result, wanted) == wanted, "a valid model: %s" % result)
    code, result, _ = run_model(tool, write(os.path.join(folder, "flat.a3f"), FLAT))
    check(code == 0 and result["hasNormals"] and
          result["texcoords"] == [[0, 0], [1, 0], [0, 1]], "texcoords made along y: %s" % result)

    absent = os.path.join(folder, "absent.a3f")
    failures = [
        ("notmodel.a3f", "OBJ 1 2 3", [("Not an .a3f file:", "notmodel.a3f")]),
        ("nofaces.a3f", "A3F VERTICES { POSITION_TEXCOORDS 0 }",
         [("Failed to find section FACES:", "nofaces.a3f")]),
        ("layout.a3f", "A3F VERTICES { POSITION_COLOR 0 }",
         [("Bad vertex format:", "POSITION_COLOR")]),
        ("index.a3f", "A3F VERTICES { POSITION_TEXCOORDS 1 0 0 0 0 0 } FACES { 1 0 0 5 0 }",
         [("Bad model:", "face index 5 of 1 vertices")]),
        ("absent.a3f", None, [("Could not open file:", absent)]),
    ]
    for name, text, errors in failures:
        path = write(os.path.join(folder, name), text) if text else absent
        code, result, stderr = run_model(tool, path)
        got = [(e["message"], e["subject"]) for e in result["errors"]]
        check(code == 1 and result["loaded"] is False and got == errors and errors[0][0] in stderr,
              "%s: exit %d, errors %s" % (name, code, got))

    path = write(os.path.join(folder, "badnumber.a3f"),
                 "A3F\nVERTICES { POSITION_TEXCOORDS 1\n0 0 0 0 0\n}\nFACES { 1\n0 0 }\n")
    code, result, stderr = run_model(tool, path)
    check(result["errors"][0].get("line") == 6 and "line 6" in stderr,
          "the error names its line: %s" % result["errors"])


def tool_and_folder(game):
    return os.path.join(game.build_dir, "trundlebay-tool"), game.folder


# What the game accepts but draws other than a modeller expects: (name, the file's text after
# "A3F", the line and words of the one warning wanted).
TRIANGLE_BODY = TRIANGLE.split("\n", 1)[1]
WARNINGS = [
    ("alpha", TRIANGLE_BODY.replace("GREEN_MASK", "SHINY"), 13, 'ALPHA word "SHINY"'),
    ("materials", TRIANGLE_BODY.replace("MATERIALS { 1", "MATERIALS { 2\n  { NAME two }"), 11,
     "More than one material"),
    ("quad", TRIANGLE_BODY.replace("0 1 2 0", "0 1 2 2 0"), 9, "a quad"),
    ("degenerate", TRIANGLE_BODY.replace("0 1 2 0", "0 1 1 0"), 9, "names a vertex twice"),
    ("section", TRIANGLE_BODY + "COLOURS { red }\n", 15, 'Unknown section "COLOURS"'),
    ("version", TRIANGLE_BODY.replace("1.0", "2.0"), 2, "Version 2:"),
]


def model_warnings_name_their_line(game):
    tool, folder = tool_and_folder(game)
    for name, body, line, words in WARNINGS:
        path = write(os.path.join(folder, name + ".a3f"), "A3F\n" + body)
        code, result, stderr = run_model(tool, path)
        got = [(w["line"], w["text"]) for w in result["warnings"]]
        check(code == 0 and len(got) == 1 and got[0][0] == line and words in got[0][1]
              and "line %d: warning" % line in stderr, "%s: warnings %s" % (name, got))


def textures_are_tried_as_the_game_loads_them(game):
    tool, folder = tool_and_folder(game)
    write(os.path.join(folder, "skin.bmp"), harness.bmp24(6, 4, lambda x, y: (200, 10, 10)))
    for name, options in (("paint.png", []), ("cmyk.jpg", ["-colorspace", "CMYK"]),
                          ("long.jpeg", [])):
        subprocess.run(["convert", "-size", "8x8", "xc:red", *options,
                        os.path.join(folder, name)], check=True, timeout=30)
    shutil.copy(os.path.join(folder, "paint.png"), os.path.join(folder, "png.jpg"))
    cases = [("skin.bmp", None), ("none.jpg", "no such file"), ("paint.png", "end in .jpg or .bmp"),
             ("png.jpg", "not a JPEG"), ("cmyk.jpg", "CMYK"), ("long.jpeg", "end in .jpg or .bmp")]
    for texture, reason in cases:
        path = write(os.path.join(folder, "textured.a3f"), TRIANGLE.replace("skin.bmp", texture))
        code, result, stderr = run_model(tool, path)
        seen = result["texture"]
        wanted = (seen.get("loads") is True and (seen["width"], seen["height"]) == (6, 4)
                  if reason is None else seen.get("loads") is False and reason in seen["error"]
                  and reason in stderr)
        check(code == 0 and seen["file"] == texture and wanted, "texture %s: %s" % (texture, seen))


def view_command_draws_the_model(game):
    tool, folder = tool_and_folder(game)
    model = os.path.join(game.build_dir, "media", "store.a3f")
    png = os.path.join(folder, "store.png")
    env = dict(os.environ, DISPLAY=game.xvfb.name)

    def view(*args, timeout=120):
        return subprocess.run([tool, "view", *args], capture_output=True, text=True,
                              timeout=timeout, env=env)

    done = view(model, "--png", png, "--yaw", "40", "--pitch", "25", "--size", "96x64")
    check(done.returncode == 0 and os.path.exists(png), "view: %s" % done.stderr)
    shot = harness.Image(png)
    colours = {shot.pixel(x, y) for x in range(96) for y in range(64)}
    check((shot.width, shot.height) == (96, 64), "picture is %dx%d" % (shot.width, shot.height))
    check(shot.pixel(48, 32) != shot.pixel(0, 0), "the model does not cover the middle")
    check(len(colours) > 10, "the picture is not shaded and textured")

    broken = write(os.path.join(folder, "broken.a3f"), "A3F")
    done = view(broken, "--png", os.path.join(folder, "broken.png"))
    check(done.returncode == 1 and not os.path.exists(os.path.join(folder, "broken.png")),
          "a broken model: exit %d" % done.returncode)
    done = view(model, timeout=30)
    check(done.returncode == 2 and "usage" in done.stderr, "view without --png: usage")


if __name__ == "__main__":
    harness.run([model_command_reports_what_it_read, model_warnings_name_their_line,
                 textures_are_tried_as_the_game_loads_them, view_command_draws_the_model])
