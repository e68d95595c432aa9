#include "assets/image_decode.h"
#include "support/jpeg_writer.h"
#include "support/temp_media.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tb {
namespace {

// A 24-bit bitmap through SDL; colour of pixel (x, y) = (red 10x + 1, green 10y + 2, blue 7).
bool writeGradientBitmap(const std::string& path, int width, int height) {
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_BGR24);
    if (surface == nullptr) {
        return false;
    }
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch;
        for (int x = 0; x < width; ++x) {
            row[3 * x] = 7;
            row[3 * x + 1] = static_cast<std::uint8_t>(10 * y + 2);
            row[3 * x + 2] = static_cast<std::uint8_t>(10 * x + 1);
        }
    }
    const bool saved = SDL_SaveBMP(surface, path.c_str()) == 0;
    SDL_FreeSurface(surface);
    return saved;
}

bool near(int actual, int expected) {
    return std::abs(actual - expected) <= 3;
}

class ImageDecodeTest : public ::testing::Test {
  protected:
    std::unique_ptr<std::uint8_t[]> decode(const char* name) {
        width = height = -1;
        return decodeImage(name, width, height);
    }

    test::TempMedia media;
    int width = -1;
    int height = -1;
};

TEST_F(ImageDecodeTest, BitmapsOfEveryWidthComeOutPackedTopRowFirst) {
    for (const int w : {1, 2, 3, 5, 8}) {
        ASSERT_TRUE(writeGradientBitmap(media.path("g.bmp"), w, 3));
        const auto pixels = decode("g.bmp");
        ASSERT_TRUE(pixels) << w;
        EXPECT_EQ(width, w);
        EXPECT_EQ(height, 3);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = pixels.get() + 3 * (y * w + x);
                EXPECT_EQ(p[0], 7);
                EXPECT_EQ(p[1], 10 * y + 2) << w << " " << x << "," << y;
                EXPECT_EQ(p[2], 10 * x + 1) << w << " " << x << "," << y;
            }
        }
    }
}

TEST_F(ImageDecodeTest, PalettedBitmapsAreConverted) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 3, 1, 8, SDL_PIXELFORMAT_INDEX8);
    ASSERT_NE(surface, nullptr);
    const SDL_Color colours[2] = {{200, 100, 50, 255}, {1, 2, 3, 255}};
    SDL_SetPaletteColors(surface->format->palette, colours, 0, 2);
    static_cast<std::uint8_t*>(surface->pixels)[1] = 1;
    ASSERT_EQ(SDL_SaveBMP(surface, media.path("p.bmp").c_str()), 0);
    SDL_FreeSurface(surface);

    const auto pixels = decode("p.bmp");
    ASSERT_TRUE(pixels);
    EXPECT_EQ(width, 3);
    EXPECT_EQ((std::vector<int>(pixels.get(), pixels.get() + 9)),
              (std::vector<int>{50, 100, 200, 3, 2, 1, 50, 100, 200}));
}

TEST_F(ImageDecodeTest, JpegColoursComeOutBlueGreenRed) {
    std::vector<std::uint8_t> rgb;
    for (int i = 0; i < 16 * 8; ++i) {
        rgb.insert(rgb.end(), {220, 120, 20});
    }
    ASSERT_TRUE(test::writeJpeg(media.path("c.jpg"), 16, 8, 3, rgb));
    const auto pixels = decode("c.jpg");
    ASSERT_TRUE(pixels);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 8);
    const std::uint8_t* last = pixels.get() + 3 * (16 * 8 - 1);
    EXPECT_TRUE(near(last[0], 20) && near(last[1], 120) && near(last[2], 220))
        << int(last[0]) << " " << int(last[1]) << " " << int(last[2]);

    // Greyscale pictures become three equal bytes per pixel.
    std::vector<std::uint8_t> grey(5 * 3);
    for (std::size_t i = 0; i < grey.size(); ++i) {
        grey[i] = i < 5 ? 40 : 200;
    }
    ASSERT_TRUE(test::writeJpeg(media.path("g.jpg"), 5, 3, 1, grey));
    const auto greyPixels = decode("g.jpg");
    ASSERT_TRUE(greyPixels);
    EXPECT_EQ(width, 5);
    const std::uint8_t* top = greyPixels.get();
    const std::uint8_t* bottom = greyPixels.get() + 3 * 14;
    EXPECT_TRUE(top[0] == top[1] && top[1] == top[2]);
    EXPECT_TRUE(near(top[0], 40) && near(bottom[2], 200)) << int(top[0]) << " " << int(bottom[2]);
}

TEST_F(ImageDecodeTest, TypeComesFromTheLastThreeCharactersInAnyCase) {
    const std::vector<std::uint8_t> rgb(4 * 4 * 3, 128);
    for (const char* name : {"a.jpg", "b.JPG", "c.JpG", "djpg"}) {
        ASSERT_TRUE(test::writeJpeg(media.path(name), 4, 4, 3, rgb));
        EXPECT_TRUE(decode(name)) << name;
    }
    ASSERT_TRUE(writeGradientBitmap(media.path("e.BMP"), 2, 2));
    EXPECT_TRUE(decode("e.BMP"));

    for (const char* name : {"f.jpeg", "g.png", "pg"}) {
        ASSERT_TRUE(test::writeJpeg(media.path(name), 4, 4, 3, rgb));
        EXPECT_FALSE(decode(name)) << name;
    }
    // Content that does not match its ending is refused, not misread.
    ASSERT_TRUE(test::writeJpeg(media.path("h.bmp"), 4, 4, 3, rgb));
    EXPECT_FALSE(decode("h.bmp"));
    EXPECT_FALSE(decode("missing.jpg"));
}

TEST_F(ImageDecodeTest, BrokenFilesFailWithoutEndingTheGame) {
    media.write("junk.jpg", "not a jpeg at all");
    EXPECT_FALSE(decode("junk.jpg"));
    media.write("empty.jpg", "");
    EXPECT_FALSE(decode("empty.jpg"));
    media.write("junk.bmp", "BM but nothing else");
    EXPECT_FALSE(decode("junk.bmp"));

    // A header that claims an enormous picture is refused before anything is allocated.
    std::string huge(54, '\0');
    huge[0] = 'B';
    huge[1] = 'M';
    huge[14] = 40;
    huge[18] = huge[19] = huge[20] = '\x7f'; // width 0x007f7f7f
    huge[22] = huge[23] = '\x7f';            // height 0x7f7f
    huge[26] = 1;
    huge[28] = 24;
    media.write("huge.bmp", huge);
    EXPECT_FALSE(decode("huge.bmp"));

    // A JPEG cut short still gives a picture of its stated size (the rest is filled in).
    std::vector<std::uint8_t> rgb(32 * 32 * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        rgb[i] = static_cast<std::uint8_t>(i * 31);
    }
    ASSERT_TRUE(test::writeJpeg(media.path("whole.jpg"), 32, 32, 3, rgb));
    std::FILE* f = std::fopen(media.path("whole.jpg").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::string bytes(4096, '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    media.write("cut.jpg", bytes.substr(0, bytes.size() / 2));
    const auto cut = decode("cut.jpg");
    ASSERT_TRUE(cut);
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 32);
}

} // namespace
} // namespace tb
