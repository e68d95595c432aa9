#include "render/scene.h"

#include "assets/game_models.h"
#include "race/camera.h"
#include "render/sparks.h"
#include "shell/app_state.h"
#include "shell/random.h"
#include "shell/settings.h"
#include "support/gl_context.h"
#include "track/track_builder.h"
#include "track/transform.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace tb {
namespace {

class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::GlContext::displayAvailable()) {
            GTEST_SKIP() << "needs an X display";
        }
        gl_ = std::make_unique<test::GlContext>();
        ASSERT_TRUE(gl_->ready());
        resetGameModels();
        resetTrack();
        savedApp_ = app;
        savedSettings_ = settings;
        savedCamera_ = camera;
    }
    void TearDown() override {
        app = savedApp_;
        settings = savedSettings_;
        camera = savedCamera_;
        resetGameModels();
        resetTrack();
        gl_.reset();
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

TEST_F(SceneTest, RenderEndsUnculledLitAsSetAndDrawsEachPlacement) {
    Mat4& last = track.straightPlacements.entries[1];
    last[12] = 48.0f;
    track.straightPlacements.count = 2;
    initSparks(1.0f, 0.5f, 0.0f, 1.0f);

    for (const int lights : {1, 0}) {
        settings.lights = lights;
        seedRandom(99);
        const int fourth = [] {
            for (int i = 0; i < 3; ++i) {
                nextRandom();
            }
            return nextRandom();
        }();
        seedRandom(99);
        glEnable(GL_LIGHTING);
        glMatrixMode(GL_PROJECTION);
        setUpView();
        renderScene();
        EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
        EXPECT_EQ(glIsEnabled(GL_LIGHTING) == GL_TRUE, lights != 0) << "lights " << lights;
        EXPECT_EQ(nextRandom(), fourth) << "three random values for the sparks' drift";
    }
    EXPECT_EQ(gameModels.streetS.transform, last) << "the template was placed at every entry";
    releaseSparks();
}

} // namespace
} // namespace tb
