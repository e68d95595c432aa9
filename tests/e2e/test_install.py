#!/usr/bin/env python3
"""The installed game: `cmake --install` into a temporary prefix lays out the program beside its
media, links in bin/ (games/ under /usr), a valid desktop entry and the icon; the installed game
starts from its link, races and quits, and a player who cannot write the media folder finds
their choices saved in their own config folder."""
import glob
import os
import re
import stat
import subprocess

import harness
from harness import check

ICON_SIZES = (16, 32, 48, 64, 128, 256)
NOBODY = 65534


def install(game, prefix, destdir=None):
    env = dict(os.environ)
    if destdir:
        env["DESTDIR"] = destdir
    done = subprocess.run(["cmake", "--install", game.build_dir, "--prefix", prefix],
                          capture_output=True, text=True, timeout=120, env=env)
    check(done.returncode == 0, "cmake --install failed: %s%s" % (done.stdout, done.stderr))


def desktop_entry(path):
    with open(path) as f:
        return dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)


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
    check(any(n.startswith("map") for n in installed) and "splash.jpg" in installed,
          "no track map or splash picture installed")
    check({"trackTemplate.bmp", "trackPalette.gpl"} <= installed, "no map kit installed")
    docs = os.path.join(prefix, "share", "doc", "trundlebay")
    check(all(os.path.isfile(os.path.join(docs, n)) for n in ("maps.md", "media.md")),
          "the modders' guides are not installed")
    for guide in ("maps.md", "media.md"):
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
    entry = desktop_entry(path)
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


def installed_game_races_and_saves_in_the_config_folder(game):
    prefix = os.path.join(game.folder, "prefix")
    install(game, prefix)
    check_programs(prefix)
    check_media(game, prefix)
    check_icons(prefix)
    check_desktop_entry(prefix, os.path.join(prefix, "bin", "trundlebay"))
    play_as_player(game, prefix)


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


def staged_install_names_the_final_prefix(game):
    """Under /usr the programs go to games/, as Debian keeps a game's programs."""
    stage = os.path.join(game.folder, "stage")
    install(game, "/usr", destdir=stage)
    staged = os.path.join(stage, "usr")
    check_programs(staged, links="games")
    check_desktop_entry(staged, "/usr/games/trundlebay")


if __name__ == "__main__":
    harness.run([installed_game_races_and_saves_in_the_config_folder,
                 staged_install_names_the_final_prefix])
