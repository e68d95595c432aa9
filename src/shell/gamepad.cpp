#include "shell/gamepad.h"

#include "shell/input.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <memory>

namespace tb {
namespace {

constexpr int PadSlots = 8;
constexpr float AxisRange = 32767.0f;

struct PadClose {
    void operator()(SDL_GameController* pad) const { SDL_GameControllerClose(pad); }
};
using Pad = std::unique_ptr<SDL_GameController, PadClose>;

struct Gamepads {
    bool subsystemStarted = false;
    std::array<Pad, PadSlots> pads;
};

Gamepads gamepads;

float unitAxis(int value) {
    return std::clamp(static_cast<float>(value) / AxisRange, -1.0f, 1.0f);
}

SDL_JoystickID instanceOf(SDL_GameController* pad) {
    return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
}

Pad* findPad(SDL_JoystickID id) {
    for (Pad& pad : gamepads.pads) {
        if (pad && instanceOf(pad.get()) == id) {
            return &pad;
        }
    }
    return nullptr;
}

// A device SDL has no mapping for stays with the plain joystick rule.
void takeUpPad(int deviceIndex) {
    if (!SDL_IsGameController(deviceIndex) ||
        findPad(SDL_JoystickGetDeviceInstanceID(deviceIndex))) {
        return;
    }
    const auto free = std::find(gamepads.pads.begin(), gamepads.pads.end(), nullptr);
    if (free != gamepads.pads.end()) {
        free->reset(SDL_GameControllerOpen(deviceIndex));
    }
}

bool anyPad() {
    return std::any_of(gamepads.pads.begin(), gamepads.pads.end(),
                       [](const Pad& pad) { return pad != nullptr; });
}

// SDL lets go of the buttons of a pad that is pulled out before it reports it gone; its last
// reading, copied into the axes, must not go on driving.
void dropPad(SDL_JoystickID id) {
    Pad* pad = findPad(id);
    if (!pad) {
        return;
    }
    pad->reset();
    if (!anyPad()) {
        axisX = 0.0f;
        axisY = 0.0f;
    }
}

int keyOfButton(int button) {
    switch (button) {
    case SDL_CONTROLLER_BUTTON_START:
        return KeyP;
    case SDL_CONTROLLER_BUTTON_BACK:
        return KeyR;
    case SDL_CONTROLLER_BUTTON_Y:
        return KeyPageUp;
    default:
        return -1;
    }
}

// The frame clock clears the pause entry when it takes it, so one press toggles once.
void setButton(const SDL_ControllerButtonEvent& event, bool down) {
    const int key = keyOfButton(event.button);
    if (key < 0 || !findPad(event.which)) {
        return;
    }
    if (key != KeyP || down) {
        keyState[key] = down ? 1 : 0;
    }
}

} // namespace

void gamepadReading(int stickX, int stickY, int leftTrigger, int rightTrigger, float& x, float& y) {
    x = unitAxis(stickX);
    y = std::clamp(unitAxis(stickY) + unitAxis(leftTrigger) - unitAxis(rightTrigger), -1.0f, 1.0f);
}

void initGamepads() {
    if (!gamepads.subsystemStarted) {
        gamepads.subsystemStarted = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    }
    if (!gamepads.subsystemStarted) {
        return;
    }
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        takeUpPad(i);
    }
}

void releaseGamepads() {
    for (Pad& pad : gamepads.pads) {
        pad.reset();
    }
    if (gamepads.subsystemStarted) {
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        gamepads.subsystemStarted = false;
    }
}

void inspectGamepadEvent(const SDL_Event& event) {
    if (!gamepads.subsystemStarted) {
        return;
    }
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
        takeUpPad(event.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        dropPad(event.cdevice.which);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
        setButton(event.cbutton, true);
        break;
    case SDL_CONTROLLERBUTTONUP:
        setButton(event.cbutton, false);
        break;
    default:
        break;
    }
}

bool pollGamepad(float& x, float& y) {
    for (const Pad& pad : gamepads.pads) {
        if (pad && SDL_GameControllerGetAttached(pad.get())) {
            SDL_GameController* p = pad.get();
            gamepadReading(SDL_GameControllerGetAxis(p, SDL_CONTROLLER_AXIS_LEFTX),
                           SDL_GameControllerGetAxis(p, SDL_CONTROLLER_AXIS_LEFTY),
                           SDL_GameControllerGetAxis(p, SDL_CONTROLLER_AXIS_TRIGGERLEFT),
                           SDL_GameControllerGetAxis(p, SDL_CONTROLLER_AXIS_TRIGGERRIGHT), x, y);
            return true;
        }
    }
    return false;
}

} // namespace tb
