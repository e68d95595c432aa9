#include "shell/input.h"

#include "shell/app_state.h"
#include "shell/drawing_area.h"
#include "shell/game_window.h"
#include "shell/gamepad.h"
#include "shell/input_events.h"

#include <SDL.h>

#include <algorithm>
#include <memory>

namespace tb {
namespace {

// SDL reports every axis over this range.
constexpr int AxisMinimum = -32768;
constexpr int AxisMaximum = 32767;

struct JoystickClose {
    void operator()(SDL_Joystick* device) const { SDL_JoystickClose(device); }
};

struct JoystickDevice {
    std::unique_ptr<SDL_Joystick, JoystickClose> handle;
    bool subsystemStarted = false;
};

JoystickDevice device;

// The named keys the game reads, by their virtual-key codes; every other named key is ignored.
int namedKeyCode(std::int32_t keycode) {
    switch (keycode) {
    case SDLK_ESCAPE:
        return KeyEscape;
    case SDLK_PAGEUP:
        return KeyPageUp;
    case SDLK_LEFT:
        return KeyLeft;
    case SDLK_UP:
        return KeyUp;
    case SDLK_RIGHT:
        return KeyRight;
    case SDLK_DOWN:
        return KeyDown;
    default:
        return -1;
    }
}

void requestQuit() {
    tearDownDisplay();
    app.running = false;
}

void keyDown(int code) {
    if (code < 0 || code >= 256) {
        return;
    }
    keyState[code] = 1;
    if (code == KeyQ || code == KeyEscape) {
        requestQuit();
    }
}

void keyUp(int code) {
    if (code >= 0 && code < 256) {
        keyState[code] = 0;
    }
}

bool joystickAttached() {
    return device.handle && SDL_JoystickGetAttached(device.handle.get());
}

// A joystick that was present at start-up and comes back after being unplugged takes over again.
void reopenJoystick(int index) {
    if (joystick.present && !joystickAttached() && index == int(joystick.deviceId)) {
        device.handle.reset(SDL_JoystickOpen(index));
    }
}

// Alt+Enter and F11; a key held down switches once.
bool isFullScreenKey(const SDL_KeyboardEvent& key) {
    const SDL_Keycode sym = key.keysym.sym;
    const bool enter = sym == SDLK_RETURN || sym == SDLK_KP_ENTER;
    return key.repeat == 0 && (sym == SDLK_F11 || (enter && (key.keysym.mod & KMOD_ALT) != 0));
}

// Why the game window is in the background, if it is.
struct WindowPresence {
    bool focusLost = false;
    bool minimised = false;
    bool hidden = false;
};

WindowPresence presence;

void followPresence() {
    const bool background = presence.focusLost || presence.minimised || presence.hidden;
    if (background == app.inBackground) {
        return;
    }
    app.inBackground = background;
    if (background) {
        releasePointer();
    } else {
        takePointer();
    }
}

void inspectWindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        requestQuit();
        return;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        followDrawingArea();
        return;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        presence.focusLost = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        presence.focusLost = false;
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        presence.minimised = true;
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        presence.minimised = false;
        break;
    case SDL_WINDOWEVENT_HIDDEN:
        presence.hidden = true;
        break;
    case SDL_WINDOWEVENT_SHOWN:
        presence.hidden = false;
        break;
    default:
        return;
    }
    followPresence();
}

// A letter of a script without Latin letters (Cyrillic, Greek, ...) as window systems report
// it: the character itself, beyond ASCII, rather than a named key.
bool nonLatinCharacter(std::int32_t keycode) {
    return keycode >= 0x80 && (keycode & SDLK_SCANCODE_MASK) == 0;
}

} // namespace

int virtualKeyFor(std::int32_t keycode, int scancode) {
    if (keycode >= SDLK_a && keycode <= SDLK_z) {
        return 'A' + (keycode - SDLK_a);
    }
    if (nonLatinCharacter(keycode) && scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        return 'A' + (scancode - SDL_SCANCODE_A);
    }
    if (keycode >= SDLK_0 && keycode <= SDLK_9) {
        return '0' + (keycode - SDLK_0);
    }
    if (keycode >= SDLK_F1 && keycode <= SDLK_F12) {
        return 112 + (keycode - SDLK_F1);
    }
    return namedKeyCode(keycode);
}

float mouseAxis(int position, int size) {
    if (size <= 1) {
        return 0.0f;
    }
    return static_cast<float>(position) * 2.0f / static_cast<float>(size - 1) - 1.0f;
}

float joystickAxis(int position, int minimum, int maximum) {
    if (maximum <= minimum) {
        return 0.0f;
    }
    const int clamped = std::clamp(position, minimum, maximum);
    const double span = double(maximum) - double(minimum);
    return static_cast<float>((double(clamped) - double(minimum)) / span * 2.0 - 1.0);
}

void inspectInputMessage(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
        if (isFullScreenKey(event.key)) {
            toggleFullScreen();
        }
        keyDown(virtualKeyFor(event.key.keysym.sym, event.key.keysym.scancode));
        break;
    case SDL_KEYUP:
        keyUp(virtualKeyFor(event.key.keysym.sym, event.key.keysym.scancode));
        break;
    case SDL_MOUSEMOTION:
        axisX = mouseAxis(event.motion.x, drawingArea.pointerWidth);
        axisY = mouseAxis(event.motion.y, drawingArea.pointerHeight);
        break;
    case SDL_WINDOWEVENT:
        inspectWindowEvent(event.window);
        break;
    case SDL_QUIT:
        requestQuit();
        break;
    case SDL_JOYDEVICEADDED:
        reopenJoystick(event.jdevice.which);
        break;
    default:
        inspectGamepadEvent(event);
        break;
    }
}

bool pumpMessages() {
    if (pollJoystick()) {
        axisX = joystick.x;
        axisY = joystick.y;
    }
    SDL_Event event;
    if (SDL_PollEvent(&event)) {
        inspectInputMessage(event);
    }
    return app.running;
}

bool initJoystick() {
    joystick.deviceId = 0;
    joystick.present = false;
    if (!device.subsystemStarted) {
        device.subsystemStarted = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    }
    if (!device.subsystemStarted || SDL_NumJoysticks() < 1) {
        return false;
    }
    device.handle.reset(SDL_JoystickOpen(0));
    // Steering and throttle need both an X and a Y axis.
    if (!device.handle || SDL_JoystickNumAxes(device.handle.get()) < 2) {
        device.handle.reset();
        return false;
    }
    joystick.present = joystickAttached();
    return joystick.present;
}

bool pollJoystick() {
    if (pollGamepad(joystick.x, joystick.y)) {
        return true;
    }
    if (!joystick.present || !joystickAttached()) {
        return false;
    }
    SDL_Joystick* handle = device.handle.get();
    joystick.x = joystickAxis(SDL_JoystickGetAxis(handle, 0), AxisMinimum, AxisMaximum);
    joystick.y = joystickAxis(SDL_JoystickGetAxis(handle, 1), AxisMinimum, AxisMaximum);
    return true;
}

void releaseJoystick() {
    device.handle.reset();
    joystick.present = false;
    if (device.subsystemStarted) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        device.subsystemStarted = false;
    }
}

} // namespace tb
