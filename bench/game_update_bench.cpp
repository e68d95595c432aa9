// The game update of one frame (`update`), headless and mid-race: eight jeepneys racing, the
// player's driven by the opponents' rule, on every generated map. "withHud" also paints the
// head-up display into the overlay surface, as the windowed game does every frame.
#include "race/headless_race.h"
#include "race/race_progress.h"
#include "render/overlay.h"
#include "shell/media_paths.h"
#include "shell/random.h"
#include "simulated_frames.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {

constexpr std::array<const char*, 4> Maps = {"mapFiesta.bmp", "mapPlaza.bmp", "mapProvince.bmp",
                                             "mapTerraces.bmp"};
using tb::bench::FramesIntoRace;
using tb::bench::runFrame;

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
    tb::bench::startSimulatedClock();
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
