#include "race/game_update.h"

#include "audio/sound_channels.h"
#include "race/camera.h"
#include "race/hud.h"
#include "race/keyboard_steering.h"
#include "race/opponents.h"
#include "race/race_progress.h"
#include "race/vehicle.h"
#include "shell/app_state.h"
#include "shell/input.h"
#include "track/collisions.h"

#include <cmath>

namespace tb {
namespace {

UpdateOptions options;

ArrowKeys arrowKeys() {
    return {keyState[KeyLeft] != 0, keyState[KeyRight] != 0, keyState[KeyUp] != 0,
            keyState[KeyDown] != 0};
}

} // namespace

void setUpdateOptions(const UpdateOptions& newOptions) {
    options = newOptions;
}

void playerInput() {
    Vehicle& v = vehicles[0];
    v.steer = axisX;
    v.throttle = -axisY;
    if (driveByKeyboard(keyboardDrive, arrowKeys(), axisX, axisY, app.frameTime)) {
        v.steer = keyboardDrive.steer;
        v.throttle = keyboardDrive.throttle;
    }
    if (pollJoystick()) {
        v.steer = joystick.x * std::fabs(joystick.x);
        v.throttle = -joystick.y;
    }
}

void update() {
    if (!options.autopilot) {
        playerInput();
    }
    if (keyState[KeyR]) {
        setRacePhase(Countdown);
    }
    if (options.autopilot) {
        steerOpponent(0);
    }
    steerOpponents();
    updateVehicles();
    collideVehicles();
    updateCamera();
    countLaps();
    publishSoundPositions();
    if (options.drawHud) {
        drawHud();
    }
}

} // namespace tb
