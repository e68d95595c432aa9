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
        app.frameTime = tickFrameClock();
        if (app.frameTime == 0.0f) {
            if (!drawPictureIfDue(picture)) {
                waitForNextFrame(picture);
            }
            continue;
        }
        frame();
        endFrame();
        if (picture) {
            notePictureOfFrame(app.frameTime);
        }
    }
}

} // namespace tb
