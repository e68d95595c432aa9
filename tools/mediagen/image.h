#pragma once
// Pictures as the generator paints them: 8-bit red, green, blue, rows from the top.
#include <cstdint>
#include <vector>

namespace tb::media {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels; // width x height, row by row from the top

    Image() = default;
    Image(int w, int h, Rgb fill = {});
    Rgb& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const Rgb& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

} // namespace tb::media
