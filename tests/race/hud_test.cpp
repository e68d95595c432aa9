// The head-up display on the overlay's own pixels: start lights, gauge, texts, results line.
#include "race/race_fixture.h"

#include "race/game_update.h"
#include "race/hud.h"
#include "render/overlay.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tb::testing {
namespace {

class HudTest : public RaceFixture {
  protected:
    void SetUp() override {
        RaceFixture::SetUp();
        ASSERT_TRUE(createOverlay(0, 450, 160, 480, 640, 480, true));
        savedScroll = resultsScrollX;
        setRacePhase(Countdown);
    }
    void TearDown() override {
        destroyOverlay();
        resultsScrollX = savedScroll;
        RaceFixture::TearDown();
    }
    static std::vector<std::uint8_t> surface() {
        return {overlayPixels(), overlayPixels() + 4 * overlayWidth() * overlayHeight()};
    }
    static std::vector<std::uint8_t> drawn(const std::function<void()>& draw) {
        clearOverlay();
        setOverlayColour(0xFF);
        draw();
        finishOverlay();
        return surface();
    }
    // The HUD drawn over whatever the overlay holds, against what it should show drawn straight
    // onto a cleared overlay in its red: the same font on both sides, so no glyph is compared
    // with a picture from another machine.
    static ::testing::AssertionResult hudShows(const std::function<void()>& draw) {
        drawHud();
        const std::vector<std::uint8_t> shown = surface();
        return shown == drawn(draw) ? ::testing::AssertionSuccess()
                                    : ::testing::AssertionFailure() << "other pixels";
    }
    static std::function<void()> line(const char* text, int x) {
        return [=] { drawOverlayText(text, x, 0, 160, 30, OverlayTextLeft); };
    }
    float savedScroll = 0.0f;
};

// Three lights 30 across with 20 between them, centred on the display.
TEST_F(HudTest, StartLightsRedThenYellowThenGreen) {
    const struct {
        float tau;
        std::uint32_t colours[3];
    } steps[] = {
        {4.5f, {0xFF, 0x2020, 0x4000}},
        {2.0f, {0x20, 0xFFFF, 0x2000}},
        {1.0f, {0x20, 0x2020, 0xFF00}},
    };
    race.phase = Racing; // a full gauge behind the lights must not show through
    vehicles[0].speed = 100.0f;
    drawHud();
    race.phase = Countdown;
    for (const auto& s : steps) {
        race.phaseTimer = s.tau;
        const auto lights = [&s] {
            for (int k = 0; k < 3; ++k) {
                setOverlayColour(s.colours[k]);
                drawOverlayEllipse(15 + 50 * k, 0, 45 + 50 * k, 30);
            }
        };
        EXPECT_TRUE(hudShows(lights)) << "tau " << s.tau;
    }
}

TEST_F(HudTest, EachFrameDrawsItUnlessTheRaceIsHeadless) {
    race.phaseTimer = 4.5f;
    const auto blank = drawn([] {});
    for (const bool shown : {false, true}) {
        drawn([] {});
        setUpdateOptions({.autopilot = false, .drawHud = shown});
        update();
        EXPECT_EQ(surface() != blank, shown);
    }
}

// The gauge and "mph" on the left, time and laps on the right; the gauge is empty in reverse
// and full at 3 units a frame.
TEST_F(HudTest, RaceDisplayShowsGaugeTimeAndLapsInTheirBoxes) {
    race.phaseTimer = 0.5f;
    drawHud(); // the green light, which must not linger beside the texts
    race.phase = Racing;
    vehicles[0].lapCount = 2;
    race.raceStartTime = 100.0f;
    app.frameClock = 117.34f;
    const auto display = [](float gauge, const char* laps) {
        return [=] {
            drawOverlayText("mph", 0, 0, 80, 10, OverlayTextCentre);
            drawOverlayGauge(0, 10, 80, 30, gauge);
            drawOverlayText("time:12.34", 80, 0, 160, 10, OverlayTextLeft);
            drawOverlayText(laps, 80, 15, 160, 30, OverlayTextLeft);
        };
    };
    const struct {
        float speed, gauge;
    } cases[] = {{0.0f, 0.0f}, {-30.0f, 0.0f}, {40.0f, 0.4f}, {100.0f, 1.0f}, {400.0f, 1.0f}};
    for (const auto& c : cases) {
        vehicles[0].speed = c.speed;
        EXPECT_TRUE(hudShows(display(c.gauge, "laps:2"))) << "speed " << c.speed;
    }
    EXPECT_FALSE(hudShows(display(1.0f, "laps:3")));
}

TEST_F(HudTest, ResultsNameTheWinnerScrollLeftWrapAndContinue) {
    race.phase = Racing;
    setRacePhase(Finished);
    race.finishTime = 63.5f;
    const char* lines[] = {"YOU WIN! TIME:63.50",      "GOLD WINS! TIME:63.50",
                           "RED WINS! TIME:63.50",     "PURPLE WINS! TIME:63.50",
                           "BLUE #2 WINS! TIME:63.50", "GOLD #2 WINS! TIME:63.50",
                           "RED #2 WINS! TIME:63.50",  "PURPLE #2 WINS! TIME:63.50"};
    for (int w = 0; w < VehicleCount; ++w) {
        race.winner = w;
        resultsScrollX = 0.0f;
        EXPECT_TRUE(hudShows(line(lines[w], 0))) << lines[w];
    }
    EXPECT_FLOAT_EQ(resultsScrollX, -2.4f) << "80 pixels a second";
    EXPECT_TRUE(hudShows(line(lines[7], -2))) << "drawn at the truncated x";
    for (const int nobody : {-1, VehicleCount}) {
        race.winner = nobody;
        EXPECT_TRUE(hudShows([] {})) << "no jeepney " << nobody << ", no line";
    }

    resultsScrollX = -239.0f;
    drawHud();
    EXPECT_FLOAT_EQ(resultsScrollX, 160.0f) << "wraps to the right edge";
    EXPECT_TRUE(hudShows([] {})) << "nothing shows yet";

    resultsScrollX = -50.0f;
    setRacePhase(Countdown);
    race.phase = Racing;
    setRacePhase(Finished);
    drawHud();
    EXPECT_FLOAT_EQ(resultsScrollX, -52.4f) << "the next results go on from there";
}

} // namespace
} // namespace tb::testing
