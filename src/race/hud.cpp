#include "race/hud.h"

#include "race/race_progress.h"
#include "race/vehicle.h"
#include "render/overlay.h"
#include "shell/app_state.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace tb {

float resultsScrollX = 0.0f;

namespace {

constexpr std::uint32_t Red = 0xFF;
constexpr std::uint32_t DarkRed = 0x20;
constexpr std::uint32_t Yellow = 0xFFFF;
constexpr std::uint32_t DarkYellow = 0x2020;
constexpr std::uint32_t Green = 0xFF00;
constexpr std::uint32_t DarkGreen = 0x4000;
constexpr std::uint32_t DarkerGreen = 0x2000;

constexpr float ScrollSpeed = 80.0f;
constexpr float ScrollLeftEnd = -240.0f;
constexpr float ScrollRestart = 160.0f;
// The gauge is full at 3 units driven in one frame.
constexpr float GaugeFullDistance = 3.0f;

constexpr const char* ResultsLines[VehicleCount] = {
    "YOU WIN! TIME:%.2f",     "GOLD WINS! TIME:%.2f",      "RED WINS! TIME:%.2f",
    "PURPLE WINS! TIME:%.2f", "BLUE #2 WINS! TIME:%.2f",   "GOLD #2 WINS! TIME:%.2f",
    "RED #2 WINS! TIME:%.2f", "PURPLE #2 WINS! TIME:%.2f",
};

char textBuffer[64];

struct LightColours {
    std::uint32_t left, middle, right;
};

LightColours lightsFor(float tau) {
    if (tau > 2.0f) {
        return {Red, DarkYellow, DarkGreen};
    }
    if (tau > 1.0f) {
        return {DarkRed, Yellow, DarkerGreen};
    }
    return {DarkRed, DarkYellow, Green};
}

void drawLight(std::uint32_t colour, int left) {
    setOverlayColour(colour);
    drawOverlayEllipse(left, 0, left + 30, 30);
}

void drawStartLights() {
    const LightColours lights = lightsFor(race.phaseTimer);
    clearOverlay();
    drawLight(lights.left, 15);
    drawLight(lights.middle, 65);
    drawLight(lights.right, 115);
    finishOverlay();
    setOverlayColour(Red);
}

void drawRaceDisplay() {
    const float dt = app.frameTime;
    clearOverlay();
    drawOverlayText("mph", 0, 0, 80, 10, OverlayTextCentre);
    drawOverlayGauge(0, 10, 80, 30,
                     std::clamp(vehicles[0].speed * dt / GaugeFullDistance, 0.0f, 1.0f));
    std::snprintf(textBuffer, sizeof textBuffer, "time:%.2f",
                  static_cast<double>(app.frameClock - race.raceStartTime - 5.0f));
    drawOverlayText(textBuffer, 80, 0, 160, 10, OverlayTextLeft);
    std::snprintf(textBuffer, sizeof textBuffer, "laps:%i", vehicles[0].lapCount);
    drawOverlayText(textBuffer, 80, 15, 160, 30, OverlayTextLeft);
    finishOverlay();
}

int scrollResults() {
    const int x = static_cast<int>(resultsScrollX);
    resultsScrollX -= ScrollSpeed * app.frameTime;
    if (resultsScrollX < ScrollLeftEnd) {
        resultsScrollX = ScrollRestart;
    }
    return x;
}

void drawResults() {
    clearOverlay();
    const int x = scrollResults();
    if (race.winner >= 0 && race.winner < VehicleCount) {
        std::snprintf(textBuffer, sizeof textBuffer, ResultsLines[race.winner],
                      static_cast<double>(race.finishTime));
        drawOverlayText(textBuffer, x, 0, 160, 30, OverlayTextLeft);
    }
    finishOverlay();
}

} // namespace

void drawHud() {
    switch (race.phase) {
    case Countdown:
        drawStartLights();
        break;
    case Racing:
        drawRaceDisplay();
        break;
    case Finished:
        drawResults();
        break;
    default:
        break;
    }
}

} // namespace tb
