#pragma once
// The whole game-logic step of one frame.
namespace tb {

// Player input, restart on R, opponents, vehicles, collisions, camera, laps, HUD.
void update();
// Vehicle 0's steer and throttle from the mouse axes, the arrow keys or the joystick.
void playerInput();

struct UpdateOptions {
    bool autopilot = false; // vehicle 0 driven by the opponent rule (headless race only)
    bool drawHud = true;    // headless runs have no overlay
};
void setUpdateOptions(const UpdateOptions& options);

} // namespace tb
