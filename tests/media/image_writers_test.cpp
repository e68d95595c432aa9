// Bitmaps written by the generator, read back through the game's own decoder; the JPEG
// writer is held to the generated textures' colours and seams.
#include "image_writers.h"

#include "assets/image_decode.h"
#include "support/temp_media.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tb::media {
namespace {

Image checkerboard(int w, int h) {
    Image image(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.at(x, y) = {static_cast<std::uint8_t>(40 * x + 1),
                              static_cast<std::uint8_t>(60 * y + 2),
                              static_cast<std::uint8_t>((x + y) % 2 ? 250 : 5)};
        }
    }
    return image;
}

void save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Widths of 5 and 6 pixels need 1 and 2 bytes of padding per row; 4 needs none.
TEST(BmpWriter, EveryPixelComesBackInItsRowWhateverTheRowPadding) {
    for (const int width : {4, 5, 6, 7}) {
        test::TempMedia folder;
        const Image image = checkerboard(width, 3);
        save(folder.path("picture.bmp"), encodeBmp(image));
        int w = 0, h = 0;
        const auto pixels = decodeImage("picture.bmp", w, h);
        ASSERT_TRUE(pixels) << width;
        ASSERT_EQ(w, width);
        ASSERT_EQ(h, 3);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = &pixels[(y * w + x) * 3];
                const Rgb want = image.at(x, y);
                EXPECT_EQ(p[0], want.b) << width << " " << x << "," << y;
                EXPECT_EQ(p[1], want.g) << width << " " << x << "," << y;
                EXPECT_EQ(p[2], want.r) << width << " " << x << "," << y;
            }
        }
    }
}

} // namespace
} // namespace tb::media
