// Collisions: the footprint test, jeepney against jeepney by situation, and the player's
// jeepney against the buildings.
#include "race/race_fixture.h"

#include "track/collisions.h"

#include <cmath>

namespace tb::testing {
namespace {

float length(const Vec3& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

TEST(SegmentsCross, CrossingsAddTheirPointEndsCountParallelsDoNot) {
    float sx = 0.0f, sz = 0.0f;
    EXPECT_TRUE(segmentsCross(-1, 0, 1, 0, 0, -1, 0, 1, sx, sz));
    EXPECT_TRUE(segmentsCross(0, 0, 2, 2, 2, 0, 0, 2, sx, sz));
    EXPECT_FLOAT_EQ(sx, 1.0f);
    EXPECT_FLOAT_EQ(sz, 1.0f) << "the two crossing points summed";
    EXPECT_TRUE(segmentsCross(0, 0, 2, 0, 2, -1, 2, 1, sx, sz)) << "touching at an end";
    EXPECT_FALSE(segmentsCross(0, 0, 2, 0, 0, 1, 2, 1, sx, sz)) << "parallel";
    EXPECT_FALSE(segmentsCross(0, 0, 2, 0, 1, 0, 3, 0, sx, sz)) << "collinear";
    EXPECT_FALSE(segmentsCross(0, 0, 1, 0, 2, -1, 2, 1, sx, sz)) << "short of the other";
    EXPECT_FLOAT_EQ(sx, 3.0f) << "misses leave the sums alone";
}

class CollisionTest : public RaceFixture {
  protected:
    // Vehicle i stands at `at` and arrived there from `from` this frame.
    static void arrive(int i, const Vec3& from, const Vec3& at, float yaw, float speed) {
        giveBody(i, at, yaw);
        vehicles[i].prevPosition = from;
        vehicles[i].speed = speed;
    }
    // Parks every other jeepney far away from each other.
    static void parkOthers(int first) {
        for (int i = first; i < VehicleCount; ++i) {
            giveBody(i, {1000.0f * static_cast<float>(i), 0.0f, 0.0f}, 0.0f);
            vehicles[i].prevPosition = vehicleBody(i).position;
        }
    }
};

TEST_F(CollisionTest, FootprintsTouchWhenEdgesCross) {
    giveBody(0, {0, 0, 0}, 0);
    giveBody(1, {2.5f, 0, 1}, 0);
    const Contact side = modelsTouch(vehicleBody(0), vehicleBody(1));
    EXPECT_TRUE(side.touching);
    EXPECT_NEAR(side.x, 1.25f, 1e-4f) << "between the overlapping sides";

    giveBody(1, {10.0f, 0, 0}, 0);
    EXPECT_FALSE(modelsTouch(vehicleBody(0), vehicleBody(1)).touching);

    Model big = vehicleBody(1);
    big.boundsMin = {-5, 0, -5};
    big.boundsMax = {5, 3, 12};
    big.transform = vehicleBody(0).transform;
    updateRadius(big);
    const Contact inside = modelsTouch(vehicleBody(0), big);
    EXPECT_FALSE(inside.touching) << "a footprint wholly inside the other has no crossing";
    EXPECT_EQ(inside.x, 0.0f);

    vehicleBody(0).loaded = 0;
    giveBody(1, {2.5f, 0, 1}, 0);
    EXPECT_FALSE(modelsTouch(vehicleBody(0), vehicleBody(1)).touching) << "unloaded model";
}

TEST_F(CollisionTest, SideBySideTheSameWayKeepsSpeedsAndSwapsMovements) {
    parkOthers(2);
    vehicles[0].crashChannel = playableChannel();
    vehicles[1].crashChannel = playableChannel();
    arrive(0, {0, 0, -0.3f}, {0, 0, 0}, 0, 10.0f);
    arrive(1, {2.6f, 0, 0.6f}, {2.6f, 0, 1.0f}, 0, 13.0f);
    collideVehicles();
    EXPECT_NEAR(vehicles[0].speed, 10.0f, 1e-4f);
    EXPECT_NEAR(vehicles[1].speed, 13.0f, 1e-4f);
    EXPECT_NEAR(vehicles[0].pushVelocity.z, 0.4f, 1e-5f) << "takes over the other's movement";
    EXPECT_NEAR(vehicles[1].pushVelocity.z, 0.3f, 1e-5f);
    // Each moved from its start by the other's movement, then 1 unit apart along the line.
    const Vec3 p0 = vehicleBody(0).position, p1 = vehicleBody(1).position;
    EXPECT_NEAR(p1.x - p0.x, 2.6f + 2.0f * (2.6f / std::hypot(2.6f, 0.8f)), 1e-4f);
    EXPECT_EQ(vehicles[0].prevPosition.z, p0.z);
    EXPECT_TRUE(isChannelPlaying(vehicles[0].crashChannel));
    EXPECT_FALSE(isChannelPlaying(vehicles[1].crashChannel)) << "only the lower index sounds";
}

TEST_F(CollisionTest, HeadOnReversesAndARightAngleStops) {
    parkOthers(2);
    arrive(0, {0, 0, -0.5f}, {0, 0, 0}, 0, 20.0f);
    arrive(1, {1.0f, 0, 10.5f}, {1.0f, 0, 10.0f}, 3.14159f, 20.0f);
    collideVehicles();
    EXPECT_NEAR(vehicles[0].speed, -20.0f, 1e-4f);
    EXPECT_NEAR(vehicles[1].speed, -20.0f, 1e-4f);

    arrive(0, {-0.5f, 0, 0}, {0, 0, 0}, 1.570795f, 20.0f);
    arrive(1, {2.0f, 0, -3.5f}, {2.0f, 0, -3.0f}, 0, 20.0f);
    ASSERT_TRUE(modelsTouch(vehicleBody(0), vehicleBody(1)).touching);
    collideVehicles();
    EXPECT_NEAR(vehicles[0].speed, 0.0f, 1e-4f);
    EXPECT_NEAR(vehicles[1].speed, 0.0f, 1e-4f);
    EXPECT_NE(vehicles[0].spinRate, 0.0f) << "a side hit spins";
}

TEST_F(CollisionTest, FlyingOverMakesNoContact) {
    parkOthers(2);
    vehicles[0].crashChannel = playableChannel();
    arrive(0, {0, 3.0f, -0.5f}, {0, 3.0f, 0}, 0, 20.0f);
    arrive(1, {2.5f, 0, 0.5f}, {2.5f, 0, 1}, 0, 5.0f);
    collideVehicles();
    EXPECT_EQ(vehicles[0].speed, 20.0f);
    EXPECT_EQ(vehicleBody(0).position.z, 0.0f);
    EXPECT_FALSE(isChannelPlaying(vehicles[0].crashChannel));
}

TEST_F(CollisionTest, PushIsCappedAtOneAndCoincidentJeepneysSplitAlongZ) {
    parkOthers(2);
    arrive(0, {0, 0, -2.0f}, {0, 0, 0}, 0, 60.0f);
    arrive(1, {2.5f, 0, 1}, {2.5f, 0, 1}, 0, 0.0f);
    collideVehicles();
    EXPECT_NEAR(length(vehicles[1].pushVelocity), 1.0f, 1e-5f);
    EXPECT_EQ(length(vehicles[0].pushVelocity), 0.0f);

    // Both stood on the same spot and neither moved: they would stay 0 apart.
    arrive(0, {5, 0, 5}, {5, 0, 5}, 0, 0.0f);
    arrive(1, {5, 0, 5}, {5, 0, 5}, 0, 0.0f);
    ASSERT_TRUE(modelsTouch(vehicleBody(0), vehicleBody(1)).touching);
    collideVehicles();
    EXPECT_FLOAT_EQ(vehicleBody(0).position.z, 6.0f);
    EXPECT_FLOAT_EQ(vehicleBody(1).position.z, 4.0f);
    EXPECT_FLOAT_EQ(vehicleBody(0).position.x, 5.0f);
}

class ObstacleTest : public CollisionTest {
  protected:
    void SetUp() override {
        CollisionTest::SetUp();
        makeGrid(9, 9, Open);
        Model& wall = gameModels.wall;
        wall.loaded = 1;
        wall.boundsMin = {-8, 0, -1};
        wall.boundsMax = {8, 3, 1};
        updateRadius(wall);
        // Entry 0 stands where the jeepney drives; entry 1 elsewhere.
        placeWall(0, 0.0f, 32.0f);
        placeWall(1, -48.0f, -48.0f);
        track.wallPlacements.count = 2;
        parkOthers(1);
    }

    static void placeWall(int k, float x, float z) {
        Mat4& m = track.wallPlacements.entries[static_cast<std::size_t>(k)];
        m = identityMatrix();
        m[12] = x;
        m[14] = z;
        setCellAt(x, z, Wall);
    }
};

TEST_F(ObstacleTest, ThePlayerBouncesBackOffTheFirstWall) {
    vehicles[0].crashChannel = playableChannel();
    const Vec3 from{0.5f, 0, 31.0f}, at{0.5f, 0, 31.6f};
    arrive(0, from, at, 0, 20.0f);
    collideVehicles();
    const Vehicle& v = vehicles[0];
    const Vec3& p = vehicleBody(0).position;
    EXPECT_EQ(v.speed, 0.0f);
    EXPECT_NEAR(p.z, from.z - 1.25f * 0.6f, 1e-4f) << "1.25 times its movement behind";
    EXPECT_NEAR(v.pushVelocity.z, -1.25f * 0.6f, 1e-4f);
    EXPECT_EQ(v.prevPosition.z, from.z);
    EXPECT_NEAR(v.spinRate, 0.02f * (-0.6f * 0.5f), 1e-5f);
    EXPECT_TRUE(isChannelPlaying(v.crashChannel));
}

TEST_F(ObstacleTest, RivalsDriveThroughAndOpenCellsAreNotTested) {
    arrive(1, {0.5f, 0, 31.0f}, {0.5f, 0, 31.6f}, 0, 20.0f);
    collideVehicles();
    EXPECT_EQ(vehicles[1].speed, 20.0f);
    EXPECT_EQ(vehicleBody(1).position.z, 31.6f);

    // The player over a wall that stands on an open cell is not tested against it.
    giveBody(1, {1000.0f, 0, 0}, 0);
    setCellAt(0.0f, 32.0f, Open);
    arrive(0, {0.5f, 0, 31.0f}, {0.5f, 0, 31.6f}, 0, 20.0f);
    collideVehicles();
    EXPECT_EQ(vehicles[0].speed, 20.0f);
}

} // namespace
} // namespace tb::testing
