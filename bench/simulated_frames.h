// Game frames on a simulated clock, 30 ms apart, as the benchmarks of the update run them.
#pragma once

#include "race/game_update.h"
#include "shell/app_state.h"
#include "shell/clock.h"

#include <cstdint>

namespace tb::bench {

constexpr std::uint32_t FrameMilliseconds = 30;
// Into the race far enough that the field has spread out over the track.
constexpr int FramesIntoRace = 500;

inline std::uint32_t now = 0;

inline std::uint32_t simulatedClock() {
    return now;
}

// Starts the simulated clock at one second; the next frames count from there.
inline void startSimulatedClock() {
    now = 1000;
    setClockSource(simulatedClock);
}

inline void runFrame() {
    now += FrameMilliseconds;
    app.frameTime = 0.001f * FrameMilliseconds;
    app.frameClock = clockSeconds();
    update();
}

} // namespace tb::bench
