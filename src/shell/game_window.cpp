#include "shell/game_window.h"

#include "shell/settings.h"
#include "shell/window_icon.h"

#include <SDL.h>

#include <cstdio>
#include <memory>

namespace tb {

DrawingArea drawingArea;

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
    bool maximise = false;
    std::unique_ptr<SDL_Window, WindowClose> window;
    std::unique_ptr<void, ContextDelete> context;
};

Display display;

// How a full screen is reached: a display mode to switch to, or the desktop as it is.
struct FullScreenChoice {
    SDL_DisplayMode mode{};
    bool desktop = false;
};

bool startVideo() {
    // The window class other programs (and window rules) know the game window by; on Wayland
    // the application id, which docks match with the desktop entry "trundlebay.desktop".
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", "OpenGLWin", 0);
    SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", "trundlebay", 0);
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

// Few monitors offer every size the launcher lists, and Wayland switches none: the player
// still gets a full screen, at the nearest size there is.
FullScreenChoice chooseFullScreen(int width, int height) {
    FullScreenChoice choice;
    if (findDisplayMode(width, height, choice.mode)) {
        return choice;
    }
    SDL_DisplayMode wanted{};
    wanted.w = width;
    wanted.h = height;
    choice.desktop = SDL_GetClosestDisplayMode(0, &wanted, &choice.mode) == nullptr;
    if (choice.desktop) {
        SDL_GetDesktopDisplayMode(0, &choice.mode);
    }
    return choice;
}

void requestContext() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 5);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 5);
}

bool openWindow(int width, int height, Uint32 extraFlags) {
    display.window.reset(SDL_CreateWindow("Trundlebay", SDL_WINDOWPOS_UNDEFINED,
                                          SDL_WINDOWPOS_UNDEFINED, width, height,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | extraFlags));
    if (display.window) {
        setGameWindowIcon(display.window.get());
    }
    return display.window != nullptr;
}

bool enterFullScreen(const FullScreenChoice& choice) {
    SDL_Window* window = display.window.get();
    const bool entered = choice.desktop
                             ? SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0
                             : SDL_SetWindowDisplayMode(window, &choice.mode) == 0 &&
                                   SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0;
    display.fullScreen = entered;
    return entered;
}

// The desktop size windowed: the whole window, frame and all, must lie within the screen less
// its panels. The window manager knows both, so the window asks to be maximised once shown;
// without a window manager it simply stays at the usable area's size, with no frame to add.
bool openDesktopSizedWindow() {
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) {
        return false;
    }
    settings.width = usable.w;
    settings.height = usable.h;
    if (!openWindow(usable.w, usable.h, SDL_WINDOW_RESIZABLE)) {
        return false;
    }
    SDL_SetWindowPosition(display.window.get(), usable.x, usable.y);
    display.maximise = true;
    return true;
}

bool openFullScreenWindow() {
    const FullScreenChoice choice = chooseFullScreen(settings.width, settings.height);
    if (!openWindow(choice.mode.w, choice.mode.h, 0)) {
        return false;
    }
    if (enterFullScreen(choice) || enterFullScreen({choice.mode, true})) {
        return true;
    }
    std::fprintf(stderr, "Full screen refused (%s); playing in a window\n", SDL_GetError());
    SDL_SetWindowFullscreen(display.window.get(), 0);
    SDL_SetWindowSize(display.window.get(), settings.width, settings.height);
    return true;
}

bool makeContext() {
    display.context.reset(SDL_GL_CreateContext(display.window.get()));
    return display.context && SDL_GL_MakeCurrent(display.window.get(), display.context.get()) == 0;
}

void showAndFocus() {
    SDL_Window* window = display.window.get();
    SDL_ShowWindow(window);
    // Asked only once the window is shown: a Wayland compositor insists that a window
    // maximised from its first frame already has the size it has not yet been told.
    if (display.maximise) {
        SDL_MaximizeWindow(window);
    }
    bringGameWindowToFront();
    // The game reads keys, never text; no input method should stand between them.
    SDL_StopTextInput();
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
    const bool fullScreen = settings.windowed == 0;
    const bool desktopSize = settings.useScreenRes == 3;
    if (desktopSize && fullScreen && !takeDesktopSize()) {
        return failWith("Cannot read the desktop size");
    }
    requestContext();
    const bool opened = fullScreen    ? openFullScreenWindow()
                        : desktopSize ? openDesktopSizedWindow()
                                      : openWindow(settings.width, settings.height, 0);
    if (!opened) {
        return failWith("Cannot open the game window");
    }
    if (!makeContext()) {
        return failWith("Cannot create the OpenGL context");
    }
    showAndFocus();
    measureDrawingArea();
    return true;
}

bool measureDrawingArea() {
    SDL_Window* window = display.window.get();
    if (!window) {
        return false;
    }
    DrawingArea area;
    SDL_GL_GetDrawableSize(window, &area.width, &area.height);
    SDL_GetWindowSize(window, &area.pointerWidth, &area.pointerHeight);
    if (area.width <= 0 || area.height <= 0) {
        return false;
    }
    drawingArea = area;
    return true;
}

void bringGameWindowToFront() {
    SDL_Window* window = display.window.get();
    if (!window) {
        return;
    }
    SDL_RaiseWindow(window);
    SDL_SetWindowInputFocus(window);
    takePointer();
}

void releasePointer() {
    if (display.window) {
        SDL_SetWindowGrab(display.window.get(), SDL_FALSE);
        SDL_ShowCursor(SDL_ENABLE);
    }
}

void takePointer() {
    if (!display.window) {
        return;
    }
    if (display.fullScreen) {
        SDL_ShowCursor(SDL_DISABLE);
    } else {
        SDL_SetWindowGrab(display.window.get(), SDL_TRUE);
    }
}

void toggleFullScreen() {
    SDL_Window* window = display.window.get();
    if (!window) {
        return;
    }
    const bool fullScreen = !display.fullScreen;
    if (SDL_SetWindowFullscreen(window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        std::fprintf(stderr, "Cannot switch %s full screen: %s\n", fullScreen ? "to" : "from",
                     SDL_GetError());
        return;
    }
    // The pointer is confined in a window and hidden in full screen; each switch swaps the two.
    releasePointer();
    display.fullScreen = fullScreen;
    takePointer();
    settings.windowed = fullScreen ? 0 : 1;
    settings.changed = true;
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
    display.maximise = false;
    drawingArea = DrawingArea{};
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
