#include "assets/texture_pixels.h"

#include <cstddef>

namespace tb {
namespace {

constexpr std::uint8_t Opaque = 255;
constexpr std::uint8_t Clear = 0;

std::uint8_t mostlyRedIsClear(int red, int sum) {
    const float share = static_cast<float>(red) / static_cast<float>(sum + 1);
    return share > 0.75f && red > 128 ? Clear : Opaque;
}

} // namespace

TexturePixel texturePixel(std::uint8_t blue, std::uint8_t green, std::uint8_t red, int alphaMode) {
    TexturePixel out{red, green, blue, Opaque};
    const int sum = red + green + blue;
    const auto average = static_cast<std::uint8_t>(sum / 3);
    switch (alphaMode) {
    case AlphaLuminance:
        out.alpha = average;
        break;
    case AlphaIlluminance:
        out.alpha = average;
        if (average < 20) {
            out.red = out.green = out.blue = 0;
        }
        break;
    case AlphaBlackMask:
        out.alpha = sum == 0 ? Clear : Opaque;
        break;
    case AlphaRed:
        out.alpha = sum == 3 * 255 ? Clear : Opaque;
        break;
    case AlphaGreen:
    case AlphaBlue:
    case AlphaRedMask:
    case AlphaGreenMask:
        out.alpha = mostlyRedIsClear(red, sum);
        break;
    default:
        break;
    }
    return out;
}

void widenPixels(std::uint8_t* pixels, int width, int height, int alphaMode) {
    // Backwards, so every three-byte pixel is read before a wider one overwrites its bytes.
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = count; i-- > 0;) {
        const std::uint8_t* in = pixels + 3 * i;
        const TexturePixel p = texturePixel(in[0], in[1], in[2], alphaMode);
        std::uint8_t* out = pixels + 4 * i;
        out[0] = p.red;
        out[1] = p.green;
        out[2] = p.blue;
        out[3] = p.alpha;
    }
}

} // namespace tb
