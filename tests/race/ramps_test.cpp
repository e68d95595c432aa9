// Jump ramps: the first-triangle rule, the state margins, the landing sound, and a jeepney
// driven over the game's own ramp model.
#include "race/race_fixture.h"
#include "race/ramps.h"

#include "shell/media_paths.h"
#include "shell/random.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

namespace tb::testing {
namespace {

// A ramp model of flat triangles at the given heights, in file order, each covering the
// square x, z in -1..1 of model space.
void makeRampModel(std::initializer_list<float> heights) {
    Model& m = gameModels.streetJ;
    m.faceCount = static_cast<std::uint32_t>(heights.size());
    m.vertexCount = 3 * m.faceCount;
    m.vertices = std::shared_ptr<ModelVertex[]>(new ModelVertex[m.vertexCount]);
    m.faceIndices = std::shared_ptr<std::uint32_t[]>(new std::uint32_t[m.vertexCount]);
    std::uint32_t k = 0;
    for (const float y : heights) {
        for (const auto& [x, z] :
             {std::pair{-1.0f, -1.0f}, std::pair{3.0f, -1.0f}, std::pair{-1.0f, 3.0f}}) {
            const float corner[3] = {x, y, z};
            std::copy(corner, corner + 3, m.vertices[k].position);
            m.faceIndices[k] = k;
            ++k;
        }
    }
    m.loaded = 1;
}

class RampTest : public RaceFixture {
  protected:
    void SetUp() override {
        RaceFixture::SetUp();
        makeGrid(9, 9, RampZone);
        giveBody(0, {}, 0);
        vehicles[0].crashChannel = playableChannel();
        placeRamp(identityMatrix());
    }
    static void placeRamp(const Mat4& m) {
        track.rampPlacements.entries[0] = m;
        track.rampPlacements.count = 1;
    }
    static float surfaceUnder(float x, float z) {
        const SegmentHit hit = rampHeightUnder(0, {x, -1, z}, {x, 9, z});
        return hit.hit ? 10.0f * hit.t - 1.0f : 0.0f;
    }
};

TEST_F(RampTest, TheFirstTriangleInFileOrderDecidesWithinTheProbesReach) {
    makeRampModel({0.1f, 0.3f}); // an underside before the top
    Mat4 m{};
    composeTransform(m, 10.01f, 10.0f, 10.01f, 0, 0, 0, 16.0f, 0, -8.0f);
    placeRamp(m);
    EXPECT_NEAR(surfaceUnder(16.0f, -8.0f), 1.0f, 1e-4f) << "the underside, not the top";
    EXPECT_TRUE(segmentHitsTriangle({0, 0, 0}, {4, 0, 0}, {0, 0, 4}, {2, -1, 2}, {2, 1, 2}).hit)
        << "a point on an edge counts";
    EXPECT_EQ(surfaceUnder(0.0f, 0.0f), 0.0f) << "beside the ramp's triangles";
    makeRampModel({1.0f}); // a top at 10 units is out of the probe's reach
    EXPECT_EQ(surfaceUnder(16.0f, -8.0f), 0.0f);
    EXPECT_NEAR(segmentHitsTriangle({0, 0, 0}, {4, 2, 0}, {1, 4, 4}, {1, -1, 1}, {1, 9, 1}).t,
                0.2375f, 1e-5f)
        << "a face sloped both ways, 1.375 high at (1, 1)";
    gameModels.streetJ.loaded = 0;
    placeRamp(identityMatrix());
    EXPECT_EQ(surfaceUnder(0.0f, 0.0f), 0.0f) << "no model, no surface";
}

TEST(RampMatrix, TheInverseOfAPoseUndoesIt) {
    Mat4 m{};
    composeTransform(m, 2, 3, 4, 0.3f, 0.5f, 0.7f, 1, 2, 3);
    const Mat4 product = multiplyAffine(invertMatrix(m), m);
    const Mat4 identity = identityMatrix();
    for (int k = 0; k < 16; ++k) {
        EXPECT_NEAR(product[k], identity[k], 1e-5f) << "element " << k;
    }
}

TEST_F(RampTest, ASliverTriangleWhoseSidesCannotBeSolvedIsNoHit) {
    // Its normal is not zero, but in floats its sides are parallel: the solve gives NaN.
    const Vec3 v0{0, 0, 0}, v1{1, 0, 0}, v2{2, 0, 1e-4f};
    for (const float x : {1.5f, 40.0f}) {
        EXPECT_FALSE(segmentHitsTriangle(v0, v1, v2, {x, -1, 5e-5f}, {x, 1, 5e-5f}).hit)
            << "x " << x;
    }
}

// A hand-drawn map may mark a zone for a ramp it never placed: the zone holds no surface.
TEST_F(RampTest, AZoneWithoutAPlacedRampLetsAJeepneyAboveTheGroundFly) {
    makeRampModel({1.0f});
    race.phase = Racing;
    setCellAt(0.0f, 0.0f, RampZone + 5);
    vehicleBody(0).position = {0.0f, 2.0f, 0.0f};
    vehicles[0].jumpState = Grounded;
    updateVehicles();
    EXPECT_EQ(vehicles[0].jumpState, Airborne);
    EXPECT_GT(vehicleBody(0).position.y, 1.9f);
}

TEST_F(RampTest, OnlyReversingIsHeldToTheClimbingTilt) {
    makeRampModel({0.5f});
    race.phase = Racing;
    const struct {
        float pitch, speed, expected;
    } cases[] = {
        {0.35f, 20.0f, 0.35f - 0.01f * 0.54f}, // landed nose-down driving forward; 0.9 drag
        {0.1f, -40.0f, 0.1f + 0.01f * 1.2f},
        {0.14f, -40.0f, 0.142f},
        {0.35f, -40.0f, 0.35f}, // reversing steepens nothing
    };
    for (const auto& c : cases) {
        vehicleBody(0).position = {0.0f, 0.5f, 0.0f};
        vehicleBody(0).rotation = {c.pitch, 0.0f, 0.0f};
        vehicles[0].jumpState = OnRamp;
        vehicles[0].throttle = 0.0f;
        vehicles[0].speed = c.speed;
        updateVehicles();
        ASSERT_EQ(vehicles[0].jumpState, OnRamp);
        EXPECT_NEAR(vehicleBody(0).rotation.pitch, c.expected, 1e-5f) << "from " << c.pitch;
    }
}

TEST_F(RampTest, StatesChangeOnlyMoreThanATenthAboveOrBelow) {
    makeRampModel({1.0f});
    ASSERT_EQ(surfaceUnder(0, 0), 1.0f);
    const float onTopMargin = 1.1f, onLowMargin = 0.9f;
    ASSERT_EQ(onTopMargin - 0.1f, 1.0f);
    ASSERT_EQ(onLowMargin + 0.1f, 1.0f);
    const struct {
        float x, y;
        int before, after;
        float yAfter;
    } cases[] = {
        {0, onTopMargin, OnRamp, OnRamp, onTopMargin},
        {0, onLowMargin, OnRamp, OnRamp, onLowMargin},
        {0, onTopMargin, Airborne, Airborne, onTopMargin},
        {0, 1.2f, OnRamp, Airborne, 1.2f},
        {0, 0.8f, OnRamp, OnRamp, 1.0f},
        {0, 0.0f, Grounded, OnRamp, 1.0f},
        {5, 0.0f, OnRamp, Grounded, 0.0f},
        {5, 0.5f, OnRamp, Airborne, 0.5f},    // beside it
        {2.5f, 0.5f, OnRamp, Airborne, 0.5f}, // past its slanted edge
    };
    for (const auto& c : cases) {
        vehicleBody(0).position = {c.x, c.y, 0};
        vehicles[0].jumpState = c.before;
        rampContact(0, 0);
        EXPECT_EQ(vehicles[0].jumpState, c.after) << "x " << c.x << " y " << c.y;
        EXPECT_EQ(vehicleBody(0).position.y, c.yAfter) << "x " << c.x << " y " << c.y;
    }
    EXPECT_FALSE(isChannelPlaying(vehicles[0].crashChannel)) << "silent without a flight";
}

TEST_F(RampTest, LandingFromTheAirSoundsOnlyOnAnIdleChannel) {
    makeRampModel({1.0f});
    for (int landing = 0; landing < 2; ++landing) {
        seedRandom(7);
        const int firstDraw = nextRandom();
        seedRandom(7);
        vehicleBody(0).position.y = 0.5f;
        vehicles[0].jumpState = Airborne;
        rampContact(0, 0);
        EXPECT_EQ(vehicles[0].jumpState, OnRamp);
        EXPECT_TRUE(isChannelPlaying(vehicles[0].crashChannel));
        EXPECT_NEAR(channelRate(vehicles[0].crashChannel), 0.4f, 0.15f) << "a deep thud";
        EXPECT_EQ(nextRandom() == firstDraw, landing == 1) << "a busy channel draws no rate";
    }
}

// The game's ramp model from the generated media, placed as the track builder places a ramp.
bool placeGamesRamp() {
    const std::string media = TB_BUILD_MEDIA_DIR;
    if (!std::filesystem::exists(media + "/streetJ.a3f")) {
        return false;
    }
    setGraphicsEnabled(false);
    const std::string saved = mediaFolder();
    setMediaFolder(media);
    buildModel("streetJ.a3f", gameModels.streetJ);
    setMediaFolder(saved);
    Mat4 m{};
    composeTransform(m, 10.01f, 10.0f, 10.01f, 0, 0, 0, 0, 0, 0);
    track.rampPlacements.entries[0] = m;
    track.rampPlacements.count = 1;
    return gameModels.streetJ.loaded == 1;
}

// Driven up the game's ramp either way a jeepney flies and lands, silent until it flies. Rivals
// bounced head-on reverse fast: over the ramp the nose must not drop without end, or the
// jeepney stands on its nose below the ground until it leaves the ramp's cells.
TEST_F(RampTest, TheGamesRampIsJumpedEitherWayAndReversedOverWithoutTipping) {
    if (!placeGamesRamp()) {
        GTEST_SKIP() << "no generated ramp model in " << TB_BUILD_MEDIA_DIR;
    }
    race.phase = Racing;
    const struct {
        float z0, yaw, speed;
    } runs[] = {{-60.0f, 0.0f, 60.0f},
                {60.0f, 3.14159f, 60.0f},
                {-60.0f, 3.14159f, -40.0f},
                {60.0f, 0.0f, -40.0f}};
    for (const auto& r : runs) {
        releaseSoundChannels();
        vehicles[0].crashChannel = playableChannel();
        giveBody(0, {0, 0, r.z0}, r.yaw);
        vehicles[0].jumpState = Grounded;
        vehicles[0].throttle = r.speed > 0.0f ? 1.0f : 0.0f;
        vehicles[0].speed = r.speed;
        bool onRamp = false, airborne = false, landed = false, soundBeforeFlight = false;
        float steepest = 0.0f, lowest = 0.0f;
        for (int frame = 0; frame < 100; ++frame) {
            const int before = vehicles[0].jumpState;
            updateVehicles();
            onRamp |= vehicles[0].jumpState == OnRamp;
            soundBeforeFlight |= !airborne && isChannelPlaying(vehicles[0].crashChannel);
            airborne |= vehicles[0].jumpState == Airborne;
            landed |= before == Airborne && vehicles[0].jumpState == Grounded;
            steepest = std::max(steepest, std::fabs(vehicleBody(0).rotation.pitch));
            lowest = std::min(lowest, vehicleBody(0).position.y);
        }
        EXPECT_TRUE(onRamp) << "from z " << r.z0 << " at speed " << r.speed;
        if (r.speed > 0.0f) {
            EXPECT_TRUE(airborne && landed) << "from z " << r.z0;
            EXPECT_FALSE(soundBeforeFlight) << "driving onto the ramp is silent, from z " << r.z0;
        } else {
            EXPECT_LE(steepest, 0.142f + 1e-4f) << "reversing from z " << r.z0;
            EXPECT_GT(lowest, -1.0f) << "reversing from z " << r.z0;
        }
    }
}

} // namespace
} // namespace tb::testing
