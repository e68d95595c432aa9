// The chase camera: the leash, the height, the overview and the view matrix.
#include "race/race_fixture.h"

#include <cmath>

namespace tb::testing {
namespace {

class CameraTest : public RaceFixture {
  protected:
    static void moveJeepneyTo(float x, float y, float z) {
        vehicles[0].prevPosition = vehicleBody(0).position;
        vehicleBody(0).position = {x, y, z};
    }
    static float horizontalDistance() {
        const Vec3& p = vehicleBody(0).position;
        return std::hypot(camera.eye.x - p.x, camera.eye.z - p.z);
    }
};

TEST_F(CameraTest, LeashSettlesBehindAStraightAndLeavesAStoppedJeepney) {
    camera.eye = {3.5f, 3.0f, -15.0f};
    for (int f = 1; f <= 200; ++f) {
        moveJeepneyTo(0.0f, 0.0f, 0.9f * static_cast<float>(f));
        updateCamera();
    }
    const Vec3& p = vehicleBody(0).position;
    EXPECT_NEAR(horizontalDistance(), 15.0f, 1e-3f);
    EXPECT_NEAR(camera.eye.x, p.x, 0.01f) << "settled straight behind";
    EXPECT_NEAR(camera.eye.z, p.z - 15.0f, 1e-3f);
    EXPECT_NEAR(camera.viewDir.z, std::cos(std::atan2(3.0f, 15.0f)), 1e-3f);

    const Vec3 settled = camera.eye;
    for (int f = 0; f < 5; ++f) {
        moveJeepneyTo(p.x, 0.0f, p.z);
        updateCamera();
    }
    moveJeepneyTo(p.x, 0.0f, p.z - 10.0f); // back towards the eye
    updateCamera();
    EXPECT_EQ(camera.eye.x, settled.x);
    EXPECT_EQ(camera.eye.z, settled.z);
    EXPECT_NEAR(horizontalDistance(), 5.0f, 1e-3f);
}

TEST_F(CameraTest, TheEyeRisesWithTheJumpOneFrameLate) {
    camera.eye = {0.0f, 3.0f, -15.0f};
    moveJeepneyTo(0.0f, 4.0f, 0.0f);
    updateCamera();
    EXPECT_FLOAT_EQ(camera.eye.y, 3.0f) << "prevPosition still on the ground";
    moveJeepneyTo(0.0f, 5.0f, 0.0f);
    updateCamera();
    EXPECT_FLOAT_EQ(camera.eye.y, 1.25f * 4.0f + 3.0f);
}

TEST_F(CameraTest, OverviewWhilePageUpIsHeldThenTheLeashFromThere) {
    camera.eye = {0.0f, 3.0f, -15.0f};
    moveJeepneyTo(10.0f, 0.0f, 20.0f);
    keyState[KeyPageUp] = 1;
    for (int f = 0; f < 3; ++f) {
        updateCamera();
        EXPECT_EQ(camera.eye.x, 50.0f);
        EXPECT_EQ(camera.eye.y, 50.0f);
        EXPECT_EQ(camera.eye.z, 50.0f);
    }
    const Vec3& p = vehicleBody(0).position;
    const float len = std::sqrt(40.0f * 40.0f + 50.0f * 50.0f + 30.0f * 30.0f);
    EXPECT_NEAR(camera.viewDir.x, (p.x - 50.0f) / len, 1e-5f);
    EXPECT_NEAR(camera.viewDir.y, (p.y - 50.0f) / len, 1e-5f);

    keyState[KeyPageUp] = 0;
    vehicles[0].prevPosition.y = 0.8f;
    updateCamera();
    EXPECT_NEAR(horizontalDistance(), 15.0f, 1e-4f);
    const float toCorner = std::atan2(50.0f - p.x, 50.0f - p.z);
    EXPECT_NEAR(std::atan2(camera.eye.x - p.x, camera.eye.z - p.z), toCorner, 1e-5f);
    EXPECT_FLOAT_EQ(camera.eye.y, 1.25f * 0.8f + 3.0f);
}

TEST(LookAt, BuildsTheUnnormalisedViewMatrix) {
    const Mat4 m = lookAt({1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f});
    const Mat4 expected = {-1, 0, -0.0f, 0, 0, 1, -0.0f, 0, 0, 0, -1, 0, 1, -2, 3, 1};
    for (int e = 0; e < 16; ++e) {
        EXPECT_FLOAT_EQ(m[e], expected[e]) << "element " << e;
    }
    // A view tilted up shrinks s and t by the horizontal part of the direction.
    const float c = std::cos(0.5f), s = std::sin(0.5f);
    const Mat4 tilted = lookAt({}, {0.0f, s, c}, {0.0f, 1.0f, 0.0f});
    EXPECT_NEAR(std::hypot(tilted[0], tilted[4], tilted[8]), c, 1e-6f);
    EXPECT_NEAR(std::hypot(tilted[1], tilted[5], tilted[9]), c, 1e-6f);
    // Looking straight down leaves a degenerate view.
    const Mat4 down = lookAt({}, {0.0f, -1.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    EXPECT_EQ(std::hypot(down[0], down[4], down[8]), 0.0f);
}

TEST_F(CameraTest, EyeOnTheJeepneyGivesAZeroDirection) {
    camera.eye = {0.0f, 3.0f, 0.0f};
    moveJeepneyTo(0.0f, 3.0f, 0.0f);
    vehicles[0].prevPosition.y = 0.0f;
    updateCamera();
    EXPECT_EQ(camera.viewDir.x, 0.0f);
    EXPECT_EQ(camera.viewDir.y, 0.0f);
    EXPECT_EQ(camera.viewDir.z, 0.0f);
}

} // namespace
} // namespace tb::testing
