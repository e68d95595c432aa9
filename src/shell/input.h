#pragma once
// Keyboard, mouse and joystick state as the game reads it.
#include <cstdint>

namespace tb {

// Virtual-key codes of the keys the game reads.
constexpr int KeyEscape = 27;
constexpr int KeyPageUp = 33;
constexpr int KeyP = 80;
constexpr int KeyQ = 81;
constexpr int KeyR = 82;

// 1 while the key with that code is down.
extern std::uint8_t keyState[256];
// The two driving axes, nominally -1..1: mouse position or joystick.
extern float axisX;
extern float axisY;

struct Joystick {
    unsigned deviceId = 0;
    bool present = false;
    float x = 0.0f;
    float y = 0.0f;
};
extern Joystick joystick;

// Takes at most one window event, updates the input state; returns `running`.
bool pumpMessages();
// Looks for the first joystick; called at start-up when the Joystick setting is on.
bool initJoystick();
// True when a fresh joystick reading was stored in joystick.x and joystick.y.
bool pollJoystick();

} // namespace tb
