#include "shell/projection.h"

#include <gtest/gtest.h>

namespace tb {
namespace {

Vec3 transformPoint(const Mat4& m, const Vec3& p) {
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
            m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

TEST(Projection, FortyFiveDegreeFrustum) {
    const Frustum f = perspectiveFrustum(640.0f / 480.0f);
    EXPECT_NEAR(f.top, 0.41421f, 1e-5f);
    EXPECT_NEAR(f.bottom, -0.41421f, 1e-5f);
    EXPECT_NEAR(f.right, 0.55228f, 1e-5f);
    EXPECT_NEAR(f.left, -0.55228f, 1e-5f);
    EXPECT_EQ(f.nearPlane, 1.0f);
    EXPECT_EQ(f.farPlane, 2500.0f);

    const Frustum wide = perspectiveFrustum(2.0f);
    EXPECT_FLOAT_EQ(wide.right, 2.0f * wide.top);
    EXPECT_FLOAT_EQ(wide.top, f.top) << "the vertical field does not depend on the aspect";
}

TEST(ViewMatrix, StartViewLooksDownPlusZFromBehindTheOrigin) {
    const Vec3 eye{0, 1, -5};
    const Mat4 m = buildViewMatrix(eye, {0, 0, 1}, {-1, 0, 0}, {0, 1, 0});
    const Mat4 expected{-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, -1, -5, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(m[i], expected[i]) << "element " << i;
    }
    const Vec3 atEye = transformPoint(m, eye);
    EXPECT_FLOAT_EQ(atEye.x, 0.0f);
    EXPECT_FLOAT_EQ(atEye.y, 0.0f);
    EXPECT_FLOAT_EQ(atEye.z, 0.0f);
    const Vec3 ahead = transformPoint(m, {0, 1, 5});
    EXPECT_FLOAT_EQ(ahead.z, -10.0f) << "points ahead of the eye lie along -z";
}

} // namespace
} // namespace tb
