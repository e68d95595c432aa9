// One frame's drawing in the real game window mid-race, at 640 x 480 (and at 320 x 240, to
// tell the cost of filling pixels from the cost per model): the clear, setUpView and
// renderScene, then either glFinish (the drawing alone) or the buffer swap (as the main loop
// does; on Xvfb the swap also copies the picture to the X server). The game update between
// frames is left out of the timing. Run under `xvfb-run -a -s "-screen 0 1280x1024x24"`.
#include "memory/windowed_level.h"

#include <benchmark/benchmark.h>

#include <GL/gl.h>

namespace {

// Past the countdown and into the race.
constexpr int FramesIntoRace = 400;

enum class FrameEnd { Finish, Swap };

void drawFrames(benchmark::State& state, FrameEnd end) {
    const int width = static_cast<int>(state.range(0));
    tb::test::WindowedLevel level(width, width * 3 / 4, "mapFiesta.bmp");
    if (!level.ready()) {
        state.SkipWithError("no game window or level (needs an X display)");
        return;
    }
    for (int i = 0; i < FramesIntoRace; ++i) {
        tb::test::WindowedLevel::runFrame();
    }
    for (auto _ : state) {
        state.PauseTiming();
        tb::test::WindowedLevel::advanceClock();
        tb::update();
        state.ResumeTiming();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        tb::setUpView();
        tb::renderScene();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        if (end == FrameEnd::Finish) {
            glFinish();
        } else {
            tb::swapGameWindow();
        }
    }
}

void renderAndFinish(benchmark::State& state) {
    drawFrames(state, FrameEnd::Finish);
}
void renderAndSwap(benchmark::State& state) {
    drawFrames(state, FrameEnd::Swap);
}

BENCHMARK(renderAndFinish)
    ->Arg(640)
    ->Arg(320)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(renderAndSwap)
    ->Arg(640)
    ->Arg(320)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
