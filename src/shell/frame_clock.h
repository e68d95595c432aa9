#pragma once
// The frame clock: a frame runs only when at least 0.03 s have passed since the last accepted
// one and the game is neither paused nor in the background.
namespace tb {

constexpr float MinFrameTime = 0.03f;
// The longest step the race takes in one frame: after a stall (a suspended machine, a debugger)
// the race goes on from where it was instead of throwing every jeepney off the world.
constexpr float MaxFrameTime = 0.1f;

// The rule alone, without graphics: the elapsed seconds of the frame to run, at most
// MaxFrameTime, or 0. The frame clock itself follows the real time. Takes a
// pending press of P as a pause toggle on each accepted pass. A clock that went backwards is
// taken as the new frame clock, so frames go on from there.
float advanceFrameClock();
// advanceFrameClock(); when a frame is due, also clears the colour and depth buffers and pushes
// the projection matrix, which the main loop pops after the frame.
float tickFrameClock();
// How long, in whole milliseconds (at least 1), until the next frame can be due.
int millisecondsUntilNextFrame();

} // namespace tb
