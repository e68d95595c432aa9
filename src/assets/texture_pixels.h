#pragma once
// How decoded picture bytes become texture pixels: the alpha channel each model alpha mode
// makes from the colours. Plain functions, no graphics library.
#include <cstdint>

namespace tb {

// The alpha mode words of the model file, by code.
enum AlphaModeCode : int {
    AlphaNone = 0,
    AlphaLuminance = 1,
    AlphaIlluminance = 2,
    AlphaBlackMask = 3,
    AlphaRed = 4,
    AlphaGreen = 5,
    AlphaBlue = 6,
    AlphaRedMask = 7,
    AlphaGreenMask = 8,
    AlphaBlueMask = 9,
    AlphaOther = 10,
};

struct TexturePixel {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;
};

// The texture pixel for one decoded pixel under the given alpha mode.
TexturePixel texturePixel(std::uint8_t blue, std::uint8_t green, std::uint8_t red, int alphaMode);

// Turns width x height packed blue, green, red triples into red, green, blue, alpha quads in
// the same buffer (which must hold width x height x 4 bytes).
void widenPixels(std::uint8_t* pixels, int width, int height, int alphaMode);

// Any mode but NONE needs an alpha channel and makes the model draw with blending.
constexpr bool alphaModeBlends(int alphaMode) {
    return alphaMode != AlphaNone;
}

} // namespace tb
