// Race phases: the countdown and results timers, restarts, the start grid, laps and the winner.
#include "race/race_fixture.h"

#include "race/game_update.h"

#include <tuple>

namespace tb::testing {
namespace {

class RaceTest : public RaceFixture {
  protected:
    void SetUp() override {
        RaceFixture::SetUp();
        track.startPoint = {-24.0f, -80.0f};
        track.waypointCount = 6;
        setUpdateOptions({});
        setRacePhase(Countdown);
    }
    static void putAt(int i, float x, float z) { vehicleBody(i).position = {x, 0.0f, z}; }
    static void steps(int n) {
        for (int f = 0; f < n; ++f) {
            stepRacePhase();
        }
    }
};

TEST_F(RaceTest, CountdownLastsFiveSecondsAndRHeldKeepsRestarting) {
    EXPECT_FLOAT_EQ(race.raceStartTime, 100.0f) << "the clock read afresh";
    steps(166);
    EXPECT_EQ(race.phase, Countdown);
    steps(1);
    EXPECT_EQ(race.phase, Racing);

    keyState[KeyR] = 1;
    for (int f = 0; f < 300; ++f) {
        advanceClock(0.03f);
        update();
    }
    EXPECT_EQ(race.phase, Countdown);
    EXPECT_NEAR(race.phaseTimer, 4.97f, 1e-5f) << "the lights stay red";
    EXPECT_FLOAT_EQ(race.raceStartTime, clockSeconds());
}

TEST_F(RaceTest, RestartPutsEveryJeepneyBackOnTheGrid) {
    for (Vehicle& v : vehicles) {
        v = Vehicle{1.0f, 0.0f, 40.0f, 1.0f, {1, 2, 3}, {0, 4, 0}, Airborne};
        v.lapCount = 2;
    }
    setRacePhase(Countdown);
    for (int i = 0; i < VehicleCount; ++i) {
        const Vehicle& v = vehicles[i];
        EXPECT_TRUE(v.jumpState == Grounded && v.speed == 0 && v.spinRate == 0 &&
                    v.pushVelocity.z == 0 && v.lapCount == 0 && v.checkpointPending)
            << "vehicle " << i;
        EXPECT_EQ(v.nextWaypoint, i < 4 ? 0 : 5) << "vehicle " << i;
    }
    // Pairs 3.64 either side of the arch, two rows ahead facing +z and two behind facing -z.
    const float rowZ[VehicleCount] = {0, 0, 10, 10, -10, -10, -20, -20};
    for (int i = 0; i < VehicleCount; ++i) {
        const Vec3& p = vehicleBody(i).position;
        EXPECT_FLOAT_EQ(p.x, -24.0f + (i % 2 == 0 ? 3.64f : -3.64f)) << "vehicle " << i;
        EXPECT_FLOAT_EQ(p.z, -80.0f + rowZ[i]) << "vehicle " << i;
        EXPECT_NEAR(vehicleBody(i).transform[10], i < 4 ? 1.0f : -1.0f, 1e-5f) << "vehicle " << i;
    }
    EXPECT_FLOAT_EQ(camera.eye.x, -24.0f + 3.5f);
    EXPECT_FLOAT_EQ(camera.eye.z, -80.0f - 15.0f);
    EXPECT_EQ(vehicles[0].prevPosition.y, 0.0f);

    track.waypointCount = 0;
    setRacePhase(Countdown);
    EXPECT_EQ(vehicles[5].nextWaypoint, 0) << "no waypoint index -1 on a track without any";

    race = {Finished, 7.0f, 30.0f, 63.5f, 5};
    resetRace(); // a level loaded again in the same run, as the soak does
    EXPECT_EQ(std::tuple(race.phase, race.phaseTimer, race.finishTime, race.winner),
              std::tuple(int(Countdown), 0.0f, 0.0f, 0));
}

TEST_F(RaceTest, ALapNeedsTheCheckpointThenTheArch) {
    race.phase = Racing;
    const float sx = track.startPoint.x, sz = track.startPoint.z;
    const struct {
        float x, z;
        int laps;
    } route[] = {{sx, sz, 0},       {40.0f, 40.0f, 0},   {sx, sz, 0},  // 56.57: just outside
                 {39.0f, 39.0f, 0}, {sx + 19.9f, sz, 1}, {sx, sz, 1}}; // the arch again: no lap
    for (const auto& r : route) {
        putAt(0, r.x, r.z);
        countLaps();
        EXPECT_EQ(vehicles[0].lapCount, r.laps) << "at " << r.x << ", " << r.z;
    }
}

TEST_F(RaceTest, StandingOnALapLineInsideTheCheckpointCountsNothing) {
    track.startPoint = {0.0f, 0.0f}; // no arch was built
    setRacePhase(Countdown);
    for (int f = 0; f < 200; ++f) {
        stepRacePhase();
        countLaps();
    }
    EXPECT_EQ(race.phase, Racing);
    for (int i = 0; i < VehicleCount; ++i) {
        EXPECT_EQ(vehicles[i].lapCount, 0) << "vehicle " << i;
    }
    for (const float z : {30.0f, 0.0f, 19.0f, 30.0f, 5.0f}) {
        putAt(0, 0.0f, z);
        countLaps();
    }
    EXPECT_EQ(vehicles[0].lapCount, 2) << "out past the line and back is still a lap";
}

TEST_F(RaceTest, TheLowerIndexWinsATieThenResultsLastTenSeconds) {
    race.phase = Racing;
    advanceClock(70.0f);
    for (const int i : {1, 3, 5}) {
        vehicles[i].lapCount = 2;
        vehicles[i].checkpointPending = i == 1;
        putAt(i, track.startPoint.x, track.startPoint.z);
    }
    countLaps();
    EXPECT_EQ(race.phase, Finished);
    EXPECT_EQ(race.winner, 3);
    EXPECT_NEAR(race.finishTime, 65.0f, 1e-3f);
    EXPECT_EQ(vehicles[5].lapCount, 3);
    vehicles[1].checkpointPending = false;
    countLaps();
    EXPECT_EQ(race.winner, 3) << "a finish during the results changes nothing";
    EXPECT_EQ(vehicles[1].lapCount, 3);

    vehicles[0].throttle = 1.0f;
    steps(333);
    EXPECT_EQ(race.phase, Finished);
    EXPECT_GT(vehicles[0].speed, 0.0f) << "jeepneys drive on after the finish";
    steps(1);
    EXPECT_EQ(race.phase, Countdown);
    EXPECT_FLOAT_EQ(vehicleBody(0).position.x, track.startPoint.x + 3.64f);
}

} // namespace
} // namespace tb::testing
