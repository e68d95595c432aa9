"""Whole-game test harness: each tests/e2e/test_*.py runs the real game under its own Xvfb.

`run(cases)` parses `--build <dir>` (and `--keep`, `--window-manager openbox`), starts one Xvfb
(optionally with a window manager), gives each case a `Game` in a fresh folder (a copy of the
binary, media/ symlinked to the build's), enforces a timeout per case, kills everything after,
and keeps a failed case's folder (game.log, screenshots). Input goes through xdotool as real
events; windows are found through python-xlib. Never sleep a fixed time: poll with `wait_for`.
"""

import argparse
import contextlib
import ctypes
import dataclasses
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

try:
    from Xlib import X, Xatom, display as xdisplay, error as xerror, protocol
except ImportError:  # python3-xlib lives with the system's Python
    sys.path.append("/usr/lib/python3/dist-packages")
    from Xlib import X, Xatom, display as xdisplay, error as xerror, protocol

# Centre of the launcher's Start button, in launcher window coordinates.
START_BUTTON = (596, 432)
# Centres of the launcher's controls.
RESOLUTION_LIST = (80, 12)
CHECK_BOXES = {
    "Windowed": (176, 12),
    "Lights": (272, 12),
    "Music": (368, 12),
    "Joystick": (464, 12),
    "HiQTexture": (576, 12),
}
# What a fresh start saves.
DEFAULT_INI = ("[Game]\nWindowed=1\nLights=0\nMusic=0\nJoystick=0\nUseHiQualTex=0\n"
               "Width=640\nHeight=480\nUseScreenRes=0\n")
# The game's clear colour as 8-bit RGB.
CLEAR_COLOUR = (33, 41, 26)

EXIT_START_FAILED = 255  # the game's -1 as a process exit status


def _die_with_harness():
    """Run in each child before it starts: it is killed when the harness dies, however."""
    ctypes.CDLL(None).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


class TestFailure(Exception):
    pass


class CaseTimeout(Exception):
    pass


def check(condition, message):
    if not condition:
        raise TestFailure(message)


class Image:
    """An RGB picture read from a PNG; pixel(x, y) gives an (r, g, b) tuple."""

    def __init__(self, path):
        self.path = path
        ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                             capture_output=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        self.width, self.height = int(header[1]), int(header[2])
        self.data = ppm[header.end():]

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def region_mean(self, x0, y0, x1, y1):
        pixels = [self.pixel(x, y) for y in range(y0, y1) for x in range(x0, x1)]
        return tuple(sum(p[c] for p in pixels) / len(pixels) for c in range(3))


def colour_close(a, b, tolerance=12):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


@dataclasses.dataclass
class Window:
    """A mapped top-level window's drawing area on the screen; `outer` includes any frame."""
    id: int
    name: str
    wm_class: tuple
    x: int
    y: int
    width: int
    height: int
    outer: tuple

    @property
    def cls(self):
        return self.wm_class[1] if self.wm_class else None


class Xvfb:
    """A virtual X server on a display number it picks itself, gone again on stop()."""

    def __init__(self, screen="1280x1024x24", options=()):
        self.width, self.height = (int(v) for v in screen.split("x")[:2])
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp",
             "-noreset", "+extension", "GLX", *options],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True, preexec_fn=_die_with_harness)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:  # Xvfb writes its display number once it listens
            number = pipe.readline().strip()
        if not number:
            end_process(self.process)
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number
        self.connection = xdisplay.Display(self.name)

    def start_window_manager(self, name="openbox"):
        """Starts a window manager on this server and waits until it manages windows."""
        self.window_manager = subprocess.Popen(
            [name, "--sm-disable"] if name == "openbox" else [name],
            env=dict(os.environ, DISPLAY=self.name), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, start_new_session=True, preexec_fn=_die_with_harness)
        check_atom = self.connection.intern_atom("_NET_SUPPORTING_WM_CHECK")
        deadline = time.monotonic() + 30
        while self.connection.screen().root.get_full_property(check_atom, Xatom.WINDOW) is None:
            if time.monotonic() > deadline or self.window_manager.poll() is not None:
                raise RuntimeError("the window manager %s did not start" % name)
            time.sleep(0.1)

    def pixel(self, x, y):
        blue, green, red = self.picture(x, y, 1, 1)[:3]
        return (red, green, blue)

    def picture(self, x, y, width, height):
        root = self.connection.screen().root
        return root.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF).data

    def stop(self):
        if getattr(self, "window_manager", None):
            end_process(self.window_manager)
        with contextlib.suppress(Exception):
            self.connection.close()
        end_process(self.process)


def end_process(process):
    """Asks a helper program to end, and ends it if it has not within 5 s."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class Game:
    """One game folder and the game process started from it."""

    def __init__(self, build_dir, xvfb, folder):
        self.build_dir = os.path.abspath(build_dir)
        self.xvfb = xvfb
        self.folder = folder
        self.media = os.path.join(folder, "media")
        self.binary = os.path.join(folder, "trundlebay")
        self.log_path = os.path.join(folder, "game.log")
        self.process = None
        self._log = None
        self._shots = 0
        shutil.copy2(os.path.join(self.build_dir, "trundlebay"), self.binary)
        os.makedirs(self.media)
        build_media = os.path.join(self.build_dir, "media")
        if os.path.isdir(build_media):
            for name in os.listdir(build_media):
                if name == "game.ini" or name.startswith("game.ini."):
                    continue  # a player's settings in the build never leak into a test
                os.symlink(os.path.join(build_media, name), os.path.join(self.media, name))

    def media_path(self, name):
        return os.path.join(self.media, name)

    def write_ini(self, text):
        with open(self.media_path("game.ini"), "w") as f:
            f.write(text)

    def read_ini(self):
        with open(self.media_path("game.ini")) as f:
            return f.read()

    def ini_values(self):
        return dict(line.split("=", 1) for line in self.read_ini().splitlines() if "=" in line)

    def remove_ini(self):
        self.remove_media("game.ini")

    def remove_media(self, name):
        path = self.media_path(name)
        if os.path.lexists(path):
            os.remove(path)

    def replace_media(self, name, content):
        """content: bytes to write, or the path of a file to copy."""
        self.remove_media(name)
        if isinstance(content, (bytes, bytearray)):
            with open(self.media_path(name), "wb") as f:
                f.write(content)
        else:
            shutil.copyfile(content, self.media_path(name))

    def launch(self, env=None):
        environment = dict(os.environ)
        environment.update({
            "DISPLAY": self.xvfb.name,
            "SDL_AUDIODRIVER": "dummy",
            "NO_AT_BRIDGE": "1",
            "GDK_BACKEND": "x11",
            # The tester's own tracks never join a test's maps.
            "XDG_DATA_HOME": os.path.join(self.folder, "data"),
        })
        environment.pop("WAYLAND_DISPLAY", None)
        environment.update(env or {})
        self._log = open(self.log_path, "wb")
        self.process = subprocess.Popen([self.binary], cwd=self.folder, env=environment,
                                        stdout=self._log, stderr=subprocess.STDOUT,
                                        start_new_session=True, preexec_fn=_die_with_harness)
        return self.process

    def tool(self, *args, timeout=120):
        """trundlebay-tool with `args`, the tester's own tracks kept out of its maps: the exit
        code, the JSON it printed (or its output as text when that is no one JSON value), and
        what it wrote to stderr."""
        done = subprocess.run([os.path.join(self.build_dir, "trundlebay-tool"), *map(str, args)],
                              capture_output=True, text=True, timeout=timeout,
                              env=dict(os.environ, XDG_DATA_HOME=self.folder,
                                       DISPLAY=self.xvfb.name))
        try:
            return done.returncode, json.loads(done.stdout), done.stderr
        except json.JSONDecodeError:
            return done.returncode, done.stdout, done.stderr

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait_exit(self, timeout=20):
        """The game's exit status; raises TestFailure when it is still running after timeout."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TestFailure("the game did not exit within %s s" % timeout)

    def cpu_seconds(self):
        with open("/proc/%d/stat" % self.process.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        ticks = os.sysconf("SC_CLK_TCK")
        return (int(fields[11]) + int(fields[12])) / ticks  # utime + stime

    def log(self):
        if self._log:
            self._log.flush()
        with open(self.log_path, "rb") as f:
            return f.read().decode(errors="replace")

    def error_messages(self):
        return [line[len("ERROR: "):] for line in self.log().splitlines()
                if line.startswith("ERROR: ")]

    def kill(self):
        if self.running():
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.process.wait()
        if self._log:
            self._log.close()
            self._log = None

    def windows(self):
        conn = self.xvfb.connection
        root = conn.screen().root
        found = []
        for child in root.query_tree().children:
            try:
                if child.get_attributes().map_state != X.IsViewable:
                    continue
                frame = child.get_geometry()
                outer = (frame.x, frame.y, frame.width, frame.height)
                client = child
                if not child.get_wm_class():
                    client = self._client_in(child) or child
                geometry = client.get_geometry()
                origin = root.translate_coords(client, 0, 0)
                name = client.get_full_property(conn.intern_atom("_NET_WM_NAME"),
                                                conn.intern_atom("UTF8_STRING"))
                name = name.value.decode() if name else client.get_wm_name()
                if isinstance(name, bytes):
                    name = name.decode(errors="replace")
                found.append(Window(client.id, name, client.get_wm_class(), origin.x, origin.y,
                                    geometry.width, geometry.height, outer))
            except xerror.XError:
                continue  # went away while we looked
        return found

    @staticmethod
    def _client_in(frame, depth=3):
        """The application's window inside a window manager's frame, if there is one."""
        if depth == 0:
            return None
        for child in frame.query_tree().children:
            if child.get_wm_class():
                return child
            inner = Game._client_in(child, depth - 1)
            if inner is not None:
                return inner
        return None

    def find_windows(self, name=None, cls=None, width=None, height=None):
        return [w for w in self.windows()
                if (name is None or w.name == name) and (cls is None or w.cls == cls)
                and (width is None or w.width == width) and (height is None or w.height == height)]

    def wait_window(self, timeout=30, **match):
        """The first matching window once it is mapped and keeps its place for one poll."""
        deadline = time.monotonic() + timeout
        seen = None
        while time.monotonic() < deadline:
            found = self.find_windows(**match)
            if found:
                place = (found[0].id, found[0].x, found[0].y, found[0].width, found[0].height)
                if place == seen:
                    return found[0]
                seen = place
            if self.process is not None and self.process.poll() is not None:
                raise TestFailure("the game exited (%s) while waiting for %r; log:\n%s"
                                  % (self.process.returncode, match, self.log()))
            time.sleep(0.1)
        raise TestFailure("no window %r within %s s; windows: %r; log:\n%s"
                          % (match, timeout, self.windows(), self.log()))

    def error_box(self):
        boxes = self.find_windows(name="ERROR")
        return boxes[0] if boxes else None

    def xdotool(self, *args):
        return subprocess.run(["xdotool"] + [str(a) for a in args], check=True, text=True,
                              env=dict(os.environ, DISPLAY=self.xvfb.name),
                              capture_output=True).stdout

    def move_mouse(self, window, x, y):
        self.xdotool("mousemove", window.x + x, window.y + y)

    def click(self, window, x, y, button=1):
        self.move_mouse(window, x, y)
        time.sleep(0.1)
        self.xdotool("click", button)

    def scroll(self, window, x, y, steps):
        """Mouse-wheel steps over a point of the window: positive down, negative up."""
        for _ in range(abs(steps)):
            self.click(window, x, y, 5 if steps > 0 else 4)

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", window.id)

    def key(self, name, window=None, hold=0.05):
        """Presses and releases a key (xdotool name, "Up+Left" for two) with the keyboard
        focus on `window`."""
        with self.holding(name, window):
            time.sleep(hold)

    @contextlib.contextmanager
    def holding(self, name, window=None):
        """The key held down while the block runs."""
        if window is not None:
            self.focus(window)
        self.xdotool("keydown", name)
        try:
            yield
        finally:
            self.xdotool("keyup", name)

    def quit(self, window, key="q"):
        self.key(key, window)
        check(self.wait_exit() == 0, "%s should end the game with exit code 0; log:\n%s"
              % (key, self.log()))

    def start_from_launcher(self, launcher_gone=True):
        """Start in the launcher; the game window (once the launcher is gone: an error box
        during the level load holds the launcher's last moments)."""
        launcher = self.wait_window(name="Trundlebay", cls="Options")
        self.click(launcher, *START_BUTTON)
        window = self.wait_window(cls="OpenGLWin")
        check(not launcher_gone or not self.find_windows(cls="Options"),
              "the launcher is still open beside the game")
        return window

    def drawing(self, window, seconds=2.0):
        """True when the window's pixels on the screen change within `seconds`."""
        first = self.xvfb.picture(window.x, window.y, window.width, window.height)
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            time.sleep(0.2)
            if self.xvfb.picture(window.x, window.y, window.width, window.height) != first:
                return True
        return False

    def scene_drawn(self, window=None):
        """More than a few colours on the window: a scene, not a cleared or blank picture."""
        shot = self.screenshot(window)
        return len({shot.pixel(x, y) for x in range(10, shot.width, 40)
                    for y in range(10, shot.height, 40)}) > 8

    def close(self, window):
        """Asks the window's owner to close it, as a window manager's close box does."""
        conn = self.xvfb.connection
        target = conn.create_resource_object("window", window.id)
        protocols = conn.intern_atom("WM_PROTOCOLS")
        event = protocol.event.ClientMessage(
            window=target, client_type=protocols,
            data=(32, [conn.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
        target.send_event(event, event_mask=X.NoEventMask)
        conn.flush()

    def settled_screenshot(self, window=None, name=None, timeout=30):
        """A screenshot once two in a row agree: a window may still be drawing when it maps."""
        deadline = time.monotonic() + timeout
        last = self.screenshot(window, name)
        while time.monotonic() < deadline:
            shot = self.screenshot(window, name)
            if shot.data == last.data:
                return shot
            last = shot
        raise TestFailure("the picture of %r did not settle within %s s" % (window, timeout))

    def screenshot(self, window=None, name=None):
        self._shots += 1
        path = os.path.join(self.folder, name or "shot%02d.png" % self._shots)
        subprocess.run(["import", "-window", "root" if window is None else hex(window.id), path],
                       check=True, env=dict(os.environ, DISPLAY=self.xvfb.name),
                       capture_output=True)
        return Image(path)


def bmp24(width, height, colour_at):
    """A 24-bit BMP file's bytes; colour_at(x, y) gives (r, g, b), row 0 at the top."""
    rgb = bytes(c for y in range(height) for x in range(width) for c in colour_at(x, y))
    return subprocess.run(["convert", "-size", "%dx%d" % (width, height), "-depth", "8", "rgb:-",
                           "-type", "TrueColor", "bmp3:-"], input=rgb, check=True,
                          capture_output=True).stdout


def wait_for(condition, timeout, what):
    """Polls `condition` until it holds; fails with "<what> within <timeout> s" otherwise."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.1)
    raise TestFailure("%s within %s s" % (what, timeout))


def _alarm(signum, frame):
    raise CaseTimeout()


def run(cases, screen="1280x1024x24", timeout=120, xvfb_options=(), window_manager=None):
    """Runs each case(game) in a fresh game folder on one Xvfb; exits 1 when any fails."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, help="build folder with trundlebay and media/")
    parser.add_argument("--keep", action="store_true", help="keep every case's folder")
    parser.add_argument("--window-manager", default=window_manager,
                        help="run the cases under this window manager, e.g. openbox")
    args = parser.parse_args()
    if not os.path.exists(os.path.join(args.build, "trundlebay")):
        print("no trundlebay in %s" % args.build)
        sys.exit(1)

    failures = 0
    xvfb = Xvfb(screen, xvfb_options)
    signal.signal(signal.SIGALRM, _alarm)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    try:
        if args.window_manager:
            xvfb.start_window_manager(args.window_manager)
        for case in cases:
            folder = tempfile.mkdtemp(prefix="tb-e2e-%s-" % case.__name__)
            game = None
            passed = False
            signal.alarm(timeout)
            try:
                game = Game(args.build, xvfb, folder)
                case(game)
                passed = True
                print("PASS %s" % case.__name__)
            except CaseTimeout:
                print("FAIL %s: timed out after %s s" % (case.__name__, timeout))
            except Exception as failure:
                print("FAIL %s: %s" % (case.__name__, failure))
                if not isinstance(failure, TestFailure):
                    traceback.print_exc()
            finally:
                signal.alarm(0)
                if game:
                    game.kill()
            if passed and not args.keep:
                shutil.rmtree(folder, ignore_errors=True)
            else:
                print("   kept %s" % folder)
            failures += 0 if passed else 1
            sys.stdout.flush()
    finally:
        xvfb.stop()
    sys.exit(1 if failures else 0)
