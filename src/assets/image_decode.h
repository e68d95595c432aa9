#pragma once
// Decodes a ".jpg" or ".bmp" file from the media folder.
#include <cstdint>
#include <memory>

namespace tb {

// Without a graphics library to ask, the largest picture side accepted: 256 MB of pixels.
constexpr int HeadlessImageSideLimit = 8192;

// Pictures wider or taller than this are refused; 0 or less restores the headless limit. The
// texture registry sets the graphics library's maximum texture size once a context exists.
void setImageSideLimit(int pixels);

// width x height x 4 bytes, of which the first width x height x 3 hold blue, green, red
// triples, rows top to bottom, packed; null on failure.
std::unique_ptr<std::uint8_t[]> decodeImage(const char* fileName, int& width, int& height);

} // namespace tb
