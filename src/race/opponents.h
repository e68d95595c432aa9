#pragma once
// Steering of the computer-driven jeepneys 1 to 7 along the waypoints.
namespace tb {

void steerOpponents();
// The opponent rule for one vehicle (the headless race's autopilot drives vehicle 0 with it).
void steerOpponent(int vehicle);

} // namespace tb
