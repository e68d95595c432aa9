// Textures and models on a real rendering context (run under xvfb-run).
#include "assets/game_models.h"
#include "assets/model.h"
#include "assets/textures.h"
#include "support/gl_context.h"
#include "support/picture_files.h"
#include "support/temp_media.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace tb {
namespace {

using test::Report;

constexpr int Size = 64;

// Green with a black left half.
std::uint32_t halfBlack(int x, int) {
    return x < 4 ? 0 : 0x00ff00;
}

// A quad from x0 to x1 across the whole height of clip space, with texture coordinates.
std::string quadModel(float x0, float x1, const char* diffuse, const std::string& material = "") {
    const std::string a = std::to_string(x0), b = std::to_string(x1);
    return "A3F VERTICES { POSITION_TEXCOORDS 4 " + a + " -1 0 0 0 " + b + " -1 0 1 0 " + b +
           " 1 0 1 1 " + a + " 1 0 0 1 } FACES { 2 0 1 2 0 0 2 3 0 } MATERIALS { 1 { DIFFUSE " +
           diffuse + " " + material + " } }";
}

std::string texturedQuad(const std::string& texture, const char* alpha = "NONE") {
    return quadModel(-1, 1, "1 1 1 1",
                     std::string("TEXTURE { FILE ") + texture + " ALPHA " + alpha + " }");
}

class ModelGlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::GlContext::displayAvailable()) {
            GTEST_SKIP() << "no X display";
        }
        ASSERT_TRUE(gl.ready()) << SDL_GetError();
        setGraphicsEnabled(true);
        forgetDisplayLists();
        resetTextureRegistry(true);
        resetGameModels();
        glViewport(0, 0, Size, Size);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    void TearDown() override {
        if (gl.ready()) {
            releaseTextures();
        }
    }

    Model build(const char* name, const std::string& text) {
        media.write(name, text);
        Model model;
        buildModel(name, model);
        return model;
    }

    static void clear(float r, float g, float b) {
        glClearColor(r, g, b, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    static std::array<int, 3> pixelAt(int x, int y) {
        glFinish();
        std::uint8_t p[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }

    static GLint boundTextureParameter(GLenum name) {
        GLint value = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
        return value;
    }

    test::GlContext gl{Size, Size};
    test::TempMedia media;
    test::ReportCapture capture;
};

TEST_F(ModelGlTest, EachTextureFileIsUploadedOnce) {
    ASSERT_TRUE(test::writeBitmap(media.path("t.bmp"), 8, 2, halfBlack));
    const std::uint32_t first = loadTexture("t.bmp", 0);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(loadTexture("t.bmp", 3), first); // the second alpha mode is not looked at
    EXPECT_EQ(registeredTextureCount(), 1);
    // Names are compared exactly: another spelling of the same file is another texture.
    const std::uint32_t other = loadTexture("./t.bmp", 3);
    EXPECT_NE(other, first);
    EXPECT_EQ(registeredTextureCount(), 2);
    glBindTexture(GL_TEXTURE_2D, other);
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);

    // Two models naming one file wear one texture.
    const Model a = build("a.a3f", texturedQuad("t.bmp"));
    const Model b = build("b.a3f", texturedQuad("t.bmp", "LUMINANCE"));
    EXPECT_EQ(a.textureId, first);
    EXPECT_EQ(b.textureId, first);
    EXPECT_EQ(registeredTextureCount(), 2);
    EXPECT_TRUE(capture.reports().empty());
}

TEST_F(ModelGlTest, AFailedFileIsReportedOnceAndItsPlaceReused) {
    EXPECT_EQ(loadTexture("missing.jpg", 0), 0u);
    EXPECT_EQ(loadTexture("missing.jpg", 0), 0u);
    ASSERT_EQ(capture.reports().size(), 1u);
    EXPECT_EQ(capture.reports()[0], (Report{"Unable to load the texture file:", "missing.jpg"}));
    EXPECT_EQ(registeredTextureCount(), 0);

    ASSERT_TRUE(test::writeBitmap(media.path("t.bmp"), 2, 2, 0xff0000));
    EXPECT_NE(loadTexture("t.bmp", 0), 0u);
    EXPECT_EQ(registeredTextureCount(), 1);
    // The failed name was overwritten, so asking again tries (and reports) again.
    EXPECT_EQ(loadTexture("missing.jpg", 0), 0u);
    EXPECT_EQ(capture.reports().size(), 2u);
}

TEST_F(ModelGlTest, InternalFormatFollowsAlphaModeAndQuality) {
    ASSERT_TRUE(test::writeBitmap(media.path("a.bmp"), 2, 2, 0x808080));
    ASSERT_TRUE(test::writeBitmap(media.path("b.bmp"), 2, 2, 0x808080));
    for (const bool high : {true, false}) {
        releaseTextures();
        resetTextureRegistry(high);
        glBindTexture(GL_TEXTURE_2D, loadTexture("a.bmp", 0));
        EXPECT_EQ(boundTextureParameter(GL_TEXTURE_INTERNAL_FORMAT), high ? GL_RGB : GL_R3_G3_B2);
        glBindTexture(GL_TEXTURE_2D, loadTexture("b.bmp", 9));
        EXPECT_EQ(boundTextureParameter(GL_TEXTURE_INTERNAL_FORMAT), high ? GL_RGBA : GL_RGBA2);
    }
}

TEST_F(ModelGlTest, TheRegistryRefusesA256thFile) {
    ASSERT_TRUE(test::writeBitmap(media.path("t.bmp"), 1, 1, 0x102030));
    // 256 names for one file: "t.bmp", "./t.bmp", "././t.bmp", ...
    std::string name = "t.bmp";
    std::uint32_t firstId = 0;
    for (int i = 0; i < TextureRegistrySize; ++i) {
        const std::uint32_t id = loadTexture(name.c_str(), 0);
        ASSERT_NE(id, 0u) << i;
        firstId = i == 0 ? id : firstId;
        name = "./" + name;
    }
    EXPECT_TRUE(capture.reports().empty());
    EXPECT_EQ(loadTexture(name.c_str(), 0), 0u);
    ASSERT_EQ(capture.reports().size(), 1u);
    EXPECT_EQ(capture.reports()[0], (Report{"Unable to load the texture file:", name}));
    EXPECT_EQ(registeredTextureCount(), TextureRegistrySize);
    EXPECT_EQ(loadTexture("t.bmp", 0), firstId);
}

TEST_F(ModelGlTest, DisplayListNamesAreConsecutiveAcrossBlocks) {
    const std::string text = quadModel(-1, 1, "1 0 0 1");
    const Model first = build("a.a3f", text);
    ASSERT_NE(first.displayList, 0u);
    const Model broken = build("c.a3f", "A3F");
    EXPECT_EQ(broken.displayList, 0u);
    const Model next = build("d.a3f", text);
    EXPECT_EQ(next.displayList, first.displayList + 1) << "a failed model takes no name";
    capture.clear();

    // Past the first block of 1000, models still get working lists of their own.
    Model last;
    for (int i = 3; i <= 1000; ++i) {
        buildModel("a.a3f", last);
        ASSERT_NE(last.displayList, 0u) << i;
    }
    EXPECT_TRUE(glIsList(last.displayList));
    EXPECT_NE(last.displayList, first.displayList);
}

TEST_F(ModelGlTest, ADrawnModelShowsItsColourWhereItsTransformPutsIt) {
    Model model = build("red.a3f", quadModel(-1, 0, "1 0 0 1"));
    clear(0, 0, 0);
    drawModel(model);
    EXPECT_EQ(pixelAt(16, 32), (std::array{255, 0, 0}));
    EXPECT_EQ(pixelAt(48, 32), (std::array{0, 0, 0}));

    // Moved one unit right by its transform, it covers the other half.
    model.transform[12] = 1.0f;
    clear(0, 0, 0);
    drawModel(model);
    EXPECT_EQ(pixelAt(16, 32), (std::array{0, 0, 0}));
    EXPECT_EQ(pixelAt(48, 32), (std::array{255, 0, 0}));

    // An unloaded model draws nothing.
    model.loaded = 0;
    clear(0, 0, 0);
    drawModel(model);
    EXPECT_EQ(pixelAt(48, 32), (std::array{0, 0, 0}));
}

TEST_F(ModelGlTest, TexturesAndAlphaShowInTheFrame) {
    ASSERT_TRUE(test::writeBitmap(media.path("half.bmp"), 8, 8, halfBlack));
    const Model opaque = build("o.a3f", texturedQuad("half.bmp"));
    clear(0, 0, 1);
    drawModel(opaque);
    EXPECT_EQ(pixelAt(8, 32), (std::array{0, 0, 0}));
    EXPECT_EQ(pixelAt(56, 32), (std::array{0, 255, 0}));

    // With the black mask the black half is cut out and the blue background shows.
    releaseTextures();
    resetTextureRegistry(true);
    const Model masked = build("m.a3f", texturedQuad("half.bmp", "BLACK_MASK"));
    clear(0, 0, 1);
    drawModel(masked);
    EXPECT_EQ(pixelAt(8, 32), (std::array{0, 0, 255}));
    EXPECT_EQ(pixelAt(56, 32), (std::array{0, 255, 0}));
    EXPECT_FALSE(glIsEnabled(GL_BLEND)); // the list turns blending off again
}

TEST_F(ModelGlTest, ClonesWearTheirOwnTextureAndOutliveNothing) {
    ASSERT_TRUE(test::writeBitmap(media.path("green.bmp"), 2, 2, 0x00ff00));
    ASSERT_TRUE(test::writeBitmap(media.path("red.bmp"), 2, 2, 0xff0000));
    Model source = build("s.a3f", texturedQuad("green.bmp"));
    Model clone;
    cloneModel(source, clone, "red.bmp");
    EXPECT_TRUE(clone.sharesGeometry);
    EXPECT_EQ(clone.displayList, source.displayList);
    EXPECT_EQ(clone.vertices.get(), source.vertices.get());
    EXPECT_EQ(clone.textureFile, "green.bmp");

    clear(0, 0, 0);
    drawModel(clone);
    EXPECT_EQ(pixelAt(32, 32), (std::array{255, 0, 0}));

    const std::weak_ptr<ModelVertex[]> vertices = source.vertices;
    destroyModel(clone);
    clear(0, 0, 0);
    drawModel(source);
    EXPECT_EQ(pixelAt(32, 32), (std::array{0, 255, 0}));
    EXPECT_TRUE(glIsList(source.displayList));

    destroyModel(source);
    EXPECT_EQ(source.loaded, 0);
    EXPECT_FALSE(vertices.expired()); // the clone object still holds its reference
    clone = Model{};
    EXPECT_TRUE(vertices.expired());
}

TEST_F(ModelGlTest, GameModelsBuildInLoadOrderAndShareTheirMeshes) {
    const std::string text = quadModel(-1, 1, "1 1 1 1");
    for (const char* name :
         {"skyDome.a3f", "field.a3f", "arch.a3f", "streetL.a3f", "streetS.a3f", "streetT.a3f",
          "streetJ.a3f", "wheel.a3f", "store.a3f", "kubo.a3f", "wall.a3f", "carabao.a3f"}) {
        media.write(name, text);
    }
    ASSERT_TRUE(test::writeBitmap(media.path("jeepney.bmp"), 2, 2, 0x0000ff));
    media.write("jeepney.a3f", texturedQuad("jeepney.bmp"));
    loadGameModels();
    // Three rival liveries are missing from this folder: each is reported once.
    EXPECT_EQ(capture.reports().size(), 3u);

    const GameModels& g = gameModels;
    const std::uint32_t base = g.skyDome.displayList;
    const Model* order[] = {&g.skyDome, &g.field,   &g.arch,        &g.streetL,   &g.streetS,
                            &g.streetT, &g.streetJ, &g.jeepneys[0], &g.wheels[0], &g.store,
                            &g.kubo,    &g.wall,    &g.carabao};
    for (std::uint32_t i = 0; i < std::size(order); ++i) {
        EXPECT_EQ(order[i]->displayList, base + i) << i;
        EXPECT_EQ(order[i]->loaded, 1) << i;
    }
    for (int i = 1; i < 8; ++i) {
        EXPECT_EQ(g.jeepneys[i].displayList, g.jeepneys[0].displayList);
        EXPECT_TRUE(g.jeepneys[i].sharesGeometry);
    }
    for (int i = 1; i < 32; ++i) {
        EXPECT_EQ(g.wheels[i].vertices.get(), g.wheels[0].vertices.get());
    }
    EXPECT_EQ(g.jeepneys[4].textureId, g.jeepneys[0].textureId);
    EXPECT_NE(g.jeepneys[0].textureId, 0u);
    EXPECT_EQ(g.jeepneys[1].textureId, 0u); // its livery failed to load

    releaseGameModels();
    for (const Model* m : order) {
        EXPECT_EQ(m->loaded, 0);
        EXPECT_FALSE(m->vertices);
    }
    EXPECT_FALSE(glIsList(base));
    resetGameModels();
}

} // namespace
} // namespace tb
