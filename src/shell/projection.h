#pragma once
// The game's perspective and the view matrix built from a camera's eye and axes.
#include "assets/math_types.h"

namespace tb {

struct Frustum {
    float left;
    float right;
    float bottom;
    float top;
    float nearPlane;
    float farPlane;
};

// A 45 degree vertical field of view from 1 to 2500 units for the given width / height.
Frustum perspectiveFrustum(float aspect);
// Multiplies the current matrix by perspectiveFrustum(aspect).
void applyProjection(float aspect);
// Rows: right, up, -forward; translation (-(right . eye), -(up . eye), forward . eye). The
// vectors are used as given, neither normalised nor made perpendicular.
Mat4 buildViewMatrix(const Vec3& eye, const Vec3& forward, const Vec3& right, const Vec3& up);

} // namespace tb
