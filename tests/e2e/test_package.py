#!/usr/bin/env python3
"""The Debian package: `cpack -G DEB` makes trundlebay_<version>_<arch>.deb from the build, its
dependencies worked out from the binaries, and lintian, desktop-file-validate and appstreamcli
find no error in it. Unpacked with dpkg-deb into a staging folder it holds the game beside its
media, the links in games/, the desktop entry, the icons, the AppStream description and the
manual pages; started from there by a player who cannot write its media folder, the game shows
the launcher, starts, draws and keeps the player's choices in their own config folder."""
import glob
import os
import subprocess
import xml.etree.ElementTree as ElementTree

import harness
import test_install as installed
from harness import check

# Lintian warnings the package keeps, each with its reason. None so far; lintian's errors are
# never kept.
KEPT_LINTIAN_WARNINGS = {}
LIBRARIES = ("libsdl2-2.0-0", "libgtk-3-0", "libcairo2", "libjpeg62-turbo")


def run(command, timeout=600):
    return subprocess.run(command, capture_output=True, text=True, timeout=timeout)


def project_version(build_dir):
    with open(os.path.join(build_dir, "CMakeCache.txt")) as f:
        for line in f:
            if line.startswith("CMAKE_PROJECT_VERSION:"):
                return line.strip().split("=", 1)[1]
    raise harness.TestFailure("no project version in the build's CMakeCache.txt")


def make_package(game):
    out = os.path.join(game.folder, "package")
    done = run(["cpack", "-G", "DEB", "--config",
                os.path.join(game.build_dir, "CPackConfig.cmake"), "-B", out], timeout=900)
    check(done.returncode == 0, "cpack failed:\n%s%s" % (done.stdout, done.stderr))
    architecture = run(["dpkg", "--print-architecture"]).stdout.strip()
    name = "trundlebay_%s_%s.deb" % (project_version(game.build_dir), architecture)
    made = [os.path.basename(p) for p in glob.glob(os.path.join(out, "*.deb"))]
    check(made == [name], "cpack made %r, expected %s" % (made, name))
    return os.path.join(out, name)


def check_control(package):
    fields = {}
    for field in ("Package", "Section", "Depends"):
        fields[field] = run(["dpkg-deb", "-f", package, field]).stdout.strip()
    check(fields["Package"] == "trundlebay" and fields["Section"] == "games",
          "control fields %r" % fields)
    depends = {d.strip().split(" ")[0]: d.strip() for d in fields["Depends"].split(",")}
    for library in LIBRARIES:
        check(library in depends and "(>=" in depends[library],
              "no versioned dependency on %s: %s" % (library, fields["Depends"]))


def check_lintian(package):
    command = ["lintian", "--no-tag-display-limit", package]
    if os.geteuid() == 0:
        command.insert(1, "--allow-root")
    done = run(command)
    complaints = [line for line in done.stdout.splitlines()
                  if line[:2] in ("E:", "W:")
                  and line.split()[2] not in KEPT_LINTIAN_WARNINGS]
    check(not complaints and "E:" not in done.stderr,
          "lintian:\n%s%s" % ("\n".join(complaints), done.stderr))


def check_metainfo(staged):
    found = glob.glob(os.path.join(staged, "share", "metainfo", "*.metainfo.xml"))
    check(len(found) == 1, "metainfo files: %r" % found)
    done = run(["appstreamcli", "validate", "--no-net", found[0]])
    check(done.returncode == 0, "appstreamcli validate:\n%s%s" % (done.stdout, done.stderr))
    component = ElementTree.parse(found[0]).getroot()
    launchable = component.findtext("launchable")
    check(os.path.isfile(os.path.join(staged, "share", "applications", launchable or "-")),
          "the metainfo launches %r, which the package lacks" % launchable)
    check(len(component.findall("screenshots/screenshot")) >= 3, "fewer than three screenshots")
    controls = {c.text for c in component.findall("supports/control")}
    check({"pointing", "keyboard", "gamepad"} <= controls, "controls %r" % controls)


def check_manual_pages(staged):
    for page in ("man6/trundlebay.6.gz", "man1/trundlebay-tool.1.gz"):
        check(os.path.isfile(os.path.join(staged, "share", "man", page)), "no manual page " + page)


def package_installs_and_plays(game):
    package = make_package(game)
    check_control(package)
    check_lintian(package)

    stage = os.path.join(game.folder, "stage")
    done = run(["dpkg-deb", "-x", package, stage])
    check(done.returncode == 0, "dpkg-deb -x failed: %s" % done.stderr)
    staged = os.path.join(stage, "usr")
    installed.check_programs(staged, links="games")
    installed.check_media(game, staged)
    installed.check_icons(staged)
    installed.check_desktop_entry(staged, "/usr/games/trundlebay")
    check_metainfo(staged)
    check_manual_pages(staged)
    installed.play_as_player(game, staged, links="games")


if __name__ == "__main__":
    harness.run([package_installs_and_plays], timeout=600)
