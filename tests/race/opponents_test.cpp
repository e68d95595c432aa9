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
        // A square circuit, corners in driving order.
        const Point2 corners[] = {{0, 100}, {100, 100}, {100, 0}, {0, 0}};
        for (int k = 0; k < 4; ++k) {
            track.waypoints[static_cast<std::size_t>(k)] = corners[k];
        }
        track.waypointCount = 4;
        for (Vehicle& v : vehicles) {
            v.approachRadiiSq[0] = 550.0f;
            v.approachRadiiSq[1] = 520.0f;
            v.approachRadiiSq[2] = 500.0f;
        }
    }

    // Vehicle i, facing +z, at the given squared distance below waypoint 0.
    static void standBelowFirstWaypoint(int i, float d2) {
        vehicleBody(i).position = {0.0f, 0.0f, 100.0f - std::sqrt(d2)};
        vehicleBody(i).rotation = {};
        vehicles[i].nextWaypoint = 0;
    }
};

TEST_F(OpponentTest, ThrottleStepsDownOnTheApproachAndHoldsOnTheSwitch) {
    const struct { float d2, throttle; } approach[] = {{900, 0.75f}, {540, 0.25f}, {510, 0.125f}};
    for (const auto& a : approach) {
        standBelowFirstWaypoint(1, a.d2);
        steerOpponent(1);
        EXPECT_EQ(vehicles[1].throttle, a.throttle) << "d2 " << a.d2;
        EXPECT_EQ(vehicles[1].nextWaypoint, 0);
    }
    standBelowFirstWaypoint(1, 400);
    steerOpponent(1);
    EXPECT_EQ(vehicles[1].nextWaypoint, 1);
    EXPECT_EQ(vehicles[1].throttle, 0.125f) << "last frame's throttle on the switch";
    steerOpponent(1);
    EXPECT_EQ(vehicles[1].throttle, 0.75f) << "far from the new waypoint";

    vehicles[2].approachRadiiSq[0] = 460.0f;
    vehicles[2].approachRadiiSq[1] = 560.0f;
    standBelowFirstWaypoint(2, 500);
    steerOpponent(2);
    EXPECT_EQ(vehicles[2].throttle, 0.75f) << "R0 is tested first, whatever its size";
}

TEST_F(OpponentTest, ForwardAndReverseRivalsStepThroughTheListWithWrap) {
    setRacePhase(Countdown);
    EXPECT_EQ(vehicles[1].nextWaypoint, 0);
    EXPECT_EQ(vehicles[4].nextWaypoint, 3) << "reverse rivals start at the last waypoint";
    const auto arriveAt = [](int i) {
        const Point2 w = track.waypoints[static_cast<std::size_t>(vehicles[i].nextWaypoint)];
        vehicleBody(i).position = {w.x, 0.0f, w.z};
        steerOpponent(i);
        return vehicles[i].nextWaypoint;
    };
    EXPECT_EQ(arriveAt(4), 2);
    EXPECT_EQ(arriveAt(4), 1);
    EXPECT_EQ(arriveAt(4), 0);
    EXPECT_EQ(arriveAt(4), 3) << "wraps from 0 to the end";
    vehicles[3].nextWaypoint = 3;
    EXPECT_EQ(arriveAt(3), 0) << "wraps from the end to 0";
}

TEST_F(OpponentTest, OffTheRoadTheTargetIsTheNearestPointOfTheSegment) {
    // Vehicle 1 heads from waypoint 0 (0, 100) to waypoint 1 (100, 100).
    Vehicle& v = vehicles[1];
    v.roughGround = true;
    v.nextWaypoint = 1;
    Model& body = vehicleBody(1);
    const auto steerFrom = [&](float x, float z, float yaw) {
        body.position = {x, 0.0f, z};
        body.rotation = {0.0f, yaw, 0.0f};
        steerOpponent(1);
        return v.steer;
    };
    // Beside the middle of the segment: the target is the nearest point (50, 100), straight
    // ahead of a rival facing +z, not the waypoint off to its right.
    EXPECT_NEAR(steerFrom(50.0f, 80.0f, 0.0f), 0.0f, 1e-5f);
    // Facing +x the same point lies to the right (lower yaw): full right lock.
    EXPECT_EQ(steerFrom(50.0f, 80.0f, 1.570795f), 1.0f);
    // Beyond the waypoint it came from (k > L): back to waypoint 0, behind it to the right.
    const float towardsFrom = std::atan2(0.0f - (-30.0f), 100.0f - 90.0f);
    EXPECT_NEAR(steerFrom(-30.0f, 90.0f, towardsFrom), 0.0f, 1e-5f);
    // Already past the next waypoint (k <= 0): on to waypoint 1.
    const float towardsNext = std::atan2(100.0f - 130.0f, 100.0f - 90.0f);
    EXPECT_NEAR(steerFrom(130.0f, 90.0f, towardsNext), 0.0f, 1e-5f);
    // On the road the rival aims at the waypoint itself, not the segment.
    v.roughGround = false;
    const float towardsWaypoint = std::atan2(100.0f - 50.0f, 100.0f - 80.0f);
    EXPECT_NEAR(steerFrom(50.0f, 80.0f, towardsWaypoint), 0.0f, 1e-5f);
}

TEST_F(OpponentTest, SteeringWrapsTheAngleAndHasAGainOfTwo) {
    Vehicle& v = vehicles[1];
    Model& body = vehicleBody(1);
    v.nextWaypoint = 0; // (0, 100)
    body.position = {0.0f, 0.0f, 0.0f};
    body.rotation.yaw = 3.14159f; // the waypoint is straight behind
    steerOpponent(1);
    EXPECT_EQ(std::fabs(v.steer), 1.0f);

    body.rotation.yaw = -0.5f; // the waypoint is 0.5 rad to the left
    steerOpponent(1);
    EXPECT_EQ(v.steer, -1.0f);
    body.rotation.yaw = 0.2f; // 0.2 rad to the right
    steerOpponent(1);
    EXPECT_NEAR(v.steer, 0.4f, 1e-6f);
    body.rotation.yaw = 0.2f + 6.28318f * 3.0f; // wound up: the same heading
    steerOpponent(1);
    EXPECT_NEAR(v.steer, 0.4f, 1e-4f);
    body.rotation.yaw = -3.0f; // diff 3.0 crosses the half turn and wraps
    body.position = {0.0f, 0.0f, 0.0f};
    track.waypoints[0] = {1.41f, -9.9f}; // at angle 3.0, diff 6.0 before wrapping
    steerOpponent(1);
    EXPECT_GT(v.steer, 0.0f) << "the short way round";
}

TEST_F(OpponentTest, ATrackWithoutWaypointsLeavesTheRivalsStanding) {
    track.waypointCount = 0;
    setRacePhase(Countdown);
    for (Vehicle& v : vehicles) {
        v.throttle = 0.5f;
        v.steer = 0.5f;
    }
    steerOpponents();
    for (int i = 1; i < VehicleCount; ++i) {
        EXPECT_EQ(vehicles[i].throttle, 0.0f) << "vehicle " << i;
        EXPECT_EQ(vehicles[i].steer, 0.0f) << "vehicle " << i;
    }
    EXPECT_EQ(vehicles[0].throttle, 0.5f) << "the player is not a rival";
}

TEST_F(OpponentTest, AutopilotDrivesThePlayerByTheRivalsRule) {
    setRacePhase(Countdown);
    axisY = 1.0f; // the mouse asks for reverse
    setUpdateOptions({true, false});
    update();
    EXPECT_EQ(vehicles[0].throttle, 0.75f);
    setUpdateOptions({});
    update();
    EXPECT_EQ(vehicles[0].throttle, -1.0f) << "without autopilot the mouse drives";
    axisX = 0.5f;
    update();
    EXPECT_EQ(vehicles[0].steer, 0.5f);
}

} // namespace
} // namespace tb::testing
