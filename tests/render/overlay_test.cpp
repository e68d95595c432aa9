#include "render/overlay.h"

#include "support/gl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <vector>

namespace tb {
namespace {

struct Pixel {
    std::uint8_t blue, green, red, alpha;
    bool operator==(const Pixel&) const = default;
};

constexpr Pixel Transparent{0, 0, 0, 0};
constexpr Pixel OpaqueWhite{255, 255, 255, 255};

// Surface pixel in top-left coordinates; the rows are stored bottom row first.
Pixel at(int x, int y) {
    const std::uint8_t* p = overlayPixels() + 4 * ((overlayHeight() - 1 - y) * overlayWidth() + x);
    return {p[0], p[1], p[2], p[3]};
}

std::vector<std::uint8_t> surface() {
    return {overlayPixels(), overlayPixels() + 4 * overlayWidth() * overlayHeight()};
}

Pixel opaque(std::uint32_t colour) {
    return {static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
            static_cast<std::uint8_t>(colour), 255};
}

struct Ink {
    int count = 0;
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};

// Where pixels other than transparent lie in the box.
Ink inkIn(int left, int top, int right, int bottom) {
    Ink ink;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (at(x, y) != Transparent) {
                ++ink.count;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
        }
    }
    return ink;
}

class OverlayTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(createOverlay(0, 450, 160, 480, 640, 480, true)); }
    void TearDown() override {
        destroyOverlay();
        setOverlayScale(1);
    }
};

TEST_F(OverlayTest, FreshSurfaceIsTransparentAndPrimitivesNeedASurface) {
    EXPECT_EQ(overlayWidth(), 160);
    EXPECT_EQ(overlayHeight(), 30);
    finishOverlay();
    EXPECT_EQ(inkIn(0, 0, 160, 30).count, 0);

    // Drawing, then clearing, gives the fresh surface back.
    drawOverlayEllipse(0, 0, 160, 30);
    finishOverlay();
    EXPECT_GT(inkIn(0, 0, 160, 30).count, 0);
    clearOverlay();
    EXPECT_EQ(inkIn(0, 0, 160, 30).count, 0);

    destroyOverlay();
    EXPECT_EQ(overlayPixels(), nullptr);
    // The headless race sets colour and font without any surface.
    setOverlayColour(0xFF);
    setOverlayFont(10, false, true, false, "Verdana");
    clearOverlay();
    drawOverlayEllipse(15, 0, 45, 30);
    drawOverlayText("laps:1", 80, 15, 160, 30, OverlayTextLeft);
    drawOverlayGauge(0, 10, 80, 30, 0.5f);
    finishOverlay();
    blitOverlay();
    EXPECT_EQ(overlayPixels(), nullptr);

    EXPECT_FALSE(createOverlay(10, 10, 10, 40, 640, 480, true)) << "no width";
    EXPECT_FALSE(createOverlay(0, 450, 160, 480, 0, 480, true)) << "no reference frame";
}

TEST_F(OverlayTest, StartLightsFillTheirBoxesInTheirColours) {
    const std::array<std::array<int, 2>, 3> boxes = {{{15, 45}, {65, 95}, {115, 145}}};
    const std::array<std::uint32_t, 3> colours = {0x20, 0xFFFF, 0x4000};
    for (int i = 0; i < 3; ++i) {
        setOverlayColour(colours[static_cast<std::size_t>(i)]);
        drawOverlayEllipse(boxes[static_cast<std::size_t>(i)][0], 0,
                           boxes[static_cast<std::size_t>(i)][1], 30);
    }
    finishOverlay();
    EXPECT_EQ(at(30, 15), (Pixel{0, 0, 32, 255})) << "dark red";
    EXPECT_EQ(at(80, 15), (Pixel{0, 255, 255, 255})) << "yellow";
    EXPECT_EQ(at(130, 15), (Pixel{0, 64, 0, 255})) << "dark green";
    drawOverlayEllipse(150, 0, 151, 30);
    drawOverlayEllipse(0, 20, 10, 21);
    finishOverlay();
    EXPECT_EQ(inkIn(149, 0, 152, 30).count, 30) << "one pixel wide, it is a line";
    EXPECT_EQ(inkIn(0, 0, 12, 30).count, 10) << "and so is one a pixel tall";

    for (const auto& [left, right] : boxes) {
        const Ink ink = inkIn(left - 5, 0, right + 5, 30);
        EXPECT_EQ(ink.left, left) << "the left edge is inside the box";
        EXPECT_EQ(ink.right, right - 1) << "the right edge is not";
        EXPECT_EQ(ink.top, 0);
        EXPECT_EQ(ink.bottom, 29);
        EXPECT_EQ(at(left, 0), Transparent) << "round, not square";
        EXPECT_EQ(at(right - 1, 29), Transparent);
        for (int y = 0; y < 30; ++y) {
            for (int i = 0; i < (right - left) / 2; ++i) {
                ASSERT_EQ(at(left + i, y), at(right - 1 - i, y)) << "symmetric at row " << y;
                ASSERT_EQ(at(left + i, y), at(left + i, 29 - y)) << "symmetric at column " << i;
            }
        }
    }
}

TEST_F(OverlayTest, WhiteTextIsOpaqueOnTransparentCells) {
    setOverlayColour(0xFFFFFF);
    setOverlayFont(10, false, true, false, "Verdana");
    drawOverlayText("laps:2", 80, 15, 160, 30, OverlayTextLeft);
    finishOverlay();
    const Ink small = inkIn(0, 0, 160, 30);
    ASSERT_GT(small.count, 20);
    EXPECT_GE(small.left, 80);
    EXPECT_GE(small.top, 15);
    EXPECT_LT(small.bottom, 25) << "a 10-pixel cell";
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 160; ++x) {
            const Pixel p = at(x, y);
            ASSERT_TRUE(p == OpaqueWhite || p == Transparent) << x << "," << y;
        }
    }

    // Over something already drawn, the text's cells are cut out of it.
    clearOverlay();
    setOverlayColour(0xFF);
    drawOverlayEllipse(0, 0, 160, 30);
    setOverlayColour(0xFFFFFF);
    drawOverlayText("mph", 0, 0, 80, 10, OverlayTextCentre);
    finishOverlay();
    int whiteLeft = 80, whiteRight = -1, holes = 0;
    for (int y = 0; y < 10; ++y) {
        for (int x = 20; x < 60; ++x) {
            const Pixel p = at(x, y);
            if (p == OpaqueWhite) {
                whiteLeft = std::min(whiteLeft, x);
                whiteRight = std::max(whiteRight, x);
            }
            holes += p == Transparent;
        }
    }
    EXPECT_GT(holes, 0);
    ASSERT_GE(whiteRight, 0);
    EXPECT_EQ(at(40, 20), opaque(0xFF)) << "below the cell the ellipse stays";
    EXPECT_NEAR(whiteLeft, 79 - whiteRight, 3) << "centred in its rectangle";
    // A line that is a lone carriage return has no cell to paint.
    const std::vector<std::uint8_t> before = surface();
    drawOverlayText("\r\n", 60, 12, 160, 30, OverlayTextLeft);
    finishOverlay();
    EXPECT_EQ(surface(), before);

    // A taller font: the 24-pixel cell holds taller letters.
    clearOverlay();
    setOverlayFont(24, true, true, false, "Verdana");
    drawOverlayText("laps", 0, 0, 160, 30, OverlayTextLeft);
    finishOverlay();
    const Ink large = inkIn(0, 0, 160, 30);
    EXPECT_GE(large.bottom - large.top + 1, 2 * (small.bottom - small.top + 1) - 2);
    EXPECT_LT(large.bottom, 24);

    // An underline leaves one clear row under the letters' feet.
    for (const bool underline : {false, true}) {
        clearOverlay();
        setOverlayFont(24, false, false, underline, "Verdana");
        drawOverlayText("mm", 0, 0, 160, 30, OverlayTextLeft);
        finishOverlay();
    }
    const int feet = inkIn(0, 0, 160, 30).bottom - 2;
    EXPECT_EQ(inkIn(0, feet + 1, 160, feet + 2).count, 0);
    EXPECT_GT(inkIn(0, feet, 160, feet + 1).count, 0);
}

TEST(OverlayScale, WholeTimesTheReferenceHeightThatFit) {
    const std::pair<int, int> heightAndScale[] = {{480, 1}, {600, 1},  {800, 1},  {959, 1},
                                                  {960, 2}, {1080, 2}, {2160, 4}, {100, 1}};
    for (const auto& [height, scale] : heightAndScale) {
        EXPECT_EQ(overlayScaleFor(height), scale) << height;
    }
}

TEST_F(OverlayTest, ScaledHudIsDrawnLargerAndCrispNotBlownUp) {
    setOverlayColour(0xFFFFFF);
    setOverlayFont(10, false, true, false, "Verdana");
    drawOverlayText("time:12.34", 80, 0, 160, 10, OverlayTextLeft);
    finishOverlay();
    const Ink single = inkIn(0, 0, 160, 30);

    setOverlayScale(2);
    ASSERT_EQ(overlayWidth(), 320);
    ASSERT_EQ(overlayHeight(), 60);
    // The pen and font carry over to the new surface.
    drawOverlayText("time:12.34", 80, 0, 160, 10, OverlayTextLeft);
    drawOverlayEllipse(15, 0, 45, 30);
    finishOverlay();
    const Ink text = inkIn(160, 0, 320, 20);
    EXPECT_GE(text.left, 160);
    EXPECT_NEAR(text.bottom - text.top + 1, 2 * (single.bottom - single.top + 1), 3);
    EXPECT_NEAR(text.right - text.left + 1, 2 * (single.right - single.left + 1), 6);
    const Ink light = inkIn(0, 0, 160, 60);
    EXPECT_EQ(light.left, 30);
    EXPECT_EQ(light.right, 89);
    EXPECT_EQ(light.bottom, 59);

    // Letters drawn at twice the size have edges that fall between two surface pixels of the
    // same overlay unit; an enlarged small picture has none.
    int mixedBlocks = 0;
    for (int y = 0; y < 20; y += 2) {
        for (int x = 160; x < 320; x += 2) {
            const Pixel p = at(x, y);
            mixedBlocks += !(at(x + 1, y) == p && at(x, y + 1) == p && at(x + 1, y + 1) == p);
        }
    }
    EXPECT_GT(mixedBlocks, 10);
    setOverlayScale(1);
    EXPECT_EQ(overlayWidth(), 160);
}

TEST_F(OverlayTest, GaugeAtZeroAndOne) {
    setOverlayColour(0xFF);
    drawOverlayGauge(0, 10, 80, 30, 0.0f);
    finishOverlay();
    const Pixel cyan = opaque(0xFFFF00);
    EXPECT_EQ(at(0, 10), cyan) << "background in the complement of the colour";
    EXPECT_EQ(at(79, 29), cyan);
    EXPECT_EQ(at(40, 5), Transparent) << "nothing above the box";
    // The dial's face is a hole: the box shrunk by two on every side, its corners rounded.
    for (const auto& [x, y, hole] : {std::tuple{1, 20, false},
                                     {2, 15, true},
                                     {77, 20, true},
                                     {78, 20, false},
                                     {40, 11, false},
                                     {40, 12, true},
                                     {45, 27, true},
                                     {45, 28, false},
                                     {8, 26, true}}) {
        EXPECT_EQ(at(x, y), hole ? Transparent : cyan) << x << "," << y;
    }
    const Ink empty = inkIn(3, 13, 77, 28);
    int redAtZero = 0;
    for (int y = 13; y < 28; ++y) {
        for (int x = 3; x < 77; ++x) {
            redAtZero += at(x, y) == opaque(0xFF);
        }
    }
    EXPECT_GT(redAtZero, 0) << "a sliver";
    EXPECT_LT(redAtZero, 60);
    EXPECT_LT(empty.left, 40) << "to the upper left";
    // Fractions below zero draw the same sliver.
    const std::vector<std::uint8_t> zero = surface();
    clearOverlay();
    drawOverlayGauge(0, 10, 80, 30, -3.0f);
    finishOverlay();
    EXPECT_EQ(surface(), zero);

    clearOverlay();
    drawOverlayGauge(0, 10, 80, 30, 1.0f);
    finishOverlay();
    EXPECT_EQ(at(40, 16), opaque(0xFF)) << "the top of the dial";
    EXPECT_EQ(at(30, 18), opaque(0xFF));
    EXPECT_EQ(at(50, 18), opaque(0xFF));
    EXPECT_EQ(at(10, 25), Transparent) << "the wedge starts at the box's corner direction";
    int redAtOne = 0;
    for (int y = 10; y < 30; ++y) {
        for (int x = 0; x < 80; ++x) {
            if (at(x, y) == opaque(0xFF)) {
                ++redAtOne;
                EXPECT_LE(y, 28) << "the wedge stays above the centre line";
            }
        }
    }
    EXPECT_GT(redAtOne, 10 * redAtZero);
    EXPECT_EQ(at(81, 20), Transparent) << "nothing outside the box";
}

// ---- on a real frame -------------------------------------------------------------------------

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

Rgb framePixel(int x, int yFromBottom) {
    std::uint8_t rgba[4] = {};
    glReadPixels(x, yFromBottom, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
}

// A white mark in the surface's top-left corner, and a blue frame under it.
void drawMarkedFrame(int width, int height, bool blend, int left = 0) {
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    ASSERT_TRUE(createOverlay(left, 450, left + 160, 480, 640, 480, blend));
    setOverlayColour(0xFFFFFF);
    drawOverlayEllipse(0, 0, 20, 10);
    finishOverlay();
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0.5f, 0.5f, 0.0f); // as the last model drawn may leave it
    blitOverlay();
    glFinish();
    destroyOverlay();
}

// The scene tests see the surface blended over a small window; here it lands in the bottom-left
// corner of a large one, and without blending covers the frame where it is placed.
TEST(OverlayBlit, SurfaceLandsAtTheBottomLeftOfALargeWindowAndCoversItUnblended) {
    if (!test::GlContext::displayAvailable()) {
        GTEST_SKIP() << "needs an X display";
    }
    const Rgb white{255, 255, 255}, blue{0, 0, 255}, black{0, 0, 0};
    test::GlContext gl(1024, 800);
    ASSERT_TRUE(gl.ready());
    drawMarkedFrame(1024, 800, true);
    GLint mode = 0, depth = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(mode, GL_PROJECTION) << "the projection it pushed is popped";
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(framePixel(10, 29 - 5), white) << "surface row 5";
    EXPECT_EQ(framePixel(10, 5), blue) << "the mark is at the top, not the bottom";
    EXPECT_EQ(framePixel(10, 40), blue) << "the surface is 30 pixels tall";
    EXPECT_EQ(framePixel(170, 25), blue) << "and 160 wide";

    drawMarkedFrame(1024, 800, false, 320);
    EXPECT_EQ(framePixel(10, 24), blue) << "placed half way across the reference width";
    EXPECT_EQ(framePixel(512 + 10, 24), white);
    EXPECT_EQ(framePixel(512 + 100, 15), black);
    EXPECT_EQ(framePixel(512 + 165, 15), blue);
}

} // namespace
} // namespace tb
