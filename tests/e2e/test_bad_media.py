"""Bad and missing media: each file that cannot be used shows its own "ERROR" box, one after
another; then the game races on without it and Q ends it with exit code 0. The X server has only
its built-in fonts and PATH holds no helper program, so the box must be the game's own; its
picture must match a GTK box of our own with the expected text."""

import os
import struct
import subprocess
import sys

import harness
import race_screen as rs
from harness import check, wait_for
from Xlib import X

CLOSING = "The application will continue."
XVFB_OPTIONS = ("-fp", "built-ins")
# The game's box, laid out the same way by python-gi.
REFERENCE_BOX = r"""
import sys
sys.path.append("/usr/lib/python3/dist-packages")
import gi
gi.require_version("Gtk", "3.0")
from gi.repository import Gtk, Pango
dialog = Gtk.Dialog(title="ERROR", modal=True)
dialog.add_button("_OK", Gtk.ResponseType.OK)
dialog.set_resizable(False)
dialog.set_default_response(Gtk.ResponseType.OK)
row = Gtk.Box(orientation=Gtk.Orientation.HORIZONTAL, spacing=12)
row.set_border_width(12)
icon = Gtk.Image.new_from_icon_name("dialog-information", Gtk.IconSize.DIALOG)
icon.set_valign(Gtk.Align.START)
label = Gtk.Label(label=sys.argv[1])
label.set_line_wrap(True)
label.set_line_wrap_mode(Pango.WrapMode.WORD_CHAR)
label.set_max_width_chars(50)
label.set_xalign(0)
row.pack_start(icon, False, False, 0)
row.pack_start(label, True, True, 0)
dialog.get_content_area().add(row)
row.show_all()
dialog.run()
"""


def box_text(message, subject):
    return "%s %s %s" % (message, subject, CLOSING)


def media_file(game, name):
    """The full path the game reports: the media folder beside its own program file, read the
    way the log is read (a byte that is no UTF-8 as U+FFFD)."""
    path = os.path.join(os.path.realpath(game.media), name)
    return os.fsencode(path).decode(errors="replace")


def build_media(game, name):
    with open(os.path.join(game.build_dir, "media", name), "rb") as f:
        return f.read()


def park_mouse(game):
    """Off every box and its button, so no button is drawn highlighted."""
    game.xdotool("mousemove", 0, 0)


def without_helpers(game, env=None):
    """The game's environment with a PATH that leads to no program at all."""
    empty = os.path.join(game.folder, "no-helpers")
    os.makedirs(empty, exist_ok=True)
    return dict(env or {}, PATH=empty)


def acknowledge(game, box, by_click):
    if by_click:
        game.click(box, box.width - 45, box.height - 20)  # GTK puts OK at the bottom right
        park_mouse(game)
    else:
        game.key("Return", box)


def acknowledge_boxes(game, expected, by_click=False):
    """Each expected text in its own box, in order; returns (text, picture) of every box."""
    pictures = []
    for i, text in enumerate(expected):
        park_mouse(game)
        box = game.wait_window(name="ERROR", timeout=60)
        wait_for(lambda: len(game.error_messages()) > i, 5, "the box's text on stderr")
        check(game.error_messages()[i] == text,
              "box %d says %r, expected %r" % (i + 1, game.error_messages()[i], text))
        pictures.append((text, game.settled_screenshot(box, "box%d.png" % (i + 1))))
        acknowledge(game, box, by_click)
        # The next box may come up at once; its text is written to stderr before it shows.
        wait_for(lambda: not game.error_box() or len(game.error_messages()) > i + 1, 20,
                 "box %d did not go away when acknowledged" % (i + 1))
    return pictures


def reference_box(game, text, name):
    """The picture of our own GTK box with `text`."""
    environment = dict(os.environ, DISPLAY=game.xvfb.name, GDK_BACKEND="x11", NO_AT_BRIDGE="1",
                       LC_ALL="C.UTF-8")
    environment.pop("LANGUAGE", None)
    shower = subprocess.Popen([sys.executable, "-c", REFERENCE_BOX, text], env=environment,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for(lambda: game.error_box() is not None, 60, "no reference box")
        park_mouse(game)
        box = game.error_box()
        picture = game.settled_screenshot(box, name)
        game.key("Return", box)
        shower.wait(20)
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
    wait_for(lambda: rs.racing(game, window) or not game.running(), 60,
             "no speed gauge: the race is not on")
    check(game.running(), "the game ended while racing; log:\n%s" % game.log())
    check(game.error_box() is None, "an unexpected box: %r" % (game.error_messages(),))
    check(game.error_messages() == expected,
          "reported %r, expected %r" % (game.error_messages(), expected))
    game.quit(window)


def play_with_boxes(game, expected, by_click=False, env=None):
    window = rs.start_race(game, env=without_helpers(game, env), wait_for_lights=False)
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


def float_wav(game):
    """A WAV of 32-bit float samples, a format the game does not play."""
    path = os.path.join(game.folder, "float.wav")
    subprocess.run(["sox", "-n", "-r", "11025", "-e", "floating-point", "-b", "32", path,
                    "synth", "0.5", "sine", "300"], check=True, timeout=60)
    return path


# --- the cases ---------------------------------------------------------------------------


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


def play_with_sound(game, expected):
    """Plays with the boxes expected; the sound the game mixed, as 16-bit samples."""
    raw = os.path.join(game.folder, "sound.raw")
    play_with_boxes(game, expected, env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": raw})
    with open(raw, "rb") as f:
        written = f.read()
    check(len(written) > 11025 * 4 * 4, "only %d bytes of sound were written" % len(written))
    return struct.unpack("<%dh" % (len(written) // 2), written)


def missing_sound_and_unknown_format(game):
    """No engine sound and a crash sound the game cannot play: one box, then not a sample is
    heard, bumps on the grid included."""
    game.remove_media("jeep.wav")
    game.replace_media("crash.wav", float_wav(game))
    samples = play_with_sound(game, [box_text("Could not open file:",
                                              media_file(game, "jeep.wav"))])
    check(not any(samples), "sound was played although no sound could be loaded")


def unknown_sound_format_only(game):
    """A sound the game cannot play is passed over without a box; the engines still run."""
    game.replace_media("crash.wav", float_wav(game))
    loud = max(abs(s) for s in play_with_sound(game, []))
    check(loud > 300, "the engines are silent beside an unplayable crash sound (peak %d)" % loud)


def no_track_map_or_only_an_unreadable_one_or_no_sound_device(game):
    """No box: the race goes on on the bare field, and standing at the start, which is now the
    grid centre, wins nothing. The second race also has no sound device."""
    for name in os.listdir(game.media):
        if name.lower().startswith("map"):
            game.remove_media(name)
    for maps, env in (({}, None), ({"mapBroken.bmp": b"BM this map was cut short"},
                                   {"SDL_AUDIODRIVER": "nosuchdriver"})):
        for name, content in maps.items():
            game.replace_media(name, content)
        game.launch(env)
        window = game.start_from_launcher()
        # A box would come during the level load, before the lights.
        rs.wait_for_countdown(game, window)
        check(game.error_box() is None, "a box with maps %r: %r" % (maps, game.error_messages()))
        race_on_and_quit(game, window, [])


def joystick_setting_without_joystick(game):
    """The mouse drives: with the cursor at the top centre the view moves on."""
    window = rs.start_race(game, ini="[Game]\nJoystick=1\n")
    rs.race_started(game, window)
    standing = game.screenshot(window, "standing.png")
    rs.drive_forward(game, window)
    wait_for(lambda: rs.mean_difference(standing, game.screenshot(window, "driven.png")) > 10,
             60, "the view did not change with the cursor at the top centre")
    check(game.error_messages() == [], "reported %r" % (game.error_messages(),))
    game.quit(window)
    check("Joystick=1" in game.read_ini(), "the Joystick setting was not kept")


def missing_model_in_a_path_that_is_no_utf8(game):
    """The game in a folder whose name has an accent and a byte that is no UTF-8, without its
    wheel model: one box (the 31 other wheels are clones of the one that failed), showing the
    accent and a replacement mark for the stray byte."""
    folder = os.path.join(game.folder, os.fsdecode(b"Jos\xc3\xa9 \xff"))
    os.makedirs(folder)
    for name in ("trundlebay", "media"):
        os.rename(os.path.join(game.folder, name), os.path.join(folder, name))
    game.binary = os.path.join(folder, "trundlebay")
    game.media = os.path.join(folder, "media")
    game.remove_media("wheel.a3f")
    text = box_text("Could not open file:", media_file(game, "wheel.a3f"))
    check("/Jos\u00e9 \ufffd/media/" in text, "unexpected path in %r" % text)
    play_with_boxes(game, [text])
    complaints = [line for line in game.log().splitlines() if "WARNING" in line
                  or "CRITICAL" in line]
    check(not complaints, "the toolkit complained about the text: %r" % complaints)


def box_in_full_screen_under_a_window_manager(game):
    """After OK the full-screen game is in front again and has the keyboard: Q, pressed with
    no window chosen, ends it. At the desktop's size SDL keeps a full-screen window that loses
    the focus; at a switched mode it would minimise it, as the environment asks here."""
    game.xvfb.start_window_manager("openbox")
    try:
        rs.keep_one_map(game)
        game.write_ini("[Game]\nWindowed=0\nUseScreenRes=3\n")
        game.remove_media("wheel.a3f")
        game.launch(env=without_helpers(game, {"SDL_VIDEO_MINIMIZE_ON_FOCUS_LOSS": "1"}))
        launcher = game.wait_window(name="Trundlebay", cls="Options", timeout=60)
        game.click(launcher, *harness.START_BUTTON)
        box = game.wait_window(name="ERROR", timeout=60)
        window = game.wait_window(cls="OpenGLWin", timeout=60)
        game.key("Return", box)
        conn = game.xvfb.connection
        active = conn.intern_atom("_NET_ACTIVE_WINDOW")

        def game_active():
            found = conn.screen().root.get_full_property(active, X.AnyPropertyType)
            return found and len(found.value) and found.value[0] == window.id

        wait_for(game_active, 30, "the game window active again after OK")
        wait_for(game.scene_drawn, 30, "the game on the screen after OK")
        game.key("q")
        check(game.wait_exit(60) == 0, "Q after OK did not reach the game")
    finally:
        harness.end_process(game.xvfb.window_manager)
        game.xvfb.window_manager = None


if __name__ == "__main__":
    harness.run([corrupt_textures, truncated_models,
                 missing_sound_and_unknown_format, unknown_sound_format_only,
                 no_track_map_or_only_an_unreadable_one_or_no_sound_device,
                 joystick_setting_without_joystick, missing_model_in_a_path_that_is_no_utf8,
                 box_in_full_screen_under_a_window_manager],
                timeout=150, xvfb_options=XVFB_OPTIONS)
