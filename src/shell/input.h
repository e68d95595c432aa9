#pragma once
// Keyboard, mouse and joystick state as the game reads it.
#include <cstdint>

namespace tb {

// Virtual-key codes of the keys the game reads.
constexpr int KeyEscape = 27;
constexpr int KeyPageUp = 33;
constexpr int KeyLeft = 37;
constexpr int KeyUp = 38;
constexpr int KeyRight = 39;
constexpr int KeyDown = 40;
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
// Closes the joystick at exit.
void releaseJoystick();

// The virtual-key code of a key as the layout names it (`keycode`) and where it lies on the
// keyboard (`scancode`, named after the US layout): a Latin letter is itself wherever the
// layout puts it; a letter of another script is the US letter at its place; -1 for keys the
// game has no code for.
int virtualKeyFor(std::int32_t keycode, int scancode);
// A cursor coordinate inside a drawing area `size` pixels across: -1 at its first pixel, +1 at
// its last; points beyond it pass +-1 unchanged.
float mouseAxis(int position, int size);
// A joystick reading within the driver's range as -1..1; readings outside it are clamped.
float joystickAxis(int position, int minimum, int maximum);

} // namespace tb
