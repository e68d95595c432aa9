#pragma once
// Gamepads through SDL's game-controller mappings (its own database and
// SDL_GAMECONTROLLERCONFIG), taken up and dropped as they are plugged in and pulled out.
#include <SDL_events.h>

namespace tb {

// Opens every pad already plugged in; called at start-up when the Joystick setting is on.
void initGamepads();
// Closes the pads at exit; nothing is read from a pad afterwards.
void releaseGamepads();
// Pads plugged in or pulled out, and the buttons: Start pauses like P, Back restarts while held
// like R, Y shows the overview while held like Page Up.
void inspectGamepadEvent(const SDL_Event& event);
// The first pad as a joystick reading: x from the left stick, y from its vertical axis with the
// right trigger pulling it forward and the left one back. False when no pad is plugged in.
bool pollGamepad(float& x, float& y);

// One pad's axes as that reading: SDL's stick values, -32768..32767, and triggers, 0..32767.
void gamepadReading(int stickX, int stickY, int leftTrigger, int rightTrigger, float& x, float& y);

} // namespace tb
