#pragma once
// The eight jeepneys: driving, race and sound fields. Vehicle i's body is
// gameModels.jeepneys[i] and its wheels are gameModels.wheels[4i .. 4i+3].
#include "assets/game_models.h"
#include "assets/math_types.h"

#include <array>
#include <cstdint>

namespace tb {

constexpr int VehicleCount = 8;
constexpr float WheelBase = 6.14f;

enum JumpState : int { Grounded = 0, OnRamp = 1, Airborne = 2 };

struct Vehicle {
    float throttle = 0.0f;
    float steer = 0.0f; // positive turns right
    float speed = 0.0f;
    float spinRate = 0.0f;
    Vec3 pushVelocity;
    Vec3 prevPosition;
    int jumpState = Grounded;
    bool roughGround = false;
    float wheelSpin = 0.0f;
    float wheelSteer = 0.0f;
    int lapCount = 0;
    bool checkpointPending = false;
    int nextWaypoint = 0;
    float approachRadiiSq[3] = {};
    int engineChannel = -1;
    int crashChannel = -1;
};

extern std::array<Vehicle, VehicleCount> vehicles;

inline Model& vehicleBody(int i) {
    return gameModels.jeepneys[i];
}
inline Model& vehicleWheel(int i, int k) {
    return gameModels.wheels[4 * i + k];
}

// Wheel k's mount point in the body's own frame.
Vec3 wheelMount(int k);

// Wheel k on a body with that transform, rolled by `spin` and, for the front wheels, steered
// by `steer`.
Mat4 wheelTransform(const Mat4& bodyTransform, int k, float spin, float steer);

// The per-frame move of all eight vehicles, with the race-phase step, ending with the wheels.
void updateVehicles();
// Speed towards the throttle target and the engine rate from the speed (Racing, Finished).
void integrateDrive();
// Engine rate from the throttle while the speeds stay 0 (Countdown).
void revEngines();
void updateWheels();
// Ry(yaw) . Rx(pitch) . Rz(roll) . v
Vec3 rotateByAngles(const Vec3& v, float pitch, float yaw, float roll);
// Back to program-start vehicle state (tests).
void resetVehicles();

} // namespace tb
