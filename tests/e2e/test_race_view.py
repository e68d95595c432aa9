"""The race as the player sees and hears it: the track, the start lights in their order, the
HUD, driving with the mouse, the overview on Page Up and the restart on R. After a long stall
mid-race, as when the machine is suspended or a debugger holds the game, the race goes on from
where it was instead of one frame as long as the stall throwing everyone off the world. The
engines, as SDL's disk audio driver writes the mixed output to a file (11025 stereo 16-bit
frames a second) and sox measures it: the eight idle through the countdown, and the player's
rises in pitch as the jeepney picks up speed."""

import os
import signal
import subprocess
import time

import harness
import race_screen as rs
from harness import check, wait_for


def is_sky(p):
    return p[2] > 150 and p[2] >= p[0] + 20


def is_grass(p):
    return p[1] > p[0] + 12 and p[1] > p[2] + 12


def is_road(p):
    return max(p) - min(p) < 18 and 40 < p[0] < 150


def is_blue_paint(p):
    return p[2] > 120 and p[2] > p[0] + 60 and p[2] > p[1] + 30


def wait_for_race_view(game, window, name, unlike=None, changed_by=3, seconds=30):
    """The first view of the village with the road ahead and the player's blue jeepney in front
    of the camera (and, when given, changed from `unlike`); fails with what it lacked."""
    w, h = window.width, window.height
    shots, faults = [], []

    def seen():
        shots[:] = [game.screenshot(window, name)]
        faults[:] = [fault for fault, found in [
            ("no sky at the top", rs.count_pixels(shots[0], 0, 0, w, h // 5, is_sky, 4) > 300),
            ("no field", rs.count_pixels(shots[0], 0, h // 4, w, h, is_grass, 4) > 200),
            ("no road ahead of the camera",
             rs.count_pixels(shots[0], w // 6, h // 2, w * 5 // 6, h - 40, is_road, 4) > 400),
            ("the player's blue jeepney is not in front of the camera",
             rs.count_pixels(shots[0], w // 4, h // 4, w * 3 // 4, h * 3 // 4, is_blue_paint,
                             2) > 300),
            ("the view did not change",
             unlike is None or rs.mean_difference(unlike, shots[0]) > changed_by),
        ] if not found]
        return not faults

    try:
        wait_for(seen, seconds, "the race view")
    except harness.TestFailure:
        raise harness.TestFailure("; ".join(faults))
    return shots[0]


def race_goes_on_after_a_stall(game):
    window = rs.start_race(game)
    rs.race_started(game, window)
    rs.drive_forward(game, window)
    before = wait_for_race_view(game, window, "before.png")

    os.kill(game.process.pid, signal.SIGSTOP)
    try:
        time.sleep(20)  # the stall itself is what is tested
    finally:
        os.kill(game.process.pid, signal.SIGCONT)
    wait_for_race_view(game, window, "after.png", unlike=before)

    game.quit(window)


def lights_then_race_at_640_by_480(game):
    window = rs.start_race(game)
    check((window.width, window.height) == (640, 480), "window %r" % window)
    seen = rs.watch_lights(game, window)
    check(seen == ["red", "yellow", "green"], "the start lights came on as %r" % (seen,))

    rs.drive_forward(game, window)
    wait_for(lambda: rs.light_state(game, window) is None, 30,
             "a start light is still lit in the race")
    racing = game.screenshot(window, "racing.png")
    top = window.height - rs.OVERLAY_HEIGHT
    check(rs.count_pixels(racing, 0, top, 80, top + 10, rs.is_red_text) > 10,
          "no red \"mph\" over the gauge")
    check(rs.count_pixels(racing, 0, top + 10, 80, top + 30, rs.is_gauge_background) > 100,
          "no gauge in the overlay corner")
    check(rs.count_pixels(racing, 80, top, 160, top + 10, rs.is_red_text) > 20,
          "no race time in the overlay corner")
    check(rs.count_pixels(racing, 80, top + 15, 160, top + 30, rs.is_red_text) > 15,
          "no lap count in the overlay corner")

    # Once the chase camera has settled behind the jeepney, which drives on meanwhile.
    wait_for_race_view(game, window, "driven.png", unlike=racing, changed_by=10, seconds=60)
    game.quit(window)


def settled_view(game, window):
    """The view once the jeepney has rolled to a stop with the throttle off."""
    shots = [game.screenshot(window, "settling.png")]

    def still():
        shots.append(game.screenshot(window, "settling.png"))
        return rs.mean_difference(shots[-2], shots[-1]) < 3

    # Coasting to a stop is slow, and slower still on a busy machine, which races behind the clock.
    wait_for(still, 180, "the view did not come to rest with the throttle off")
    return shots[-1]


def overview_and_restart(game):
    window = rs.start_race(game)
    at_start = game.screenshot(window, "start.png")
    rs.race_started(game, window)
    rs.drive_forward(game, window)
    wait_for(lambda: rs.mean_difference(at_start, game.screenshot(window, "away.png")) > 25, 60,
             "the jeepney did not drive away from the start")

    game.move_mouse(window, window.width // 2, window.height // 2)
    chase = settled_view(game, window)
    with game.holding("Prior", window):
        wait_for(lambda: rs.mean_difference(game.screenshot(window, "overview.png"), chase) > 25,
                 30, "Page Up did not change the view")

    game.move_mouse(window, window.width // 2, window.height // 2)
    with game.holding("r", window):
        wait_for(lambda: rs.light_state(game, window) == "red",
                 30, "R did not bring back the red light")
    restarted = game.screenshot(window, "restarted.png")
    check(rs.mean_difference(at_start, restarted) < 8,
          "after R the view is not the start view again (difference %.1f)"
          % rs.mean_difference(at_start, restarted))
    game.quit(window, "Escape")


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
    harness.run([lights_then_race_at_640_by_480, overview_and_restart,
                 race_goes_on_after_a_stall, engines_idle_then_rise_in_pitch], timeout=300)
