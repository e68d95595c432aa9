#pragma once
// Track maps for tests: 24-bit BMP files, the format maps are drawn in.
#include "support/picture_files.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tb::test {

// pixels: width x height colours 0xRRGGBB, rows top to bottom. False if the file cannot be written.
inline bool writeBmp(const std::string& path, int width, int height,
                     const std::vector<std::uint32_t>& pixels) {
    return writeBitmap(path, width, height, [&](int x, int y) {
        return pixels[static_cast<std::size_t>(y * width + x)];
    });
}

} // namespace tb::test
