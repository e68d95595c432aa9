#!/usr/bin/env python3
"""Mutation run over the game's rule code: how many small, plausible bugs do the unit tests catch?

Each mutant is one change of one token in one source file: an arithmetic or comparison operator
swapped, a logical operator flipped, a sign dropped, a constant nudged, or one statement removed.
For every mutant the script rebuilds only that folder's unit-test program (the build system
recompiles the one changed file and relinks), runs it, and counts the mutant killed when the
tests fail, crash or time out, and surviving when they pass. Mutants that do not compile are
left out of the figures.

A mutant whose file compiles to the same machine code and data as the original (the objects
compared with their debug information stripped, since that records the columns a change shifts)
is not a change of the program at all: it is reported as identical, not run, and left out of
the figures too. The sample stays the first mutants of each file's fixed shuffle either way.

The test command runs every unit test a second time under AddressSanitizer and
UndefinedBehaviorSanitizer, which catch a read or write past an array that leaves every value
the tests see unchanged. So, after the plain pass, each survivor gets the same second chance:
its folder's tests are rebuilt with the mutant in a sanitizer build (build-mutate-asan, the
sanitizers as the test command sets them) and run, and the mutant counts as killed by the
sanitizer when they fail. --no-sanitizer skips this; the time budget covers both passes.

    python3 scripts/mutate.py --budget 3600                     # every folder, an hour at most
    python3 scripts/mutate.py --files src/race/ramps.cpp --budget 600
    python3 scripts/mutate.py --folders track race --max-per-file 40 --json mutants.json
    python3 scripts/mutate.py --folders audio --by-test        # which tests do the killing

The JSON names, for each killed mutant, the tests that failed on it ("failing"; empty when the
program crashed or hung before it could say).

The sources are changed in place, one at a time, and always restored (also on Ctrl+C), so run
it on a tree whose changes are committed or saved. It builds into its own folders (build-mutate
and build-mutate-asan by default) and, without a DISPLAY, runs itself under xvfb-run for the
tests that draw.
"""

import argparse
import collections
import hashlib
import json
import os
import random
import re
import signal
import subprocess
import sys
import tempfile
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


class Build:
    """One build folder of the tree and the unit-test programs in it."""

    def __init__(self, folder, options=(), env=None):
        self.folder = folder
        self.options = list(options)
        self.env = dict(os.environ, **(env or {}))

    def configure(self):
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(self.folder),
                        "-DCMAKE_BUILD_TYPE=RelWithDebInfo", *self.options], check=True,
                       stdout=subprocess.DEVNULL)
        # Tests that drive the game's own ramp and tracks skip themselves without the media.
        subprocess.run(["cmake", "--build", str(self.folder), "--target", "media",
                        f"-j{os.cpu_count() or 2}"], check=True, stdout=subprocess.DEVNULL)

    def build_tests(self, folder):
        result = subprocess.run(["cmake", "--build", str(self.folder), "--target",
                                 f"tb_{folder}_tests", f"-j{os.cpu_count() or 2}"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return result.returncode == 0

    def run_tests(self, folder, timeout, quiet=True):
        """The outcome, the seconds taken, and the names of the tests that failed (empty when
        the program crashed or hung before it could write them)."""
        started = time.monotonic()
        output = subprocess.DEVNULL if quiet else None
        with tempfile.TemporaryDirectory() as scratch:
            written = Path(scratch) / "tests.json"
            try:
                result = subprocess.run([str(self.folder / f"tb_{folder}_tests"), "--gtest_brief=1",
                                         f"--gtest_output=json:{written}"],
                                        cwd=self.folder, env=self.env, stdout=output,
                                        stderr=output, timeout=timeout)
                outcome = "passed" if result.returncode == 0 else "failed"
            except subprocess.TimeoutExpired:
                outcome = "timeout"
            failing = failed_tests(written)
        return outcome, time.monotonic() - started, failing

    def baseline(self, folder):
        """Seconds the unmodified tests take, or None when they do not build or pass."""
        if not self.build_tests(folder):
            print(f"the unit tests of {folder} do not build in {self.folder.name}", flush=True)
            return None
        outcome, seconds, _ = self.run_tests(folder, 600)
        if outcome != "passed":
            self.run_tests(folder, 600, quiet=False)
            print(f"the unit tests of {folder} fail in {self.folder.name} before any change",
                  flush=True)
            return None
        return seconds

    def object_of(self, path):
        """Where CMake puts the object of a source file of the subsystem library src/<folder>."""
        relative = path.relative_to(ROOT)
        return (self.folder / relative.parent / "CMakeFiles" / f"tb_{relative.parent.name}.dir" /
                f"{relative.name}.o")

    def code_digest(self, path):
        """A hash of the machine code and data compiled from a source file, debug records left
        out: they hold the line and column of every token, which a one-token change shifts."""
        with tempfile.TemporaryDirectory() as scratch:
            stripped = Path(scratch) / "stripped.o"
            subprocess.run(["objcopy", "--strip-debug", str(self.object_of(path)), str(stripped)],
                           check=True)
            return hashlib.sha256(stripped.read_bytes()).hexdigest()


def failed_tests(path):
    """The names of the failed tests in a GoogleTest JSON report, if the program wrote one."""
    try:
        report = json.loads(Path(path).read_text())
    except (OSError, ValueError):
        return []
    return [f"{suite['name']}.{test['name']}" for suite in report.get("testsuites", [])
            for test in suite.get("testsuite", []) if test.get("failures")]


def changed(text, offset, old, new):
    return text[:offset] + new + text[offset + len(old):]


class Run:
    def __init__(self, args):
        self.args = args
        self.plain = Build((ROOT / args.build).resolve())
        # As the test command's sanitizer stage runs the unit tests.
        self.sanitized = Build((ROOT / args.sanitizer_build).resolve(),
                               ["-DTB_SANITIZE=address,undefined", "-DTB_WERROR=ON"],
                               {"ASAN_OPTIONS": "detect_leaks=0",
                                "UBSAN_OPTIONS": "halt_on_error=1"})
        self.results = []
        self.survivors = []  # (result, folder, path, offset, old, new) for the second chance

    def mutate_file(self, folder, path, deadline, baseline):
        original = path.read_text()
        original_code = self.plain.code_digest(path)
        mutants = mutants_of(original)
        random.Random(f"{self.args.seed}:{path.name}").shuffle(mutants)
        if self.args.max_per_file:
            mutants = mutants[:self.args.max_per_file]
        try:
            for offset, old, new, kind in mutants:
                if time.monotonic() > deadline:
                    return False
                path.write_text(changed(original, offset, old, new))
                if not self.plain.build_tests(folder):
                    outcome = "no build"
                elif self.plain.code_digest(path) == original_code:
                    outcome = "identical"
                else:
                    outcome, _, failing = self.plain.run_tests(folder, max(30.0, baseline * 10))
                line, column = line_of(original, offset)
                result = {
                    "file": str(path.relative_to(ROOT)), "line": line, "column": column,
                    "kind": kind, "from": old.strip(), "to": new.strip(),
                    "outcome": {"failed": "killed", "timeout": "killed",
                                "passed": "survived"}.get(outcome, outcome)}
                if outcome == "failed":
                    result["failing"] = failing
                self.results.append(result)
                if result["outcome"] == "survived":
                    self.survivors.append((result, folder, path, offset, old, new))
                report(result)
        finally:
            # A fresh time stamp, not the old one: the last mutant's object is newer than the
            # old one and would stay linked into every later test run.
            path.write_text(original)
        return True

    def second_chance(self, deadline):
        """Runs each survivor's tests again in the sanitizer build."""
        if not self.survivors:
            return
        print(f"rerunning {len(self.survivors)} survivors under the sanitizers", flush=True)
        self.sanitized.configure()
        baselines = {}
        for result, folder, path, offset, old, new in self.survivors:
            if time.monotonic() > deadline:
                print("time budget spent before every survivor was rerun", flush=True)
                break
            if folder not in baselines:
                baselines[folder] = self.sanitized.baseline(folder)
            if baselines[folder] is None:
                continue
            original = path.read_text()
            try:
                path.write_text(changed(original, offset, old, new))
                if not self.sanitized.build_tests(folder):
                    continue
                outcome, _, _ = self.sanitized.run_tests(folder,
                                                         max(30.0, baselines[folder] * 10))
            finally:
                path.write_text(original)
            if outcome != "passed":
                result["outcome"] = "killed"
                result["by"] = "sanitizer"
                report(result)
        for folder in baselines:
            self.sanitized.build_tests(folder)

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
        self.plain.configure()
        baselines = {}
        for folder, path in self.chosen_files():
            if folder not in baselines:
                baselines[folder] = self.plain.baseline(folder)
                if baselines[folder] is None:
                    sys.exit(1)
            if not self.mutate_file(folder, path, deadline, baselines[folder]):
                print("time budget spent", flush=True)
                break
        for folder in baselines:
            self.plain.build_tests(folder)
        if self.args.sanitizer:
            self.second_chance(deadline)
        return time.monotonic() - started


def described(r):
    return f"{r['file']}:{r['line']}:{r['column']} {r['kind']}: {r['from']!r} -> {r['to']!r}"


def report(result):
    outcome = result["outcome"] + (" (sanitizer)" if result.get("by") == "sanitizer" else "")
    print(f"{outcome:9} {described(result)}", flush=True)


def summary(results, seconds):
    per_file = {}
    for r in results:
        counts = per_file.setdefault(r["file"], {"killed": 0, "survived": 0, "no build": 0,
                                                 "identical": 0})
        counts[r["outcome"]] += 1
    lines = [f"{'file':40} {'mutants':>8} {'killed':>7} {'survived':>9} {'score':>6} "
             f"{'identical':>10}"]
    killed = survived = identical = 0
    for name, c in sorted(per_file.items()):
        made = c["killed"] + c["survived"]
        killed += c["killed"]
        survived += c["survived"]
        identical += c["identical"]
        score = f"{100 * c['killed'] / made:.0f}%" if made else "-"
        lines.append(f"{name:40} {made:8} {c['killed']:7} {c['survived']:9} {score:>6} "
                     f"{c['identical']:10}")
    made = killed + survived
    score = f"{100 * killed / made:.1f}%" if made else "-"
    lines.append(f"{'all':40} {made:8} {killed:7} {survived:9} {score:>6} {identical:10}")
    by_sanitizer = sum(r.get("by") == "sanitizer" for r in results)
    lines.append(f"{by_sanitizer} of the killed were killed by the sanitizer build only; "
                 f"{identical} compiled to the original's code and were not run; "
                 f"{len(results) - made - identical} did not compile; {seconds / 60:.1f} minutes")
    return "\n".join(lines)


def test_report(results):
    """Each test that failed for some mutant: how many mutants it kills, and how many of those
    no other test kills. A test that kills none alone is a candidate for merging or dropping,
    though it may still pin a rule no mutant of the sample touched."""
    killers = {}
    for i, r in enumerate(results):
        for name in r.get("failing", []):
            killers.setdefault(name, set()).add(i)
    killer_count = collections.Counter(i for kills in killers.values() for i in kills)
    alone = {name: sum(killer_count[i] == 1 for i in kills) for name, kills in killers.items()}
    lines = [f"{'kills':>6} {'alone':>6}  test"]
    for name in sorted(killers, key=lambda n: (alone[n], len(killers[n]), n)):
        lines.append(f"{len(killers[name]):6} {alone[name]:6}  {name}")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--folders", nargs="+", default=list(RULE_FILES), choices=list(RULE_FILES))
    parser.add_argument("--files", nargs="+", help="source files to mutate instead of --folders")
    parser.add_argument("--budget", type=float, default=3600, help="seconds to spend at most")
    parser.add_argument("--max-per-file", type=int, default=0, help="mutants per file (0: all)")
    parser.add_argument("--seed", default="trundlebay", help="order in which mutants are tried")
    parser.add_argument("--build", default="build-mutate", help="build folder, under the tree")
    parser.add_argument("--sanitizer-build", default="build-mutate-asan",
                        help="build folder for the survivors' rerun, under the tree")
    parser.add_argument("--no-sanitizer", dest="sanitizer", action="store_false",
                        help="do not rerun the survivors under the sanitizers")
    parser.add_argument("--json", help="write every mutant and its outcome to this file")
    parser.add_argument("--by-test", action="store_true",
                        help="also list how many mutants each failing test kills, and alone")
    args = parser.parse_args()

    if not os.environ.get("DISPLAY"):
        # The tests that draw need an X server: run under a virtual one, as the test command does.
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                               sys.executable, *sys.argv])
    run = Run(args)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    seconds = run.run()
    print(summary(run.results, seconds))
    if args.by_test:
        print(test_report(run.results))
    if args.json:
        Path(args.json).write_text(json.dumps(run.results, indent=1))
    for outcome, heading in (("survived", "survivors"), ("identical", "identical to the original")):
        print(f"{heading}:")
        for r in run.results:
            if r["outcome"] == outcome:
                print(f"  {described(r)}")


if __name__ == "__main__":
    main()
