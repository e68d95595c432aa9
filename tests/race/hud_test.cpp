// The head-up display on the overlay's own pixels: start lights, gauge, texts, results line.
#include "race/race_fixture.h"

#include "race/game_update.h"
#include "race/hud.h"
#include "render/overlay.h"

#include <algorithm>
#include <array>
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
    // Red, green, blue, alpha of pixel (x, y) from the top left; rows are stored bottom first.
    static std::array<int, 4> pixel(int x, int y) {
        const std::uint8_t* p = overlayPixels() + 4 * ((overlayHeight() - 1 - y) * 160 + x);
        return {p[2], p[1], p[0], p[3]};
    }
    static std::vector<std::uint8_t> columns(int left, int right) {
        std::vector<std::uint8_t> out;
        for (int y = 0; y < overlayHeight(); ++y) {
            const std::uint8_t* row = overlayPixels() + 4 * y * 160;
            out.insert(out.end(), row + 4 * left, row + 4 * right);
        }
        return out;
    }
    static std::vector<std::uint8_t> hud(int left, int right) {
        drawHud();
        return columns(left, right);
    }
    // The same texts drawn directly in the HUD's red.
    static std::vector<std::uint8_t> texts(std::initializer_list<const char*> lines, int x,
                                           int left, int right) {
        clearOverlay();
        setOverlayColour(0xFF);
        int top = 0;
        for (const char* line : lines) {
            drawOverlayText(line, x, top, 160, top + (lines.size() > 1 ? 10 : 30), 0);
            top += 15;
        }
        finishOverlay();
        return columns(left, right);
    }
    float savedScroll = 0.0f;
};

TEST_F(HudTest, StartLightsRedThenYellowThenGreen) {
    using P = std::array<int, 4>;
    const struct {
        float tau;
        P left, middle, right;
    } steps[] = {
        {4.5f, {255, 0, 0, 255}, {32, 32, 0, 255}, {0, 64, 0, 255}},
        {2.0f, {32, 0, 0, 255}, {255, 255, 0, 255}, {0, 32, 0, 255}},
        {1.0f, {32, 0, 0, 255}, {32, 32, 0, 255}, {0, 255, 0, 255}},
    };
    race.phase = Racing; // a full gauge behind the lights must not show through
    vehicles[0].speed = 100.0f;
    drawHud();
    race.phase = Countdown;
    for (const auto& s : steps) {
        race.phaseTimer = s.tau;
        drawHud();
        EXPECT_EQ(pixel(30, 15), s.left) << "tau " << s.tau;
        EXPECT_EQ(pixel(80, 15), s.middle) << "tau " << s.tau;
        EXPECT_EQ(pixel(130, 15), s.right) << "tau " << s.tau;
        EXPECT_EQ(pixel(55, 15)[3], 0) << "the scene shows between the lights";
    }
    // Three lights of equal width, evenly spaced and centred on the display.
    std::vector<int> centres;
    for (int x = 0, start = -1; x <= 160; ++x) {
        const bool lit = x < 160 && pixel(x, 15)[3] != 0;
        if (lit && start < 0) {
            start = x;
        } else if (!lit && start >= 0) {
            centres.push_back(start + x);
            start = -1;
        }
    }
    EXPECT_EQ(centres, (std::vector<int>{60, 160, 260})) << "twice the centres";
}

TEST_F(HudTest, EachFrameDrawsItUnlessTheRaceIsHeadless) {
    race.phaseTimer = 4.5f;
    for (const bool drawn : {false, true}) {
        clearOverlay();
        finishOverlay();
        setUpdateOptions({.autopilot = false, .drawHud = drawn});
        update();
        EXPECT_EQ(pixel(30, 15)[3] != 0, drawn);
    }
}

TEST_F(HudTest, GaugeStaysEmptyInReverseAndTextsShowTimeAndLaps) {
    race.phase = Racing;
    const auto gaugeAt = [this](float speed) {
        vehicles[0].speed = speed;
        return hud(0, 80);
    };
    const auto empty = gaugeAt(0.0f);
    EXPECT_NE(std::count(empty.end() - 4 * 80 * 10, empty.end(), 0), 4 * 80 * 10)
        << "the \"mph\" caption above the gauge (rows are stored bottom first)";
    EXPECT_EQ(gaugeAt(-30.0f), empty);
    EXPECT_NE(gaugeAt(50.0f), empty);
    EXPECT_EQ(gaugeAt(400.0f), gaugeAt(100.0f)) << "full at 3 units a frame";

    vehicles[0].lapCount = 2;
    race.raceStartTime = 100.0f;
    app.frameClock = 117.34f;
    const auto shown = hud(80, 160);
    EXPECT_EQ(shown, texts({"time:12.34", "laps:2"}, 80, 80, 160));
    EXPECT_NE(shown, texts({"time:12.34", "laps:3"}, 80, 80, 160));
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
        EXPECT_EQ(hud(0, 160), texts({lines[w]}, 0, 0, 160)) << lines[w];
    }
    EXPECT_FLOAT_EQ(resultsScrollX, -2.4f) << "80 pixels a second";
    EXPECT_EQ(hud(0, 160), texts({lines[7]}, -2, 0, 160)) << "drawn at the truncated x";

    resultsScrollX = -239.0f;
    drawHud();
    EXPECT_FLOAT_EQ(resultsScrollX, 160.0f) << "wraps to the right edge";
    EXPECT_EQ(hud(0, 160), texts({""}, 0, 0, 160)) << "nothing shows yet";

    resultsScrollX = -50.0f;
    setRacePhase(Countdown);
    race.phase = Racing;
    setRacePhase(Finished);
    drawHud();
    EXPECT_FLOAT_EQ(resultsScrollX, -52.4f) << "the next results go on from there";
}

} // namespace
} // namespace tb::testing
