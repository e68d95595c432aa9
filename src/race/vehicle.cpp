#include "race/vehicle.h"

#include "audio/sound_channels.h"
#include "race/race_progress.h"
#include "race/ramps.h"
#include "shell/app_state.h"
#include "track/track_grid.h"
#include "track/transform.h"

#include <algorithm>
#include <cmath>

namespace tb {

std::array<Vehicle, VehicleCount> vehicles;

namespace {

constexpr float ForwardTopSpeed = 100.0f;
constexpr float ReverseTopSpeed = 50.0f;
constexpr float Acceleration = 4.0f;
constexpr float OverTargetDecay = 0.9f;
constexpr float CollisionDecay = 0.9f;
constexpr float AirSteering = 0.125f;
constexpr float RampNoseUpLimit = -0.142f;
constexpr float AirNoseDownLimit = 0.4f;
constexpr float MinEngineRate = 0.25f;
constexpr float MaxEngineRate = 4.0f;
constexpr float WheelHeight = 0.66f;

// The ramp a cell names, or -1. A zone whose ramp was never placed (a hand-drawn map) still
// names a ramp: one with no surface, so a jeepney above the ground there flies on.
int rampOfCell(int code) {
    return code < RampZone ? -1 : code - RampZone;
}

int cellCodeAt(const Vec3& p) {
    return cellCode(track.grid, worldToCell(p.x, p.z));
}

void carryOverCollision(Vehicle& v, Model& body, float dt) {
    v.prevPosition = body.position;
    body.position.x += v.pushVelocity.x;
    body.position.y += v.pushVelocity.y;
    body.position.z += v.pushVelocity.z;
    v.pushVelocity.x *= CollisionDecay;
    v.pushVelocity.y *= CollisionDecay;
    v.pushVelocity.z *= CollisionDecay;
    body.rotation.yaw += v.spinRate * dt;
    v.spinRate *= CollisionDecay;
}

void testRamp(int i) {
    Vehicle& v = vehicles[i];
    const int ramp = rampOfCell(cellCodeAt(vehicleBody(i).position));
    if (ramp >= 0) {
        rampContact(i, ramp);
    } else if (v.jumpState == OnRamp) {
        v.jumpState = Grounded;
    }
}

// A bicycle with its origin on the rear axle: the front axle moves d along the steered
// heading and the rear follows. Returns the distance d.
float steerAndMove(const Vehicle& v, Model& body, float dt) {
    const float a = body.rotation.yaw;
    const float b = a - v.steer / 2.0f;
    const float d = v.speed * dt;
    const float fx = WheelBase * std::sin(a) + d * std::sin(b);
    const float fz = WheelBase * std::cos(a) + d * std::cos(b);
    body.rotation.yaw = std::atan2(fx, fz);
    const Vec3 f = rotateByAngles({0.0f, 0.0f, 1.0f}, -body.rotation.pitch, body.rotation.yaw,
                                  body.rotation.roll);
    body.position.x += fx - WheelBase * f.x;
    body.position.y -= WheelBase * f.y;
    body.position.z += fz - WheelBase * f.z;
    return d;
}

void driveOnGround(Vehicle& v, Model& body, float dt) {
    body.position.y = 0.0f;
    const int code = cellCodeAt(body.position);
    if (code == Rough || code == VeryRough) {
        v.roughGround = true;
        v.speed *= 1.0f - dt / 2.0f;
        if (code == VeryRough) {
            v.speed *= 1.0f - dt;
        }
    } else {
        v.roughGround = false;
    }
    body.rotation.pitch = -0.01f * v.throttle;
}

// Reversing over a ramp drops the nose; left unbounded it would stand the jeepney on its nose
// below the ground until it left the ramp's cells. Only that drop is bounded: a nose that came
// down steeper from a flight keeps its pitch.
void tiltOnRamp(float& pitch, float d) {
    if (pitch <= RampNoseUpLimit) {
        return;
    }
    const float tilted = pitch - 0.01f * d;
    pitch = tilted > pitch ? std::min(tilted, std::max(pitch, -RampNoseUpLimit)) : tilted;
}

void applyJumpState(Vehicle& v, Model& body, float d, float dt) {
    switch (v.jumpState) {
    case Grounded:
        driveOnGround(v, body, dt);
        break;
    case OnRamp:
        tiltOnRamp(body.rotation.pitch, d);
        break;
    case Airborne:
        if (body.position.y <= 0.0f) {
            v.jumpState = Grounded;
            body.rotation.pitch = 0.0f;
        } else if (body.rotation.pitch < AirNoseDownLimit) {
            body.rotation.pitch += 0.25f * dt;
        }
        break;
    default:
        break;
    }
}

void moveVehicle(int i, float dt) {
    Vehicle& v = vehicles[i];
    Model& body = vehicleBody(i);
    carryOverCollision(v, body, dt);
    testRamp(i);
    if (v.jumpState == Airborne) {
        v.steer *= AirSteering;
    }
    const float d = steerAndMove(v, body, dt);
    applyJumpState(v, body, d, dt);
    body.rotation.roll = -0.1f * v.speed * v.steer * dt;
    composeRotation(body.rotation, body.position, body.transform);
}

void placeWheels(int i) {
    const Vehicle& v = vehicles[i];
    for (int k = 0; k < 4; ++k) {
        vehicleWheel(i, k).transform =
            wheelTransform(vehicleBody(i).transform, k, v.wheelSpin, v.wheelSteer);
    }
}

} // namespace

Vec3 wheelMount(int k) {
    const float x = (k % 2 == 0) ? 1.4f : -1.4f;
    const float z = (k < 2) ? 0.0f : WheelBase;
    return {x, WheelHeight, z};
}

Mat4 wheelTransform(const Mat4& bodyTransform, int k, float spin, float steer) {
    const Vec3 mount = wheelMount(k);
    Mat4 local = identityMatrix();
    if (k < 2) {
        pitchRotation(local, spin);
        local[12] = mount.x;
        local[13] = mount.y;
        local[14] = mount.z;
    } else {
        composeRotation({spin, steer, 0.0f}, mount, local);
    }
    Mat4 wheel = multiplyAffine(bodyTransform, local);
    // The body may dip below the ground (a nose-down landing); the wheels stay on it.
    if (bodyTransform[13] < 0.0f) {
        wheel[13] = WheelHeight;
    }
    return wheel;
}

Vec3 rotateByAngles(const Vec3& v, float pitch, float yaw, float roll) {
    const float sp = std::sin(pitch), cp = std::cos(pitch);
    const float sy = std::sin(yaw), cy = std::cos(yaw);
    const float sr = std::sin(roll), cr = std::cos(roll);
    const Vec3 afterRoll{cr * v.x - sr * v.y, sr * v.x + cr * v.y, v.z};
    const Vec3 afterPitch{afterRoll.x, cp * afterRoll.y - sp * afterRoll.z,
                          sp * afterRoll.y + cp * afterRoll.z};
    return {cy * afterPitch.x + sy * afterPitch.z, afterPitch.y,
            -sy * afterPitch.x + cy * afterPitch.z};
}

void integrateDrive() {
    const float dt = app.frameTime;
    for (Vehicle& v : vehicles) {
        if (v.jumpState == Airborne) {
            continue;
        }
        const float t = v.throttle;
        const bool belowTarget =
            t >= 0.0f ? v.speed < ForwardTopSpeed * t : v.speed > ReverseTopSpeed * t;
        if (belowTarget) {
            v.speed += Acceleration * t * dt;
        } else {
            v.speed *= OverTargetDecay;
        }
        setChannelRate(v.engineChannel,
                       std::clamp(std::fabs(v.speed) * dt, MinEngineRate, MaxEngineRate));
    }
}

void revEngines() {
    for (const Vehicle& v : vehicles) {
        setChannelRate(v.engineChannel,
                       std::clamp(1.0f - 2.0f * v.throttle, MinEngineRate, MaxEngineRate));
    }
}

void updateWheels() {
    const float dt = app.frameTime;
    for (int i = 0; i < VehicleCount; ++i) {
        Vehicle& v = vehicles[i];
        v.wheelSpin += v.speed * dt;
        v.wheelSteer = -v.steer / 2.0f;
        placeWheels(i);
    }
}

void updateVehicles() {
    stepRacePhase();
    const float dt = app.frameTime;
    for (int i = 0; i < VehicleCount; ++i) {
        moveVehicle(i, dt);
    }
    updateWheels();
}

void resetVehicles() {
    vehicles.fill(Vehicle{});
}

} // namespace tb
