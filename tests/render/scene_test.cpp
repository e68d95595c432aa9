// The view set-up, and small scenes rendered in a real rendering context and read back pixel by
// pixel (run under xvfb-run). The projection and the view are the identity, so a model's
// coordinates are where it lands on screen; the screen is cut into columns, one per kind.
#include "render/scene.h"

#include "assets/game_models.h"
#include "assets/textures.h"
#include "race/camera.h"
#include "render/overlay.h"
#include "render/sparks.h"
#include "shell/app_state.h"
#include "shell/random.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "support/gl_context.h"
#include "support/picture_files.h"
#include "support/temp_media.h"
#include "track/track_builder.h"
#include "track/track_grid.h"
#include "track/transform.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>

namespace tb {
namespace {

using Rgb = std::array<int, 3>;

constexpr int Columns = 14; // one per kind in draw order, and a second street S placement
constexpr int ColumnPixels = 10;
constexpr int Width = Columns * ColumnPixels;
constexpr int Height = 64;
constexpr float ColumnWidth = 2.0f / Columns;
constexpr int StreetS = 4;
constexpr int SecondStreetS = 13;

// The kinds in the order a frame draws them, and whether back faces are culled for them.
struct Kind {
    const char* file;
    bool culled;
};
constexpr Kind Kinds[] = {{"skyDome.a3f", true}, {"field.a3f", true},   {"arch.a3f", true},
                          {"store.a3f", true},   {"streetS.a3f", true}, {"streetL.a3f", true},
                          {"streetT.a3f", true}, {"streetJ.a3f", true}, {"wall.a3f", true},
                          {"carabao.a3f", true}, {"wheel.a3f", true},   {"kubo.a3f", false},
                          {"jeepney.a3f", false}};
constexpr int KindCount = static_cast<int>(std::size(Kinds));

// A distinct colour per kind, never black, in steps of half intensity.
Rgb kindColour(int kind) {
    const int n = kind + 1;
    return {n % 3 * 255 / 2, n / 3 % 3 * 255 / 2, n / 9 % 3 * 255 / 2};
}

// A rectangle from x0 to x1 over the screen's height at depth z (nearer when smaller), with
// normals turned away from the light, so that a lit model looks nothing like its colour.
std::string rectangle(float x0, float x1, float z, const Rgb& colour, bool facingUs = true,
                      const std::string& cutOutTexture = "") {
    const bool textured = !cutOutTexture.empty();
    std::string v = textured ? "POSITION_NORMAL_TEXCOORDS 4" : "POSITION_NORMAL 4";
    const float corners[4][4] = {{x0, -1, 0, 0}, {x1, -1, 1, 0}, {x1, 1, 1, 1}, {x0, 1, 0, 1}};
    for (const auto& c : corners) {
        v += " " + std::to_string(c[0]) + " " + std::to_string(c[1]) + " " + std::to_string(z) +
             " 0 0 -1";
        v += textured ? " " + std::to_string(c[2]) + " " + std::to_string(c[3]) : "";
    }
    const char* faces = facingUs ? "2 0 1 2 0 0 2 3 0" : "2 0 2 1 0 0 3 2 0";
    std::string material = "DIFFUSE";
    for (const int c : colour) {
        material += " " + std::to_string(static_cast<float>(c) / 255.0f);
    }
    material += " 1";
    if (textured) {
        material += " TEXTURE { FILE " + cutOutTexture + " ALPHA BLACK_MASK }";
    }
    return "A3F VERTICES { " + v + " } FACES { " + faces + " } MATERIALS { 1 { " + material +
           " } }";
}

bool near(const Rgb& a, const Rgb& b) {
    for (int i = 0; i < 3; ++i) {
        if (std::abs(a[i] - b[i]) > 3) {
            return false;
        }
    }
    return true;
}

class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::GlContext::displayAvailable()) {
            GTEST_SKIP() << "needs an X display";
        }
        gl_ = std::make_unique<test::GlContext>(Width, Height);
        ASSERT_TRUE(gl_->ready());
        savedApp_ = app;
        savedSettings_ = settings;
        savedCamera_ = camera;
        setGraphicsEnabled(true);
        forgetDisplayLists();
        resetGameModels();
        resetTrack();
    }
    void TearDown() override {
        if (!gl_) {
            return;
        }
        destroyOverlay();
        setOverlayScale(1);
        releaseSparks();
        releaseGameModels();
        resetGameModels();
        releaseTextures();
        resetTrack();
        app = savedApp_;
        settings = savedSettings_;
        camera = savedCamera_;
        gl_.reset();
    }

    // The graphics state start-up leaves, the level's sparks and blank overlay, and the
    // models written to the media folder; every kind placed once, where its model puts it.
    void loadScene(int lights) {
        settings.lights = lights;
        setUpGraphics();
        glViewport(0, 0, Width, Height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        camera.viewMatrix = identityMatrix();
        app.frameTime = 1.0f / 60.0f;
        glClearColor(0, 0, 0, 1);
        loadGameModels();
        initSparks(1.0f, 0.5f, 0.0f, 1.0f);
        ASSERT_TRUE(createOverlay(0, 450, 160, 480, 640, 480, true));
        for (int* count :
             {&track.straightPlacements.count, &track.cornerPlacements.count,
              &track.tPlacements.count, &track.rampPlacements.count, &track.wallPlacements.count,
              &track.kuboPlacements.count, &track.carabaoPlacements.count}) {
            *count = 1;
        }
    }

    // Each kind in its own column.
    void loadColumns(int lights, bool facingUs) {
        for (int k = 0; k < KindCount; ++k) {
            const float x0 = -1.0f + static_cast<float>(k) * ColumnWidth;
            media.write(Kinds[k].file, rectangle(x0, x0 + ColumnWidth, 0, kindColour(k), facingUs));
        }
        loadScene(lights);
        track.straightPlacements.count = 2;
        track.straightPlacements.entries[1][12] = (SecondStreetS - StreetS) * ColumnWidth;
    }

    // Two frames, as a running game draws them; the second is read.
    static void drawFrames() {
        for (int i = 0; i < 2; ++i) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glMatrixMode(GL_PROJECTION);
            glPushMatrix();
            setUpView();
            renderScene();
            glMatrixMode(GL_PROJECTION);
            glPopMatrix();
        }
        glFinish();
    }

    static Rgb pixel(int x, int y) {
        std::uint8_t p[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }

    static Rgb columnPixel(int column) {
        return pixel(column * ColumnPixels + ColumnPixels / 2, 32);
    }

    static Mat4 matrix(GLenum which) {
        Mat4 m{};
        glGetFloatv(which, m.data());
        return m;
    }

    static std::array<float, 4> lightVector(GLenum light, GLenum what) {
        std::array<float, 4> v{};
        glGetLightfv(light, what, v.data());
        return v;
    }

    test::TempMedia media;
    test::ReportCapture capture;

  private:
    std::unique_ptr<test::GlContext> gl_;
    AppState savedApp_;
    Settings savedSettings_;
    Camera savedCamera_;
};

TEST_F(SceneTest, ViewGoesOnTheProjectionAndLightsFollowTheirObjects) {
    Model lamp;
    composeTransform(lamp.transform, 1, 1, 1, 0, 1.570795f, 0, 5, 6, 7);
    app.lightCount = 3;
    app.lights[0] = Light{{}, {}, {}, {0, 0, 0, 1}, &lamp};
    app.lights[1] = Light{{}, {}, {}, {0, 0, 0, 0}, &lamp};
    app.lights[2] = Light{{}, {}, {}, {1, 2, 3, 2}, &lamp};
    glLightfv(GL_LIGHT3, GL_POSITION, std::array<float, 4>{9, 9, 9, 1}.data());
    app.lights[3] = Light{{}, {}, {}, {0, 0, 0, 1}, &lamp}; // beyond lightCount: untouched

    camera.viewMatrix = identityMatrix();
    camera.viewMatrix[12] = -3.0f;
    camera.viewMatrix[14] = 4.0f;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScalef(2.0f, 2.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1.0f, 1.0f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    setUpView();

    const Mat4 projection = matrix(GL_PROJECTION_MATRIX);
    EXPECT_FLOAT_EQ(projection[0], 2.0f);
    EXPECT_FLOAT_EQ(projection[12], -6.0f) << "projection times view";
    EXPECT_FLOAT_EQ(projection[14], 4.0f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), identityMatrix());

    const auto point = lightVector(GL_LIGHT0, GL_POSITION);
    EXPECT_FLOAT_EQ(point[0], 5.0f);
    EXPECT_FLOAT_EQ(point[1], 6.0f);
    EXPECT_FLOAT_EQ(point[2], 7.0f);
    const auto direction = lightVector(GL_LIGHT1, GL_POSITION);
    EXPECT_NEAR(direction[0], 1.0f, 1e-5f) << "a directional light takes the z axis";
    EXPECT_NEAR(direction[2], 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(direction[3], 0.0f);
    const auto spot = lightVector(GL_LIGHT2, GL_SPOT_DIRECTION);
    EXPECT_NEAR(spot[0], 1.0f, 1e-5f);
    EXPECT_FLOAT_EQ(app.lights[2].position[0], 5.0f);
    EXPECT_FLOAT_EQ(lightVector(GL_LIGHT3, GL_POSITION)[0], 9.0f);
}

// Every kind reaches from the left edge to the end of its own column, all at one depth: where
// they overlap the first one drawn keeps the pixel, so column k shows kind k only when it is
// drawn before every kind after it.
TEST_F(SceneTest, KindsAreDrawnSkyFirstInTheirOrder) {
    for (int k = 0; k < KindCount; ++k) {
        const float x1 = -1.0f + static_cast<float>(k + 1) * ColumnWidth;
        media.write(Kinds[k].file, rectangle(-1, x1, 0, kindColour(k)));
    }
    loadScene(0);
    drawFrames();
    for (int k = 0; k < KindCount; ++k) {
        EXPECT_TRUE(near(columnPixel(k), kindColour(k))) << Kinds[k].file;
    }
}

// Models turned away from the camera: culled for the closed shapes, shown for the huts and
// jeepneys; the frame before left culling off.
TEST_F(SceneTest, BackFacesAreCulledButForHutsAndJeepneys) {
    loadColumns(0, false);
    drawFrames();
    for (int k = 0; k < KindCount; ++k) {
        const Rgb expected = Kinds[k].culled ? Rgb{0, 0, 0} : kindColour(k);
        EXPECT_TRUE(near(columnPixel(k), expected)) << Kinds[k].file;
    }
}

// Lit, the rectangles turned from the light are dim whatever their colour; unlit, each shows
// its own colour.
TEST_F(SceneTest, WithLightsOnEverythingButTheSkyIsLit) {
    for (const int lights : {1, 0}) {
        resetGameModels();
        loadColumns(lights, true);
        drawFrames();
        for (int column = 0; column < Columns; ++column) {
            const int kind = column == SecondStreetS ? StreetS : column;
            const bool unlit = lights == 0 || kind == 0;
            const Rgb seen = columnPixel(column);
            EXPECT_NE(seen, (Rgb{0, 0, 0})) << "lights " << lights << ", column " << column;
            EXPECT_EQ(near(seen, kindColour(kind)), unlit)
                << "lights " << lights << ", column " << column;
        }
        destroyOverlay();
        releaseGameModels();
        releaseTextures();
    }
}

TEST_F(SceneTest, TheSkyShowsThroughACutOutsBlackPixels) {
    ASSERT_TRUE(test::writeBitmap(media.path("cut.bmp"), 8, 8,
                                  [](int x, int) { return x < 4 ? 0u : 0xff0000u; }));
    media.write("skyDome.a3f", rectangle(-1, 1, 0, {0, 255, 0}));
    media.write("kubo.a3f", rectangle(-1, 1, -0.5f, {255, 255, 255}, true, "cut.bmp"));
    loadScene(0);
    drawFrames();
    EXPECT_EQ(pixel(Width / 4, 32), (Rgb{0, 255, 0}));
    EXPECT_EQ(pixel(3 * Width / 4, 32), (Rgb{255, 0, 0}));
}

TEST_F(SceneTest, SparksShowThroughAWallInFrontOfThem) {
    media.write("wall.a3f", rectangle(-1, 1, -0.9f, {0, 0, 255}));
    loadScene(1);
    seedRandom(7);
    setSparkEmitter({0.0f, 0.5f, 0.5f});
    startSparkBurst(0.0f, 0.5f);
    drawFrames(); // the first frame's sparks are drawn in the second
    int orange = 0;
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const Rgb p = pixel(x, y);
            orange += p[0] > 200 && p[1] > 80 && p[2] < 60 ? 1 : 0;
        }
    }
    EXPECT_GE(orange, 6) << "six sparks, at least one pixel each";
    glEnable(GL_DEPTH_TEST);
    drawSparks(0.5f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "the sparks leave the scene's state as it was";

    // Between two frames a spark is drawn part of the way along its flight, faded over the black.
    glClear(GL_COLOR_BUFFER_BIT);
    sparks.drawnCount = 1;
    sparks.drawnSlots[0] = 0;
    sparks.lastPositions[0] = {-0.5f, -0.5f, 0.0f};
    sparks.particles[0].position = {0.5f + 2.0f / Width, 0.5f + 2.0f / Height, 0.0f};
    sparks.particles[0].colour[3] = 0.5f;
    drawSparks(0.5f);
    // Three pixels across, centred on the middle pixel.
    const Rgb halfOrange{128, 64, 0};
    EXPECT_TRUE(near(pixel(Width / 2 - 1, Height / 2 - 1), halfOrange));
    EXPECT_TRUE(near(pixel(Width / 2 + 1, Height / 2 + 1), halfOrange));
}

// The surface at twice its size over a jeepney that fills the screen right in front of the
// camera: a white mark in the surface's top-left corner, the jeepney through the rest.
TEST_F(SceneTest, OverlayIsBlendedOverTheSceneAtItsPlaceAndScale) {
    media.write("jeepney.a3f", rectangle(-1, 1, -0.9f, {0, 0, 255}));
    loadScene(1);
    setOverlayScale(2);
    setOverlayColour(0xFFFFFF);
    drawOverlayEllipse(0, 0, 20, 10);
    finishOverlay();
    drawFrames();
    const Rgb scene = pixel(Width - 5, Height - 2);
    EXPECT_NE(scene, (Rgb{0, 0, 0}));
    EXPECT_EQ(pixel(20, 60 - 1 - 10), (Rgb{255, 255, 255}))
        << "the mark's centre, 2 x 10 rows down";
    EXPECT_EQ(pixel(10, 30 - 1 - 5), scene) << "where the mark would be at the unscaled size";
    EXPECT_EQ(pixel(100, 30), scene) << "transparent where nothing was drawn";
    EXPECT_EQ(pixel(20, 62), scene) << "above the surface";
}

} // namespace
} // namespace tb
