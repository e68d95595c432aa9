"""The race as the player sees it: the track, the start lights in their order, the HUD, driving
with the mouse, the overview on Page Up and the restart on R."""

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


def lights_then_race_at_640_by_480(game):
    window = rs.start_race(game)
    check((window.width, window.height) == (640, 480), "window %r" % window)
    seen = rs.watch_lights(game, window)
    check(seen == ["red", "yellow", "green"], "the start lights came on as %r" % (seen,))

    rs.drive_forward(game, window)
    wait_for(lambda: rs.light_state(game.screenshot(window, "racing.png"), window) is None, 30,
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
    h = window.height
    faults = []

    def village_ahead():
        driven = game.screenshot(window, "driven.png")
        faults[:] = [fault for fault, seen in [
            ("no sky at the top", rs.count_pixels(driven, 0, 0, 640, h // 5, is_sky, 4) > 300),
            ("no field", rs.count_pixels(driven, 0, h // 4, 640, h, is_grass, 4) > 200),
            ("no road ahead of the camera",
             rs.count_pixels(driven, 100, h // 2, 540, h - 40, is_road, 4) > 400),
            ("the player's blue jeepney is not in front of the camera",
             rs.count_pixels(driven, 160, h // 4, 480, h * 3 // 4, is_blue_paint, 2) > 300),
            ("the view did not change while driving", rs.mean_difference(racing, driven) > 10),
        ] if not seen]
        return not faults

    try:
        wait_for(village_ahead, 60, "the race view")
    except harness.TestFailure:
        raise harness.TestFailure("; ".join(faults))

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
        wait_for(lambda: rs.light_state(game.screenshot(window, "restarted.png"), window) == "red",
                 30, "R did not bring back the red light")
    restarted = game.screenshot(window, "restarted.png")
    check(rs.mean_difference(at_start, restarted) < 8,
          "after R the view is not the start view again (difference %.1f)"
          % rs.mean_difference(at_start, restarted))
    game.quit(window, "Escape")


if __name__ == "__main__":
    harness.run([lights_then_race_at_640_by_480, overview_and_restart], timeout=300)
