#include "assets/image_decode.h"
#include "support/picture_files.h"
#include "support/temp_media.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tb {
namespace {

// Pixel (x, y) of the test bitmaps: red 10x + 1, green 10y + 2, blue 7.
std::uint32_t gradient(int x, int y) {
    return static_cast<std::uint32_t>((10 * x + 1) << 16 | (10 * y + 2) << 8 | 7);
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
        ASSERT_TRUE(test::writeBitmap(media.path("g.bmp"), w, 3, gradient));
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

TEST_F(ImageDecodeTest, JpegColoursComeOutBlueGreenRedAndGreyIsExpanded) {
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
    EXPECT_TRUE(near(last[0], 20) && near(last[1], 120) && near(last[2], 220));

    std::vector<std::uint8_t> grey(5 * 3, 200);
    std::fill(grey.begin(), grey.begin() + 5, 40);
    ASSERT_TRUE(test::writeJpeg(media.path("g.jpg"), 5, 3, 1, grey));
    const auto greyPixels = decode("g.jpg");
    ASSERT_TRUE(greyPixels);
    EXPECT_EQ(width, 5);
    const std::uint8_t* top = greyPixels.get();
    const std::uint8_t* bottom = greyPixels.get() + 3 * 14;
    EXPECT_TRUE(top[0] == top[1] && top[1] == top[2]);
    EXPECT_TRUE(near(top[0], 40) && near(bottom[2], 200));
}

TEST_F(ImageDecodeTest, TypeComesFromTheLastThreeCharactersInAnyCase) {
    const std::vector<std::uint8_t> rgb(4 * 4 * 3, 128);
    for (const char* name : {"a.jpg", "b.JPG", "c.JpG", "djpg"}) {
        ASSERT_TRUE(test::writeJpeg(media.path(name), 4, 4, 3, rgb));
        EXPECT_TRUE(decode(name)) << name;
    }
    ASSERT_TRUE(test::writeBitmap(media.path("e.BMP"), 2, 2, gradient));
    EXPECT_TRUE(decode("e.BMP"));

    for (const char* name : {"f.jpeg", "g.png", "pg", "h.bmp"}) {
        ASSERT_TRUE(test::writeJpeg(media.path(name), 4, 4, 3, rgb));
        EXPECT_FALSE(decode(name)) << name;
    }
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
    huge[18] = huge[19] = huge[20] = '\x7f';
    huge[22] = huge[23] = '\x7f';
    huge[26] = 1;
    huge[28] = 24;
    media.write("huge.bmp", huge);
    EXPECT_FALSE(decode("huge.bmp"));
}

TEST_F(ImageDecodeTest, PicturesUpToTheSideLimitAreTakenWhateverTheirPixelCount) {
    // 20 million pixels: a graphics library takes it, so the decoder must too.
    const std::vector<std::uint8_t> grey(5000 * 4000, 90);
    ASSERT_TRUE(test::writeJpeg(media.path("big.jpg"), 5000, 4000, 1, grey));
    EXPECT_TRUE(decode("big.jpg"));
    EXPECT_EQ(width, 5000);
    setImageSideLimit(4999);
    EXPECT_FALSE(decode("big.jpg"));
    setImageSideLimit(0);
    EXPECT_TRUE(decode("big.jpg")) << "back to the headless limit";
}

} // namespace
} // namespace tb
