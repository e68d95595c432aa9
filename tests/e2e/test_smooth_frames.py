"""Smooth frames: between the game's frames (at most one each 0.03 s) pictures are drawn at
the display's rate, 60 a second under Xvfb, which has no refresh rate; SmoothFrames=0 in
game.ini gives one picture a frame again. The rules' results with and without it are compared
by the unit tests (a seeded race ends the same)."""

import harness
import race_screen as rs
from game_probe import PictureCount
from harness import check

# Frames run at most once each 0.03 s; a few passes late still make no more than this.
MOST_FRAMES_A_SECOND = 1 / 0.03 + 1


def picture_rate(game, ini, enough=None):
    """Pictures a second while racing: the best of up to five 4 s stretches, stopping at one
    that reaches `enough`. On a busy machine a picture can take longer than half a frame, and
    then only one fits between frames; the load comes and goes."""
    count = PictureCount(game)
    window = rs.start_race(game, ini=ini, env=count.env())
    rs.race_started(game, window)
    rs.drive_forward(game, window)
    rate = 0.0
    for _ in range(5 if enough else 1):
        rate = max(rate, count.rate(4.0))
        if enough and rate > enough:
            break
    game.quit(window)
    return rate


def more_pictures_than_frames_with_smooth_frames(game):
    rate = picture_rate(game, None, enough=MOST_FRAMES_A_SECOND * 1.05)
    print("   smooth frames: %.1f pictures a second" % rate)
    check(rate > MOST_FRAMES_A_SECOND * 1.05,
          "%.1f pictures a second: no more than the frames" % rate)
    check(rate < 66, "%.1f pictures a second: more than 60 without a refresh rate" % rate)
    check("SmoothFrames" not in game.read_ini(), "a fresh start wrote SmoothFrames")


def one_picture_a_frame_with_smooth_frames_off(game):
    rate = picture_rate(game, "[Game]\nSmoothFrames=0\n")
    print("   SmoothFrames=0: %.1f pictures a second" % rate)
    check(0 < rate <= MOST_FRAMES_A_SECOND, "%.1f pictures a second" % rate)
    check("SmoothFrames=0" in game.read_ini(), "the setting was not kept")


if __name__ == "__main__":
    harness.run([more_pictures_than_frames_with_smooth_frames,
                 one_picture_a_frame_with_smooth_frames_off], timeout=120)
