// The game update of one frame (`update`), headless and mid-race: eight jeepneys racing, the
// player's driven by the opponents' rule, on every generated map. "withHud" also paints the
// head-up display into the overlay surface, as the windowed game does every frame.
#include "race/game_update.h"
#include "race/headless_race.h"
#include "race/race_progress.h"
#include "render/overlay.h"
#include "shell/app_state.h"
#include "shell/clock.h"
#include "shell/media_paths.h"
#include "shell/random.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

namespace {

constexpr std::array<const char*, 4> Maps = {"mapFiesta.bmp", "mapPlaza.bmp", "mapProvince.bmp",
                                             "mapTerraces.bmp"};
constexpr std::uint32_t FrameMilliseconds = 30;
// Into the race far enough that the field has spread out over the track.
constexpr int FramesIntoRace = 500;

std::uint32_t now = 0;
std::uint32_t benchClock() {
    return now;
}

void runFrame() {
    now += FrameMilliseconds;
    tb::app.frameTime = 0.001f * FrameMilliseconds;
    tb::app.frameClock = tb::clockSeconds();
    tb::update();
}

// A fresh countdown, then frames until the race is well under way.
void startRace() {
    tb::setRacePhase(tb::Countdown);
    while (tb::race.phase != tb::Racing) {
        runFrame();
    }
    for (int i = 0; i < FramesIntoRace && tb::race.phase == tb::Racing; ++i) {
        runFrame();
    }
}

void updateMidRace(benchmark::State& state, bool withHud) {
    tb::setMediaFolder(TB_BUILD_MEDIA_DIR);
    tb::seedRandom(7);
    const tb::HeadlessLevel level(Maps[state.range(0)], true);
    now = 1000;
    tb::setClockSource(benchClock);
    if (withHud) {
        tb::createOverlay(0, 450, 160, 480, 640, 480, true);
        tb::setUpdateOptions({true, true});
    }
    startRace();
    for (auto _ : state) {
        if (tb::race.phase != tb::Racing) {
            state.PauseTiming();
            startRace();
            state.ResumeTiming();
        }
        runFrame();
    }
    state.SetLabel(Maps[state.range(0)]);
    tb::destroyOverlay();
}

void updateHeadless(benchmark::State& state) {
    updateMidRace(state, false);
}
void updateWithHud(benchmark::State& state) {
    updateMidRace(state, true);
}

BENCHMARK(updateHeadless)->DenseRange(0, Maps.size() - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(updateWithHud)->DenseRange(0, Maps.size() - 1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
