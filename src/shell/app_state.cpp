// The shell's single-instance state lives in one place so that every piece of the shell, and
// the tests, can reach it without pulling in the window or the launcher.
#include "shell/app_state.h"
#include "shell/input.h"
#include "shell/settings.h"

namespace tb {

AppState app;
Settings settings;

std::uint8_t keyState[256] = {};
float axisX = 0.0f;
float axisY = 0.0f;
Joystick joystick;

} // namespace tb
