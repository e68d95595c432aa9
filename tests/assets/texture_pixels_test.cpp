#include "assets/texture_pixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace tb {
namespace {

// Decoded pixels come as blue, green, red; these helpers speak red, green, blue.
TexturePixel pixel(int red, int green, int blue, int mode) {
    return texturePixel(static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green),
                        static_cast<std::uint8_t>(red), mode);
}

int alphaOf(int red, int green, int blue, int mode) {
    return pixel(red, green, blue, mode).alpha;
}

TEST(TexturePixels, LuminanceModesUseTheRoundedDownAverage) {
    EXPECT_EQ(alphaOf(10, 20, 31, AlphaLuminance), 20);
    EXPECT_EQ(alphaOf(0, 0, 0, AlphaLuminance), 0);
    EXPECT_EQ(alphaOf(255, 255, 255, AlphaLuminance), 255);

    // Below an average of 20 the colour goes black as well.
    const TexturePixel kept = pixel(10, 20, 30, AlphaIlluminance);
    EXPECT_EQ(kept.alpha, 20);
    EXPECT_EQ(kept.red, 10);
    EXPECT_EQ(kept.blue, 30);
    const TexturePixel darkened = pixel(9, 20, 30, AlphaIlluminance);
    EXPECT_EQ(darkened.alpha, 19);
    EXPECT_EQ(darkened.red + darkened.green + darkened.blue, 0);
}

TEST(TexturePixels, MasksCutOutTheirColour) {
    EXPECT_EQ(alphaOf(0, 0, 0, AlphaBlackMask), 0);
    EXPECT_EQ(alphaOf(0, 0, 1, AlphaBlackMask), 255);

    // The RED word cuts out pure white.
    EXPECT_EQ(alphaOf(255, 255, 255, AlphaRed), 0);
    EXPECT_EQ(alphaOf(255, 255, 254, AlphaRed), 255);
    EXPECT_EQ(alphaOf(255, 0, 0, AlphaRed), 255);

    // GREEN, BLUE, RED_MASK and GREEN_MASK all cut out strong red.
    for (const int mode : {AlphaGreen, AlphaBlue, AlphaRedMask, AlphaGreenMask}) {
        EXPECT_EQ(alphaOf(200, 10, 10, mode), 0) << mode;
        EXPECT_EQ(alphaOf(128, 0, 0, mode), 255) << mode; // not above 128
        EXPECT_EQ(alphaOf(129, 0, 0, mode), 0) << mode;
        EXPECT_EQ(alphaOf(150, 25, 24, mode), 255) << mode; // exactly 0.75 is not above it
        EXPECT_EQ(alphaOf(150, 25, 23, mode), 0) << mode;
        EXPECT_EQ(alphaOf(10, 200, 10, mode), 255) << mode;
    }

    for (const int mode : {AlphaNone, AlphaBlueMask, AlphaOther}) {
        EXPECT_EQ(alphaOf(0, 0, 0, mode), 255);
        EXPECT_EQ(alphaOf(255, 0, 0, mode), 255);
    }
    EXPECT_FALSE(alphaModeBlends(AlphaNone));
    EXPECT_TRUE(alphaModeBlends(AlphaBlueMask));
}

TEST(TexturePixels, WideningInPlaceKeepsEveryPixel) {
    // One pixel: the four output bytes overlap the three input bytes.
    std::vector<std::uint8_t> one = {30, 20, 10, 0xEE};
    widenPixels(one.data(), 1, 1, AlphaLuminance);
    EXPECT_EQ(one, (std::vector<std::uint8_t>{10, 20, 30, 20}));

    // 3 x 2 pixels, each distinct, so any byte read after being overwritten shows.
    constexpr int Width = 3, Height = 2, Count = Width * Height;
    std::vector<std::uint8_t> buffer(4 * Count, 0xEE);
    for (int i = 0; i < Count; ++i) {
        buffer[3 * i] = static_cast<std::uint8_t>(i);          // blue
        buffer[3 * i + 1] = static_cast<std::uint8_t>(10 + i); // green
        buffer[3 * i + 2] = static_cast<std::uint8_t>(i == 4 ? 0 : 100 + i);
    }
    widenPixels(buffer.data(), Width, Height, AlphaBlackMask);
    for (int i = 0; i < Count; ++i) {
        EXPECT_EQ(buffer[4 * i], i == 4 ? 0 : 100 + i) << i;
        EXPECT_EQ(buffer[4 * i + 1], 10 + i) << i;
        EXPECT_EQ(buffer[4 * i + 2], i) << i;
        EXPECT_EQ(buffer[4 * i + 3], 255) << i;
    }
    std::vector<std::uint8_t> black = {0, 0, 0, 9, 9, 9, 0xEE, 0xEE};
    widenPixels(black.data(), 2, 1, AlphaBlackMask);
    EXPECT_EQ(black, (std::vector<std::uint8_t>{0, 0, 0, 0, 9, 9, 9, 255}));
}

} // namespace
} // namespace tb
