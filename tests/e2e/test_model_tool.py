#!/usr/bin/env python3
"""trundlebay-tool model and view on small model files: the JSON, the exit codes, the picture."""
import argparse
import json
import os
import struct
import subprocess
import sys
import tempfile

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


def cube(texture):
    """A cube of side 2 with outward faces, normals and texture coordinates."""
    axes = [((1, 0, 0), (0, 1, 0), (0, 0, 1)), ((-1, 0, 0), (0, 0, 1), (0, 1, 0)),
            ((0, 1, 0), (0, 0, 1), (1, 0, 0)), ((0, -1, 0), (1, 0, 0), (0, 0, 1)),
            ((0, 0, 1), (1, 0, 0), (0, 1, 0)), ((0, 0, -1), (0, 1, 0), (1, 0, 0))]
    vertices, faces = [], []
    for n, u, v in axes:
        base = len(vertices)
        for a, b in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
            p = [n[i] + a * u[i] + b * v[i] for i in range(3)]
            vertices.append(p + list(n) + [(a + 1) / 2, (b + 1) / 2])
        faces += [(base, base + 1, base + 2), (base, base + 2, base + 3)]
    lines = ["A3F", "VERTICES { POSITION_NORMAL_TEXCOORDS %d" % len(vertices)]
    lines += [" ".join("%g" % x for x in v) for v in vertices]
    lines += ["}", "FACES { %d" % len(faces)] + ["%d %d %d 0" % f for f in faces] + ["}"]
    lines += ["MATERIALS { 1 { DIFFUSE 1 1 1 1 TEXTURE { FILE %s ALPHA NONE } } }" % texture]
    return "\n".join(lines) + "\n"


def write_bmp(path, width, height, colour_at):
    row_bytes = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = colour_at(x, y)
            row += bytes((b, g, r))
        pixels += row + bytes(row_bytes - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


class Checks:
    def __init__(self):
        self.failures = 0

    def expect(self, condition, what):
        if not condition:
            self.failures += 1
            print("FAIL:", what)


def run_model(tool, path):
    done = subprocess.run([tool, "model", path], capture_output=True, text=True, timeout=30)
    return done.returncode, json.loads(done.stdout), done.stderr


def check_model_command(tool, folder, checks):
    good = os.path.join(folder, "tri.a3f")
    with open(good, "w") as f:
        f.write(TRIANGLE)
    code, result, _ = run_model(tool, good)
    checks.expect(code == 0, "a valid model exits 0")
    checks.expect(result["loaded"] is True and result["errors"] == [], "valid model loads cleanly")
    checks.expect((result["vertexCount"], result["faceCount"]) == (3, 1), "counts")
    checks.expect(result["hasNormals"] is True, "normals")
    checks.expect(result["boundsMin"] == [0, 0, -1] and result["boundsMax"] == [2, 3, 0], "bounds")
    checks.expect(result["radiusSquared"] == 13, "radius squared")
    checks.expect(result["materialName"] == "paint" and result["shininess"] == 12, "material")
    checks.expect(result["diffuse"] == [0.5, 0.25, 1, 1], "diffuse %s" % result["diffuse"])
    # Named, not loaded: the texture file need not exist for the reader's view.
    checks.expect(result["textureFile"] == "skin.bmp" and result["alphaMode"] == 8, "texture")
    checks.expect(result["texcoords"] == [[0, 0], [1, 0], [0, 0.5]], "texcoords as read")

    flat = os.path.join(folder, "flat.a3f")
    with open(flat, "w") as f:
        f.write(FLAT)
    code, result, _ = run_model(tool, flat)
    checks.expect(code == 0 and result["hasNormals"], "flat model loads")
    checks.expect(result["texcoords"] == [[0, 0], [1, 0], [0, 1]], "texcoords made along y")

    failures = {
        "notmodel.a3f": ("OBJ 1 2 3", [("Not an .a3f file:", "notmodel.a3f")]),
        "nofaces.a3f": ("A3F VERTICES { POSITION_TEXCOORDS 0 }",
                        [("Failed to find section FACES:", "nofaces.a3f")]),
        "layout.a3f": ("A3F VERTICES { POSITION_COLOR 0 }", [("Bad vertex format:", "POSITION_COLOR")]),
        "index.a3f": ("A3F VERTICES { POSITION_TEXCOORDS 1 0 0 0 0 0 } FACES { 1 0 0 5 0 }",
                      [("Bad model:", "face index 5 of 1 vertices")]),
    }
    for name, (text, errors) in failures.items():
        path = os.path.join(folder, name)
        with open(path, "w") as f:
            f.write(text)
        code, result, stderr = run_model(tool, path)
        checks.expect(code == 1, "%s exits 1" % name)
        checks.expect(result["loaded"] is False, "%s is not loaded" % name)
        got = [(e["message"], e["subject"]) for e in result["errors"]]
        checks.expect(got == errors, "%s errors %s" % (name, got))
        checks.expect(errors[0][0] in stderr, "%s error on stderr" % name)

    code, result, _ = run_model(tool, os.path.join(folder, "absent.a3f"))
    checks.expect(code == 1 and result["errors"][0]["message"] == "Could not open file:", "absent")
    checks.expect(result["errors"][0]["subject"] == os.path.join(folder, "absent.a3f"), "full path")

    path = os.path.join(folder, "badnumber.a3f")
    with open(path, "w") as f:
        f.write("A3F\nVERTICES { POSITION_TEXCOORDS 1\n0 0 0 0 0\n}\nFACES { 1\n0 0 }\n")
    code, result, stderr = run_model(tool, path)
    checks.expect(result["errors"][0].get("line") == 6 and "line 6" in stderr,
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


def check_model_warnings(tool, folder, checks):
    for name, body, line, words in WARNINGS:
        path = os.path.join(folder, name + ".a3f")
        with open(path, "w") as f:
            f.write("A3F\n" + body)
        code, result, stderr = run_model(tool, path)
        got = [(w["line"], w["text"]) for w in result["warnings"]]
        checks.expect(code == 0 and len(got) == 1 and got[0][0] == line and words in got[0][1]
                      and "line %d: warning" % line in stderr, "%s: warnings %s" % (name, got))
    path = os.path.join(folder, "tri.a3f")
    code, result, _ = run_model(tool, path)
    checks.expect(result["warnings"] == [], "a clean model has no warning")


def check_textures(tool, folder, checks):
    write_bmp(os.path.join(folder, "skin.bmp"), 6, 4, lambda x, y: (200, 10, 10))
    subprocess.run(["convert", "-size", "8x8", "xc:red", os.path.join(folder, "paint.png")],
                   check=True, timeout=30)
    subprocess.run(["cp", os.path.join(folder, "paint.png"), os.path.join(folder, "png.jpg")],
                   check=True, timeout=30)
    subprocess.run(["convert", "-size", "8x8", "xc:red", "-colorspace", "CMYK",
                    os.path.join(folder, "cmyk.jpg")], check=True, timeout=30)
    subprocess.run(["convert", "-size", "8x8", "xc:red", os.path.join(folder, "long.jpeg")],
                   check=True, timeout=30)
    cases = [("skin.bmp", None), ("none.jpg", "no such file"), ("paint.png", "end in .jpg or .bmp"),
             ("png.jpg", "not a JPEG"), ("cmyk.jpg", "CMYK"), ("long.jpeg", "end in .jpg or .bmp")]
    for texture, reason in cases:
        path = os.path.join(folder, "textured.a3f")
        with open(path, "w") as f:
            f.write(TRIANGLE.replace("skin.bmp", texture))
        code, result, stderr = run_model(tool, path)
        seen = result["texture"]
        wanted = (seen.get("loads") is True and (seen["width"], seen["height"]) == (6, 4)
                  if reason is None else seen.get("loads") is False and reason in seen["error"]
                  and reason in stderr)
        checks.expect(code == 0 and seen["file"] == texture and wanted,
                      "texture %s: %s" % (texture, seen))


def colours_of(png):
    out = subprocess.run(["convert", png, "-depth", "8", "txt:-"], capture_output=True,
                         text=True, timeout=30, check=True).stdout
    return [line.split()[2] for line in out.splitlines()[1:]]


def check_view_command(tool, folder, checks):
    write_bmp(os.path.join(folder, "crate.bmp"), 8, 8,
              lambda x, y: (230, 40, 30) if (x + y) % 2 else (250, 220, 40))
    model = os.path.join(folder, "cube.a3f")
    with open(model, "w") as f:
        f.write(cube("crate.bmp"))
    png = os.path.join(folder, "cube.png")
    command = ["xvfb-run", "-a", tool, "view", model, "--png", png, "--yaw", "40", "--pitch",
               "25", "--size", "96x64"]
    done = subprocess.run(command, capture_output=True, text=True, timeout=120)
    checks.expect(done.returncode == 0, "view exits 0: %s" % done.stderr)
    checks.expect(os.path.exists(png) and os.path.getsize(png) > 0, "view writes a picture")
    if done.returncode != 0 or not os.path.exists(png):
        return
    colours = colours_of(png)
    checks.expect(len(colours) == 96 * 64, "picture has the asked size")
    corner, centre = colours[0], colours[32 * 96 + 48]
    checks.expect(centre != corner, "the model covers the middle of the picture")
    checks.expect(len(set(colours)) > 10, "the picture is shaded and textured")

    broken = os.path.join(folder, "broken.a3f")
    with open(broken, "w") as f:
        f.write("A3F")
    bad_png = os.path.join(folder, "broken.png")
    done = subprocess.run(["xvfb-run", "-a", tool, "view", broken, "--png", bad_png],
                          capture_output=True, text=True, timeout=120)
    checks.expect(done.returncode == 1 and not os.path.exists(bad_png), "broken model: no picture")
    done = subprocess.run([tool, "view", model], capture_output=True, text=True, timeout=30)
    checks.expect(done.returncode == 2 and "usage" in done.stderr, "view without --png: usage")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    tool = os.path.join(os.path.abspath(args.build), "trundlebay-tool")
    checks = Checks()
    with tempfile.TemporaryDirectory() as folder:
        check_model_command(tool, folder, checks)
        check_model_warnings(tool, folder, checks)
        check_textures(tool, folder, checks)
        check_view_command(tool, folder, checks)
    print("failures:", checks.failures)
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
