#include "shell/projection.h"

#include <GL/gl.h>

#include <cmath>

namespace tb {
namespace {

float dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

} // namespace

Frustum perspectiveFrustum(float aspect) {
    const float halfAngle = 3.14159f / 8.0f;
    const float t = std::tan(halfAngle);
    return {-t * aspect, t * aspect, -t, t, 1.0f, 2500.0f};
}

void applyProjection(float aspect) {
    const Frustum f = perspectiveFrustum(aspect);
    glFrustum(f.left, f.right, f.bottom, f.top, f.nearPlane, f.farPlane);
}

Mat4 buildViewMatrix(const Vec3& eye, const Vec3& forward, const Vec3& right, const Vec3& up) {
    Mat4 m{};
    m[0] = right.x;
    m[4] = right.y;
    m[8] = right.z;
    m[1] = up.x;
    m[5] = up.y;
    m[9] = up.z;
    m[2] = -forward.x;
    m[6] = -forward.y;
    m[10] = -forward.z;
    m[12] = -dot(right, eye);
    m[13] = -dot(up, eye);
    m[14] = dot(forward, eye);
    m[15] = 1.0f;
    return m;
}

} // namespace tb
