// Smooth frames: poses between two frames, and pictures that leave the rules' state alone.
#include "render/smooth_frames.h"

#include "race/headless_race.h"
#include "race/race_progress.h"
#include "race/vehicle.h"
#include "render/scene.h"
#include "shell/app_state.h"
#include "shell/media_paths.h"
#include "shell/random.h"
#include "support/gl_context.h"
#include "track/transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tb {
namespace {

Mat4 pose(float yaw, const Vec3& at) {
    Mat4 m{};
    composeRotation({0.0f, yaw, 0.0f}, at, m);
    return m;
}

void expectMatrixNear(const Mat4& actual, const Mat4& expected, const char* what) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-4f) << what << " element " << i;
    }
}

TEST(SmoothFrames, PosesMoveAlongTheLineAndTurnTheShorterWay) {
    const struct {
        const char* what;
        float yawA, yawB;
        Vec3 a, b;
        float t;
        float yaw;
        Vec3 at;
    } cases[] = {
        {"halfway", 0.0f, 1.0f, {0, 0, 0}, {2, 0, 4}, 0.5f, 0.5f, {1, 0, 2}},
        {"a quarter", 0.2f, -0.2f, {4, 1, 0}, {8, 1, 0}, 0.25f, 0.1f, {5, 1, 0}},
        {"across the half turn", 3.0f, -3.0f, {0, 0, 0}, {0, 0, 0}, 0.5f, 3.14159265f, {0, 0, 0}},
        {"a teleport shows at once", 0.0f, 1.0f, {0, 0, 0}, {30, 0, 0}, 0.5f, 1.0f, {30, 0, 0}},
    };
    for (const auto& c : cases) {
        expectMatrixNear(interpolatePose(pose(c.yawA, c.a), pose(c.yawB, c.b), c.t),
                         pose(c.yaw, c.at), c.what);
    }
    const Mat4 a = pose(0.3f, {1, 2, 3});
    const Mat4 b = pose(0.4f, {2, 2, 3});
    EXPECT_EQ(interpolatePose(a, b, 0.0f), a) << "the frame before last, exactly";
    EXPECT_EQ(interpolatePose(a, b, 1.0f), b) << "the last frame, exactly";
}

// The same seeded race, its frames drawn with and without pictures between them: the same
// winner, time, places and random sequence. Pictures that moved the sparks or drew random
// numbers for them would change the sequence, as the race has its collisions.
TEST(SmoothFrames, ARaceEndsTheSameWithPicturesBetweenFrames) {
    if (!test::GlContext::displayAvailable()) {
        GTEST_SKIP() << "needs an X display";
    }
    test::GlContext gl;
    ASSERT_TRUE(gl.ready());
    const std::string savedMedia = mediaFolder();
    setMediaFolder(TB_BUILD_MEDIA_DIR);
    auto race = [](bool smooth) {
        seedRandom(11);
        HeadlessLevel level("mapPlaza.bmp", true);
        resetSmoothFrames();
        const std::optional<int> frames = runRaceToFinish([smooth](int) {
            if (smooth) {
                finishSmoothFrame();
                drawPictureBetweenFrames(0.5f);
            } else {
                setUpView();
                renderScene();
            }
        });
        std::vector<float> result{static_cast<float>(frames.value_or(-1)),
                                  static_cast<float>(tb::race.winner), tb::race.finishTime,
                                  static_cast<float>(nextRandom())};
        for (int i = 0; i < VehicleCount; ++i) {
            result.push_back(vehicleBody(i).position.x);
            result.push_back(vehicleBody(i).position.z);
        }
        return result;
    };
    const std::vector<float> withPictures = race(true);
    EXPECT_GT(withPictures[0], 0.0f) << "the race was won";
    EXPECT_EQ(withPictures, race(false));
    setMediaFolder(savedMedia);
}

} // namespace
} // namespace tb
