#pragma once
// Jump ramps: the height of the ramp surface under a vehicle and what it does to the vehicle.
#include "assets/math_types.h"

namespace tb {

struct SegmentHit {
    bool hit = false;
    float t = 0.0f;
};

void rampContact(int vehicle, int ramp);
SegmentHit rampHeightUnder(int ramp, const Vec3& p0, const Vec3& p1);
SegmentHit segmentHitsTriangle(const Vec3& v0, const Vec3& v1, const Vec3& v2, const Vec3& p0,
                               const Vec3& p1);
Mat4 invertMatrix(const Mat4& m);

} // namespace tb
