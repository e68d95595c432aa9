#include "race/keyboard_steering.h"

#include <algorithm>

namespace tb {

KeyboardDrive keyboardDrive;

namespace {

float keyPair(bool positive, bool negative) {
    return (positive ? 1.0f : 0.0f) - (negative ? 1.0f : 0.0f);
}

bool newlyPressed(const ArrowKeys& now, const ArrowKeys& before) {
    return (now.left && !before.left) || (now.right && !before.right) || (now.up && !before.up) ||
           (now.down && !before.down);
}

float towards(float value, float target, float step) {
    return value < target ? std::min(value + step, target) : std::max(value - step, target);
}

} // namespace

bool driveByKeyboard(KeyboardDrive& drive, const ArrowKeys& keys, float mouseX, float mouseY,
                     float dt) {
    if (mouseX != drive.mouseX || mouseY != drive.mouseY) {
        drive.driving = false;
        drive.steer = 0.0f;
    }
    drive.mouseX = mouseX;
    drive.mouseY = mouseY;
    if (newlyPressed(keys, drive.held)) {
        drive.driving = true;
    }
    drive.held = keys;
    if (!drive.driving) {
        return false;
    }
    drive.steer = towards(drive.steer, keyPair(keys.right, keys.left), dt / KeyboardLockTime);
    drive.throttle = keyPair(keys.up, keys.down);
    return true;
}

} // namespace tb
