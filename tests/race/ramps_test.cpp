// Jump ramps: the segment test, the matrix inverse, the first-triangle rule, the state
// margins, the landing sound, and a jeepney driven over the game's own ramp model.
#include "race/race_fixture.h"
#include "race/ramps.h"

#include "assets/model.h"
#include "shell/media_paths.h"
#include "shell/random.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace tb::testing {
namespace {

struct Triangle {
    Vec3 a, b, c;
};

// A ramp model made of the given triangles, in that order.
void makeRampModel(const std::vector<Triangle>& triangles) {
    Model& m = gameModels.streetJ;
    const auto n = static_cast<std::uint32_t>(triangles.size());
    m.vertices = std::shared_ptr<ModelVertex[]>(new ModelVertex[3 * n]);
    m.faceIndices = std::shared_ptr<std::uint32_t[]>(new std::uint32_t[3 * n]);
    for (std::uint32_t f = 0; f < n; ++f) {
        const Vec3 corners[3] = {triangles[f].a, triangles[f].b, triangles[f].c};
        for (std::uint32_t k = 0; k < 3; ++k) {
            ModelVertex& v = m.vertices[3 * f + k];
            v.position[0] = corners[k].x;
            v.position[1] = corners[k].y;
            v.position[2] = corners[k].z;
            m.faceIndices[3 * f + k] = 3 * f + k;
        }
    }
    m.faceCount = n;
    m.vertexCount = 3 * n;
    m.loaded = 1;
}

// A flat square at height y over x, z in -1..1, as two triangles.
std::vector<Triangle> flatSquare(float y) {
    return {{{-1, y, -1}, {1, y, -1}, {1, y, 1}}, {{-1, y, -1}, {1, y, 1}, {-1, y, 1}}};
}

void placeRamp(const Mat4& m) {
    track.rampPlacements.entries[0] = m;
    track.rampPlacements.count = 1;
}

Mat4 product(const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (int c = 0; c < 4; ++c) {
        for (int row = 0; row < 4; ++row) {
            for (int k = 0; k < 4; ++k) {
                r[4 * c + row] += a[4 * k + row] * b[4 * c + k];
            }
        }
    }
    return r;
}

TEST(SegmentHitsTriangle, HitsInsideAndOnEdgesMissesOutsideAndParallel) {
    const Vec3 v0{0, 0, 0}, v1{4, 0, 0}, v2{0, 0, 4};
    const SegmentHit inside = segmentHitsTriangle(v0, v1, v2, {1, -1, 1}, {1, 9, 1});
    EXPECT_TRUE(inside.hit);
    EXPECT_NEAR(inside.t, 0.1f, 1e-6f);
    EXPECT_TRUE(segmentHitsTriangle(v0, v1, v2, {2, -1, 2}, {2, 1, 2}).hit) << "hypotenuse";
    EXPECT_TRUE(segmentHitsTriangle(v0, v1, v2, {0, -1, 0}, {0, 1, 0}).hit) << "corner";
    EXPECT_FALSE(segmentHitsTriangle(v0, v1, v2, {3, -1, 3}, {3, 1, 3}).hit) << "outside";
    EXPECT_FALSE(segmentHitsTriangle(v0, v1, v2, {1, 0.5f, 1}, {1, 2, 1}).hit)
        << "the plane lies before the segment";
    EXPECT_TRUE(segmentHitsTriangle(v0, v1, v2, {1, 0, 1}, {1, 2, 1}).hit) << "t = 0 counts";
    EXPECT_TRUE(segmentHitsTriangle(v0, v1, v2, {1, -2, 1}, {1, 0, 1}).hit) << "t = 1 counts";
    EXPECT_FALSE(segmentHitsTriangle(v0, v1, v2, {-1, 0.5f, 1}, {5, 0.5f, 1}).hit) << "parallel";
    EXPECT_FALSE(segmentHitsTriangle(v0, v1, {8, 0, 0}, {1, -1, 0}, {1, 1, 0}).hit) << "degenerate";
}

TEST(InvertMatrix, UndoesRampPlacementsAndRotations) {
    Mat4 ramp{}, turned{};
    composeTransform(ramp, 10.01f, 10.0f, 10.01f, 0, 0, 0, 48.0f, 0.0f, -32.0f);
    composeTransform(turned, 2.0f, 0.5f, 3.0f, 0.3f, -1.1f, 0.7f, 5.0f, -2.0f, 9.0f);
    for (const Mat4& m : {ramp, turned}) {
        const Mat4 i = product(m, invertMatrix(m));
        const Mat4 id = identityMatrix();
        for (int e = 0; e < 16; ++e) {
            EXPECT_NEAR(i[e], id[e], 1e-5f) << "element " << e;
        }
    }
}

class RampTest : public RaceFixture {
  protected:
    void SetUp() override {
        RaceFixture::SetUp();
        makeGrid(9, 9, Open);
        for (float x = -32; x <= 32; x += 16) {
            for (float z = -32; z <= 32; z += 16) {
                setCellAt(x, z, RampZone);
            }
        }
        giveBody(0, {0, 0, 0}, 0);
        vehicles[0].crashChannel = playableChannel();
        ASSERT_GE(vehicles[0].crashChannel, 0);
    }

    float surfaceHeight(float x, float z) {
        const SegmentHit hit = rampHeightUnder(0, {x, -1, z}, {x, 9, z});
        return hit.hit ? 10.0f * hit.t - 1.0f : 0.0f;
    }
};

TEST_F(RampTest, TheFirstTriangleInFileOrderDecides) {
    std::vector<Triangle> model = flatSquare(0.1f); // an underside first
    for (const Triangle& t : flatSquare(0.3f)) {
        model.push_back(t);
    }
    makeRampModel(model);
    Mat4 m{};
    composeTransform(m, 10.01f, 10.0f, 10.01f, 0, 0, 0, 16.0f, 0, 0);
    placeRamp(m);
    EXPECT_NEAR(surfaceHeight(16.0f, 0.0f), 1.0f, 1e-4f) << "the underside, not the top";
    EXPECT_EQ(surfaceHeight(0.0f, 0.0f), 0.0f) << "beside the ramp's triangles";

    makeRampModel(flatSquare(1.0f)); // a top at 10 units: out of the probe's reach
    EXPECT_EQ(surfaceHeight(16.0f, 0.0f), 0.0f);

    gameModels.streetJ.loaded = 0;
    makeRampModel(flatSquare(0.3f));
    gameModels.streetJ.loaded = 0;
    EXPECT_EQ(surfaceHeight(16.0f, 0.0f), 0.0f) << "a ramp that failed to load is never hit";
}

TEST_F(RampTest, StateChangesNeedMoreThanATenthAboveOrBelow) {
    makeRampModel(flatSquare(1.0f));
    placeRamp(identityMatrix());
    const float h = surfaceHeight(0, 0);
    ASSERT_EQ(h, 1.0f);
    Vehicle& v = vehicles[0];
    Vec3& p = vehicleBody(0).position;

    struct Case {
        float y;
        int before, after;
        float yAfter;
    };
    const float exactlyAbove = 1.1f, exactlyBelow = 0.9f;
    ASSERT_EQ(exactlyAbove - 0.1f, h);
    ASSERT_EQ(exactlyBelow + 0.1f, h);
    const Case cases[] = {
        {exactlyAbove, OnRamp, OnRamp, exactlyAbove}, // on the margin: stays
        {exactlyBelow, OnRamp, OnRamp, exactlyBelow}, // on the margin: stays
        {exactlyAbove, Airborne, Airborne, exactlyAbove},
        {1.2f, OnRamp, Airborne, 1.2f}, // the surface fell away
        {0.8f, OnRamp, OnRamp, 1.0f},   // climbs onto the surface
        {0.0f, Grounded, OnRamp, 1.0f}, // drives on from the ground
    };
    for (const Case& c : cases) {
        p.y = c.y;
        v.jumpState = c.before;
        rampContact(0, 0);
        EXPECT_EQ(v.jumpState, c.after) << "y " << c.y << " from state " << c.before;
        EXPECT_EQ(p.y, c.yAfter) << "y " << c.y << " from state " << c.before;
    }
    EXPECT_FALSE(isChannelPlaying(v.crashChannel)) << "no landing sound without a flight";

    p = {5.0f, 0.0f, 0.0f}; // over the ramp cells but beside its triangles
    v.jumpState = OnRamp;
    rampContact(0, 0);
    EXPECT_EQ(v.jumpState, Grounded);
    p.y = 0.5f;
    v.jumpState = OnRamp;
    rampContact(0, 0);
    EXPECT_EQ(v.jumpState, Airborne);
}

TEST_F(RampTest, LandingFromTheAirSoundsOnlyOnAnIdleChannel) {
    makeRampModel(flatSquare(1.0f));
    placeRamp(identityMatrix());
    Vehicle& v = vehicles[0];
    Vec3& p = vehicleBody(0).position;
    p.y = 0.5f;
    v.jumpState = Airborne;
    rampContact(0, 0);
    EXPECT_EQ(v.jumpState, OnRamp);
    EXPECT_TRUE(isChannelPlaying(v.crashChannel));

    // A landing while the channel still plays neither restarts it nor draws a rate.
    seedRandom(7);
    const int firstDraw = nextRandom();
    seedRandom(7);
    p.y = 0.5f;
    v.jumpState = Airborne;
    rampContact(0, 0);
    EXPECT_EQ(v.jumpState, OnRamp);
    EXPECT_EQ(nextRandom(), firstDraw);
}

// The game's own ramp from the generated media, driven over along z in both directions.
class RealRampTest : public RampTest {
  protected:
    void SetUp() override {
        RampTest::SetUp();
        const std::string media = TB_BUILD_MEDIA_DIR;
        if (!std::filesystem::exists(media + "/streetJ.a3f")) {
            GTEST_SKIP() << "no generated media in " << media;
        }
        setGraphicsEnabled(false);
        const std::string saved = mediaFolder();
        setMediaFolder(media);
        buildModel("streetJ.a3f", gameModels.streetJ);
        setMediaFolder(saved);
        ASSERT_EQ(gameModels.streetJ.loaded, 1);
        Mat4 m{};
        composeTransform(m, 10.01f, 10.0f, 10.01f, 0, 0, 0, 0, 0, 0);
        placeRamp(m);
    }

    // Drives vehicle 0 from z0 at full throttle along its heading and records what happens.
    void driveOver(float z0, float yaw) {
        giveBody(0, {0, 0, z0}, yaw);
        Vehicle& v = vehicles[0];
        v.throttle = 1.0f;
        v.speed = 60.0f;
        race.phase = Racing;
        sawOnRamp = sawAirborne = landedAfterFlight = soundOnGround = false;
        for (int frame = 0; frame < 200; ++frame) {
            const int before = v.jumpState;
            updateVehicles();
            sawOnRamp |= v.jumpState == OnRamp;
            sawAirborne |= v.jumpState == Airborne;
            if (before == Airborne && v.jumpState == Grounded) {
                landedAfterFlight = true;
            }
            if (!sawAirborne && isChannelPlaying(v.crashChannel)) {
                soundOnGround = true;
            }
        }
    }

    bool sawOnRamp = false, sawAirborne = false, landedAfterFlight = false, soundOnGround = false;
};

TEST_F(RealRampTest, AJeepneyJumpsItInEitherDirection) {
    for (const auto& [z0, yaw] : {std::pair{-60.0f, 0.0f}, std::pair{60.0f, 3.14159f}}) {
        releaseSoundChannels();
        vehicles[0].crashChannel = playableChannel();
        driveOver(z0, yaw);
        EXPECT_TRUE(sawOnRamp) << "from z " << z0;
        EXPECT_TRUE(sawAirborne) << "from z " << z0;
        EXPECT_TRUE(landedAfterFlight) << "from z " << z0;
        EXPECT_FALSE(soundOnGround) << "driving onto the ramp is silent, from z " << z0;
        EXPECT_EQ(vehicles[0].jumpState, Grounded);
    }
}

} // namespace
} // namespace tb::testing
