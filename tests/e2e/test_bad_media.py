"""Bad and missing media as a player or modder meets them: a model missing, corrupt
textures, truncated models, a missing sound, a sound in an unknown format, no track map, no
sound device and a joystick setting without a joystick. Every file that cannot be used shows
its own "ERROR" box, one after another, each acknowledged; then the game races on without
the thing that failed, and Q ends it with exit code 0.

The text of each box is read twice: from the game's stderr, and from the box itself, whose
picture must match that of a box SDL draws with the expected text in a process of our own."""

import ctypes.util
import os
import struct
import subprocess
import sys
import time

import harness
import race_screen as rs
from harness import check

CLOSING = "The application will continue."
SDL = ctypes.util.find_library("SDL2-2.0") or "libSDL2-2.0.so.0"


def box_text(message, subject):
    return "%s %s %s" % (message, subject, CLOSING)


def media_file(game, name):
    """The full path the game reports: the media folder beside its own program file."""
    return os.path.join(os.path.realpath(game.media), name)


def build_media(game, name):
    with open(os.path.join(game.build_dir, "media", name), "rb") as f:
        return f.read()


def park_mouse(game):
    """Off every box and its button, so no button is drawn highlighted."""
    game._xdotool("mousemove", 0, 0)


def wait_for(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.1)
    raise harness.TestFailure("%s within %s s" % (what, timeout))


def acknowledge(game, box, by_click):
    if by_click:
        game.click(box, box.width // 2, box.height - 29)  # SDL puts OK centred at the bottom
        park_mouse(game)
    else:
        game.key("Return", box)


def acknowledge_boxes(game, expected, by_click=False):
    """Each expected text in its own box, in order; returns (text, picture) of every box."""
    pictures = []
    for i, text in enumerate(expected):
        park_mouse(game)
        box = game.wait_window(name="ERROR", timeout=20)
        wait_for(lambda: len(game.error_messages()) > i, 5, "the box's text on stderr")
        check(game.error_messages()[i] == text,
              "box %d says %r, expected %r" % (i + 1, game.error_messages()[i], text))
        pictures.append((text, game.screenshot(box, "box%d.png" % (i + 1))))
        acknowledge(game, box, by_click)
        # The next box may come up at once, even with the same window id; its text is written
        # to stderr before it shows.
        wait_for(lambda: not game.error_box() or len(game.error_messages()) > i + 1, 10,
                 "box %d did not go away when acknowledged" % (i + 1))
    return pictures


def reference_box(game, text, name):
    """The picture of SDL's own box with `text`, shown by a process of ours."""
    script = ("import ctypes, sys; sdl = ctypes.CDLL(sys.argv[1]); "
              "sdl.SDL_ShowSimpleMessageBox(ctypes.c_uint32(0x40), b'ERROR', "
              "sys.argv[2].encode(), None)")
    shower = subprocess.Popen([sys.executable, "-c", script, SDL, text],
                              env=dict(os.environ, DISPLAY=game.xvfb.name),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for(lambda: game.error_box() is not None, 20, "SDL showed no reference box")
        time.sleep(0.3)
        box = game.error_box()
        park_mouse(game)
        picture = game.screenshot(box, name)
        game.key("Return", box)
        shower.wait(10)
        return picture
    finally:
        if shower.poll() is None:
            shower.kill()
            shower.wait()


def check_box_pictures(game, pictures):
    for i, (text, shown) in enumerate(pictures):
        reference = reference_box(game, text, "reference%d.png" % (i + 1))
        check((shown.width, shown.height) == (reference.width, reference.height)
              and shown.data == reference.data,
              "box %d does not show %r (compare %s with %s)"
              % (i + 1, text, shown.path, reference.path))


def race_on_and_quit(game, window, expected):
    """The countdown runs its lights, the player drives a while, no further box, Q ends."""
    game.move_mouse(window, window.width // 2, window.height // 2)
    seen = rs.watch_lights(game, window)
    check(seen == ["red", "yellow", "green"], "the start lights came on as %r" % (seen,))
    rs.drive_forward(game, window)
    time.sleep(2.0)
    check(game.running(), "the game ended while racing; log:\n%s" % game.log())
    racing = game.screenshot(window, "racing.png")
    top = window.height - rs.OVERLAY_HEIGHT
    check(rs.count_pixels(racing, 0, top + 10, 80, top + 30, rs.is_gauge_background) > 100,
          "no speed gauge two seconds into the race: the race is not on")
    check(game.error_box() is None, "an unexpected box: %r" % (game.error_messages(),))
    check(game.error_messages() == expected,
          "reported %r, expected %r" % (game.error_messages(), expected))
    game.key("q", window)
    check(game.wait_exit() == 0, "Q should end the game with exit code 0")


def play_with_boxes(game, expected, by_click=False, env=None):
    window = rs.start_race(game, env=env, wait_for_lights=False)
    pictures = acknowledge_boxes(game, expected, by_click)
    race_on_and_quit(game, window, expected)
    check_box_pictures(game, pictures)


# --- the media ---------------------------------------------------------------------------


def damaged_jpeg(data):
    """A JPEG whose frame header claims a picture of 0 x 0: libjpeg gives up on it."""
    frame = data.index(b"\xff\xc0")
    return data[:frame + 5] + b"\0\0\0\0" + data[frame + 9:]


def bmp_without_pixels(data):
    """A BMP whose header is whole but whose pixel rows were cut off."""
    pixels = struct.unpack_from("<I", data, 10)[0]
    return data[:pixels + 16]


def cut_at_line(data, marker, fraction=0.0):
    """The text up to the line holding `marker`, plus `fraction` of the lines after it."""
    lines = data.split(b"\n")
    start = next(i for i, line in enumerate(lines) if marker in line)
    keep = start + int((len(lines) - start) * fraction)
    return b"\n".join(lines[:keep]) + b"\n"


def float_wav(seconds=0.5, rate=11025):
    """A WAV of 32-bit float samples (format tag 3), a format the game does not play."""
    samples = struct.pack("<%df" % int(seconds * rate), *([0.25] * int(seconds * rate)))
    fmt = struct.pack("<HHIIHH", 3, 1, rate, rate * 4, 4, 32)
    return (b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(samples)) + b"WAVE"
            + b"fmt " + struct.pack("<I", len(fmt)) + fmt
            + b"data" + struct.pack("<I", len(samples)) + samples)


# --- the cases ---------------------------------------------------------------------------


def missing_model(game):
    game.remove_media("wheel.a3f")
    # One box only: the 31 other wheels are clones of the one that failed.
    play_with_boxes(game, [box_text("Could not open file:", media_file(game, "wheel.a3f"))])


def corrupt_textures(game):
    game.replace_media("store.jpg", damaged_jpeg(build_media(game, "store.jpg")))
    game.replace_media("kubo.bmp", bmp_without_pixels(build_media(game, "kubo.bmp")))
    game.replace_media("jeepney2.jpg", b"this is no picture\n")
    # jeepney2.jpg is named by the level for body 1 and reaches body 5 through a clone.
    play_with_boxes(game, [box_text("Unable to load the texture file:", "jeepney2.jpg"),
                           box_text("Unable to load the texture file:", "store.jpg"),
                           box_text("Unable to load the texture file:", "kubo.bmp")],
                    by_click=True)


def truncated_models(game):
    cut_jeepney = cut_at_line(build_media(game, "jeepney.a3f"), b"VERTICES", 0.2)
    game.replace_media("jeepney.a3f", cut_jeepney)
    game.replace_media("store.a3f", cut_at_line(build_media(game, "store.a3f"), b"FACES"))
    play_with_boxes(game, [box_text("Unexpected end of file:", "jeepney.a3f"),
                           box_text("Failed to find section FACES:", "store.a3f")])


def missing_sound_and_unknown_format(game):
    """No engine sound and a crash sound the game cannot play: one box, and then not a
    sample is heard, bumps on the grid included."""
    raw = os.path.join(game.folder, "sound.raw")
    game.remove_media("jeep.wav")
    game.replace_media("crash.wav", float_wav())
    play_with_boxes(game, [box_text("Could not open file:", media_file(game, "jeep.wav"))],
                    env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": raw})
    with open(raw, "rb") as f:
        written = f.read()
    check(len(written) > 11025 * 4 * 4, "only %d bytes of sound were written" % len(written))
    check(not any(written), "sound was played although no sound could be loaded")


def unknown_sound_format_only(game):
    """A sound the game cannot play is passed over without a box; the engines still run."""
    raw = os.path.join(game.folder, "sound.raw")
    game.replace_media("crash.wav", float_wav())
    play_with_boxes(game, [], env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": raw})
    with open(raw, "rb") as f:
        written = f.read()
    loud = max(abs(s) for s in struct.unpack("<%dh" % (len(written) // 2), written))
    check(loud > 300, "the engines are silent beside an unplayable crash sound (peak %d)" % loud)


def race_without_track(game, maps):
    """No track, and no box: the race goes on on the bare field, and standing at the start,
    which is now the grid centre, wins nothing."""
    for name in os.listdir(game.media):
        if name.lower().startswith("map"):
            game.remove_media(name)
    for name, content in maps.items():
        game.replace_media(name, content)
    game.remove_ini()
    game.launch()
    launcher = game.wait_window(name="Trundlebay", cls="Options")
    game.click(launcher, *harness.START_BUTTON)
    window = game.wait_window(cls="OpenGLWin")
    time.sleep(1.0)
    check(game.error_box() is None, "a box without any map: %r" % (game.error_messages(),))
    race_on_and_quit(game, window, [])


def no_track_map(game):
    race_without_track(game, {})


def only_map_unreadable(game):
    race_without_track(game, {"mapBroken.bmp": b"BM this map was cut short"})


def no_sound_device(game):
    window = rs.start_race(game, env={"SDL_AUDIODRIVER": "nosuchdriver"})
    time.sleep(1.0)
    check(game.error_box() is None, "a box without a sound device: %r" % (game.error_messages(),))
    race_on_and_quit(game, window, [])


def joystick_setting_without_joystick(game):
    """The mouse drives: with the cursor at the top centre the view moves on."""
    window = rs.start_race(game, ini="[Game]\nJoystick=1\n")
    seen = rs.watch_lights(game, window)
    check(seen and seen[-1] == "green", "the race did not start: %r" % (seen,))
    standing = game.screenshot(window, "standing.png")
    rs.drive_forward(game, window)
    time.sleep(2.5)
    driven = game.screenshot(window, "driven.png")
    check(rs.mean_difference(standing, driven) > 10,
          "the view did not change with the cursor at the top centre")
    check(game.error_messages() == [], "reported %r" % (game.error_messages(),))
    game.key("q", window)
    check(game.wait_exit() == 0, "Q should end the game with exit code 0")
    check("Joystick=1" in game.read_ini(), "the Joystick setting was not kept")


if __name__ == "__main__":
    harness.run([missing_model, corrupt_textures, truncated_models,
                 missing_sound_and_unknown_format, unknown_sound_format_only, no_track_map,
                 only_map_unreadable, no_sound_device, joystick_setting_without_joystick],
                timeout=150)
