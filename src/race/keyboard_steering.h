#pragma once
// Steering and driving with the arrow keys. A tap steers a little; a held key reaches full lock
// in a quarter of a second and lets go as fast. Once an arrow key is pressed the keyboard keeps
// the controls, coasting straight when its keys are let go, until the mouse moves.
namespace tb {

constexpr float KeyboardLockTime = 0.25f;

struct ArrowKeys {
    bool left = false;
    bool right = false;
    bool up = false;
    bool down = false;
};

struct KeyboardDrive {
    bool driving = false;
    float steer = 0.0f;    // ramps towards the held key's full lock
    float throttle = 0.0f; // Up forward, Down brake and reverse
    ArrowKeys held;        // the keys of the last frame, to see a key newly pressed
    float mouseX = 0.0f;   // the axes of the last frame, to see the mouse move
    float mouseY = 0.0f;
};

extern KeyboardDrive keyboardDrive;

// One frame of dt seconds with the keys held now and the mouse axes as they stand: true while
// the keyboard drives, with its steer and throttle in `drive`.
bool driveByKeyboard(KeyboardDrive& drive, const ArrowKeys& keys, float mouseX, float mouseY,
                     float dt);

} // namespace tb
