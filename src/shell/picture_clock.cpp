#include "shell/picture_clock.h"

#include "shell/app_state.h"
#include "shell/clock.h"
#include "shell/frame_clock.h"
#include "shell/game_window.h"
#include "shell/input.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace tb {
namespace {

// Events taken before a picture at most: a flood of mouse motion must not hold it back.
constexpr int WaitingEventLimit = 64;
// How quickly the estimate of a picture's cost follows the latest one.
constexpr double CostWeight = 0.25;

struct PictureClock {
    double earliest = 1.0 / FallbackPictureRate; // seconds from one picture's start to the next
    double lastPicture = 0.0;
    double cost = 0.0; // seconds from a picture's start to its swap, smoothed
    float frameTime = MinFrameTime;
};

PictureClock pictures;

double seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool vsyncOn() {
    // Adaptive vsync lets a late picture through at once instead of waiting a whole refresh.
    return SDL_GL_SetSwapInterval(-1) == 0 || SDL_GL_SetSwapInterval(1) == 0;
}

int refreshRate(SDL_Window* window) {
    SDL_DisplayMode mode{};
    const int display = window ? SDL_GetWindowDisplayIndex(window) : 0;
    return SDL_GetCurrentDisplayMode(std::max(display, 0), &mode) == 0 ? mode.refresh_rate : 0;
}

// In the background the game is paused as by P, and a paused game draws nothing.
bool stopped() {
    return !app.running || app.paused || app.inBackground;
}

// A picture as slow as a frame, or one slow picture, must not stop the pictures for good: right
// after a frame there is always time for one.
bool pictureFitsBeforeNextFrame() {
    const double untilFrame = app.frameClock + MinFrameTime - clockSeconds();
    return untilFrame >= std::min(pictures.cost, MinFrameTime / 2.0);
}

// A swap that waits for the display holds the loop; what came meanwhile must not be left to
// one event a pass.
void takeWaitingEvents() {
    for (int i = 0; i < WaitingEventLimit && app.running; ++i) {
        if (!SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) {
            break;
        }
        pumpMessages();
    }
}

void drawPicture(PictureFunction picture) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    picture(pictureAlpha(clockSeconds(), app.frameClock, pictures.frameTime));
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    swapGameWindow();
}

} // namespace

void startPictureClock() {
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    const bool vsync = window && vsyncOn();
    const int rate = refreshRate(window);
    pictures = PictureClock{};
    if (vsync && rate > 0) {
        pictures.earliest = 1.0 / rate;
    }
}

void noteFrame(float frameTime) {
    pictures.frameTime = frameTime;
}

bool drawPictureIfDue(PictureFunction picture) {
    if (!picture || stopped()) {
        return false;
    }
    const double start = seconds();
    if (start - pictures.lastPicture < pictures.earliest || !pictureFitsBeforeNextFrame()) {
        return false;
    }
    takeWaitingEvents();
    if (stopped()) {
        return false;
    }
    pictures.lastPicture = start;
    drawPicture(picture);
    pictures.cost += (seconds() - start - pictures.cost) * CostWeight;
    return true;
}

int millisecondsUntilNextPicture() {
    if (stopped()) {
        return static_cast<int>(MinFrameTime * 1000.0f);
    }
    const double remaining = pictures.lastPicture + pictures.earliest - seconds();
    const int milliseconds = static_cast<int>(std::ceil(remaining * 1000.0));
    return std::clamp(milliseconds, 1, static_cast<int>(1000.0 / FallbackPictureRate) + 1);
}

float pictureAlpha(float now, float frameClock, float frameTime) {
    if (frameTime <= 0.0f) {
        return 1.0f;
    }
    return std::clamp((now - frameClock) / frameTime, 0.0f, 1.0f);
}

} // namespace tb
