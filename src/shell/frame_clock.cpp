#include "shell/frame_clock.h"

#include "shell/app_state.h"
#include "shell/clock.h"
#include "shell/input.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace tb {
namespace {

void togglePauseOnKey() {
    if (keyState[KeyP]) {
        keyState[KeyP] = 0;
        app.paused = !app.paused;
    }
}

} // namespace

float advanceFrameClock() {
    if (!app.running) {
        return 0.0f;
    }
    const float now = clockSeconds();
    const float elapsed = now - app.frameClock;
    if (elapsed < 0.0f) {
        app.frameClock = now;
        return 0.0f;
    }
    if (elapsed < MinFrameTime) {
        return 0.0f;
    }
    app.frameClock = now;
    togglePauseOnKey();
    return app.paused || app.inBackground ? 0.0f : std::min(elapsed, MaxFrameTime);
}

float tickFrameClock() {
    const float elapsed = advanceFrameClock();
    if (elapsed > 0.0f) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        // The main loop pops the projection stack after the frame, whatever mode the frame's
        // drawing left current; the push must land on the same stack.
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
    }
    return elapsed;
}

int millisecondsUntilNextFrame() {
    const float remaining = app.frameClock + MinFrameTime - clockSeconds();
    const float milliseconds = std::ceil(remaining * 1000.0f);
    return std::clamp(static_cast<int>(milliseconds), 1, static_cast<int>(MinFrameTime * 1000));
}

} // namespace tb
