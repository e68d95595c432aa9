#pragma once
// The chase camera on its leash behind the player's jeepney; also the sound listener.
#include "assets/math_types.h"

namespace tb {

constexpr float CameraLeash = 15.0f;

struct Camera {
    Vec3 eye;
    Vec3 viewDir;
    Vec3 up{0.0f, 1.0f, 0.0f};
    Mat4 viewMatrix = identityMatrix();
};

extern Camera camera;

void updateCamera();
Mat4 lookAt(const Vec3& eye, const Vec3& viewDir, const Vec3& up);

} // namespace tb
