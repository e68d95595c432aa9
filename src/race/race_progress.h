#pragma once
// Race phases, the start grid, laps and the winner.
namespace tb {

enum RacePhase : int { Countdown = 0, Racing = 1, Finished = 2 };

struct RaceState {
    int phase = Countdown;
    float phaseTimer = 0.0f;
    float raceStartTime = 0.0f;
    float finishTime = 0.0f;
    int winner = 0;
};

extern RaceState race;

void setRacePhase(int phase);
// The phase step run by updateVehicles before it moves the vehicles.
void stepRacePhase();
void placeStartGrid(float x, float z);
void countLaps();
void resetRace();

} // namespace tb
