#include "shell/app_state.h"
#include "shell/clock.h"
#include "shell/frame_clock.h"
#include "shell/input.h"
#include "support/gl_context.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>

namespace tb {
namespace {

std::uint32_t fakeMilliseconds = 0;

std::uint32_t fakeClock() {
    return fakeMilliseconds;
}

class FrameClockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setClockSource(&fakeClock);
        app = AppState{};
        std::memset(keyState, 0, sizeof keyState);
        app.running = true;
        at(1000);
        app.frameClock = clockSeconds();
    }
    void TearDown() override { setClockSource(nullptr); }

    static void at(std::uint32_t milliseconds) { fakeMilliseconds = milliseconds; }
};

TEST_F(FrameClockTest, RefusesFramesCloserThanThirtyMillisecondsAndKeepsTheOldClock) {
    const float lastFrame = app.frameClock;
    at(1020);
    EXPECT_EQ(advanceFrameClock(), 0.0f);
    EXPECT_EQ(app.frameClock, lastFrame);

    at(1035);
    EXPECT_NEAR(advanceFrameClock(), 0.035f, 1e-4f);
    EXPECT_FLOAT_EQ(app.frameClock, 1.035f);

    at(1064);
    EXPECT_EQ(advanceFrameClock(), 0.0f);
    at(1066);
    EXPECT_NEAR(advanceFrameClock(), 0.031f, 1e-4f);

    // From 20 ms to 50 ms the clock's floats differ by exactly the shortest frame, which runs.
    at(20);
    app.frameClock = clockSeconds();
    at(50);
    ASSERT_EQ(clockSeconds() - app.frameClock, MinFrameTime);
    EXPECT_EQ(advanceFrameClock(), MinFrameTime);

    app.running = false;
    at(5000);
    EXPECT_EQ(advanceFrameClock(), 0.0f) << "no frame once the game has stopped running";
}

TEST_F(FrameClockTest, AStallAdvancesTheRaceOneTenthWhileTheClockKeepsRealTime) {
    at(21000);
    EXPECT_FLOAT_EQ(advanceFrameClock(), 0.1f);
    EXPECT_FLOAT_EQ(app.frameClock, 21.0f) << "the race clock counts the stall";
    at(21090);
    EXPECT_NEAR(advanceFrameClock(), 0.09f, 1e-4f);
}

TEST_F(FrameClockTest, PauseKeyTogglesOncePerPressAndResumesWithoutALongStep) {
    keyState[KeyP] = 1;
    at(1010);
    EXPECT_EQ(advanceFrameClock(), 0.0f);
    EXPECT_FALSE(app.paused) << "the press waits for the next accepted pass";
    EXPECT_EQ(keyState[KeyP], 1);

    at(1040);
    EXPECT_EQ(advanceFrameClock(), 0.0f);
    EXPECT_TRUE(app.paused);
    EXPECT_EQ(keyState[KeyP], 0);

    // Paused for five seconds: passes keep moving the frame clock but run no frame.
    for (std::uint32_t t = 1080; t <= 6000; t += 40) {
        at(t);
        EXPECT_EQ(advanceFrameClock(), 0.0f);
    }
    EXPECT_TRUE(app.paused);
    EXPECT_FLOAT_EQ(app.frameClock, 6.0f);

    keyState[KeyP] = 1;
    at(6040);
    EXPECT_NEAR(advanceFrameClock(), 0.040f, 1e-4f);
    EXPECT_FALSE(app.paused);
}

TEST_F(FrameClockTest, GameInTheBackgroundRunsNoFrameAndResumesWithoutALongStep) {
    app.inBackground = true;
    for (std::uint32_t t = 1040; t <= 9000; t += 40) {
        at(t);
        EXPECT_EQ(advanceFrameClock(), 0.0f);
    }
    EXPECT_FLOAT_EQ(app.frameClock, 9.0f);
    app.inBackground = false;
    at(9035);
    EXPECT_NEAR(advanceFrameClock(), 0.035f, 1e-4f);
    EXPECT_FALSE(app.paused);
}

TEST_F(FrameClockTest, ClockThatGoesBackwardsKeepsFramesComing) {
    at(900000);
    app.frameClock = clockSeconds();
    at(20);
    EXPECT_EQ(advanceFrameClock(), 0.0f);
    at(60);
    EXPECT_NEAR(advanceFrameClock(), 0.040f, 1e-4f);
    at(100);
    EXPECT_NEAR(advanceFrameClock(), 0.040f, 1e-4f);
}

TEST_F(FrameClockTest, WaitEndsWhenTheNextFrameCanBeDue) {
    at(1010);
    EXPECT_EQ(millisecondsUntilNextFrame(), 20);
    at(1029);
    EXPECT_EQ(millisecondsUntilNextFrame(), 1);
    at(1500);
    EXPECT_EQ(millisecondsUntilNextFrame(), 1) << "an overdue frame never waits long";
    app.frameClock = 10.0f;
    at(20);
    EXPECT_EQ(millisecondsUntilNextFrame(), 30) << "a clock that went back waits one frame";
}

// A frame that is due starts on a cleared screen and pushes the projection the main loop pops
// after it; a pass with no frame due leaves the last picture and the stack alone.
TEST_F(FrameClockTest, ADueFrameStartsOnAClearedScreenWithTheProjectionPushed) {
    if (!test::GlContext::displayAvailable()) {
        GTEST_SKIP() << "no display";
    }
    const test::GlContext gl(8, 8);
    ASSERT_TRUE(gl.ready());
    const auto frameState = [] {
        GLubyte red = 0;
        glReadPixels(4, 4, 1, 1, GL_RED, GL_UNSIGNED_BYTE, &red);
        GLint depth = 0;
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
        return std::pair{int(red), int(depth)};
    };
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    at(1020);
    EXPECT_EQ(tickFrameClock(), 0.0f);
    EXPECT_EQ(frameState(), std::pair(255, 1));
    at(1035);
    EXPECT_GT(tickFrameClock(), 0.0f);
    EXPECT_EQ(frameState(), std::pair(0, 2));
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
}

} // namespace
} // namespace tb
