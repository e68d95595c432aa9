"""The game probe (game_probe.c) for whole-game tests: built once per run into a temporary
folder and preloaded into the game. It counts the pictures the game draws and can work a
virtual gamepad inside the game process."""

import os
import subprocess
import tempfile
import time

_SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "game_probe.c")
_built = None


def library():
    global _built
    if _built is None:
        folder = tempfile.mkdtemp(prefix="tb-probe-")
        _built = os.path.join(folder, "game_probe.so")
        flags = subprocess.run(["pkg-config", "--cflags", "sdl2"], check=True,
                               capture_output=True, text=True).stdout.split()
        subprocess.run(["cc", "-shared", "-fPIC", "-O1", "-o", _built, _SOURCE, *flags,
                        "-ldl", "-lpthread"], check=True, capture_output=True)
    return _built


class PictureCount:
    """How many pictures the game has drawn so far."""

    def __init__(self, game):
        self.path = os.path.join(game.folder, "pictures.count")

    def env(self):
        return {"LD_PRELOAD": library(), "TB_PROBE_PICTURES": self.path}

    def read(self):
        try:
            with open(self.path) as f:
                return int(f.read().strip() or 0)
        except FileNotFoundError:
            return 0

    def rate(self, seconds):
        """Pictures a second over `seconds` of wall time."""
        before, start = self.read(), time.monotonic()
        time.sleep(seconds)
        return (self.read() - before) / (time.monotonic() - start)


class VirtualPad:
    """A virtual gamepad inside the game, plugged in and worked through a FIFO."""

    def __init__(self, game):
        self.path = os.path.join(game.folder, "pad.fifo")
        os.mkfifo(self.path)
        self._fifo = None

    def env(self):
        return {"LD_PRELOAD": library(), "TB_PROBE_PAD": self.path}

    def send(self, line):
        if self._fifo is None:
            # Blocks until the game has started its game-controller subsystem.
            self._fifo = open(self.path, "w", buffering=1)
        self._fifo.write(line + "\n")
        time.sleep(0.1)

    def axis(self, n, value):
        self.send("axis %d %d" % (n, value))

    def button(self, n, down):
        self.send("button %d %d" % (n, 1 if down else 0))
