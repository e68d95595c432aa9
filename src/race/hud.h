#pragma once
// The head-up display drawn into the overlay each frame: start lights, gauge, time, laps, results.
namespace tb {

void drawHud();
// Where the results line stands; it is never reset during a run.
extern float resultsScrollX;

} // namespace tb
