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
        race.phase = Racing;
        giveBody(0, {0.0f, 0.0f, 0.0f}, 0.0f);
    }
};

TEST_F(DrivingTest, SpeedApproachesTheThrottleTargetAndDecaysAboveIt) {
    Vehicle& v = vehicles[0];
    v.throttle = 0.0f;
    v.speed = 10.0f;
    integrateDrive();
    EXPECT_FLOAT_EQ(v.speed, 9.0f) << "forward speed with no throttle decays per frame";
    v.speed = -10.0f;
    integrateDrive();
    EXPECT_FLOAT_EQ(v.speed, -10.0f) << "a reverse speed is below the target 0 and stays";

    v.throttle = 0.5f;
    v.speed = 60.0f;
    integrateDrive();
    EXPECT_FLOAT_EQ(v.speed, 54.0f);
    integrateDrive();
    EXPECT_FLOAT_EQ(v.speed, 48.6f);
    integrateDrive();
    EXPECT_FLOAT_EQ(v.speed, 48.6f + 4.0f * 0.5f * 0.03f) << "below 50 it climbs at 2 per s2";

    v.throttle = -1.0f;
    v.speed = 20.0f;
    integrateDrive();
    EXPECT_FLOAT_EQ(v.speed, 20.0f - 0.12f) << "reverse throttle brakes a forward speed";
    v.speed = -60.0f;
    integrateDrive();
    EXPECT_FLOAT_EQ(v.speed, -54.0f) << "reverse top speed is 50";

    v.engineChannel = playableChannel();
    v.throttle = 1.0f;
    v.speed = 50.0f;
    integrateDrive();
    EXPECT_FLOAT_EQ(channelRate(v.engineChannel), (50.0f + 0.12f) * 0.03f) << "|speed| * dt";
    v.speed = -200.0f;
    integrateDrive();
    EXPECT_FLOAT_EQ(channelRate(v.engineChannel), 4.0f) << "clamped at 4";
    v.speed = 1.0f;
    integrateDrive();
    EXPECT_FLOAT_EQ(channelRate(v.engineChannel), 0.25f) << "clamped at 0.25";

    v.jumpState = Airborne;
    v.speed = 30.0f;
    integrateDrive();
    EXPECT_FLOAT_EQ(v.speed, 30.0f) << "a flying jeepney keeps its speed";
    EXPECT_FLOAT_EQ(channelRate(v.engineChannel), 0.25f) << "and its engine rate";
}

TEST_F(DrivingTest, CountdownHoldsEverySpeedAtZero) {
    setRacePhase(Countdown);
    vehicles[0].engineChannel = playableChannel();
    vehicles[1].engineChannel = playableChannel();
    for (int i = 0; i < VehicleCount; ++i) {
        vehicles[i].throttle = i % 2 == 0 ? 1.0f : -1.0f;
    }
    for (int frame = 0; frame < 100; ++frame) {
        updateVehicles();
    }
    ASSERT_EQ(race.phase, Countdown);
    for (int i = 0; i < VehicleCount; ++i) {
        EXPECT_EQ(vehicles[i].speed, 0.0f) << "vehicle " << i;
    }
    EXPECT_FLOAT_EQ(channelRate(vehicles[0].engineChannel), 0.25f) << "full throttle revs low";
    EXPECT_FLOAT_EQ(channelRate(vehicles[1].engineChannel), 3.0f) << "reverse revs high";
    vehicles[0].throttle = 0.2f;
    revEngines();
    EXPECT_FLOAT_EQ(channelRate(vehicles[0].engineChannel), 0.6f);
    const Vec3 start = vehicleBody(0).position;
    EXPECT_NEAR(start.x, track.startPoint.x + 3.64f, 1e-4f);
    // Only the slight nose-up pitch of full throttle creeps it forward, from the second frame.
    EXPECT_NEAR(start.z, track.startPoint.z + 99.0f * 6.14f * (1.0f - std::cos(0.01f)), 1e-3f);
}

TEST_F(DrivingTest, SteeringMoveAtRestAndWithPitch) {
    race.phase = Countdown;
    race.phaseTimer = 100.0f;
    Vehicle& v = vehicles[0];
    Model& body = vehicleBody(0);
    v.steer = 1.0f;
    body.rotation.yaw = 4.0f;
    updateVehicles();
    EXPECT_NEAR(body.position.x, 0.0f, 1e-5f) << "at speed 0 a level jeepney stays put";
    EXPECT_NEAR(body.position.z, 0.0f, 1e-5f);
    EXPECT_NEAR(body.rotation.yaw, 4.0f - 6.2831853f, 1e-5f) << "yaw is brought into -pi..pi";

    // A pitched jeepney moves even at rest: the rear axle swings under the front one.
    v.steer = 0.0f;
    v.jumpState = Airborne;
    body.position = {0.0f, 5.0f, 0.0f};
    body.rotation = {0.3f, 0.0f, 0.0f};
    updateVehicles();
    EXPECT_NEAR(body.position.y, 5.0f - 6.14f * std::sin(0.3f), 1e-4f);
    EXPECT_NEAR(body.position.z, 6.14f * (1.0f - std::cos(0.3f)), 1e-4f);
    EXPECT_NEAR(body.rotation.pitch, 0.3f + 0.25f * 0.03f, 1e-6f) << "the nose drops in flight";

    // Driving: a level jeepney advances speed * dt along the steered heading.
    v.jumpState = Grounded;
    body.position = {};
    body.rotation = {};
    v.speed = 10.0f;
    v.steer = 0.0f;
    updateVehicles();
    EXPECT_NEAR(body.position.z, 0.3f, 1e-5f);
    v.steer = 1.0f; // positive steer turns right: the yaw goes down
    updateVehicles();
    EXPECT_LT(body.rotation.yaw, 0.0f);
    EXPECT_LT(body.position.x, 0.0f);
}

TEST_F(DrivingTest, RoughGroundSlowsAndIsFlagged) {
    race.phase = Countdown;
    race.phaseTimer = 100.0f;
    makeGrid(5, 5, Open);
    setCellAt(0.0f, 0.0f, Rough);
    Vehicle& v = vehicles[0];
    v.speed = 20.0f;
    vehicleBody(0).position = {};
    updateVehicles();
    EXPECT_FLOAT_EQ(v.speed, 20.0f * 0.985f);
    EXPECT_TRUE(v.roughGround);

    setCellAt(0.0f, 0.0f, VeryRough);
    v.speed = 20.0f;
    vehicleBody(0).position = {};
    updateVehicles();
    EXPECT_FLOAT_EQ(v.speed, 20.0f * 0.985f * 0.97f);
    EXPECT_TRUE(v.roughGround);

    setCellAt(0.0f, 0.0f, Open);
    v.speed = 20.0f;
    vehicleBody(0).position = {};
    updateVehicles();
    EXPECT_FLOAT_EQ(v.speed, 20.0f);
    EXPECT_FALSE(v.roughGround);

    v.speed = 20.0f;
    vehicleBody(0).position = {500.0f, 0.0f, 500.0f};
    v.roughGround = true;
    updateVehicles();
    EXPECT_FALSE(v.roughGround) << "outside the grid there is no rough ground";
}

TEST_F(DrivingTest, GroundedStanceAndLean) {
    Vehicle& v = vehicles[0];
    Model& body = vehicleBody(0);
    body.position.y = 0.5f;
    v.throttle = 1.0f;
    v.speed = 20.0f;
    v.steer = 0.5f;
    updateVehicles();
    EXPECT_EQ(body.position.y, 0.0f);
    EXPECT_FLOAT_EQ(body.rotation.pitch, -0.01f) << "the nose lifts under throttle";
    EXPECT_NEAR(body.rotation.roll, -0.1f * v.speed * 0.5f * 0.03f, 1e-6f);
    EXPECT_FLOAT_EQ(body.transform[12], body.position.x) << "transform rebuilt from the pose";
    EXPECT_FLOAT_EQ(body.transform[14], body.position.z);
}

TEST_F(DrivingTest, AirborneSteersAtAnEighthAndLandsOnOpenGround) {
    Vehicle& v = vehicles[0];
    Model& body = vehicleBody(0);
    v.jumpState = Airborne;
    body.position.y = 3.0f;
    v.speed = 20.0f;
    v.steer = 1.0f;
    updateVehicles();
    EXPECT_FLOAT_EQ(v.steer, 0.125f);
    EXPECT_NEAR(body.rotation.roll, -0.1f * 20.0f * 0.125f * 0.03f, 1e-6f)
        << "the lean uses the reduced steer";
    EXPECT_EQ(v.jumpState, Airborne);

    body.position.y = 0.02f;
    body.rotation.pitch = 0.2f;
    updateVehicles();
    EXPECT_EQ(v.jumpState, Grounded) << "the nose-down pitch carried it below the ground";
    EXPECT_EQ(body.rotation.pitch, 0.0f);
}

TEST_F(DrivingTest, RampZoneWithoutAPlacedRampIsNoRamp) {
    makeGrid(5, 5, Open);
    setCellAt(0.0f, 0.0f, RampZone + 3); // no ramp 3 is placed
    Vehicle& v = vehicles[0];
    v.jumpState = OnRamp;
    vehicleBody(0).position = {0.0f, 0.0f, 0.0f};
    updateVehicles();
    EXPECT_EQ(v.jumpState, Grounded);
    EXPECT_EQ(vehicleBody(0).position.y, 0.0f);
}

TEST_F(DrivingTest, WheelsFollowTheBodyAndStayOnTheGround) {
    Vehicle& v = vehicles[0];
    Model& body = vehicleBody(0);
    body.position = {10.0f, 0.0f, -4.0f};
    body.rotation = {0.0f, 1.570795f, 0.0f};
    composeRotation(body.rotation, body.position, body.transform);
    v.speed = 10.0f;
    v.steer = 1.0f;
    v.wheelSpin = 0.0f;
    updateWheels();
    EXPECT_FLOAT_EQ(v.wheelSpin, 0.3f);
    EXPECT_FLOAT_EQ(v.wheelSteer, -0.5f);
    for (int k = 0; k < 4; ++k) {
        const Vec3 mount = wheelMount(k);
        const Vec3 expected = transformPoint(body.transform, mount.x, mount.y, mount.z);
        const Mat4& w = vehicleWheel(0, k).transform;
        EXPECT_NEAR(w[12], expected.x, 1e-4f) << "wheel " << k;
        EXPECT_NEAR(w[13], expected.y, 1e-4f) << "wheel " << k;
        EXPECT_NEAR(w[14], expected.z, 1e-4f) << "wheel " << k;
    }
    EXPECT_NEAR(wheelMount(3).z, WheelBase, 1e-6f);
    // The rear wheel rolls about the body's x axis; its axle stays the body's x axis.
    const Mat4& rear = vehicleWheel(0, 0).transform;
    EXPECT_NEAR(rear[0], body.transform[0], 1e-5f);
    EXPECT_NEAR(rear[2], body.transform[2], 1e-5f);
    // The front wheel is turned by wheelSteer: its axle is no longer the body's.
    const Mat4& front = vehicleWheel(0, 2).transform;
    const Mat4 steered = multiplyAffine(body.transform, [] {
        Mat4 m{};
        composeRotation({0.3f, -0.5f, 0.0f}, wheelMount(2), m);
        return m;
    }());
    for (int e = 0; e < 16; ++e) {
        EXPECT_NEAR(front[e], steered[e], 1e-5f) << "element " << e;
    }

    body.transform[13] = -0.3f;
    updateWheels();
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(vehicleWheel(0, k).transform[13], 0.66f) << "wheel " << k;
    }
}

TEST(RotateByAngles, MatchesTheRotationOfThePoseMatrix) {
    const Angles angles[] = {{0.3f, -1.2f, 0.4f}, {-0.7f, 2.5f, -0.2f}, {0.0f, 3.0f, 1.0f}};
    const Vec3 v{0.4f, -1.3f, 2.2f};
    for (const Angles& a : angles) {
        Mat4 m{};
        composeRotation(a, {}, m);
        const Vec3 expected = transformPoint(m, v.x, v.y, v.z);
        const Vec3 r = rotateByAngles(v, a.pitch, a.yaw, a.roll);
        EXPECT_NEAR(r.x, expected.x, 1e-5f);
        EXPECT_NEAR(r.y, expected.y, 1e-5f);
        EXPECT_NEAR(r.z, expected.z, 1e-5f);
    }
}

} // namespace
} // namespace tb::testing
