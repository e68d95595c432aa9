// The generated pictures as the game decodes them: repeating textures join seamlessly, only
// the parts meant to be cut out are pure black, and the liveries come in the order the
// results line names them.
#include "texture_layouts.h"

#include "assets/image_decode.h"
#include "shell/media_paths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tb::media {
namespace {

struct Decoded {
    std::unique_ptr<std::uint8_t[]> pixels;
    int width = 0;
    int height = 0;
    const std::uint8_t* at(int x, int y) const { return &pixels[(y * width + x) * 3]; }
};

class GeneratedTextures : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = mediaFolder();
        setMediaFolder(TB_BUILD_MEDIA_DIR);
    }
    void TearDown() override { setMediaFolder(previous_); }
    static Decoded decode(const char* name) {
        Decoded d;
        d.pixels = decodeImage(name, d.width, d.height);
        return d;
    }
    std::string previous_;
};

int difference(const std::uint8_t* a, const std::uint8_t* b) {
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

// The step from the last column back to the first, against the steps inside the picture.
void expectSeamless(const Decoded& d, int fromRow, int toRow) {
    long across = 0, inside = 0;
    for (int y = fromRow; y < toRow; ++y) {
        across += difference(d.at(d.width - 1, y), d.at(0, y));
        inside += difference(d.at(d.width / 2, y), d.at(d.width / 2 + 1, y));
    }
    EXPECT_LT(across, 2 * inside + 3 * (toRow - fromRow));
}

TEST_F(GeneratedTextures, RepeatingTexturesJoinWithoutASeam) {
    const Decoded field = decode("field.jpg");
    ASSERT_TRUE(field.pixels);
    expectSeamless(field, 0, field.height);
    long down = 0, inside = 0;
    for (int x = 0; x < field.width; ++x) {
        down += difference(field.at(x, field.height - 1), field.at(x, 0));
        inside += difference(field.at(x, field.height / 2), field.at(x, field.height / 2 + 1));
    }
    EXPECT_LT(down, 2 * inside + 3 * field.width);
    // The sky goes round the dome: its picture must join left to right at every height.
    const Decoded sky = decode("skyDome.jpg");
    ASSERT_TRUE(sky.pixels);
    expectSeamless(sky, 0, sky.height);
}

bool inside(PixelRect r, int x, int y) {
    return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

bool black(const std::uint8_t* p) {
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

TEST_F(GeneratedTextures, OnlyTheCutOutPartsArePureBlack) {
    struct CutOut {
        const char* file;
        std::vector<PixelRect> parts;
    };
    const CutOut cutOuts[] = {{"kubo.bmp", {kubo::Thatch}},
                              {"arch.bmp", {arch::Bunting, arch::Crown}}};
    for (const CutOut& c : cutOuts) {
        SCOPED_TRACE(c.file);
        const Decoded d = decode(c.file);
        ASSERT_TRUE(d.pixels);
        std::vector<int> holes(c.parts.size(), 0);
        int stray = 0;
        for (int y = 0; y < d.height; ++y) {
            for (int x = 0; x < d.width; ++x) {
                if (!black(d.at(x, y))) {
                    continue;
                }
                bool meant = false;
                for (std::size_t k = 0; k < c.parts.size(); ++k) {
                    if (inside(c.parts[k], x, y)) {
                        ++holes[k];
                        meant = true;
                    }
                }
                stray += meant ? 0 : 1;
            }
        }
        EXPECT_EQ(stray, 0) << "pure black outside a cut-out shows as a hole";
        for (const int n : holes) {
            EXPECT_GT(n, 50);
        }
    }
}

TEST_F(GeneratedTextures, LiveriesComeInTheOrderOfTheResultsLine) {
    // Blue for the player, then gold, red and purple.
    const char* files[] = {"jeepney1.jpg", "jeepney2.jpg", "jeepney3.jpg", "jeepney4.jpg"};
    const auto isBlue = [](int r, int g, int b) { return b > r + 80 && b > g + 60; };
    const auto isGold = [](int r, int g, int b) { return r > 180 && g > 130 && b < 90; };
    const auto isRed = [](int r, int g, int b) { return r > 150 && g < 70 && b < 70; };
    const auto isPurple = [](int r, int g, int b) { return b > g + 60 && r > g + 40; };
    const std::function<bool(int, int, int)> expected[] = {isBlue, isGold, isRed, isPurple};
    for (int i = 0; i < 4; ++i) {
        const Decoded d = decode(files[i]);
        ASSERT_TRUE(d.pixels) << files[i];
        ASSERT_EQ(d.width, jeepney::Texture.width);
        ASSERT_EQ(d.height, jeepney::Texture.height);
        const std::uint8_t* p =
            d.at(jeepney::Paint.x + jeepney::Paint.w / 2, jeepney::Paint.y + jeepney::Paint.h / 2);
        EXPECT_TRUE(expected[i](p[2], p[1], p[0]))
            << files[i] << " paint is " << int(p[2]) << "," << int(p[1]) << "," << int(p[0]);
    }
}

} // namespace
} // namespace tb::media
