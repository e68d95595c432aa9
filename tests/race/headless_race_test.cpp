#include "race/headless_race.h"

#include "race/game_update.h"
#include "race_fixture.h"
#include "shell/frame_clock.h"
#include "shell/media_paths.h"
#include "shell/random.h"

#include <cmath>
#include <filesystem>

#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tb::testing {
namespace {

using HeadlessRaceTest = RaceFixture;

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float Inf = std::numeric_limits<float>::infinity();

TEST_F(HeadlessRaceTest, NamesTheFirstNonFiniteFieldOfVehiclesWheelsAndCamera) {
    ASSERT_FALSE(findNonFiniteField()) << "a fresh state is finite";
    const std::vector<std::pair<std::function<void(float)>, std::string>> cases = {
        {[](float f) { vehicles[0].speed = f; }, "vehicle 0 speed[0] is "},
        {[](float f) { vehicles[4].prevPosition.z = f; }, "vehicle 4 prevPosition[2] is "},
        {[](float f) { vehicles[6].pushVelocity.y = f; }, "vehicle 6 pushVelocity[1] is "},
        {[](float f) { vehicles[3].wheelSteer = f; }, "vehicle 3 wheelSteer[0] is "},
        {[](float f) { vehicles[1].approachRadiiSq[2] = f; }, "vehicle 1 approachRadiiSq[2] is "},
        {[](float f) { vehicleBody(2).rotation.roll = f; }, "vehicle 2 body rotation[2] is "},
        {[](float f) { vehicleBody(5).radiusSquared = f; }, "vehicle 5 body radiusSquared[0] is "},
        {[](float f) { vehicleWheel(7, 3).transform[14] = f; },
         "vehicle 7 wheel 3 transform[14] is "},
        {[](float f) { vehicleWheel(0, 1).position.x = f; }, "vehicle 0 wheel 1 position[0] is "},
        {[](float f) { camera.viewMatrix[5] = f; }, "camera viewMatrix[5] is "},
    };
    for (const auto& [set, expected] : cases) {
        for (const auto& [value, word] : {std::pair{NaN, "nan"}, {Inf, "inf"}, {-Inf, "-inf"}}) {
            set(value);
            const auto fault = findNonFiniteField();
            ASSERT_TRUE(fault) << expected << word;
            EXPECT_EQ(describeField(*fault), expected + word);
            set(0.0f);
        }
    }
    ASSERT_FALSE(findNonFiniteField());

    vehicleWheel(6, 0).boundsMax.y = NaN;
    vehicles[2].spinRate = Inf;
    EXPECT_EQ(findNonFiniteField()->vehicle, 2) << "vehicles are searched in index order";
}

// A whole race on the game's own map, with twenty seconds stopped mid-race and then a frame
// through the real frame clock: the race takes one short step, every jeepney is still over the
// track, near the ground, the mixer hears from where the camera is, and someone wins.
TEST_F(HeadlessRaceTest, AStallMidRaceLeavesEveryJeepneyOnTheTrackAndTheRaceEnds) {
    const std::string media = TB_BUILD_MEDIA_DIR;
    if (!std::filesystem::exists(media + "/mapProvince.bmp")) {
        GTEST_SKIP() << "no generated track map in " << media;
    }
    const std::string saved = mediaFolder();
    setMediaFolder(media);
    seedRandom(3);
    std::vector<int> offTrack;
    float listenerDistance = -1.0f;
    std::optional<int> finished;
    {
        const HeadlessLevel level("mapProvince.bmp", true);
        app.running = true;
        finished = runRaceToFinish([&](int frame) {
            if (frame != 500) { // 10 s into the race, jeepneys at speed and some in the air
                return;
            }
            app.frameClock -= 20.0f;
            app.frameTime = advanceFrameClock();
            update();
            for (int i = 0; i < VehicleCount; ++i) {
                const Vec3& p = vehicleBody(i).position;
                if (cellCode(track.grid, worldToCell(p.x, p.z)) < 0 || std::fabs(p.y) > 20.0f) {
                    offTrack.push_back(i);
                }
            }
            const Vec3 heard = soundSystem().listenerAt.load();
            listenerDistance =
                std::hypot(heard.x - camera.eye.x, heard.y - camera.eye.y, heard.z - camera.eye.z);
        });
        app.running = false;
    }
    setMediaFolder(saved);
    EXPECT_EQ(offTrack, std::vector<int>{});
    EXPECT_EQ(listenerDistance, 0.0f) << "the mixer's copy of the listener is a frame behind";
    ASSERT_TRUE(finished) << "laps are counted, so the race ends";
    EXPECT_NEAR(race.finishTime, *finished * 0.03f - 5.0f, 0.05f)
        << "the finish time counts from the green light";
}

} // namespace
} // namespace tb::testing
