// The cost of smooth frames beyond the game update, mid-race on mapPlaza: recording a frame's
// poses (with the sparks' step) and posing the jeepneys, wheels and camera between two frames
// for a picture, with the models themselves not drawn (run under xvfb-run: the view set-up
// needs a GL context).
#include "race/headless_race.h"
#include "race/race_progress.h"
#include "render/smooth_frames.h"
#include "shell/media_paths.h"
#include "shell/random.h"
#include "simulated_frames.h"
#include "support/gl_context.h"

#include <benchmark/benchmark.h>

namespace {

using tb::bench::FramesIntoRace;
using tb::bench::runFrame;

template <typename Step> void midRace(benchmark::State& state, Step step) {
    const tb::test::GlContext gl;
    if (!gl.ready()) {
        state.SkipWithError("no GL context");
        return;
    }
    tb::setMediaFolder(TB_BUILD_MEDIA_DIR);
    tb::seedRandom(7);
    const tb::HeadlessLevel level("mapPlaza.bmp", true);
    tb::bench::startSimulatedClock();
    tb::setRacePhase(tb::Countdown);
    for (int i = 0; i < FramesIntoRace; ++i) {
        runFrame();
        tb::finishSmoothFrame();
    }
    for (auto _ : state) {
        step();
    }
}

void recordFrame(benchmark::State& state) {
    midRace(state, [] { tb::finishSmoothFrame(); });
}

void poseAPicture(benchmark::State& state) {
    midRace(state, [] { tb::drawPictureBetweenFrames(0.5f); });
}

} // namespace

BENCHMARK(recordFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(poseAPicture)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
