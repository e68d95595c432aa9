#pragma once
// The game's heartbeat: events, the frame clock, the frame itself and the buffer swap.
namespace tb {

using FrameFunction = void (*)();

// Runs until the player quits: each pass takes at most one window event, then runs `frame`
// (between the frame clock's clear and the buffer swap) when a frame is due, and otherwise
// sleeps until the next frame can be due or an event arrives.
void runMainLoop(FrameFunction frame);

} // namespace tb
