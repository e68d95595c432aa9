#pragma once
// Pose matrices and the bounds that follow them. Pose matrices are
// T(position) . Ry(yaw) . Rx(pitch) . Rz(roll) . S(scale), column-major.
#include "assets/math_types.h"
#include "assets/model.h"

namespace tb {

void composeTransform(Mat4& out, float sx, float sy, float sz, float pitch, float yaw, float roll,
                      float px, float py, float pz);
// composeTransform with unit scale.
void composeRotation(const Angles& angles, const Vec3& position, Mat4& out);
// Writes only elements 0..11 with Rx(angle); the translation survives.
void pitchRotation(Mat4& out, float angle);
Vec3 columnLengths(const Mat4& m);
Vec3 transformPoint(const Mat4& m, float x, float y, float z);
// radiusSquared from the bounds scaled by the transform's column lengths.
void updateRadius(Model& model);
// The affine product a . b of two column-major matrices (bottom row 0, 0, 0, 1).
Mat4 multiplyAffine(const Mat4& a, const Mat4& b);

} // namespace tb
