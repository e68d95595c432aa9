#!/usr/bin/env python3
"""A short soak with `trundlebay-tool soak`: every generated map, a few seeds, with and without
the autopilot, two races per level load. Every race must be won and no value may become NaN or
infinite; an unreadable map and a map nobody can win must be reported as problems."""
import glob
import json
import os
import subprocess

import harness
from harness import check

SEEDS = 4
RACES_PER_LOAD = 2


def soak(game, *args):
    # XDG_DATA_HOME empty: the tester's own tracks never join the maps.
    done = subprocess.run([os.path.join(game.build_dir, "trundlebay-tool"), "soak", *args],
                          capture_output=True, text=True, timeout=120,
                          env=dict(os.environ, XDG_DATA_HOME=game.folder))
    try:
        return done.returncode, json.loads(done.stdout)
    except json.JSONDecodeError:
        return done.returncode, done.stderr


def every_generated_map_races_soundly(game):
    maps = len(glob.glob(os.path.join(game.build_dir, "media", "map*.bmp")))
    code, summary = soak(game, "--seeds", str(SEEDS), "--races", str(RACES_PER_LOAD))
    races = maps * 2 * SEEDS * RACES_PER_LOAD
    check(maps and code == 0 and summary["problemCount"] == 0 and
          (summary["maps"], summary["races"], summary["finishes"]) == (maps, races, races),
          "exit %d on %d maps: %s" % (code, maps, summary))
    # Every race is at least its countdown and its results (333 frames each).
    longest = summary["longestRace"]
    check(summary["frames"] >= races * 2 * 333 and
          0 < longest["finishTime"] <= longest["frames"] * 0.03, "frames: %s" % summary)
    print("   %d races, %d frames, longest %s" % (races, summary["frames"], longest))


def maps_that_cannot_race_are_problems(game):
    broken = os.path.join(game.folder, "mapBroken.bmp")
    with open(broken, "wb") as f:
        f.write(b"BM not a bitmap")
    code, summary = soak(game, "--map", broken, "--seeds", "3")
    check(code == 1 and summary["problemCount"] == 1 and
          "cannot be read" in summary["problems"][0], "an unreadable map: exit %d, %s"
          % (code, summary))
    # The palette row, then rough ground with the arch but no road, 7 cells from the centre,
    # beyond the lap checkpoint, so no lap can count.
    stuck = os.path.join(game.folder, "mapNoRoad.bmp")
    palette = [(0x40, c, c) for c in range(16)]
    with open(stuck, "wb") as f:
        f.write(harness.bmp24(16, 4, lambda x, y: palette[x if y == 0 else
                                                          3 if (x, y) == (1, 2) else 1]))
    code, summary = soak(game, "--map", stuck, "--seeds", "1")
    check(code == 1 and summary["finishes"] == 0 and summary["problemCount"] == 2 and
          all("no winner" in p for p in summary["problems"]),
          "a map without a road: exit %d, %s" % (code, summary))


if __name__ == "__main__":
    harness.run([every_generated_map_races_soundly, maps_that_cannot_race_are_problems])
