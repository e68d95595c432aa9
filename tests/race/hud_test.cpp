// The head-up display on the overlay's own pixels: start lights, gauge, texts, results line.
#include "race/race_fixture.h"

#include "race/hud.h"
#include "render/overlay.h"

#include <cstdio>
#include <vector>

namespace tb::testing {
namespace {

struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgba& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

class HudTest : public RaceFixture {
  protected:
    void SetUp() override {
        RaceFixture::SetUp();
        ASSERT_TRUE(createOverlay(0, 450, 160, 480, 640, 480, true));
        ASSERT_EQ(overlayWidth(), 160);
        ASSERT_EQ(overlayHeight(), 30);
        savedScroll = resultsScrollX;
        setRacePhase(Countdown);
    }
    void TearDown() override {
        destroyOverlay();
        resultsScrollX = savedScroll;
        RaceFixture::TearDown();
    }

    // Pixel (x, y) counted from the top left; the surface stores its bottom row first.
    static Rgba pixel(int x, int y) {
        const std::uint8_t* p =
            overlayPixels() + 4 * ((overlayHeight() - 1 - y) * overlayWidth() + x);
        return {p[2], p[1], p[0], p[3]};
    }

    // The pixels of columns left..right-1, all rows.
    static std::vector<std::uint8_t> columns(int left, int right) {
        std::vector<std::uint8_t> out;
        for (int y = 0; y < overlayHeight(); ++y) {
            const std::uint8_t* row = overlayPixels() + 4 * y * overlayWidth();
            out.insert(out.end(), row + 4 * left, row + 4 * right);
        }
        return out;
    }

    static std::vector<std::uint8_t> hudColumns(int left, int right) {
        drawHud();
        return columns(left, right);
    }

    // What a text drawn in the HUD's red at the given place looks like.
    static std::vector<std::uint8_t> referenceText(const char* text, int x, int top, int bottom,
                                                   int left, int right) {
        clearOverlay();
        setOverlayColour(0xFF);
        drawOverlayText(text, x, top, 160, bottom, OverlayTextLeft);
        finishOverlay();
        return columns(left, right);
    }

    float savedScroll = 0.0f;
};

TEST_F(HudTest, StartLightsRedThenYellowThenGreen) {
    const struct {
        float tau;
        Rgba left, middle, right;
    } steps[] = {
        {4.5f, {255, 0, 0, 255}, {32, 32, 0, 255}, {0, 64, 0, 255}},
        {2.0f, {32, 0, 0, 255}, {255, 255, 0, 255}, {0, 32, 0, 255}},
        {1.5f, {32, 0, 0, 255}, {255, 255, 0, 255}, {0, 32, 0, 255}},
        {1.0f, {32, 0, 0, 255}, {32, 32, 0, 255}, {0, 255, 0, 255}},
        {0.1f, {32, 0, 0, 255}, {32, 32, 0, 255}, {0, 255, 0, 255}},
    };
    for (const auto& s : steps) {
        race.phaseTimer = s.tau;
        drawHud();
        EXPECT_EQ(pixel(30, 15), s.left) << "tau " << s.tau;
        EXPECT_EQ(pixel(80, 15), s.middle) << "tau " << s.tau;
        EXPECT_EQ(pixel(130, 15), s.right) << "tau " << s.tau;
        EXPECT_EQ(pixel(55, 15).a, 0) << "between the lights the scene shows through";
        EXPECT_EQ(pixel(2, 15).a, 0);
    }
}

TEST_F(HudTest, GaugeFollowsTheSpeedAndStaysEmptyInReverse) {
    race.phase = Racing;
    vehicles[0].speed = 0.0f;
    const auto empty = hudColumns(0, 80);
    vehicles[0].speed = -30.0f;
    EXPECT_EQ(hudColumns(0, 80), empty) << "reversing leaves the gauge empty";
    vehicles[0].speed = 50.0f;
    const auto half = hudColumns(0, 80);
    EXPECT_NE(half, empty);
    vehicles[0].speed = 100.0f;
    const auto full = hudColumns(0, 80);
    EXPECT_NE(full, half);
    vehicles[0].speed = 400.0f;
    EXPECT_EQ(hudColumns(0, 80), full) << "full at 3 units a frame";
}

TEST_F(HudTest, RaceTimeAndLapsAreShownAsText) {
    race.phase = Racing;
    vehicles[0].lapCount = 2;
    race.raceStartTime = 100.0f;
    app.frameClock = 117.34f;
    const auto hud = hudColumns(80, 160);
    bool anyRed = false;
    for (std::size_t i = 0; i + 3 < hud.size(); i += 4) {
        anyRed |= hud[i + 2] > 128 && hud[i + 3] == 255;
    }
    EXPECT_TRUE(anyRed);
    clearOverlay();
    setOverlayColour(0xFF);
    drawOverlayText("time:12.34", 80, 0, 160, 10, OverlayTextLeft);
    drawOverlayText("laps:2", 80, 15, 160, 30, OverlayTextLeft);
    finishOverlay();
    EXPECT_EQ(columns(80, 160), hud);

    clearOverlay();
    drawOverlayText("time:12.34", 80, 0, 160, 10, OverlayTextLeft);
    drawOverlayText("laps:3", 80, 15, 160, 30, OverlayTextLeft);
    finishOverlay();
    EXPECT_NE(columns(80, 160), hud) << "the comparison sees a different lap count";
}

TEST_F(HudTest, ResultsNameTheWinnerAndScrollLeftThenWrap) {
    race.phase = Racing;
    race.finishTime = 0.0f;
    setRacePhase(Finished);
    race.finishTime = 63.5f;
    const char* lines[] = {"YOU WIN! TIME:63.50",      "GOLD WINS! TIME:63.50",
                           "RED WINS! TIME:63.50",     "PURPLE WINS! TIME:63.50",
                           "BLUE #2 WINS! TIME:63.50", "GOLD #2 WINS! TIME:63.50",
                           "RED #2 WINS! TIME:63.50",  "PURPLE #2 WINS! TIME:63.50"};
    for (int w = 0; w < VehicleCount; ++w) {
        race.winner = w;
        resultsScrollX = 0.0f;
        const auto hud = hudColumns(0, 160);
        EXPECT_EQ(hud, referenceText(lines[w], 0, 0, 30, 0, 160)) << lines[w];
        EXPECT_FLOAT_EQ(resultsScrollX, -2.4f);
    }
    race.winner = 1;
    resultsScrollX = -2.4f;
    EXPECT_EQ(hudColumns(0, 160), referenceText(lines[1], -2, 0, 30, 0, 160))
        << "the line starts at its truncated position";

    resultsScrollX = -239.0f;
    drawHud();
    EXPECT_FLOAT_EQ(resultsScrollX, 160.0f) << "past the left end it wraps to the right edge";
    const auto wrapped = hudColumns(0, 160);
    for (std::size_t i = 3; i < wrapped.size(); i += 4) {
        ASSERT_EQ(wrapped[i], 0) << "nothing shows at the right edge";
    }

    // A new results display continues from where the last one stopped.
    resultsScrollX = -50.0f;
    setRacePhase(Countdown);
    race.phase = Racing;
    setRacePhase(Finished);
    drawHud();
    EXPECT_FLOAT_EQ(resultsScrollX, -52.4f);
}

} // namespace
} // namespace tb::testing
