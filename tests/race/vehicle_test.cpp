// Driving physics: speed targets and decays, the countdown, the steering move, rough ground,
// flight, the wheels.
#include "race/race_fixture.h"

#include <cmath>

namespace tb::testing {
namespace {

class DrivingTest : public RaceFixture {
  protected:
    void SetUp() override {
        RaceFixture::SetUp();
        race.phase = Countdown; // speeds untouched unless a test races
        race.phaseTimer = 100.0f;
        giveBody(0, {}, 0.0f);
    }
    // One frame from the given height and pitch, with the given speed and steer.
    static void frameFrom(float y, float pitch, float speed, float steer) {
        vehicleBody(0).position = {0.0f, y, 0.0f};
        vehicleBody(0).rotation = {pitch, 0.0f, 0.0f};
        vehicles[0].speed = speed;
        vehicles[0].steer = steer;
        updateVehicles();
    }
};

TEST_F(DrivingTest, SpeedApproachesTheThrottleTargetAndDecaysAboveIt) {
    Vehicle& v = vehicles[0];
    v.engineChannel = playableChannel();
    const struct {
        float throttle, speed, after;
    } steps[] = {
        {0.0f, 10.0f, 9.0f},    {0.0f, -10.0f, -10.0f}, // reverse speed is below the target 0
        {0.5f, 60.0f, 54.0f},   {0.5f, 54.0f, 48.6f},    {0.5f, 48.6f, 48.66f},
        {-1.0f, 20.0f, 19.88f}, {-1.0f, -60.0f, -54.0f}, // braking; reverse top speed 50
    };
    for (const auto& s : steps) {
        v.throttle = s.throttle;
        v.speed = s.speed;
        integrateDrive();
        EXPECT_FLOAT_EQ(v.speed, s.after) << "throttle " << s.throttle << " speed " << s.speed;
    }
    EXPECT_FLOAT_EQ(channelRate(v.engineChannel), 54.0f * 0.03f) << "|speed| * dt";
    v.speed = 1.0f;
    integrateDrive();
    EXPECT_FLOAT_EQ(channelRate(v.engineChannel), 0.25f);
    v.jumpState = Airborne;
    v.speed = 300.0f;
    integrateDrive();
    EXPECT_FLOAT_EQ(v.speed, 300.0f) << "a flying jeepney keeps its speed and engine rate";
    EXPECT_FLOAT_EQ(channelRate(v.engineChannel), 0.25f);
}

TEST_F(DrivingTest, CountdownHoldsSpeedsAtZeroWhileTheEnginesRev) {
    setRacePhase(Countdown);
    vehicles[0].engineChannel = playableChannel();
    vehicles[1].engineChannel = playableChannel();
    vehicles[0].throttle = 1.0f;
    vehicles[1].throttle = -1.0f;
    for (int frame = 0; frame < 100; ++frame) {
        updateVehicles();
    }
    EXPECT_EQ(vehicles[0].speed, 0.0f);
    EXPECT_EQ(vehicles[1].speed, 0.0f);
    EXPECT_FLOAT_EQ(channelRate(vehicles[0].engineChannel), 0.25f);
    EXPECT_FLOAT_EQ(channelRate(vehicles[1].engineChannel), 3.0f);
    // Only the nose-up pitch of full throttle creeps it forward, from the second frame on.
    EXPECT_NEAR(vehicleBody(0).position.z, 99.0f * 6.14f * (1.0f - std::cos(0.01f)), 1e-3f);
}

TEST_F(DrivingTest, SteeringMoveAtRestWithPitchAndWhileDriving) {
    Model& body = vehicleBody(0);
    body.rotation.yaw = 4.0f;
    vehicles[0].steer = 1.0f;
    updateVehicles();
    EXPECT_NEAR(body.position.z, 0.0f, 1e-5f) << "at speed 0 a level jeepney stays put";
    EXPECT_NEAR(body.rotation.yaw, 4.0f - 6.2831853f, 1e-5f) << "yaw kept within -pi..pi";

    vehicles[0].jumpState = Airborne; // pitched at rest, the rear axle swings under the front
    frameFrom(5.0f, 0.3f, 0.0f, 0.0f);
    EXPECT_NEAR(body.position.y, 5.0f - 6.14f * std::sin(0.3f), 1e-4f);
    EXPECT_NEAR(body.position.z, 6.14f * (1.0f - std::cos(0.3f)), 1e-4f);

    vehicles[0].jumpState = Grounded;
    frameFrom(0.0f, 0.0f, 10.0f, 0.0f);
    EXPECT_NEAR(body.position.z, 0.3f, 1e-5f);
    frameFrom(0.0f, 0.0f, 10.0f, 1.0f);
    EXPECT_LT(body.rotation.yaw, 0.0f) << "positive steer turns right";
    EXPECT_NEAR(body.rotation.roll, -0.1f * 10.0f * 1.0f * 0.03f, 1e-6f) << "the lean";
}

TEST_F(DrivingTest, RoughGroundSlowsAndIsFlagged) {
    makeGrid(5, 5, Open);
    const struct {
        int code;
        float factor;
        bool rough;
    } grounds[] = {{Rough, 0.985f, true},
                   {VeryRough, 0.985f * 0.97f, true},
                   {Open, 1.0f, false},
                   {RampZone + 3, 1.0f, false}}; // a zone of a ramp that was never placed
    for (const auto& g : grounds) {
        setCellAt(0.0f, 0.0f, g.code);
        vehicles[0].jumpState = OnRamp;
        frameFrom(0.0f, 0.0f, 20.0f, 0.0f);
        EXPECT_FLOAT_EQ(vehicles[0].speed, 20.0f * g.factor) << "code " << g.code;
        EXPECT_EQ(vehicles[0].roughGround, g.rough) << "code " << g.code;
        EXPECT_EQ(vehicles[0].jumpState, Grounded) << "no ramp under it, code " << g.code;
    }
}

TEST_F(DrivingTest, AirborneSteersAtAnEighthAndLandsOnOpenGround) {
    vehicles[0].jumpState = Airborne;
    frameFrom(3.0f, 0.0f, 20.0f, 1.0f);
    EXPECT_FLOAT_EQ(vehicles[0].steer, 0.125f);
    EXPECT_NEAR(vehicleBody(0).rotation.roll, -0.1f * 20.0f * 0.125f * 0.03f, 1e-6f);
    EXPECT_NEAR(vehicleBody(0).rotation.pitch, 0.25f * 0.03f, 1e-6f) << "the nose drops";
    frameFrom(3.0f, 0.4f, 20.0f, 0.0f);
    EXPECT_EQ(vehicleBody(0).rotation.pitch, 0.4f) << "and stops at 0.4";
    frameFrom(0.02f, 0.2f, 20.0f, 0.0f);
    EXPECT_EQ(vehicles[0].jumpState, Grounded);
    EXPECT_EQ(vehicleBody(0).rotation.pitch, 0.0f);
    vehicles[0].throttle = 1.0f;
    frameFrom(0.0f, 0.0f, 20.0f, 0.0f);
    EXPECT_FLOAT_EQ(vehicleBody(0).rotation.pitch, -0.01f)
        << "on the ground throttle lifts the nose";
}

TEST_F(DrivingTest, ACollisionsPushAndSpinCarryOverAndDecayByATenth) {
    vehicles[0].pushVelocity = {1.0f, 3.0f, 2.0f};
    vehicles[0].spinRate = 2.0f;
    vehicles[0].jumpState = Airborne;
    frameFrom(5.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_NEAR(vehicleBody(0).position.y, 8.0f, 1e-5f);
    EXPECT_NEAR(vehicleBody(0).position.x, 1.0f, 1e-5f);
    EXPECT_NEAR(vehicleBody(0).position.z, 2.0f, 1e-5f);
    EXPECT_NEAR(vehicles[0].pushVelocity.x, 0.9f, 1e-6f);
    EXPECT_NEAR(vehicles[0].pushVelocity.y, 2.7f, 1e-6f);
    EXPECT_NEAR(vehicles[0].pushVelocity.z, 1.8f, 1e-6f);
    EXPECT_NEAR(vehicleBody(0).rotation.yaw, 2.0f * 0.03f, 1e-5f);
    EXPECT_NEAR(vehicles[0].spinRate, 1.8f, 1e-6f);
}

TEST_F(DrivingTest, WheelsFollowTheBodyAndStayOnTheGround) {
    Model& body = vehicleBody(0);
    giveBody(0, {10.0f, 1.0f, -4.0f}, 1.570795f);
    vehicles[0].speed = 10.0f;
    vehicles[0].steer = 1.0f;
    updateWheels();
    for (int k = 0; k < 4; ++k) {
        const Vec3 mount = wheelMount(k);
        const Vec3 at = transformPoint(body.transform, mount.x, mount.y, mount.z);
        const Mat4& w = vehicleWheel(0, k).transform;
        EXPECT_NEAR(std::hypot(w[12] - at.x, w[13] - at.y, w[14] - at.z), 0.0f, 1e-4f) << k;
        EXPECT_NEAR(w[12], k < 2 ? 10.0f : 10.0f + 6.14f, 1e-4f) << "the front axle 6.14 ahead";
        EXPECT_NEAR(w[0],
                    k < 2
                        ? body.transform[0]
                        : std::cos(-0.5f) * body.transform[0] - std::sin(-0.5f) * body.transform[8],
                    1e-5f)
            << "rear axles stay the body's x axis, front ones turn by -steer / 2; wheel " << k;
    }
    EXPECT_NEAR(vehicleWheel(0, 0).transform[5], std::cos(0.3f), 1e-5f) << "rolled by 0.3";
    body.transform[13] = -0.3f;
    updateWheels();
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(vehicleWheel(0, k).transform[13], 0.66f) << "wheel " << k;
    }
}

} // namespace
} // namespace tb::testing
