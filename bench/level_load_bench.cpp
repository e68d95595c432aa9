// Loading the level up to the first frame on screen, in the real game window at 640 x 480:
// loadLevel (models with their textures and display lists, sounds, overlay, track) and the
// first frame with its swap. Each load starts from nothing loaded, textures included; files
// come from the page cache after the first. Run under `xvfb-run -a`.
#include "memory/windowed_level.h"

#include "assets/textures.h"

#include <benchmark/benchmark.h>

#include <GL/gl.h>

namespace {

void loadToFirstFrame(benchmark::State& state) {
    tb::test::WindowedLevel level(640, 480, "mapFiesta.bmp");
    if (!level.ready()) {
        state.SkipWithError("no game window or level (needs an X display)");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        tb::unloadLevel();
        tb::releaseTextures();
        state.ResumeTiming();
        if (!level.load("mapFiesta.bmp")) {
            state.SkipWithError("the level did not load");
            break;
        }
        tb::test::WindowedLevel::runFrame();
        glFinish();
    }
}

BENCHMARK(loadToFirstFrame)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
