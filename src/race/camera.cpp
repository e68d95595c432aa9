#include "race/camera.h"

#include "race/vehicle.h"
#include "shell/input.h"

#include <cmath>

namespace tb {

Camera camera;

namespace {

constexpr float EyeHeight = 3.0f;
constexpr float HeightScale = 1.25f;
constexpr Vec3 OverviewEye{50.0f, 50.0f, 50.0f};

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 towards(const Vec3& from, const Vec3& to) {
    return {to.x - from.x, to.y - from.y, to.z - from.z};
}

void pullOnLeash(Vec3& eye, const Vec3& target) {
    const float dx = eye.x - target.x, dz = eye.z - target.z;
    const float h = std::sqrt(dx * dx + dz * dz);
    if (h > CameraLeash) {
        eye.x = target.x + dx * CameraLeash / h;
        eye.z = target.z + dz * CameraLeash / h;
    }
}

Vec3 normalisedOrZero(const Vec3& v) {
    const float length = std::sqrt(dot(v, v));
    if (length == 0.0f) {
        return v;
    }
    return {v.x / length, v.y / length, v.z / length};
}

} // namespace

void updateCamera() {
    const Vec3& target = vehicleBody(0).position;
    pullOnLeash(camera.eye, target);
    camera.eye.y = HeightScale * vehicles[0].prevPosition.y + EyeHeight;
    if (keyState[KeyPageUp]) {
        camera.eye = OverviewEye;
    }
    camera.viewDir = normalisedOrZero(towards(camera.eye, target));
    camera.viewMatrix = lookAt(camera.eye, camera.viewDir, camera.up);
}

// s and t stay unnormalised: the picture shrinks as the view tilts up or down.
Mat4 lookAt(const Vec3& e, const Vec3& f, const Vec3& u) {
    const Vec3 s = cross(f, u);
    const Vec3 t = cross(s, f);
    return {s.x, t.x, -f.x, 0.0f, s.y,        t.y,        -f.y,      0.0f,
            s.z, t.z, -f.z, 0.0f, -dot(s, e), -dot(t, e), dot(f, e), 1.0f};
}

} // namespace tb
