// Steady play takes no heap memory of the game's own: once the level is loaded and a race has
// gone round its phases, frames of update, render and buffer swap and the mixer's blocks
// allocate nothing, and the game logic and the mixer alone allocate nothing anywhere.
#include "memory/allocation_counter.h"
#include "memory/windowed_level.h"

#include "race/race_progress.h"
#include "shell/input.h"
#include "support/gl_context.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace tb {
namespace {

void playFrame(int frame) {
    test::WindowedLevel::runFrame();
    // The mixer runs about once every three frames.
    if (frame % 3 == 0) {
        mixNextBlock();
    }
}

// Countdown and racing, a restart held on R for a few frames, a second race, the results.
struct PhaseFrames {
    int countdown = 0;
    int racing = 0;
    int results = 0;
};

PhaseFrames playPhases(int frames) {
    PhaseFrames seen;
    for (int frame = 0; frame < frames; ++frame) {
        keyState[KeyR] = frame >= frames / 2 && frame < frames / 2 + 5 ? 1 : 0;
        if (frame == frames * 4 / 5) {
            setRacePhase(Finished);
        }
        playFrame(frame);
        seen.countdown += race.phase == Countdown ? 1 : 0;
        seen.racing += race.phase == Racing ? 1 : 0;
        seen.results += race.phase == Finished ? 1 : 0;
    }
    keyState[KeyR] = 0;
    return seen;
}

TEST(AllocationCounter, CountsTheGameAndTheLibraryThatAsked) {
    test::startCountingAllocations();
    auto* numbers = new std::vector<int>(1000);
    char* copy = strdup("through the C library");
    std::string text(100, 'x');
    delete numbers;
    std::free(copy);
    const test::AllocationCounts counts = test::stopCountingAllocations();
    EXPECT_GE(counts.game.calls, 3u) << counts.byObject;
    EXPECT_GE(counts.game.bytes, 4000u + 100u);
    EXPECT_EQ(counts.total.calls, counts.game.calls) << counts.byObject;

    test::startCountingAllocations();
    test::stopCountingAllocations();
    std::vector<int> uncounted(10);
    EXPECT_EQ(test::stopCountingAllocations().total.calls, 0u);
}

TEST(SteadyPlay, ThousandFramesTakeNoMemoryOfTheGame) {
    if (!test::GlContext::displayAvailable()) {
        GTEST_SKIP() << "needs an X display";
    }
    test::WindowedLevel level(640, 480, "mapFiesta.bmp");
    ASSERT_TRUE(level.ready());
    // The first race selects the HUD's fonts and the driver builds its programs.
    playPhases(400);
    setRacePhase(Countdown);

    test::startCountingAllocations();
    const PhaseFrames seen = playPhases(1000);
    const test::AllocationCounts taken = test::stopCountingAllocations();

    EXPECT_GT(seen.countdown, 200);
    EXPECT_GT(seen.racing, 200);
    EXPECT_GT(seen.results, 100);
    EXPECT_EQ(taken.game.calls, 0u) << taken.byObject;
    // The GL driver, X and cairo take scratch memory for their own work on every frame.
    RecordProperty("libraries", taken.byObject);
    std::printf("Libraries' allocations over 1000 frames: %s\n", taken.byObject.c_str());

    // Without the window's drawing, the race and the mixer take nothing from anyone.
    setUpdateOptions({true, false});
    test::startCountingAllocations();
    for (int frame = 0; frame < 1000; ++frame) {
        test::WindowedLevel::advanceClock();
        update();
        if (frame % 3 == 0) {
            mixNextBlock();
        }
    }
    const test::AllocationCounts logic = test::stopCountingAllocations();
    EXPECT_EQ(logic.total.calls, 0u) << logic.byObject;
}

} // namespace
} // namespace tb
