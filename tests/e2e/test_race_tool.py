#!/usr/bin/env python3
"""Headless races with `trundlebay-tool race`: 20 seeds on every generated map, with and without
--autopilot. Every race ends with a winner within 5 simulated minutes and rivals of both
directions lap; the unsteered player never wins. Prints the median finish per map (the table
of docs/maps.md)."""
import concurrent.futures
import json
import os
import statistics
import subprocess

import harness
from harness import check

SEEDS = range(1, 21)
# A race may be won before the rivals of one direction are round once (a pile-up at a corner
# holds them), but over a map's races both directions must mostly be lapping.
LAPPING_SHARE = 0.75
TIME_LIMIT = 300.0  # simulated seconds


def race(game, *args):
    # XDG_DATA_HOME empty: the tester's own tracks never join the maps.
    done = subprocess.run([os.path.join(game.build_dir, "trundlebay-tool"), "race", *args],
                          capture_output=True, text=True, timeout=120,
                          env=dict(os.environ, XDG_DATA_HOME=game.folder))
    check(done.returncode == 0, "race %s: exit %d, %s" % (args, done.returncode, done.stderr))
    return done.stdout


def a_seed_repeats_its_races_and_a_map_is_chosen(game):
    first = os.path.join(game.build_dir, "media", "mapPlaza.bmp")
    runs = [race(game, "--map", first, "--races", "3", "--seed", "5") for _ in range(2)]
    check(len(runs[0].splitlines()) == 3 and runs[0] == runs[1],
          "the same seed gave other races: %r" % runs)
    chosen = json.loads(race(game, "--seed", "3"))["map"]
    check(chosen.lower().startswith("map"), "without --map %r was raced" % chosen)


def every_map_is_won_in_time_with_rivals_lapping(game):
    maps = sorted(n for n in os.listdir(os.path.join(game.build_dir, "media"))
                  if n.startswith("map") and n.endswith(".bmp"))
    check(maps, "no generated track maps")

    def one(name, seed, autopilot):
        args = ["--map", os.path.join(game.build_dir, "media", name), "--races", "1", "--seed",
                str(seed)]
        line = json.loads(race(game, *args, *(["--autopilot"] if autopilot else [])))
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


if __name__ == "__main__":
    harness.run([a_seed_repeats_its_races_and_a_map_is_chosen,
                 every_map_is_won_in_time_with_rivals_lapping], timeout=280)
