#pragma once
// Decodes a ".jpg" or ".bmp" file from the media folder.
#include <cstdint>
#include <memory>

namespace tb {

// width x height x 4 bytes, of which the first width x height x 3 hold blue, green, red
// triples, rows top to bottom, packed; null on failure.
std::unique_ptr<std::uint8_t[]> decodeImage(const char* fileName, int& width, int& height);

} // namespace tb
