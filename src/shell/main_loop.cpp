#include "shell/main_loop.h"

#include "shell/app_state.h"
#include "shell/frame_clock.h"
#include "shell/game_window.h"
#include "shell/input.h"
#include "shell/picture_clock.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>

namespace tb {
namespace {

// Returns early when an event arrives, which stays queued for the next pass.
void waitForNextFrame(PictureFunction picture) {
    int milliseconds = millisecondsUntilNextFrame();
    if (picture) {
        milliseconds = std::min(milliseconds, millisecondsUntilNextPicture());
    }
    SDL_WaitEventTimeout(nullptr, milliseconds);
}

void endFrame() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    swapGameWindow();
}

} // namespace

void runMainLoop(FrameFunction frame, PictureFunction picture) {
    if (picture) {
        startPictureClock();
    }
    while (pumpMessages()) {
        // With smooth frames the pictures follow their own clock; a frame draws none itself.
        app.frameTime = picture ? advanceFrameClock() : tickFrameClock();
        if (app.frameTime > 0.0f) {
            frame();
            if (!picture) {
                endFrame();
                continue;
            }
            noteFrame(app.frameTime);
        }
        if (!drawPictureIfDue(picture)) {
            waitForNextFrame(picture);
        }
    }
}

} // namespace tb
