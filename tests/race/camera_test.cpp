// The chase camera: the leash, the height, the overview and the view matrix.
#include "race/race_fixture.h"

#include <cmath>

namespace tb::testing {
namespace {

class CameraTest : public RaceFixture {
  protected:
    static void frameAt(float x, float y, float z) {
        vehicles[0].prevPosition = vehicleBody(0).position;
        vehicleBody(0).position = {x, y, z};
        updateCamera();
    }
    static float leashLength() {
        const Vec3& p = vehicleBody(0).position;
        return std::hypot(camera.eye.x - p.x, camera.eye.z - p.z);
    }
};

TEST_F(CameraTest, LeashSettlesBehindAndLeavesAStoppedJeepneyAlone) {
    camera.eye = {3.5f, 3.0f, -15.0f};
    for (int f = 1; f <= 200; ++f) {
        frameAt(0.0f, 0.0f, 0.9f * static_cast<float>(f));
    }
    const Vec3 p = vehicleBody(0).position;
    EXPECT_NEAR(leashLength(), 15.0f, 1e-3f);
    EXPECT_NEAR(camera.eye.x, p.x, 0.01f) << "settled straight behind";
    const Vec3 settled = camera.eye;
    frameAt(p.x, 0.0f, p.z);
    frameAt(p.x, 0.0f, p.z - 10.0f); // back towards the eye
    EXPECT_EQ(camera.eye.z, settled.z);
    EXPECT_NEAR(leashLength(), 5.0f, 1e-3f);

    frameAt(p.x, 4.0f, p.z);
    EXPECT_FLOAT_EQ(camera.eye.y, 3.0f) << "a jump lifts the eye one frame late";
    frameAt(p.x, 4.0f, p.z);
    EXPECT_FLOAT_EQ(camera.eye.y, 1.25f * 4.0f + 3.0f);
}

TEST_F(CameraTest, OverviewWhilePageUpIsHeldThenTheLeashFromThere) {
    camera.eye = {0.0f, 3.0f, -15.0f};
    keyState[KeyPageUp] = 1;
    frameAt(10.0f, 0.0f, 20.0f);
    const Vec3& d = camera.viewDir;
    EXPECT_NEAR(std::hypot(d.x, d.y, d.z), 1.0f, 1e-5f) << "the view direction is a unit vector";
    frameAt(10.0f, 0.0f, 20.0f);
    EXPECT_TRUE(camera.eye.x == 50.0f && camera.eye.y == 50.0f && camera.eye.z == 50.0f);
    const float toJeepney = std::sqrt(40.0f * 40.0f + 50.0f * 50.0f + 30.0f * 30.0f);
    EXPECT_NEAR(camera.viewDir.y, -50.0f / toJeepney, 1e-5f);
    const Vec3 seen = transformPoint(camera.viewMatrix, 10.0f, 0.0f, 20.0f);
    EXPECT_TRUE(std::fabs(seen.x) < 1e-4f && std::fabs(seen.y) < 1e-4f) << "straight ahead";
    EXPECT_NEAR(seen.z, -toJeepney, 1e-3f);

    keyState[KeyPageUp] = 0;
    frameAt(10.0f, 0.0f, 20.0f);
    EXPECT_NEAR(leashLength(), 15.0f, 1e-4f);
    EXPECT_NEAR(std::atan2(camera.eye.x - 10.0f, camera.eye.z - 20.0f), std::atan2(40.0f, 30.0f),
                1e-5f)
        << "on the line towards (50, 50)";
    EXPECT_FLOAT_EQ(camera.eye.y, 3.0f);
}

TEST(LookAt, BuildsTheUnnormalisedViewMatrix) {
    const Mat4 m = lookAt({1.0f, 2.0f, 3.0f}, {0.6f, 0.0f, 0.8f}, {0.0f, 1.0f, 0.0f});
    const Mat4 expected = {-0.8f, 0, -0.6f, 0, 0, 1, 0, 0, 0.6f, 0, -0.8f, 0, -1, -2, 3, 1};
    for (int e = 0; e < 16; ++e) {
        EXPECT_FLOAT_EQ(m[e], expected[e]) << "element " << e;
    }
}

} // namespace
} // namespace tb::testing
