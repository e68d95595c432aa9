#pragma once
// The small value types every subsystem shares: a point or direction, a pose's three angles
// and a 4 x 4 matrix in the graphics library's column-major order (translation in 12..14).
#include <array>

namespace tb {

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct Angles {
    float pitch = 0.0f;
    float yaw = 0.0f;
    float roll = 0.0f;
};

using Mat4 = std::array<float, 16>;

constexpr Mat4 identityMatrix() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

} // namespace tb
