#pragma once
// The two picture formats the game reads: baseline JPEG (through libjpeg's compressor) and
// uncompressed 24-bit Windows bitmaps, which keep colours exact (track maps, cut-outs).
#include "image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tb::media {

std::vector<std::uint8_t> encodeJpeg(const Image& image, int quality);
// Bottom-up rows of blue, green, red, each padded to a multiple of 4 bytes.
std::vector<std::uint8_t> encodeBmp(const Image& image);

bool writeJpeg(const std::string& path, const Image& image, int quality = 92);
bool writeBmp(const std::string& path, const Image& image);

} // namespace tb::media
