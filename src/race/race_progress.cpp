#include "race/race_progress.h"

#include "race/camera.h"
#include "race/vehicle.h"
#include "render/overlay.h"
#include "shell/app_state.h"
#include "shell/clock.h"
#include "track/track_grid.h"
#include "track/transform.h"

namespace tb {

RaceState race;

namespace {

constexpr float CountdownLength = 5.0f;
constexpr float ResultsLength = 10.0f;
constexpr int LapsToWin = 3;
constexpr float LapLineSq = 400.0f;
constexpr float CheckpointSq = 3200.0f;
constexpr std::uint32_t HudRed = 0xFF;
constexpr float HalfTurn = 3.14159f;

struct GridPlace {
    float dx;
    float dz;
    float yaw;
};

// Vehicles 0 to 3 face +z at the arch, 4 to 7 face -z behind it.
constexpr GridPlace StartGrid[VehicleCount] = {
    {3.64f, 0.0f, 0.0f},       {-3.64f, 0.0f, 0.0f},       {3.64f, 10.0f, 0.0f},
    {-3.64f, 10.0f, 0.0f},     {3.64f, -10.0f, HalfTurn},  {-3.64f, -10.0f, HalfTurn},
    {3.64f, -20.0f, HalfTurn}, {-3.64f, -20.0f, HalfTurn},
};

bool drivesReverse(int i) {
    return i >= 4;
}

void resetForStart() {
    const int lastWaypoint = track.waypointCount > 0 ? track.waypointCount - 1 : 0;
    for (int i = 0; i < VehicleCount; ++i) {
        Vehicle& v = vehicles[i];
        v.jumpState = Grounded;
        v.spinRate = 0.0f;
        v.speed = 0.0f;
        v.checkpointPending = true;
        v.lapCount = 0;
        v.pushVelocity = {};
        v.nextWaypoint = drivesReverse(i) ? lastWaypoint : 0;
    }
}

void enterCountdown() {
    race.raceStartTime = clockSeconds();
    resetForStart();
    race.phaseTimer = CountdownLength;
    setOverlayColour(HudRed);
    setOverlayFont(10, false, true, false, "Verdana");
    placeStartGrid(track.startPoint.x, track.startPoint.z);
}

void enterFinished() {
    race.phaseTimer = ResultsLength;
    setOverlayFont(24, true, true, false, "Verdana");
    race.finishTime = app.frameClock - race.raceStartTime - CountdownLength;
}

float squaredDistance(const Vec3& p, float x, float z) {
    const float dx = p.x - x, dz = p.z - z;
    return dx * dx + dz * dz;
}

bool onLapLine(const Vec3& p) {
    return squaredDistance(p, track.startPoint.x, track.startPoint.z) < LapLineSq;
}

// An arch near the grid centre (or none at all, leaving the start at the origin) puts the lap
// line inside the checkpoint; the checkpoint only counts off the line, or jeepneys standing
// on the grid would run up laps without moving.
bool atCheckpoint(const Vec3& p) {
    return squaredDistance(p, 0.0f, 0.0f) < CheckpointSq && !onLapLine(p);
}

void countLap(int i) {
    Vehicle& v = vehicles[i];
    const Vec3& p = vehicleBody(i).position;
    if (v.checkpointPending) {
        if (atCheckpoint(p)) {
            v.checkpointPending = false;
        }
        return;
    }
    if (onLapLine(p)) {
        ++v.lapCount;
        v.checkpointPending = true;
        if (v.lapCount >= LapsToWin && race.phase == Racing) {
            race.winner = i;
            setRacePhase(Finished);
        }
    }
}

} // namespace

void setRacePhase(int phase) {
    race.phase = phase;
    if (phase == Countdown) {
        enterCountdown();
    } else if (phase == Finished) {
        enterFinished();
    }
}

void stepRacePhase() {
    const float dt = app.frameTime;
    switch (race.phase) {
    case Countdown:
        revEngines();
        race.phaseTimer -= dt;
        if (race.phaseTimer < 0.0f) {
            race.phase = Racing;
        }
        break;
    case Racing:
        integrateDrive();
        break;
    case Finished:
        integrateDrive();
        race.phaseTimer -= dt;
        if (race.phaseTimer < 0.0f) {
            setRacePhase(Countdown);
        }
        break;
    default:
        break;
    }
}

void placeStartGrid(float x, float z) {
    camera.eye = {x + 3.5f, 3.0f, z - 15.0f};
    camera.up = {0.0f, 1.0f, 0.0f};
    vehicles[0].prevPosition.y = 0.0f;
    for (int i = 0; i < VehicleCount; ++i) {
        Model& body = vehicleBody(i);
        body.position = {x + StartGrid[i].dx, 0.0f, z + StartGrid[i].dz};
        body.rotation = {0.0f, StartGrid[i].yaw, 0.0f};
        composeRotation(body.rotation, body.position, body.transform);
    }
}

void countLaps() {
    for (int i = 0; i < VehicleCount; ++i) {
        countLap(i);
    }
}

void resetRace() {
    race = RaceState{};
}

} // namespace tb
