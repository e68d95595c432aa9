#pragma once
// The game's heartbeat: events, the frame clock, the frame itself and the buffer swap.
#include "shell/picture_clock.h"

namespace tb {

using FrameFunction = void (*)();

// Runs until the player quits: each pass takes at most one window event, then runs `frame`
// (between the frame clock's clear and the buffer swap) when a frame is due, and otherwise
// sleeps until the next frame can be due or an event arrives. With a `picture` (smooth frames)
// the passes between frames draw pictures at the display's rate as well.
void runMainLoop(FrameFunction frame, PictureFunction picture = nullptr);

} // namespace tb
