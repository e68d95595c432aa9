#!/usr/bin/env python3
"""Headless races with `trundlebay-tool race` on every generated track map.

For each map: 20 races with different seeds, with and without --autopilot. Every race must
end with a winner within 5 simulated minutes, and rivals of both directions must be
completing laps. Without the autopilot the player's jeepney stands at the start
and never wins. Prints the median finish time per map (the figures of docs/maps.md).
"""
import argparse
import collections
import concurrent.futures
import json
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile

SEEDS = range(1, 21)
# A race may be won before the rivals of one direction are round once (they can be held up in
# a pile-up at a corner), but over a map's races both directions must mostly be lapping.
LAPPING_SHARE = 0.75
TIME_LIMIT = 300.0  # simulated seconds
RUN_TIMEOUT = 120  # real seconds per tool run


def run_tool(tool, *args, timeout=RUN_TIMEOUT):
    # An empty folder for the player's own tracks: the tester's own never join the maps.
    with tempfile.TemporaryDirectory() as data:
        return subprocess.run([str(tool), "race", *args], capture_output=True, text=True,
                              timeout=timeout, env=dict(os.environ, XDG_DATA_HOME=data))


def race_once(tool, map_path, seed, autopilot):
    args = ["--map", str(map_path), "--races", "1", "--seed", str(seed)]
    if autopilot:
        args.append("--autopilot")
    result = run_tool(tool, *args)
    label = f"{map_path.name} seed {seed}{' autopilot' if autopilot else ''}"
    if result.returncode != 0:
        return label, None, f"exit {result.returncode}: {result.stderr.strip()}"
    lines = result.stdout.strip().splitlines()
    if len(lines) != 1:
        return label, None, f"expected one line, got {lines!r}"
    return label, json.loads(lines[0]), None


def problems_of(line, map_path, seed, autopilot):
    found = []
    if line["map"] != map_path.name or line["seed"] != seed:
        found.append(f"names map {line['map']} seed {line['seed']}")
    laps = line["laps"]
    winner = line["winner"]
    if len(laps) != 8 or not 0 <= winner < 8:
        found.append(f"winner {winner}, laps {laps}")
        return found
    if laps[winner] != 3:
        found.append(f"winner {winner} has {laps[winner]} laps")
    if not 0 < line["finishTime"] <= TIME_LIMIT:
        found.append(f"finish time {line['finishTime']} s")
    if not autopilot and (laps[0] != 0 or winner == 0):
        found.append(f"the unsteered player moved: winner {winner}, laps {laps}")
    return found


def check_runs(tool, first_map):
    """A seed repeats its races, and without --map a map is chosen."""
    failures = []
    runs = [run_tool(tool, "--map", str(first_map), "--races", "3", "--seed", "5")
            for _ in range(2)]
    if runs[0].returncode != 0 or len(runs[0].stdout.splitlines()) != 3:
        failures.append(f"--races 3 gave exit {runs[0].returncode}: {runs[0].stdout!r}")
    if runs[0].stdout != runs[1].stdout:
        failures.append("the same seed does not give the same races")
    chosen = run_tool(tool, "--seed", "3")
    if chosen.returncode != 0 or not json.loads(chosen.stdout)["map"].lower().startswith("map"):
        failures.append(f"without --map no map was chosen: {chosen.stderr!r}")
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    build = pathlib.Path(args.build).resolve()
    tool = build / "trundlebay-tool"
    maps = sorted((build / "media").glob("map*.bmp"))
    if not tool.exists():
        print(f"FAIL: no {tool}")
        return 1
    if not maps:
        print(f"FAIL: no generated track maps in {build / 'media'}")
        return 1

    failures = check_runs(tool, maps[0])
    jobs = [(m, seed, autopilot) for m in maps for autopilot in (False, True) for seed in SEEDS]
    finish_times = {}
    lapping = collections.Counter()
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        futures = {pool.submit(race_once, tool, *job): job for job in jobs}
        for future in concurrent.futures.as_completed(futures):
            map_path, seed, autopilot = futures[future]
            label, line, error = future.result()
            if error:
                failures.append(f"{label}: {error}")
                continue
            for problem in problems_of(line, map_path, seed, autopilot):
                failures.append(f"{label}: {problem}")
            finish_times.setdefault((map_path.name, autopilot), []).append(line["finishTime"])
            for direction, rivals in (("forward", slice(1, 4)), ("reverse", slice(4, 8))):
                if max(line["laps"][rivals]) >= 1:
                    lapping[(map_path.name, autopilot, direction)] += 1

    print("| map | median finish, player standing (s) | median finish, autopilot (s) |")
    print("|---|---|---|")
    for m in maps:
        cells = []
        for autopilot in (False, True):
            times = finish_times.get((m.name, autopilot), [])
            cells.append(f"{statistics.median(times):.2f}" if times else "-")
        print(f"| {m.name} | {cells[0]} | {cells[1]} |")

    for m in maps:
        for autopilot in (False, True):
            for direction in ("forward", "reverse"):
                share = lapping[(m.name, autopilot, direction)] / len(SEEDS)
                if share < LAPPING_SHARE:
                    failures.append(f"{m.name}{' autopilot' if autopilot else ''}: {direction} "
                                    f"rivals completed a lap in only {share:.0%} of the races")

    for failure in failures:
        print(f"FAIL: {failure}")
    if failures:
        return 1
    print(f"OK: {len(jobs)} races on {len(maps)} maps")
    return 0


if __name__ == "__main__":
    sys.exit(main())
