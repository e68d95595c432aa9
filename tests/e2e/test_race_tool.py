#!/usr/bin/env python3
"""Headless races with `trundlebay-tool race` and `soak`. race: 20 seeds on every generated map,
with and without --autopilot; every race ends with a winner within 5 simulated minutes, rivals
of both directions lap, the unsteered player never wins; prints the median finish per map (the
table of docs/maps.md). soak: every map, a few seeds, two races a level load, every race won and
no value NaN or infinite; an unreadable map and a map nobody can win are problems."""
import concurrent.futures
import glob
import os
import statistics

import harness
from harness import check

SEEDS = range(1, 21)
# A race may be won before the rivals of one direction are round once (a pile-up at a corner
# holds them), but over a map's races both directions must mostly be lapping.
LAPPING_SHARE = 0.75
TIME_LIMIT = 300.0  # simulated seconds
SOAK_SEEDS, RACES_PER_LOAD = 4, 2


def race(game, *args):
    code, out, stderr = game.tool("race", *args)
    check(code == 0, "race %s: exit %d, %s" % (args, code, stderr))
    return out


def a_seed_repeats_its_races_and_a_map_is_chosen(game):
    first = os.path.join(game.build_dir, "media", "mapPlaza.bmp")
    runs = [race(game, "--map", first, "--races", "3", "--seed", "5") for _ in range(2)]
    check(len(runs[0].splitlines()) == 3 and runs[0] == runs[1],
          "the same seed gave other races: %r" % runs)
    chosen = race(game, "--seed", "3")["map"]
    check(chosen.lower().startswith("map"), "without --map %r was raced" % chosen)


def every_map_is_won_in_time_with_rivals_lapping(game):
    maps = sorted(n for n in os.listdir(os.path.join(game.build_dir, "media"))
                  if n.startswith("map") and n.endswith(".bmp"))
    check(maps, "no generated track maps")

    def one(name, seed, autopilot):
        line = race(game, "--map", os.path.join(game.build_dir, "media", name), "--races", 1,
                    "--seed", seed, *(["--autopilot"] if autopilot else []))
        laps, winner = line["laps"], line["winner"]
        label = "%s seed %d%s: %s" % (name, seed, " autopilot" if autopilot else "", line)
        check(line["map"] == name and line["seed"] == seed and len(laps) == 8 and
              0 <= winner < 8 and laps[winner] == 3 and 0 < line["finishTime"] <= TIME_LIMIT,
              label)
        check(autopilot or (laps[0] == 0 and winner != 0), "the unsteered player moved: " + label)
        return line

    jobs = [(m, seed, autopilot) for m in maps for autopilot in (False, True) for seed in SEEDS]
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        lines = list(pool.map(lambda job: one(*job), jobs))
    races = {}
    for (m, _, autopilot), line in zip(jobs, lines):
        races.setdefault((m, autopilot), []).append(line)

    print("| map | median finish, player standing (s) | median finish, autopilot (s) |")
    print("|---|---|---|")
    for m in maps:
        medians = [statistics.median(line["finishTime"] for line in races[(m, autopilot)])
                   for autopilot in (False, True)]
        print("| %s | %.2f | %.2f |" % (m, *medians))
    for (m, autopilot), those in races.items():
        for direction, rivals in (("forward", slice(1, 4)), ("reverse", slice(4, 8))):
            share = sum(max(line["laps"][rivals]) >= 1 for line in those) / len(those)
            check(share >= LAPPING_SHARE, "%s%s: %s rivals lapped in only %.0f%% of the races"
                  % (m, " autopilot" if autopilot else "", direction, share * 100))


def soak_races_every_generated_map_soundly(game):
    maps = len(glob.glob(os.path.join(game.build_dir, "media", "map*.bmp")))
    code, summary, _ = game.tool("soak", "--seeds", SOAK_SEEDS, "--races", RACES_PER_LOAD)
    races = maps * 2 * SOAK_SEEDS * RACES_PER_LOAD
    check(maps and code == 0 and summary["problemCount"] == 0 and
          (summary["maps"], summary["races"], summary["finishes"]) == (maps, races, races),
          "exit %d on %d maps: %s" % (code, maps, summary))
    # Every race is at least its countdown and its results (333 frames each).
    longest = summary["longestRace"]
    check(summary["frames"] >= races * 2 * 333 and
          0 < longest["finishTime"] <= longest["frames"] * 0.03, "frames: %s" % summary)


def soak_reports_maps_that_cannot_race(game):
    broken = os.path.join(game.folder, "mapBroken.bmp")
    with open(broken, "wb") as f:
        f.write(b"BM not a bitmap")
    # The palette row, then rough ground with the arch but no road, 7 cells from the centre,
    # beyond the lap checkpoint, so no lap can count.
    stuck = os.path.join(game.folder, "mapNoRoad.bmp")
    palette = [(0x40, c, c) for c in range(16)]
    with open(stuck, "wb") as f:
        f.write(harness.bmp24(16, 4, lambda x, y: palette[x if y == 0 else
                                                          3 if (x, y) == (1, 2) else 1]))
    for path, seeds, problems, words in ((broken, 3, 1, "cannot be read"),
                                         (stuck, 1, 2, "no winner")):
        code, summary, _ = game.tool("soak", "--map", path, "--seeds", seeds)
        check(code == 1 and summary["problemCount"] == problems and
              all(words in p for p in summary["problems"]) and
              (path == broken or summary["finishes"] == 0),
              "%s: exit %d, %s" % (os.path.basename(path), code, summary))


if __name__ == "__main__":
    harness.run([a_seed_repeats_its_races_and_a_map_is_chosen,
                 every_map_is_won_in_time_with_rivals_lapping,
                 soak_races_every_generated_map_soundly, soak_reports_maps_that_cannot_race],
                timeout=280)
