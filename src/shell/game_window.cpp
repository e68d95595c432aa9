#include "shell/game_window.h"

#include "shell/settings.h"

#include <SDL.h>

#include <cstdio>
#include <memory>

namespace tb {
namespace {

struct WindowClose {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct ContextDelete {
    void operator()(void* context) const { SDL_GL_DeleteContext(context); }
};

struct Display {
    bool videoStarted = false;
    bool fullScreen = false;
    bool asideForDialog = false;
    std::unique_ptr<SDL_Window, WindowClose> window;
    std::unique_ptr<void, ContextDelete> context;
};

Display display;

bool startVideo() {
    // The window class other programs (and window rules) know the game window by.
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", "OpenGLWin", 0);
    display.videoStarted = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    return display.videoStarted;
}

bool takeDesktopSize() {
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        return false;
    }
    settings.width = desktop.w;
    settings.height = desktop.h;
    return true;
}

bool findDisplayMode(int width, int height, SDL_DisplayMode& found) {
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        if (SDL_GetDisplayMode(0, i, &found) == 0 && found.w == width && found.h == height) {
            return true;
        }
    }
    return false;
}

void requestContext() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
}

bool openWindow(int width, int height) {
    display.window.reset(SDL_CreateWindow("Trundlebay", SDL_WINDOWPOS_UNDEFINED,
                                          SDL_WINDOWPOS_UNDEFINED, width, height,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN));
    return display.window != nullptr;
}

bool enterFullScreen(const SDL_DisplayMode& mode) {
    SDL_Window* window = display.window.get();
    if (SDL_SetWindowDisplayMode(window, &mode) != 0 ||
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0) {
        return false;
    }
    display.fullScreen = true;
    return true;
}

bool makeContext() {
    display.context.reset(SDL_GL_CreateContext(display.window.get()));
    return display.context && SDL_GL_MakeCurrent(display.window.get(), display.context.get()) == 0;
}

void showAndFocus() {
    SDL_Window* window = display.window.get();
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    SDL_SetWindowInputFocus(window);
    // The game reads keys, never text; no input method should stand between them.
    SDL_StopTextInput();
    if (display.fullScreen) {
        SDL_ShowCursor(SDL_DISABLE);
    } else {
        SDL_SetWindowGrab(window, SDL_TRUE);
    }
}

// Start-up failures show no box; a player who started the game from a terminal sees why.
bool failWith(const char* what) {
    std::fprintf(stderr, "%s: %s\n", what, SDL_GetError());
    return false;
}

} // namespace

bool createGameWindow() {
    if (!startVideo()) {
        return failWith("Cannot start the video system");
    }
    if (settings.useScreenRes == 3 && !takeDesktopSize()) {
        return failWith("Cannot read the desktop size");
    }
    const bool fullScreen = settings.windowed == 0;
    SDL_DisplayMode mode{};
    if (fullScreen && !findDisplayMode(settings.width, settings.height, mode)) {
        std::fprintf(stderr, "The display has no %dx%d mode for full screen\n", settings.width,
                     settings.height);
        return false;
    }
    requestContext();
    if (!openWindow(settings.width, settings.height)) {
        return failWith("Cannot open the game window");
    }
    if (fullScreen && !enterFullScreen(mode)) {
        return failWith("Cannot switch to full screen");
    }
    if (!makeContext()) {
        return failWith("Cannot create the OpenGL context");
    }
    showAndFocus();
    return true;
}

void tearDownDisplay() {
    if (display.window) {
        SDL_SetWindowGrab(display.window.get(), SDL_FALSE);
        if (display.fullScreen) {
            SDL_SetWindowFullscreen(display.window.get(), 0);
        }
    }
    if (display.videoStarted) {
        SDL_ShowCursor(SDL_ENABLE);
    }
    if (display.context) {
        SDL_GL_MakeCurrent(display.window.get(), nullptr);
        display.context.reset();
    }
    display.window.reset();
    display.fullScreen = false;
    if (display.videoStarted) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        display.videoStarted = false;
    }
}

void stepAsideForDialog() {
    if (!display.window || display.asideForDialog) {
        return;
    }
    display.asideForDialog = true;
    SDL_SetHintWithPriority(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0", SDL_HINT_OVERRIDE);
    SDL_SetWindowGrab(display.window.get(), SDL_FALSE);
}

void raiseGameWindow() {
    if (!display.window || !display.asideForDialog) {
        return;
    }
    // The focus loss the dialog caused is handled while minimising is still off.
    SDL_PumpEvents();
    SDL_ResetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS);
    display.asideForDialog = false;
    showAndFocus();
}

void swapGameWindow() {
    if (display.window) {
        SDL_GL_SwapWindow(display.window.get());
    }
}

} // namespace tb
