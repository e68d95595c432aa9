// Rival steering: thresholds, the waypoint switch, the off-road target and the steering.
#include "race/race_fixture.h"

#include "race/game_update.h"
#include "race/opponents.h"

#include <cmath>

namespace tb::testing {
namespace {

class OpponentTest : public RaceFixture {
  protected:
    void SetUp() override {
        RaceFixture::SetUp();
        const Point2 corners[] = {{0, 100}, {100, 100}, {100, 0}, {0, 0}};
        std::copy(std::begin(corners), std::end(corners), track.waypoints.begin());
        track.waypointCount = 4;
        for (Vehicle& v : vehicles) {
            std::copy_n(std::begin({550.0f, 520.0f, 500.0f}), 3, v.approachRadiiSq);
        }
        setRacePhase(Countdown);
    }
    // The steer vehicle 1 gets at (x, z) facing `yaw`.
    static float steerFrom(float x, float z, float yaw) {
        vehicleBody(1).position = {x, 0.0f, z};
        vehicleBody(1).rotation = {0.0f, yaw, 0.0f};
        steerOpponent(1);
        return vehicles[1].steer;
    }
};

TEST_F(OpponentTest, ThrottleStepsDownOnTheApproachAndHoldsOnTheSwitch) {
    for (const auto& [d2, throttle] :
         {std::pair{900.0f, 0.75f}, std::pair{540.0f, 0.25f}, std::pair{510.0f, 0.125f}}) {
        steerFrom(0.0f, 100.0f - std::sqrt(d2), 0.0f);
        EXPECT_EQ(vehicles[1].throttle, throttle) << "d2 " << d2;
    }
    steerFrom(0.0f, 80.0f, 0.0f);
    EXPECT_EQ(vehicles[1].nextWaypoint, 1);
    EXPECT_EQ(vehicles[1].throttle, 0.125f) << "last frame's throttle on the switch";
    steerOpponent(1);
    EXPECT_EQ(vehicles[1].throttle, 0.75f);

    vehicles[1].nextWaypoint = 0;
    vehicles[1].approachRadiiSq[0] = 460.0f;
    vehicles[1].approachRadiiSq[1] = 560.0f;
    steerFrom(0.0f, 100.0f - std::sqrt(500.0f), 0.0f);
    EXPECT_EQ(vehicles[1].throttle, 0.75f) << "R0 is tested first, whatever its size";
}

TEST_F(OpponentTest, ForwardAndReverseRivalsStepThroughTheListWithWrap) {
    const auto arrive = [](int i) {
        const Point2 w = track.waypoints[static_cast<std::size_t>(vehicles[i].nextWaypoint)];
        vehicleBody(i).position = {w.x, 0.0f, w.z};
        steerOpponent(i);
        return vehicles[i].nextWaypoint;
    };
    EXPECT_EQ(vehicles[4].nextWaypoint, 3) << "reverse rivals start at the last waypoint";
    for (const int next : {2, 1, 0, 3}) {
        EXPECT_EQ(arrive(4), next);
    }
    vehicles[3].nextWaypoint = 3;
    EXPECT_EQ(arrive(3), 0);
}

TEST_F(OpponentTest, OffTheRoadTheTargetIsTheNearestPointOfTheSegment) {
    vehicles[1].roughGround = true;
    vehicles[1].nextWaypoint = 0; // from (0, 0) to (0, 100)
    EXPECT_NEAR(steerFrom(20.0f, 50.0f, -1.570795f), 0.0f, 1e-5f) << "(0, 50) straight ahead";
    vehicles[1].nextWaypoint = 1; // from (0, 100) to (100, 100)
    EXPECT_NEAR(steerFrom(50.0f, 80.0f, 0.0f), 0.0f, 1e-5f) << "(50, 100) straight ahead";
    EXPECT_EQ(steerFrom(50.0f, 80.0f, 1.570795f), 1.0f) << "facing +x it lies to the right";
    EXPECT_NEAR(steerFrom(-30.0f, 90.0f, std::atan2(30.0f, 10.0f)), 0.0f, 1e-5f)
        << "beyond the waypoint it came from: back to it";
    EXPECT_NEAR(steerFrom(130.0f, 90.0f, std::atan2(-30.0f, 10.0f)), 0.0f, 1e-5f)
        << "past the next waypoint: on to it";
    vehicles[1].roughGround = false;
    EXPECT_NEAR(steerFrom(50.0f, 80.0f, std::atan2(50.0f, 20.0f)), 0.0f, 1e-5f)
        << "on the road: the waypoint itself";
}

TEST_F(OpponentTest, SteeringWrapsTheAngleAndHasAGainOfTwo) {
    EXPECT_EQ(std::fabs(steerFrom(0.0f, 0.0f, 3.14159f)), 1.0f) << "full lock for a target behind";
    EXPECT_EQ(steerFrom(0.0f, 0.0f, -0.5f), -1.0f) << "0.5 rad to the left";
    EXPECT_NEAR(steerFrom(0.0f, 0.0f, 0.2f), 0.4f, 1e-6f);
    EXPECT_NEAR(steerFrom(0.0f, 0.0f, 0.2f + 3.0f * 6.28318f), 0.4f, 1e-4f) << "a wound-up yaw";
    track.waypoints[0] = {1.41f, -9.9f}; // at angle 3.0: diff 6.0 before wrapping
    EXPECT_GT(steerFrom(0.0f, 0.0f, -3.0f), 0.0f) << "the short way round";
    track.waypoints[0] = {-14.1f, -99.0f}; // at angle -3.0: diff -6.0 before wrapping
    vehicles[1].nextWaypoint = 0;
    EXPECT_NEAR(steerFrom(0.0f, 0.0f, 3.0f), -2.0f * (6.28318f - 6.0f), 2e-3f)
        << "the short way round, the other side";
}

TEST_F(OpponentTest, ATrackWithoutWaypointsLeavesTheRivalsStanding) {
    track.waypointCount = 0;
    for (Vehicle& v : vehicles) {
        v.throttle = v.steer = 0.5f;
    }
    steerOpponents();
    for (int i = 1; i < VehicleCount; ++i) {
        EXPECT_TRUE(vehicles[i].throttle == 0.0f && vehicles[i].steer == 0.0f) << i;
    }
    EXPECT_EQ(vehicles[0].throttle, 0.5f) << "the player is not a rival";
}

TEST_F(OpponentTest, AutopilotDrivesThePlayerByTheRivalsRule) {
    axisY = 1.0f; // the mouse asks for reverse
    setUpdateOptions({true, false});
    update();
    EXPECT_EQ(vehicles[0].throttle, 0.75f);
    setUpdateOptions({});
    update();
    EXPECT_EQ(vehicles[0].throttle, -1.0f);
}

} // namespace
} // namespace tb::testing
