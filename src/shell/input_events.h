#pragma once
// How the shell turns one window-system event into input state.
#include <SDL_events.h>

namespace tb {

// Keys into keyState, mouse motion into the axes; Q, Escape and a close request from the
// window system tear down the display and end the run.
void inspectInputMessage(const SDL_Event& event);

} // namespace tb
