"""The engines as the player hears them: SDL's disk audio driver writes the mixed output to a
file (11025 stereo 16-bit frames per second), and sox measures it. The eight engines idle
through the countdown, and the player's engine rises in pitch as the jeepney picks up speed."""

import os
import subprocess

import harness
import race_screen as rs
from harness import check, wait_for

FRAME_RATE = 11025
BYTES_PER_FRAME = 4


def sox_stat(raw_path, start, seconds, *options):
    """The lines of sox's statistics of a stretch of the raw output."""
    return subprocess.run(
        ["sox", "-t", "raw", "-r", str(FRAME_RATE), "-e", "signed", "-b", "16", "-c", "2",
         raw_path, "-n", "remix", "1,2", "trim", str(start), str(seconds), "stat", *options],
        capture_output=True, text=True, check=True).stderr.splitlines()


def rms_amplitude(raw_path, start, seconds):
    line = next(x for x in sox_stat(raw_path, start, seconds) if x.startswith("RMS     amp"))
    return float(line.split(":")[1])


def low_band_centroid(raw_path, start, seconds):
    """The power-weighted mean frequency of 12 to 150 Hz, where the engines' firing lies."""
    spectrum = []
    for line in sox_stat(raw_path, start, seconds, "-freq"):
        try:
            frequency, power = (float(part) for part in line.split())
        except ValueError:
            continue
        if 12 < frequency < 150:
            spectrum.append((frequency, power))
    total = sum(power for _, power in spectrum)
    return sum(f * power for f, power in spectrum) / total if total else 0.0


def engines_idle_then_rise_in_pitch(game):
    raw = os.path.join(game.folder, "sound.raw")
    # The province circuit runs straight for 14 cells from the arch: room to speed up.
    window = rs.start_race(game, map_name="mapProvince.bmp",
                           env={"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": raw})
    rs.race_started(game, window)
    # The disk driver writes the output as it plays, so the file's length tells when the race
    # started on the sound's own time line.
    race_start = os.path.getsize(raw) / (FRAME_RATE * BYTES_PER_FRAME)
    rs.drive_forward(game, window)
    # The sound's own clock, not the test's: on a busy machine the game may fall behind.
    wanted = (race_start + 9.5) * FRAME_RATE * BYTES_PER_FRAME
    wait_for(lambda: os.path.getsize(raw) >= wanted, 120, "9.5 s of racing sound not written")
    game.quit(window)

    seconds = os.path.getsize(raw) / (FRAME_RATE * BYTES_PER_FRAME)
    check(seconds > race_start + 9, "only %.1f s of sound were written" % seconds)
    idle = rms_amplitude(raw, 1.0, 2.0)
    check(idle > 0.01, "the idling engines are silent: RMS %f" % idle)

    # Just after the lights turn green the jeepneys stand, so their engines run at the lowest
    # rate; eight seconds of full throttle later the player's runs about four times as fast.
    early = low_band_centroid(raw, race_start + 0.3, 1.0)
    late = low_band_centroid(raw, race_start + 8.0, 1.0)
    print("engine low band: %.1f Hz then %.1f Hz" % (early, late))
    check(late > early * 1.5,
          "the engine did not rise in pitch: %.0f Hz then %.0f Hz" % (early, late))

if __name__ == "__main__":
    harness.run([engines_idle_then_rise_in_pitch], timeout=120)
