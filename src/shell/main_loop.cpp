#include "shell/main_loop.h"

#include "shell/app_state.h"
#include "shell/frame_clock.h"
#include "shell/game_window.h"
#include "shell/input.h"

#include <GL/gl.h>
#include <SDL.h>

namespace tb {
namespace {

// Returns early when an event arrives, which stays queued for the next pass.
void waitForNextFrame() {
    SDL_WaitEventTimeout(nullptr, millisecondsUntilNextFrame());
}

void endFrame() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    swapGameWindow();
}

} // namespace

void runMainLoop(FrameFunction frame) {
    while (pumpMessages()) {
        app.frameTime = tickFrameClock();
        if (app.frameTime == 0.0f) {
            waitForNextFrame();
            continue;
        }
        frame();
        endFrame();
    }
}

} // namespace tb
