#!/usr/bin/env python3
"""Mutation run over the game's rule code: how many small, plausible bugs do the unit tests catch?

Each mutant is one change of one token in one source file: an arithmetic or comparison operator
swapped, a logical operator flipped, a sign dropped, a constant nudged, or one statement removed.
For every mutant the script rebuilds only that folder's unit-test program (the build system
recompiles the one changed file and relinks), runs it, and counts the mutant killed when the
tests fail, crash or time out, and surviving when they pass. Mutants that do not compile are
left out of the figures.

    python3 scripts/mutate.py --budget 3600                     # every folder, an hour at most
    python3 scripts/mutate.py --files src/race/ramps.cpp --budget 600
    python3 scripts/mutate.py --folders track race --max-per-file 40 --json mutants.json

The sources are changed in place, one at a time, and always restored (also on Ctrl+C), so run
it on a tree whose changes are committed or saved. It builds into its own folder (build-mutate
by default) and, without a DISPLAY, runs itself under xvfb-run for the tests that draw.
"""

import argparse
import json
import os
import random
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# The rule code of each folder, and the unit-test program that covers it.
RULE_FILES = {
    "track": ["collisions.cpp", "track_builder.cpp", "track_grid.cpp", "transform.cpp", "level.cpp"],
    "race": ["vehicle.cpp", "ramps.cpp", "race_progress.cpp", "camera.cpp", "hud.cpp",
             "opponents.cpp", "game_update.cpp", "headless_race.cpp"],
    "audio": ["wav_loader.cpp", "adpcm.cpp", "sound_channels.cpp"],
    "render": ["sparks.cpp", "overlay.cpp"],
    "assets": ["model_file.cpp", "texture_pixels.cpp"],
    "shell": ["frame_clock.cpp", "settings.cpp", "input.cpp"],
}

SWAPS = {" + ": " - ", " - ": " + ", " * ": " / ", " / ": " * ", " < ": " <= ", " <= ": " < ",
         " > ": " >= ", " >= ": " > ", " == ": " != ", " != ": " == ", " && ": " || ",
         " || ": " && ", " += ": " -= ", " -= ": " += ", " *= ": " /= ", " /= ": " *= "}
OPERATOR = re.compile("|".join(re.escape(k) for k in sorted(SWAPS, key=len, reverse=True)))
NUMBER = re.compile(r"(?<![\w.])(\d+\.\d*|\.\d+|\d+)(e[-+]?\d+)?([fFuUlL]*)(?![\w.])")
NEGATION = re.compile(r"(?<=[(,=\[{:?] )-(?=[\w(])|(?<=[(\[{])-(?=[\w(])|(?<=return )-(?=[\w(])")
STATEMENT = re.compile(r"^\s*(?:[A-Za-z_][\w.\->\[\]]*\s*(?:[-+*/]?=|\+\+|--)|(?:\+\+|--)\w|"
                       r"[a-z_]\w*(?:::\w+)*(?:\.\w+)*\(.*\);\s*$)")
NOT_A_STATEMENT = re.compile(r"^\s*(return|const|constexpr|static|auto|using|case|default|"
                             r"int|float|double|bool|char|unsigned|std::|if|for|while|else)\b")


def code_mask(text):
    """Marks which characters are code (not comments, strings or preprocessor lines)."""
    mask = bytearray(b"\x01" * len(text))
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and text[i:].lstrip(" \t").startswith("#"):
            end = text.find("\n", i)
            end = n if end < 0 else end
            mask[i:end] = b"\x00" * (end - i)
            i = end
            continue
        line_start = c == "\n"
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            mask[i:end] = b"\x00" * (end - i)
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            mask[i:end] = b"\x00" * (end - i)
            i = end
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            mask[i:j + 1] = b"\x00" * (j + 1 - i)
            i = j + 1
        else:
            i += 1
    return mask


def nudged(literal, exponent, suffix):
    exponent = exponent or ""
    if "." in literal or exponent or "f" in suffix.lower():
        value = float(literal + exponent)
        changed = 1.0 if value == 0.0 else value * 2.0
        return repr(changed) + ("f" if "f" in suffix.lower() else "")
    value = int(literal)
    return str(value + 1 if value != 1 else 0) + suffix


def mutants_of(text):
    """Every one-token change of the file's code, as (offset, old, new, kind)."""
    mask = code_mask(text)
    found = []
    for m in OPERATOR.finditer(text):
        if mask[m.start() + 1]:
            found.append((m.start(), m.group(), SWAPS[m.group()], "operator"))
    for m in NUMBER.finditer(text):
        if mask[m.start()] and not text[max(0, m.start() - 1)].isalpha():
            found.append((m.start(), m.group(), nudged(*m.groups()), "constant"))
    for m in NEGATION.finditer(text):
        if mask[m.start()]:
            found.append((m.start(), "-", "", "sign"))
    offset = 0
    previous = ""
    for line in text.splitlines(keepends=True):
        stripped = line.strip()
        starts_statement = previous.endswith((";", "{", "}")) or previous.startswith("//")
        if (mask[offset + len(line) - len(line.lstrip())] if stripped else False) and \
                starts_statement and stripped.endswith(";") and STATEMENT.match(line) and \
                not NOT_A_STATEMENT.match(line):
            body = line[len(line) - len(line.lstrip()):len(line.rstrip())]
            found.append((offset + len(line) - len(line.lstrip()), body, ";", "statement"))
        if stripped:
            previous = stripped
        offset += len(line)
    return found


def line_of(text, offset):
    """The line and column of an offset, both from 1, so a survivor can be found."""
    return text.count("\n", 0, offset) + 1, offset - text.rfind("\n", 0, offset)


class Run:
    def __init__(self, args):
        self.args = args
        self.build = (ROOT / args.build).resolve()
        self.env = dict(os.environ)
        self.results = []

    def configure(self):
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(self.build),
                        "-DCMAKE_BUILD_TYPE=RelWithDebInfo"], check=True,
                       stdout=subprocess.DEVNULL)
        # Tests that drive the game's own ramp and tracks skip themselves without the media.
        subprocess.run(["cmake", "--build", str(self.build), "--target", "media",
                        f"-j{os.cpu_count() or 2}"], check=True, stdout=subprocess.DEVNULL)

    def build_tests(self, folder):
        result = subprocess.run(["cmake", "--build", str(self.build), "--target",
                                 f"tb_{folder}_tests", f"-j{os.cpu_count() or 2}"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return result.returncode == 0

    def run_tests(self, folder, timeout):
        started = time.monotonic()
        try:
            result = subprocess.run([str(self.build / f"tb_{folder}_tests"),
                                     "--gtest_brief=1"], cwd=self.build, env=self.env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                    timeout=timeout)
            outcome = "passed" if result.returncode == 0 else "failed"
        except subprocess.TimeoutExpired:
            outcome = "timeout"
        return outcome, time.monotonic() - started

    def mutate_file(self, folder, path, deadline, baseline):
        original = path.read_text()
        mutants = mutants_of(original)
        random.Random(f"{self.args.seed}:{path.name}").shuffle(mutants)
        if self.args.max_per_file:
            mutants = mutants[:self.args.max_per_file]
        try:
            for offset, old, new, kind in mutants:
                if time.monotonic() > deadline:
                    return False
                path.write_text(original[:offset] + new + original[offset + len(old):])
                if not self.build_tests(folder):
                    outcome = "no build"
                else:
                    outcome, _ = self.run_tests(folder, max(30.0, baseline * 10))
                line, column = line_of(original, offset)
                self.results.append({
                    "file": str(path.relative_to(ROOT)), "line": line, "column": column,
                    "kind": kind, "from": old.strip(), "to": new.strip(),
                    "outcome": {"failed": "killed", "timeout": "killed",
                                "passed": "survived"}.get(outcome, outcome)})
                print(f"{self.results[-1]['outcome']:9} {path.relative_to(ROOT)}:{line}:{column} "
                      f"{kind}: {old.strip()!r} -> {new.strip()!r}",
                      flush=True)
        finally:
            # A fresh time stamp, not the old one: the last mutant's object is newer than the
            # old one and would stay linked into every later test run.
            path.write_text(original)
        return True

    def chosen_files(self):
        if self.args.files:
            for name in self.args.files:
                path = (ROOT / name).resolve()
                yield path.parent.name, path
            return
        for folder in self.args.folders:
            for name in RULE_FILES[folder]:
                path = ROOT / "src" / folder / name
                if path.exists():
                    yield folder, path

    def run(self):
        started = time.monotonic()
        deadline = started + self.args.budget
        self.configure()
        baselines = {}
        for folder, path in self.chosen_files():
            if folder not in baselines:
                if not self.build_tests(folder):
                    sys.exit(f"the unit tests of {folder} do not build")
                outcome, seconds = self.run_tests(folder, 600)
                if outcome != "passed":
                    subprocess.run([str(self.build / f"tb_{folder}_tests"), "--gtest_brief=1"],
                                   cwd=self.build, env=self.env, timeout=600)
                    sys.exit(f"the unit tests of {folder} fail before any change")
                baselines[folder] = seconds
            if not self.mutate_file(folder, path, deadline, baselines[folder]):
                print("time budget spent", flush=True)
                break
        for folder in baselines:
            self.build_tests(folder)
        return time.monotonic() - started


def summary(results, seconds):
    per_file = {}
    for r in results:
        counts = per_file.setdefault(r["file"], {"killed": 0, "survived": 0, "no build": 0})
        counts[r["outcome"]] += 1
    lines = [f"{'file':40} {'mutants':>8} {'killed':>7} {'survived':>9} {'score':>6}"]
    killed = survived = 0
    for name, c in sorted(per_file.items()):
        made = c["killed"] + c["survived"]
        killed += c["killed"]
        survived += c["survived"]
        score = f"{100 * c['killed'] / made:.0f}%" if made else "-"
        lines.append(f"{name:40} {made:8} {c['killed']:7} {c['survived']:9} {score:>6}")
    made = killed + survived
    score = f"{100 * killed / made:.1f}%" if made else "-"
    lines.append(f"{'all':40} {made:8} {killed:7} {survived:9} {score:>6}")
    lines.append(f"{len(results) - made} mutants did not compile; {seconds / 60:.1f} minutes")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--folders", nargs="+", default=list(RULE_FILES), choices=list(RULE_FILES))
    parser.add_argument("--files", nargs="+", help="source files to mutate instead of --folders")
    parser.add_argument("--budget", type=float, default=3600, help="seconds to spend at most")
    parser.add_argument("--max-per-file", type=int, default=0, help="mutants per file (0: all)")
    parser.add_argument("--seed", default="trundlebay", help="order in which mutants are tried")
    parser.add_argument("--build", default="build-mutate", help="build folder, under the tree")
    parser.add_argument("--json", help="write every mutant and its outcome to this file")
    args = parser.parse_args()

    if not os.environ.get("DISPLAY"):
        # The tests that draw need an X server: run under a virtual one, as the test command does.
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                               sys.executable, *sys.argv])
    run = Run(args)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    seconds = run.run()
    print(summary(run.results, seconds))
    if args.json:
        Path(args.json).write_text(json.dumps(run.results, indent=1))
    print("survivors:")
    for r in run.results:
        if r["outcome"] == "survived":
            print(f"  {r['file']}:{r['line']}:{r['column']} {r['kind']}: "
                  f"{r['from']!r} -> {r['to']!r}")


if __name__ == "__main__":
    main()
