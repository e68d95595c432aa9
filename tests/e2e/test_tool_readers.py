#!/usr/bin/env python3
"""trundlebay-tool model and view on small model files: the JSON, the exit codes, the picture.
trundlebay-tool sound: the JSON and exit codes, the samples it dumps, which must be what ffmpeg
decodes from the same ADPCM and 8-bit files, and what it says of formats the game plays
differently or not at all."""
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


def model_command_reports_what_it_read(game):
    folder = game.folder
    code, result, _ = game.tool("model", write(os.path.join(folder, "tri.a3f"), TRIANGLE))
    wanted = {"loaded": True, "errors": [], "warnings": [], "vertexCount": 3, "faceCount": 1,
              "hasNormals": True, "boundsMin": [0, 0, -1], "boundsMax": [2, 3, 0],
              "radiusSquared": 13, "materialName": "paint", "shininess": 12,
              "diffuse": [0.5, 0.25, 1, 1], "textureFile": "skin.bmp", "alphaMode": 8,
              "texcoords": [[0, 0], [1, 0], [0, 0.5]]}
    # The texture is named, not loaded: it need not exist for the reader's view.
    check(code == 0 and {k: result.get(k) for k in wanted} == wanted, "a valid model: %s" % result)
    code, result, _ = game.tool("model", write(os.path.join(folder, "flat.a3f"), FLAT))
    check(code == 0 and result["hasNormals"] and
          result["texcoords"] == [[0, 0], [1, 0], [0, 1]], "texcoords made along y: %s" % result)

    absent = os.path.join(folder, "absent.a3f")
    failures = [
        ("notmodel.a3f", "OBJ 1 2 3", [("Not an .a3f file:", "notmodel.a3f")]),
        ("absent.a3f", None, [("Could not open file:", absent)]),
    ]
    for name, text, errors in failures:
        path = write(os.path.join(folder, name), text) if text else absent
        code, result, stderr = game.tool("model", path)
        got = [(e["message"], e["subject"]) for e in result["errors"]]
        check(code == 1 and result["loaded"] is False and got == errors and errors[0][0] in stderr,
              "%s: exit %d, errors %s" % (name, code, got))

    path = write(os.path.join(folder, "badnumber.a3f"),
                 "A3F\nVERTICES { POSITION_TEXCOORDS 1\n0 0 0 0 0\n}\nFACES { 1\n0 0 }\n")
    code, result, stderr = game.tool("model", path)
    check(result["errors"][0].get("line") == 6 and "line 6" in stderr,
          "the error names its line: %s" % result["errors"])


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
    folder = game.folder
    for name, body, line, words in WARNINGS:
        path = write(os.path.join(folder, name + ".a3f"), "A3F\n" + body)
        code, result, stderr = game.tool("model", path)
        got = [(w["line"], w["text"]) for w in result["warnings"]]
        check(code == 0 and len(got) == 1 and got[0][0] == line and words in got[0][1]
              and "line %d: warning" % line in stderr, "%s: warnings %s" % (name, got))


def textures_are_tried_as_the_game_loads_them(game):
    folder = game.folder
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
        code, result, stderr = game.tool("model", path)
        seen = result["texture"]
        wanted = (seen.get("loads") is True and (seen["width"], seen["height"]) == (6, 4)
                  if reason is None else seen.get("loads") is False and reason in seen["error"]
                  and reason in stderr)
        check(code == 0 and seen["file"] == texture and wanted, "texture %s: %s" % (texture, seen))


def view_command_draws_the_model(game):
    folder = game.folder
    model = os.path.join(game.build_dir, "media", "store.a3f")
    png = os.path.join(folder, "store.png")
    code, _, stderr = game.tool("view", model, "--png", png, "--yaw", 40, "--pitch", 25,
                                "--size", "96x64")
    check(code == 0 and os.path.exists(png), "view: %s" % stderr)
    shot = harness.Image(png)
    colours = {shot.pixel(x, y) for x in range(96) for y in range(64)}
    check((shot.width, shot.height) == (96, 64), "picture is %dx%d" % (shot.width, shot.height))
    check(shot.pixel(48, 32) != shot.pixel(0, 0), "the model does not cover the middle")
    check(len(colours) > 10, "the picture is not shaded and textured")

    broken = write(os.path.join(folder, "broken.a3f"), "A3F")
    code, _, _ = game.tool("view", broken, "--png", os.path.join(folder, "broken.png"))
    check(code == 1 and not os.path.exists(os.path.join(folder, "broken.png")),
          "a broken model: exit %d" % code)
    code, _, stderr = game.tool("view", model, timeout=30)
    check(code == 2 and "usage" in stderr, "view without --png: usage")

def run(*command):
    return subprocess.run(list(command), capture_output=True, timeout=60, check=True)


def ffmpeg_samples(path):
    return run("ffmpeg", "-nostdin", "-loglevel", "error", "-i", path, "-f", "s16le",
               "-c:a", "pcm_s16le", "-").stdout


def sound_tool_reads_as_ffmpeg_and_names_formats(game):
    folder = game.folder
    source = os.path.join(folder, "source.wav")
    run("sox", "-V1", "-n", "-r", "11025", "-c", "2", source, "synth", "0.9",
        "sine", "300-2500", "brownnoise")
    files = {
        "ffmpeg stereo ADPCM": ["ffmpeg", "-nostdin", "-loglevel", "error", "-i", source,
                                "-c:a", "adpcm_ms", "-block_size", "512"],
        "sox mono ADPCM": ["sox", "-V1", source, "-c", "1", "-e", "ms-adpcm"],
        "sox 8-bit PCM": ["sox", "-V1", source, "-c", "1", "-b", "8", "-e", "unsigned"],
    }
    for name, command in files.items():
        path = os.path.join(folder, name.replace(" ", "-") + ".wav")
        raw = path + ".raw"
        run(*command, path)
        code, result, _ = game.tool("sound", path, "--raw", raw)
        expected = ffmpeg_samples(path)
        with open(raw, "rb") as f:
            dumped = f.read()
        check(code == 0 and (result["code"], result["length"]) == (0, len(expected) // 2),
              "%s: channel 0 with ffmpeg's sample count (%s)" % (name, result))
        check(dumped == expected, "%s: the dumped samples are ffmpeg's" % name)

    # sox options, then: the loader's code, the file's channels and rate, the warnings
    # (words of each) and the words of the error.
    formats = [
        (["-c", "1", "-b", "16"], 0, 1, 11025, [], None),
        (["-r", "22050", "-c", "2", "-b", "16"], 0, 2, 22050, ["2 channels", "22050 Hz"],
         None),
        (["-c", "1", "-e", "ima-adpcm"], -4, 1, 11025, [], "not IMA ADPCM"),
        (["-c", "1", "-e", "floating-point", "-b", "32"], -4, 1, 11025, [], "IEEE float"),
        (["-c", "1", "-e", "mu-law"], -4, 1, 11025, [], "mu-law"),
        (["-c", "1", "-b", "24"], -4, 1, 11025, [], "extensible (PCM inside) kind"),
    ]
    for options, code_wanted, channels, rate, warnings, error in formats:
        path = os.path.join(folder, "-".join(options) + ".wav")
        run("sox", "-V1", source, *options, path)
        code, result, stderr = game.tool("sound", path)
        own = result.get("file", {})
        got = (result["code"], own.get("channels"), own.get("sampleRate"))
        said = " ".join(result["warnings"])
        check(got == (code_wanted, channels, rate) and len(result["warnings"]) == len(warnings)
              and all(w in said for w in warnings)
              and (error is None or error in result.get("error", "") and error in stderr),
              "%s: %s %s %s" % (options, got, result["warnings"], result.get("error")))
        if code_wanted == 0:
            seconds = result["game"]["seconds"] / own["seconds"]
            check(abs(seconds - channels * rate / 11025) < 0.01,
                  "%s: the game plays it %.2f times as long" % (options, seconds))

    code, result, stderr = game.tool("sound", os.path.join(folder, "absent.wav"))
    check(code == 1 and (result["code"], result["length"]) == (-1, 0), "absent file: code -1")
    check("Could not open file:" in stderr and "absent.wav" in stderr,
          "absent file: the message names it")
    broken = os.path.join(folder, "broken.wav")
    with open(broken, "wb") as f:
        f.write(b"RIFF\0\0\0\0WAVEfmt \x33\0\0\0")
    code, result, _ = game.tool("sound", broken, "--raw", broken + ".raw")
    check(code == 1 and result["code"] == -4 and not os.path.exists(broken + ".raw"),
          "format chunk over 50 bytes: -4 and nothing dumped")
    code, _, stderr = game.tool("sound")
    check(code == 2 and "usage" in stderr, "no file: usage")


if __name__ == "__main__":
    harness.run([model_command_reports_what_it_read, model_warnings_name_their_line,
                 textures_are_tried_as_the_game_loads_them, view_command_draws_the_model,
                 sound_tool_reads_as_ffmpeg_and_names_formats])
