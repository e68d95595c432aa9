#include "track/transform.h"

#include <algorithm>
#include <cmath>

namespace tb {

void composeTransform(Mat4& m, float sx, float sy, float sz, float pitch, float yaw, float roll,
                      float px, float py, float pz) {
    const float sa = std::sin(pitch), ca = std::cos(pitch);
    const float sb = std::sin(yaw), cb = std::cos(yaw);
    const float sc = std::sin(roll), cc = std::cos(roll);
    m[0] = sx * (cb * cc + sa * sb * sc);
    m[1] = sx * (ca * sc);
    m[2] = sx * (sa * cb * sc - sb * cc);
    m[3] = 0.0f;
    m[4] = sy * (sa * sb * cc - cb * sc);
    m[5] = sy * (ca * cc);
    m[6] = sy * (sa * cb * cc + sb * sc);
    m[7] = 0.0f;
    m[8] = sz * (ca * sb);
    m[9] = -sz * sa;
    m[10] = sz * (ca * cb);
    m[11] = 0.0f;
    m[12] = px;
    m[13] = py;
    m[14] = pz;
    m[15] = 1.0f;
}

void composeRotation(const Angles& a, const Vec3& p, Mat4& out) {
    composeTransform(out, 1.0f, 1.0f, 1.0f, a.pitch, a.yaw, a.roll, p.x, p.y, p.z);
}

void pitchRotation(Mat4& m, float angle) {
    const float s = std::sin(angle), c = std::cos(angle);
    m[0] = 1.0f;
    m[1] = m[2] = m[3] = 0.0f;
    m[4] = 0.0f;
    m[5] = c;
    m[6] = s;
    m[7] = 0.0f;
    m[8] = 0.0f;
    m[9] = -s;
    m[10] = c;
    m[11] = 0.0f;
}

Vec3 columnLengths(const Mat4& m) {
    return {std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]),
            std::sqrt(m[4] * m[4] + m[5] * m[5] + m[6] * m[6]),
            std::sqrt(m[8] * m[8] + m[9] * m[9] + m[10] * m[10])};
}

Vec3 transformPoint(const Mat4& m, float x, float y, float z) {
    return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14]};
}

void updateRadius(Model& model) {
    const Vec3 l = columnLengths(model.transform);
    const auto scaledSquare = [&l](const Vec3& v) {
        const float x = l.x * v.x, y = l.y * v.y, z = l.z * v.z;
        return x * x + y * y + z * z;
    };
    model.radiusSquared = std::max(scaledSquare(model.boundsMin), scaledSquare(model.boundsMax));
}

Mat4 multiplyAffine(const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 3; ++row) {
            float sum = column == 3 ? a[12 + row] : 0.0f;
            for (int k = 0; k < 3; ++k) {
                sum += a[4 * k + row] * b[4 * column + k];
            }
            r[4 * column + row] = sum;
        }
    }
    r[15] = 1.0f;
    return r;
}

} // namespace tb
