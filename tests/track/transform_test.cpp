#include "track/transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace tb {
namespace {

constexpr float QuarterTurn = 1.570795f;
constexpr float Tolerance = 1e-5f;

void expectNear(const Vec3& actual, float x, float y, float z) {
    EXPECT_NEAR(actual.x, x, Tolerance);
    EXPECT_NEAR(actual.y, y, Tolerance);
    EXPECT_NEAR(actual.z, z, Tolerance);
}

Vec3 axisOf(const Mat4& m, int column) {
    return {m[4 * column], m[4 * column + 1], m[4 * column + 2]};
}

TEST(Transform, AQuarterYawTurnsZTowardsX) {
    Mat4 m{};
    composeTransform(m, 1, 1, 1, 0, QuarterTurn, 0, 4, 5, 6);
    expectNear(axisOf(m, 0), 0, 0, -1);
    expectNear(axisOf(m, 2), 1, 0, 0);
    expectNear(transformPoint(m, 0, 0, 1), 5, 5, 6);
    // A yaw of 0 faces +z; the heading of yaw b is (sin b, cos b) in (x, z).
    composeTransform(m, 1, 1, 1, 0, 0.3f, 0, 0, 0, 0);
    expectNear(transformPoint(m, 0, 0, 1), std::sin(0.3f), 0, std::cos(0.3f));
}

TEST(Transform, PoseOrderIsYawThenPitchThenRollThenScale) {
    // A pitch of a quarter turn tips y towards z, a roll turns x towards y.
    Mat4 m{};
    composeTransform(m, 1, 1, 1, QuarterTurn, 0, 0, 0, 0, 0);
    expectNear(axisOf(m, 1), 0, 0, 1);
    composeTransform(m, 1, 1, 1, 0, 0, QuarterTurn, 0, 0, 0);
    expectNear(axisOf(m, 0), 0, 1, 0);

    // Pitch applied inside the yaw: the nose goes down along the yawed heading.
    composeTransform(m, 2, 3, 4, QuarterTurn, QuarterTurn, 0, 0, 0, 0);
    expectNear(axisOf(m, 2), 0, -4, 0);
    expectNear(axisOf(m, 1), 3, 0, 0);
    expectNear(columnLengths(m), 2, 3, 4);
    const Vec3 p = transformPoint(m, 1, 2, 3);
    EXPECT_NEAR(std::hypot(p.x - 6, p.y + 12, p.z + 2), 0.0f, 1e-4f);
    composeTransform(m, 2, 3, 4, 0.3f, 0.5f, 0.7f, 0, 0, 0);
    expectNear(columnLengths(m), 2, 3, 4);

    Mat4 r{};
    composeRotation({0.2f, -1.1f, 0.4f}, {1, 2, 3}, r);
    composeTransform(m, 1, 1, 1, 0.2f, -1.1f, 0.4f, 1, 2, 3);
    EXPECT_EQ(r, m);

    // The same pose as a turn and move applied after a scale.
    composeTransform(m, 2, 3, 4, 0.2f, -1.1f, 0.4f, 1, 2, 3);
    Mat4 scale{};
    composeTransform(scale, 2, 3, 4, 0, 0, 0, 0, 0, 0);
    const Mat4 product = multiplyAffine(r, scale);
    for (int k = 0; k < 16; ++k) {
        EXPECT_NEAR(product[k], m[k], Tolerance) << "element " << k;
    }
}

TEST(Transform, PitchRotationKeepsTheMountPoint) {
    Mat4 m{};
    composeTransform(m, 1, 1, 1, 0, 0.7f, 0, 1.4f, 0.66f, 6.14f);
    pitchRotation(m, QuarterTurn);
    EXPECT_EQ(std::tuple(m[12], m[13], m[14], m[15]), std::tuple(1.4f, 0.66f, 6.14f, 1.0f));
    expectNear(axisOf(m, 0), 1, 0, 0);
    expectNear(axisOf(m, 1), 0, 0, 1);
    expectNear(axisOf(m, 2), 0, -1, 0);
}

TEST(Transform, RadiusFollowsTheScaledBounds) {
    Model model;
    model.boundsMin = {-1, 0, -2};
    model.boundsMax = {3, 1, 1};
    updateRadius(model);
    EXPECT_FLOAT_EQ(model.radiusSquared, 11.0f);

    // Scaled by 2 in z only, the min corner (1 + 0 + 16) now reaches further than the max.
    composeTransform(model.transform, 1, 1, 2, 0, 0, 0, 50, 0, 50);
    updateRadius(model);
    EXPECT_FLOAT_EQ(model.radiusSquared, 17.0f);

    // Turning does not change it; the translation never counts.
    composeTransform(model.transform, 1, 1, 1, 0, QuarterTurn, 0, 100, 0, 0);
    updateRadius(model);
    EXPECT_NEAR(model.radiusSquared, 11.0f, 1e-4f);
}

} // namespace
} // namespace tb
