// Collisions: jeepney against jeepney by situation, and the player's jeepney against the
// buildings.
#include "race/race_fixture.h"

#include "track/collisions.h"

#include <cmath>

namespace tb::testing {
namespace {

class CollisionTest : public RaceFixture {
  protected:
    void SetUp() override {
        RaceFixture::SetUp();
        for (int i = 0; i < VehicleCount; ++i) { // parked far apart
            arrive(i, {1000.0f * static_cast<float>(i), 0, 0},
                   {1000.0f * static_cast<float>(i), 0, 0}, 0, 0);
        }
    }
    // Vehicle i stands at `at`, having come from `from` this frame.
    static void arrive(int i, const Vec3& from, const Vec3& at, float yaw, float speed) {
        giveBody(i, at, yaw);
        vehicles[i].prevPosition = from;
        vehicles[i].speed = speed;
    }
};

TEST_F(CollisionTest, SideBySideTheSameWayKeepsSpeedsAndSwapsMovements) {
    vehicles[0].crashChannel = playableChannel();
    vehicles[1].crashChannel = playableChannel();
    arrive(0, {0, 0, -0.3f}, {0, 0, 0}, 0, 10.0f);
    arrive(1, {2.6f, 0, 0.6f}, {2.6f, 0, 1.0f}, 0, 13.0f);
    collideVehicles();
    EXPECT_NEAR(vehicles[0].speed, 10.0f, 1e-4f);
    EXPECT_NEAR(vehicles[1].speed, 13.0f, 1e-4f);
    EXPECT_NEAR(vehicles[0].pushVelocity.z, 0.4f, 1e-5f) << "takes over the other's movement";
    EXPECT_NEAR(vehicles[1].pushVelocity.z, 0.3f, 1e-5f);
    // Each moved on from its start by the other's movement, then 1 unit apart.
    const Vec3 p0 = vehicleBody(0).position, p1 = vehicleBody(1).position;
    EXPECT_NEAR(p1.x - p0.x, 2.6f + 2.0f * 2.6f / std::hypot(2.6f, 0.8f), 1e-4f);
    EXPECT_EQ(vehicles[0].prevPosition.z, p0.z);
    EXPECT_TRUE(isChannelPlaying(vehicles[0].crashChannel));
    EXPECT_FALSE(isChannelPlaying(vehicles[1].crashChannel)) << "only the lower index sounds";
}

// Jeepney 1 stands 2.6 to the right and 1 ahead of jeepney 0: the footprints' edges cross at
// (1.5, 0) and (1.1, 7), so they touch at (1.3, 3.5).
TEST_F(CollisionTest, ContactIsTheMeanCrossingAndEachSpinsAboutItByTheOthersHeading) {
    giveBody(0, {0, 0, 0}, 0);
    giveBody(1, {2.6f, 0, 1}, 0);
    const Contact contact = modelsTouch(vehicleBody(0), vehicleBody(1));
    ASSERT_TRUE(contact.touching);
    EXPECT_NEAR(contact.x, 1.3f, 1e-5f);
    EXPECT_NEAR(contact.z, 3.5f, 1e-5f);

    arrive(0, {0, 0, -0.5f}, {0, 0, 0}, 0, 10.0f);
    arrive(1, {2.3f, 0, 0.6f}, {2.6f, 0, 1}, 0, 10.0f); // heading (0.6, 0.8)
    collideVehicles();
    EXPECT_NEAR(vehicles[0].spinRate, (0 - 1.3f) * 0.8f - 0.6f * (0 - 3.5f), 1e-4f);
    EXPECT_NEAR(vehicles[1].spinRate, 2.6f - 1.3f, 1e-4f);
}

// The bounding spheres' test comes first and adds the squared radii (57.5 each): footprints
// that overlap end to end are no contact once the centres are sqrt(115) apart in space.
TEST_F(CollisionTest, FootprintsOverlappingBeyondTheSpheresReachDoNotTouch) {
    giveBody(0, {0, 1, 0}, 0);
    const struct {
        Vec3 at;
        bool touching;
    } cases[] = {{{0.5f, 1, 10.7f}, true}, {{0.5f, 3, 10.6f}, false}, {{0.5f, 1, 11}, false}};
    for (const auto& c : cases) {
        giveBody(1, c.at, 3.14159f);
        EXPECT_EQ(modelsTouch(vehicleBody(0), vehicleBody(1)).touching, c.touching)
            << "y " << c.at.y << " z " << c.at.z;
    }
}

TEST_F(CollisionTest, HeadOnReversesARightAngleStopsAFlightPassesOver) {
    const struct {
        Vec3 from1, at1;
        float yaw1, y0, speedAfter;
    } cases[] = {
        {{1, 0, 10.5f}, {1, 0, 10}, 3.14159f, 0.0f, -20.0f}, // head-on
        {{-2.5f, 0, 3}, {-2, 0, 3}, 1.570795f, 0.0f, 0.0f},  // crossing
        {{2.5f, 0, 0.5f}, {2.5f, 0, 1}, 0, 3.0f, 20.0f},     // 3 units below: no contact
    };
    for (const auto& c : cases) {
        arrive(0, {0, c.y0, -0.5f}, {0, c.y0, 0}, 0, 20.0f);
        arrive(1, c.from1, c.at1, c.yaw1, 20.0f);
        collideVehicles();
        EXPECT_NEAR(vehicles[0].speed, c.speedAfter, 1e-4f) << "other yaw " << c.yaw1;
        EXPECT_NEAR(vehicles[1].speed, c.speedAfter, 1e-4f) << "other yaw " << c.yaw1;
    }
    EXPECT_EQ(vehicleBody(0).position.z, 0.0f) << "the flight was not pushed";
}

TEST_F(CollisionTest, PushIsCappedAtOneAndCoincidentJeepneysSplitAlongZ) {
    arrive(0, {0, 0, -2.0f}, {0, 0, 0}, 0, 60.0f);
    arrive(1, {2.5f, 0, 1}, {2.5f, 0, 1}, 0, 0.0f);
    collideVehicles();
    const Vec3 push = vehicles[1].pushVelocity;
    EXPECT_NEAR(std::hypot(push.x, push.y, push.z), 1.0f, 1e-5f);

    arrive(0, {5, 0, 5}, {5, 0, 5}, 0, 0.0f);
    arrive(1, {5, 0, 5}, {5, 0, 5}, 0, 0.0f);
    collideVehicles();
    EXPECT_FLOAT_EQ(vehicleBody(0).position.z, 6.0f);
    EXPECT_FLOAT_EQ(vehicleBody(1).position.z, 4.0f);

    arrive(0, {0, 0, -0.5f}, {0, 0, 0}, 0, 0.0f);
    arrive(1, {0, 0, 7}, {0, 0, 7}, 0.3f, 0.0f);
    collideVehicles();
    EXPECT_EQ(vehicleBody(1).position.z, 7.5f) << "restarted exactly 8 apart: not pushed";
}

// The vehicle update puts a jeepney back on the ground (here one that was below it), or on a
// ramp's surface: a contact must not move it off that height, or two jeepneys in touch climb
// and dive apart frame by frame.
TEST_F(CollisionTest, JeepneysOnTheGroundOrARampKeepTheirHeightInAContact) {
    makeGrid(41, 41, Open);
    race.phase = Racing;
    arrive(3, {0, 0, 0}, {0, 0, 0}, -0.75f, 2.0f);
    arrive(6, {1.5f, -5.6f, 9.0f}, {1.5f, 0, 8.0f}, 3.14159f, -30.0f);
    for (int frame = 0; frame < 30; ++frame) {
        collideVehicles();
        ASSERT_EQ(vehicleBody(3).position.y, 0.0f) << "frame " << frame;
        ASSERT_EQ(vehicleBody(6).position.y, 0.0f) << "frame " << frame;
        updateVehicles();
    }

    arrive(3, {0, 0, -0.5f}, {0, 0, 0}, 0, 10.0f);
    arrive(6, {1.5f, 1.0f, 2.0f}, {1.5f, 1.2f, 2.5f}, 0, 10.0f);
    vehicles[6].jumpState = OnRamp;
    collideVehicles();
    EXPECT_EQ(vehicleBody(6).position.y, 1.2f) << "the ramp's surface";
    EXPECT_EQ(vehicleBody(3).position.y, 0.0f);

    // In the air, the other's climb is handed on: up 0.4 from where the frame began, then
    // pushed apart along the line between them.
    arrive(3, {100, 0.5f, -0.5f}, {100, 0.9f, 0}, 0, 10.0f);
    arrive(6, {101.5f, 1.0f, 2.0f}, {101.5f, 1.2f, 2.5f}, 0, 10.0f);
    vehicles[6].jumpState = Airborne;
    collideVehicles();
    EXPECT_NEAR(vehicleBody(6).position.y, 1.4f + 0.7f / std::hypot(1.5f, 0.7f, 2.5f), 1e-5f);
}

TEST_F(CollisionTest, ThePlayerBouncesOffTheFirstWallAndRivalsDriveThrough) {
    makeGrid(9, 9, Open);
    gameModels.wall.loaded = 1;
    gameModels.wall.boundsMin = {-8, 0, -1};
    gameModels.wall.boundsMax = {8, 3, 1};
    updateRadius(gameModels.wall);
    track.wallPlacements.entries[0][14] = 32.0f;
    track.wallPlacements.entries[1][12] = -48.0f;
    track.wallPlacements.count = 2;
    setCellAt(0.0f, 32.0f, Wall);
    vehicles[0].crashChannel = playableChannel();

    arrive(1, {0.5f, 0, 31.0f}, {0.5f, 0, 31.6f}, 0, 20.0f);
    collideVehicles();
    EXPECT_EQ(vehicleBody(1).position.z, 31.6f) << "a rival is not tested against walls";
    arrive(1, {1000, 0, 0}, {1000, 0, 0}, 0, 0);

    arrive(0, {0.5f, 0, 31.0f}, {0.5f, 0, 31.6f}, 0, 20.0f);
    collideVehicles();
    EXPECT_EQ(vehicles[0].speed, 0.0f);
    EXPECT_NEAR(vehicleBody(0).position.z, 31.0f - 1.25f * 0.6f, 1e-4f)
        << "1.25 times its movement behind where it started the frame";
    EXPECT_NEAR(vehicles[0].pushVelocity.z, -0.75f, 1e-4f);
    EXPECT_EQ(vehicles[0].prevPosition.z, 31.0f);
    EXPECT_NEAR(vehicles[0].spinRate, 0.02f * (-0.6f * 0.5f), 1e-5f);
    EXPECT_TRUE(isChannelPlaying(vehicles[0].crashChannel));

    arrive(0, {0.5f, 2.0f, 31.0f}, {0.5f, 0, 31.6f}, 0, 20.0f);
    collideVehicles();
    EXPECT_EQ(vehicleBody(0).position.y, 0.0f) << "a grounded jeepney is thrown back on the ground";
}

TEST_F(CollisionTest, TheStoreHutsAndCarabaosBounceThePlayerLikeAWall) {
    makeGrid(9, 9, Open);
    for (const int kind : {Store, Kubo, Carabao}) {
        Model& model = kind == Store  ? gameModels.store
                       : kind == Kubo ? gameModels.kubo
                                      : gameModels.carabao;
        model.loaded = 1;
        model.boundsMin = {-8, 0, -1};
        model.boundsMax = {8, 3, 1};
        Mat4 at = identityMatrix();
        at[14] = 32.0f;
        model.transform = at;
        updateRadius(model);
        track.kuboPlacements.entries[0] = track.carabaoPlacements.entries[0] = at;
        track.kuboPlacements.count = track.carabaoPlacements.count = 1;
        setCellAt(0.0f, 32.0f, kind);
        arrive(0, {0.3f, 0, 31.0f}, {0.5f, 0, 31.6f}, 0, 20.0f);
        collideVehicles();
        EXPECT_EQ(vehicles[0].speed, 0.0f) << "code " << kind;
        EXPECT_NEAR(vehicleBody(0).position.z, 31.0f - 1.25f * 0.6f, 1e-4f) << "code " << kind;
        EXPECT_NEAR(vehicles[0].spinRate, 0.02f * (-0.6f * 0.5f + 0.2f * 31.6f), 1e-5f);
    }
    // The list's count bounds the huts tested: the unused entries stand at the origin.
    track.kuboPlacements = {};
    setCellAt(0.0f, 0.0f, Kubo);
    arrive(0, {0.5f, 0, -0.6f}, {0.5f, 0, 0}, 0, 20.0f);
    collideVehicles();
    EXPECT_EQ(vehicles[0].speed, 20.0f);
}

TEST(SegmentsCross, OnlyWithinBothSegmentsAndAddsTheCrossing) {
    const struct {
        float x3, z3, x4, z4;
        bool cross;
    } cases[] = {
        {-1, 3, 3, -1, true},  // crosses (0, 0)-(2, 2) at (1, 1)
        {-1, 3, 0, 2, false},  // stops short of it
        {3, -1, 5, -3, false}, // starts beyond it
        {0, 1, 2, 3, false},   // parallel
    };
    for (const auto& c : cases) {
        float x = 0.5f, z = 0.25f;
        EXPECT_EQ(segmentsCross(0, 0, 2, 2, c.x3, c.z3, c.x4, c.z4, x, z), c.cross) << c.x4;
        EXPECT_EQ(x, c.cross ? 1.5f : 0.5f);
        EXPECT_EQ(z, c.cross ? 1.25f : 0.25f);
    }
    float x = 0, z = 0;
    EXPECT_FALSE(segmentsCross(0, 0, 0.5f, 0.5f, -1, 3, 3, -1, x, z)) << "ends short of (1, 1)";
}

} // namespace
} // namespace tb::testing
