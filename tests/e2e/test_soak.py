#!/usr/bin/env python3
"""A short soak with `trundlebay-tool soak`: every generated map, a few seeds, with and without
the autopilot, two races per level load. Every race must be won, its results must end and no
vehicle or camera value may become NaN or infinite. A map that cannot be read and a map on
which nobody can ever win must both be reported as problems.
"""
import argparse
import json
import os
import pathlib
import struct
import subprocess
import sys
import tempfile

SEEDS = 4
RACES_PER_LOAD = 2
RUN_TIMEOUT = 120  # real seconds


def soak(tool, *args):
    # An empty folder for the player's own tracks: the tester's own never join the maps.
    with tempfile.TemporaryDirectory() as data:
        result = subprocess.run([str(tool), "soak", *args], capture_output=True, text=True,
                                timeout=RUN_TIMEOUT, env=dict(os.environ, XDG_DATA_HOME=data))
    try:
        summary = json.loads(result.stdout)
    except json.JSONDecodeError:
        summary = None
    return result.returncode, summary, result.stderr


def write_arch_only_map(path):
    """The palette row, then rough ground with the arch inside the border and no road. The arch
    stands 7 cells from the centre, beyond the lap checkpoint, so no lap can count."""
    width = 16
    palette = [(code, code, 0x40) for code in range(width)]
    rows = [palette] + [[palette[1]] * width for _ in range(3)]
    rows[2][1] = palette[3]
    image = b"".join(bytes(b for colour in row for b in colour) for row in reversed(rows))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(image), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, len(rows), 1, 24, 0, len(image), 2835, 2835,
                       0, 0)
    path.write_bytes(header + info + image)


def check_generated_maps(tool, map_count):
    code, summary, stderr = soak(tool, "--seeds", str(SEEDS), "--races", str(RACES_PER_LOAD))
    if summary is None:
        return [f"no JSON summary (exit {code}): {stderr.strip()}"]
    failures = []
    races = map_count * 2 * SEEDS * RACES_PER_LOAD
    if code != 0 or summary["problemCount"] != 0:
        failures.append(f"exit {code}, problems {summary['problems']}")
    if (summary["maps"], summary["races"], summary["finishes"]) != (map_count, races, races):
        failures.append(f"{summary['races']} races, {summary['finishes']} won on "
                        f"{summary['maps']} maps; expected {races} on {map_count}")
    # Every race is at least its countdown and its results (333 frames each).
    if summary["frames"] < races * 2 * 333:
        failures.append(f"only {summary['frames']} frames in {races} races")
    longest = summary["longestRace"]
    if not longest or not 0 < longest["finishTime"] <= longest["frames"] * 0.03:
        failures.append(f"longest race {longest}")
    print(f"{summary['races']} races, {summary['frames']} frames, longest {longest}")
    return failures


def check_problems_reported(tool):
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        broken = pathlib.Path(folder) / "mapBroken.bmp"
        broken.write_bytes(b"BM not a bitmap")
        code, summary, _ = soak(tool, "--map", str(broken), "--seeds", "3")
        if code != 1 or summary is None or summary["problemCount"] != 1 \
                or "cannot be read" not in summary["problems"][0]:
            failures.append(f"an unreadable map gave exit {code}: {summary}")

        stuck = pathlib.Path(folder) / "mapNoRoad.bmp"
        write_arch_only_map(stuck)
        code, summary, _ = soak(tool, "--map", str(stuck), "--seeds", "1")
        if code != 1 or summary is None or summary["finishes"] != 0 \
                or summary["problemCount"] != 2 \
                or not all("no winner" in p for p in summary["problems"]):
            failures.append(f"a map without a road gave exit {code}: {summary}")
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    build = pathlib.Path(args.build).resolve()
    tool = build / "trundlebay-tool"
    maps = sorted((build / "media").glob("map*.bmp"))
    if not tool.exists() or not maps:
        print(f"FAIL: no {tool} or no generated track maps in {build / 'media'}")
        return 1
    failures = check_generated_maps(tool, len(maps)) + check_problems_reported(tool)
    for failure in failures:
        print(f"FAIL: {failure}")
    if failures:
        return 1
    print("OK")
    return 0


if __name__ == "__main__":
    sys.exit(main())
