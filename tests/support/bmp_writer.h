#pragma once
// Writes small uncompressed 24-bit BMP files, the format track maps are drawn in.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace tb::test {

// pixels: width x height colours 0xRRGGBB, rows top to bottom. False if the file cannot be written.
inline bool writeBmp(const std::string& path, int width, int height,
                     const std::vector<std::uint32_t>& pixels) {
    const int rowBytes = (width * 3 + 3) & ~3;
    const std::uint32_t imageBytes = static_cast<std::uint32_t>(rowBytes * height);
    std::vector<std::uint8_t> file(54 + imageBytes, 0);
    const auto put = [&file](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, static_cast<std::uint32_t>(file.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, imageBytes, 4);
    for (int y = 0; y < height; ++y) {
        // BMP rows are stored bottom row first.
        const std::size_t row = 54 + static_cast<std::size_t>((height - 1 - y) * rowBytes);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = pixels[static_cast<std::size_t>(y * width + x)];
            const std::size_t at = row + static_cast<std::size_t>(x * 3);
            file[at] = static_cast<std::uint8_t>(c);
            file[at + 1] = static_cast<std::uint8_t>(c >> 8);
            file[at + 2] = static_cast<std::uint8_t>(c >> 16);
        }
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

} // namespace tb::test
