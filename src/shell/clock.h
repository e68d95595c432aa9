#pragma once
// The game's one clock: milliseconds since program start, read as seconds. The frame clock,
// the race clock and the sound start times all read it. Tests and the headless race replace
// the source to drive time by hand.
#include <cstdint>

namespace tb {

using ClockSource = std::uint32_t (*)();

// Milliseconds since program start (or whatever the installed source says).
std::uint32_t tickCount();
// tickCount() * 0.001 as a 32-bit float, the form every stored clock value takes.
float clockSeconds();
// Install another millisecond source; nullptr restores the real one.
void setClockSource(ClockSource source);

} // namespace tb
