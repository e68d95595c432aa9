#pragma once
// Start-up of the whole program up to a running game window, and the shell's part of the exit.
#include <array>

namespace tb {

using Colour = std::array<float, 4>;

// Seeds the random generator, runs the launcher, opens the game window and sets the fixed
// graphics state, the light, the first view matrix, the texture registry, the joystick and pads.
// False when the launcher was closed or the window could not be made; nothing is shown then.
bool startUp(const Colour& clearColour);
// The graphics state start-up sets on the game window's current context: viewport and
// projection for the settings' size, the fixed state, the light, the first view matrix and the
// texture registry. Tests and benchmarks that open the window themselves call it too.
void setUpGraphics();
// The shell's exit steps, after the level's own clean-ups: textures, display, saved settings.
// Also right after a failed start-up.
void runExitSteps();

} // namespace tb
