#pragma once
// Writes small pictures for tests of the decoder and the texture registry: 24-bit bitmaps
// through SDL and JPEG files through libjpeg.
#include <SDL.h>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace tb::test {

// colourAt(x, y) gives 0xRRGGBB; rows run top to bottom.
inline bool writeBitmap(const std::string& path, int width, int height,
                        const std::function<std::uint32_t(int x, int y)>& colourAt) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24);
    if (s == nullptr) {
        return false;
    }
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<std::uint8_t*>(s->pixels) + y * s->pitch;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = colourAt(x, y);
            row[3 * x] = static_cast<std::uint8_t>(c >> 16);
            row[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(c);
        }
    }
    const bool saved = SDL_SaveBMP(s, path.c_str()) == 0;
    SDL_FreeSurface(s);
    return saved;
}

inline bool writeBitmap(const std::string& path, int width, int height, std::uint32_t rgb) {
    return writeBitmap(path, width, height, [rgb](int, int) { return rgb; });
}

// pixels: width x height x components bytes (red, green, blue or grey), rows top to bottom.
inline bool writeJpeg(const std::string& path, int width, int height, int components,
                      const std::vector<std::uint8_t>& pixels) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const std::size_t offset =
            static_cast<std::size_t>(info.next_scanline) * width * components;
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + offset);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

} // namespace tb::test
