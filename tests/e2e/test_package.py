#!/usr/bin/env python3
"""The installed game and the Debian package. `cmake --install` into a temporary prefix lays out
the program beside its media, relative links in bin/, a valid desktop entry and the icon.
`cpack -G DEB` makes trundlebay_<version>_<arch>.deb, its dependencies worked out from the
binaries, and lintian, desktop-file-validate and appstreamcli find no error in it; unpacked with
dpkg-deb it holds the game, its links in games/ (as Debian keeps a game's programs), the desktop
entry naming /usr/games, the icons, the AppStream description and the manual pages. Started from
either by a player who cannot write its media folder, the game shows the launcher, starts, draws
and keeps the player's choices in their own config folder."""
import glob
import os
import re
import stat
import subprocess
import xml.etree.ElementTree as ElementTree

import harness
from harness import check

ICON_SIZES = (16, 32, 48, 64, 128, 256)
NOBODY = 65534


def check_programs(prefix, links="bin"):
    for name in ("trundlebay", "trundlebay-tool"):
        link = os.path.join(prefix, links, name)
        program = os.path.join(prefix, "lib", "trundlebay", name)
        check(os.path.islink(link) and not os.path.isabs(os.readlink(link)),
              "%s is not a relative link" % link)
        check(os.path.realpath(link) == os.path.realpath(program), "%s leads elsewhere" % link)
        check(os.access(program, os.X_OK), "%s is not executable" % program)


def check_media(game, prefix):
    media = os.path.join(prefix, "lib", "trundlebay", "media")
    built = {n for n in os.listdir(os.path.join(game.build_dir, "media"))
             if not n.startswith("game.ini") and not n.startswith("icon")}
    installed = set(os.listdir(media))
    check(installed == built, "installed media differ from the build's: missing %r, extra %r"
          % (sorted(built - installed), sorted(installed - built)))
    check({"trackTemplate.bmp", "trackPalette.gpl"} <= installed, "no map kit installed")
    docs = os.path.join(prefix, "share", "doc", "trundlebay")
    for guide in ("maps.md", "media.md"):
        check(os.path.isfile(os.path.join(docs, guide)), "the modders' %s is not installed" % guide)
        with open(os.path.join(docs, guide)) as f:
            links = re.findall(r"\]\(([^)#:]+)\)", f.read())
        lost = [n for n in links if not os.path.exists(os.path.join(docs, n))]
        check(not lost, "the installed %s links what is not installed: %r" % (guide, lost))


def check_icons(prefix):
    for size in ICON_SIZES:
        path = os.path.join(prefix, "share/icons/hicolor/%dx%d/apps/trundlebay.png" % (size, size))
        check(os.path.isfile(path), "no icon at %s" % path)
        info = subprocess.run(["identify", "-format", "%m %w %h %A", path], capture_output=True,
                              text=True).stdout.split()
        check(info[:3] == ["PNG", str(size), str(size)], "%s is %r" % (path, info))
        check(info[3].lower() in ("blend", "true"), "%s has no transparent surround" % path)
        corner = harness.Image(path)  # flattened: the transparent corner is not the badge
        middle = corner.pixel(size // 2, size // 2)
        check(not harness.colour_close(corner.pixel(0, 0), middle, 30),
              "%s looks blank: %r" % (path, middle))


def check_desktop_entry(prefix, expected_exec):
    path = os.path.join(prefix, "share/applications/trundlebay.desktop")
    done = subprocess.run(["desktop-file-validate", path], capture_output=True, text=True)
    check(done.returncode == 0 and not done.stdout.strip(),
          "desktop-file-validate: %s%s" % (done.stdout, done.stderr))
    with open(path) as f:
        entry = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
    check(entry.get("Exec") == expected_exec, "Exec is %r" % entry.get("Exec"))
    icon = entry.get("Icon", "")
    themed = glob.glob(os.path.join(prefix, "share/icons/hicolor/*/apps/%s.png" % icon))
    check(icon and len(themed) == len(ICON_SIZES), "Icon %r finds %r" % (icon, themed))
    # Docks match the running game window to the entry by the window's class.
    check(entry.get("StartupWMClass") == "OpenGLWin",
          "StartupWMClass is %r" % entry.get("StartupWMClass"))


def as_player(game, prefix, links="bin"):
    """The way a player runs a system-wide install: the media folder is not theirs to write."""
    program = os.path.join(prefix, links, "trundlebay")
    config = os.path.join(game.folder, "config")
    os.makedirs(config)
    if os.geteuid() != 0:
        os.chmod(os.path.join(prefix, "lib", "trundlebay", "media"), 0o555)
        return program, config
    os.chmod(game.folder, 0o755)
    os.chown(config, NOBODY, NOBODY)
    wrapper = os.path.join(game.folder, "play-as-nobody")
    with open(wrapper, "w") as f:
        f.write("#!/bin/sh\nexec setpriv --reuid=%d --regid=%d --clear-groups '%s'\n"
                % (NOBODY, NOBODY, program))
    os.chmod(wrapper, os.stat(wrapper).st_mode | stat.S_IXUSR)
    return wrapper, config


def check_installed(game, prefix, links, expected_exec):
    check_programs(prefix, links)
    check_media(game, prefix)
    check_icons(prefix)
    check_desktop_entry(prefix, expected_exec)
    play_as_player(game, prefix, links)


def installed_game_races_and_saves_in_the_config_folder(game):
    prefix = os.path.join(game.folder, "prefix")
    done = run(["cmake", "--install", game.build_dir, "--prefix", prefix], timeout=120)
    check(done.returncode == 0, "cmake --install failed: %s%s" % (done.stdout, done.stderr))
    check_installed(game, prefix, "bin", os.path.join(prefix, "bin", "trundlebay"))


def play_as_player(game, prefix, links="bin"):
    """Launcher, Start, a frame and Q, then the choices are in the player's config folder."""
    game.binary, config = as_player(game, prefix, links)
    game.launch(env={"XDG_CONFIG_HOME": config, "HOME": config})
    window = game.start_from_launcher()
    harness.wait_for(lambda: game.scene_drawn(window), 60, "the installed game's scene")
    check(not game.error_messages(), "the installed game reported %r" % game.error_messages())
    game.quit(window)

    media = os.path.join(prefix, "lib", "trundlebay", "media")
    check(not os.path.exists(os.path.join(media, "game.ini")), "game.ini written into the install")
    saved = os.path.join(config, "trundlebay", "game.ini")
    check(os.path.isfile(saved), "no settings in the config folder; log:\n" + game.log())
    with open(saved) as f:
        text = f.read()
    check(text == harness.DEFAULT_INI, "the player's game.ini holds:\n" + text)


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
    check_metainfo(staged)
    check_manual_pages(staged)
    check_installed(game, staged, "games", "/usr/games/trundlebay")


if __name__ == "__main__":
    harness.run([installed_game_races_and_saves_in_the_config_folder,
                 package_installs_and_plays], timeout=600)
