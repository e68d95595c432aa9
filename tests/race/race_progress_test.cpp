// Race phases: the countdown and results timers, restarts, the start grid, laps and the winner.
#include "race/race_fixture.h"

#include "race/game_update.h"

#include <cmath>

namespace tb::testing {
namespace {

class RaceTest : public RaceFixture {
  protected:
    void SetUp() override {
        RaceFixture::SetUp();
        track.startPoint = {-24.0f, -80.0f};
        track.waypointCount = 6;
        setUpdateOptions({});
    }

    static void putAt(int i, float x, float z) { vehicleBody(i).position = {x, 0.0f, z}; }

    // One frame of the race logic as the main loop runs it.
    static void frame() {
        advanceClock(0.03f);
        update();
    }
};

TEST_F(RaceTest, CountdownLastsFiveSecondsOfUpdateFrames) {
    setRacePhase(Countdown);
    EXPECT_FLOAT_EQ(race.raceStartTime, 100.0f) << "the clock read afresh";
    for (int f = 0; f < 166; ++f) {
        stepRacePhase();
    }
    EXPECT_EQ(race.phase, Countdown);
    stepRacePhase();
    EXPECT_EQ(race.phase, Racing);
    const float timer = race.phaseTimer;
    stepRacePhase();
    EXPECT_EQ(race.phaseTimer, timer) << "no timer while racing";
}

TEST_F(RaceTest, RestartPutsEveryJeepneyBackOnTheGrid) {
    for (int i = 0; i < VehicleCount; ++i) {
        Vehicle& v = vehicles[i];
        v.jumpState = Airborne;
        v.speed = 40.0f;
        v.spinRate = 1.0f;
        v.pushVelocity = {1, 2, 3};
        v.lapCount = 2;
        v.nextWaypoint = 3;
    }
    vehicles[0].prevPosition.y = 4.0f;
    setRacePhase(Countdown);
    const float x = track.startPoint.x, z = track.startPoint.z;
    for (int i = 0; i < VehicleCount; ++i) {
        const Vehicle& v = vehicles[i];
        EXPECT_EQ(v.jumpState, Grounded);
        EXPECT_EQ(v.speed, 0.0f);
        EXPECT_EQ(v.spinRate, 0.0f);
        EXPECT_EQ(v.pushVelocity.x + v.pushVelocity.y + v.pushVelocity.z, 0.0f);
        EXPECT_EQ(v.lapCount, 0);
        EXPECT_TRUE(v.checkpointPending);
        EXPECT_EQ(v.nextWaypoint, i < 4 ? 0 : 5) << "vehicle " << i;
    }
    EXPECT_EQ(race.phaseTimer, 5.0f);
    const Model& last = vehicleBody(7);
    EXPECT_FLOAT_EQ(last.position.x, x - 3.64f);
    EXPECT_FLOAT_EQ(last.position.z, z - 20.0f);
    EXPECT_NEAR(last.transform[8], 0.0f, 1e-5f);
    EXPECT_NEAR(last.transform[10], -1.0f, 1e-5f) << "vehicle 7 faces -z";
    EXPECT_FLOAT_EQ(vehicleBody(0).position.x, x + 3.64f);
    EXPECT_FLOAT_EQ(vehicleBody(3).position.z, z + 10.0f);
    EXPECT_NEAR(vehicleBody(0).transform[10], 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(camera.eye.x, x + 3.5f);
    EXPECT_FLOAT_EQ(camera.eye.y, 3.0f);
    EXPECT_FLOAT_EQ(camera.eye.z, z - 15.0f);
    EXPECT_EQ(vehicles[0].prevPosition.y, 0.0f);

    track.waypointCount = 0;
    setRacePhase(Countdown);
    EXPECT_EQ(vehicles[5].nextWaypoint, 0) << "a track without waypoints gives no index -1";
}

TEST_F(RaceTest, HoldingRKeepsTheLightsRed) {
    setRacePhase(Countdown);
    keyState[KeyR] = 1;
    for (int f = 0; f < 300; ++f) {
        frame();
    }
    EXPECT_EQ(race.phase, Countdown);
    EXPECT_NEAR(race.phaseTimer, 5.0f - 0.03f, 1e-5f);
    EXPECT_NEAR(race.raceStartTime, clockSeconds(), 1e-3f);
    keyState[KeyR] = 0;
    for (int f = 0; f < 168; ++f) {
        frame();
    }
    EXPECT_EQ(race.phase, Racing);
}

TEST_F(RaceTest, ALapNeedsTheCheckpointThenTheArch) {
    setRacePhase(Countdown);
    race.phase = Racing;
    const float sx = track.startPoint.x, sz = track.startPoint.z;
    countLaps();
    EXPECT_EQ(vehicles[0].lapCount, 0) << "standing on the line counts nothing";
    putAt(0, 39.0f, 39.0f); // 55.2 from the centre
    countLaps();
    EXPECT_FALSE(vehicles[0].checkpointPending);
    countLaps();
    EXPECT_EQ(vehicles[0].lapCount, 0);
    putAt(0, sx + 19.9f, sz);
    countLaps();
    EXPECT_EQ(vehicles[0].lapCount, 1);
    EXPECT_TRUE(vehicles[0].checkpointPending);
    putAt(0, sx, sz);
    countLaps();
    EXPECT_EQ(vehicles[0].lapCount, 1) << "the arch again without the checkpoint";
    putAt(1, 40.0f, 40.0f); // 56.57 from the centre: just outside
    countLaps();
    EXPECT_TRUE(vehicles[1].checkpointPending);
}

TEST_F(RaceTest, TheLowerIndexWinsATieAndLaterFinishersChangeNothing) {
    setRacePhase(Countdown);
    race.phase = Racing;
    advanceClock(70.0f);
    for (const int i : {3, 5}) {
        vehicles[i].lapCount = 2;
        vehicles[i].checkpointPending = false;
        putAt(i, track.startPoint.x, track.startPoint.z);
    }
    countLaps();
    EXPECT_EQ(race.phase, Finished);
    EXPECT_EQ(race.winner, 3);
    EXPECT_NEAR(race.finishTime, 65.0f, 1e-3f) << "race time from the restart, less 5";
    EXPECT_EQ(vehicles[5].lapCount, 3);
    EXPECT_EQ(race.phaseTimer, 10.0f);

    vehicles[1].lapCount = 2;
    vehicles[1].checkpointPending = false;
    putAt(1, track.startPoint.x, track.startPoint.z);
    countLaps();
    EXPECT_EQ(race.winner, 3);
    EXPECT_EQ(vehicles[1].lapCount, 3);
}

TEST_F(RaceTest, ResultsLastTenSecondsThenTheNextCountdownStartsAtTheArch) {
    setRacePhase(Countdown);
    race.phase = Racing;
    race.winner = 2;
    setRacePhase(Finished);
    putAt(0, 200.0f, 200.0f);
    vehicles[0].throttle = 1.0f;
    vehicles[0].speed = 10.0f;
    for (int f = 0; f < 333; ++f) {
        stepRacePhase();
    }
    EXPECT_EQ(race.phase, Finished);
    EXPECT_GT(vehicles[0].speed, 10.0f) << "jeepneys drive on after the finish";
    advanceClock(12.0f);
    stepRacePhase();
    EXPECT_EQ(race.phase, Countdown);
    EXPECT_FLOAT_EQ(race.raceStartTime, clockSeconds());
    EXPECT_FLOAT_EQ(vehicleBody(0).position.x, track.startPoint.x + 3.64f);
    EXPECT_EQ(vehicles[0].speed, 0.0f);
}

} // namespace
} // namespace tb::testing
