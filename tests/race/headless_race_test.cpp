#include "race/headless_race.h"

#include "audio/sound_output.h"
#include "race/game_update.h"
#include "race_fixture.h"
#include "shell/frame_clock.h"
#include "shell/media_paths.h"
#include "shell/random.h"
#include "track/track_builder.h"

#include <cmath>
#include <cstdlib>
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

// Each field the search walks, broken in turn, on owners from the first to the last.
TEST_F(HeadlessRaceTest, NamesTheFirstNonFiniteFieldOfVehiclesWheelsAndCamera) {
    ASSERT_FALSE(findNonFiniteField()) << "a fresh state is finite";
    Model& body = vehicleBody(2);
    Model& wheel = vehicleWheel(7, 3);
    const std::pair<float*, std::string> fields[] = {
        {&vehicles[0].throttle, "vehicle 0 throttle[0]"},
        {&vehicles[5].steer, "vehicle 5 steer[0]"},
        {&vehicles[0].speed, "vehicle 0 speed[0]"},
        {&vehicles[2].spinRate, "vehicle 2 spinRate[0]"},
        {&vehicles[6].pushVelocity.y, "vehicle 6 pushVelocity[1]"},
        {&vehicles[4].prevPosition.z, "vehicle 4 prevPosition[2]"},
        {&vehicles[7].wheelSpin, "vehicle 7 wheelSpin[0]"},
        {&vehicles[3].wheelSteer, "vehicle 3 wheelSteer[0]"},
        {&vehicles[1].approachRadiiSq[2], "vehicle 1 approachRadiiSq[2]"},
        {&body.transform[14], "vehicle 2 body transform[14]"},
        {&body.position.x, "vehicle 2 body position[0]"},
        {&body.rotation.roll, "vehicle 2 body rotation[2]"},
        {&body.boundsMin.y, "vehicle 2 body boundsMin[1]"},
        {&body.boundsMax.z, "vehicle 2 body boundsMax[2]"},
        {&body.radiusSquared, "vehicle 2 body radiusSquared[0]"},
        {&vehicleWheel(0, 0).ambient[3], "vehicle 0 wheel 0 ambient[3]"},
        {&wheel.diffuse[1], "vehicle 7 wheel 3 diffuse[1]"},
        {&wheel.emission[0], "vehicle 7 wheel 3 emission[0]"},
        {&wheel.specular[2], "vehicle 7 wheel 3 specular[2]"},
        {&camera.eye.x, "camera eye[0]"},
        {&camera.viewDir.z, "camera viewDir[2]"},
        {&camera.up.y, "camera up[1]"},
        {&camera.viewMatrix[5], "camera viewMatrix[5]"},
    };
    for (const auto& [field, expected] : fields) {
        const float saved = *field;
        *field = NaN;
        const auto fault = findNonFiniteField();
        EXPECT_EQ(fault ? describeField(*fault) : "none", expected + " is nan");
        *field = saved;
    }
    for (const auto& [value, word] : {std::pair{Inf, "inf"}, {-Inf, "-inf"}}) {
        vehicles[0].speed = value;
        EXPECT_EQ(describeField(*findNonFiniteField()),
                  std::string("vehicle 0 speed[0] is ") + word);
    }
    vehicles[0].speed = 0.0f;
    vehicleWheel(6, 0).boundsMax.y = NaN;
    vehicles[2].spinRate = Inf;
    EXPECT_EQ(findNonFiniteField()->vehicle, 2) << "vehicles are searched in index order";
}

// Nothing moves on an empty track and no lap is driven: the lights go green after five seconds
// of 30 ms frames, and the race is given up at its frame limit.
TEST_F(HeadlessRaceTest, AStuckRaceRunsToItsFrameLimitInThirtyMillisecondSteps) {
    setUpdateOptions({});
    setRacePhase(Countdown);
    app.frameTime = 1.0f; // whatever the last real frame took
    int frames = 0, last = 0, green = 0;
    EXPECT_FALSE(runRaceToFinish([&](int frame) {
        ++frames;
        last = frame;
        green = green == 0 && race.phase == Racing ? frame : green;
    }));
    EXPECT_EQ(green, 167);
    EXPECT_EQ(frames, RaceFrameLimit);
    EXPECT_EQ(last, RaceFrameLimit);
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
    bool resultsEnd = false;
    setenv("SDL_AUDIODRIVER", "dummy", 1); // a sound output the level could open
    {
        const HeadlessLevel level("mapProvince.bmp", true);
        EXPECT_FALSE(mixerReady()) << "a race without sound output";
        TrackGrid named;
        EXPECT_TRUE(loadTrackGrid("mapProvince.bmp", named));
        EXPECT_EQ(std::pair(track.grid.width, track.grid.height),
                  std::pair(named.width, named.height))
            << "the named map, not the random choice";
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
        resultsEnd = runRaceResults();
        app.running = false;
    }
    setMediaFolder(saved);
    EXPECT_EQ(offTrack, std::vector<int>{});
    EXPECT_EQ(listenerDistance, 0.0f) << "the mixer's copy of the listener is a frame behind";
    ASSERT_TRUE(finished) << "laps are counted, so the race ends";
    EXPECT_NEAR(race.finishTime, *finished * 0.03f - 5.0f, 0.05f)
        << "the finish time counts from the green light";
    EXPECT_TRUE(resultsEnd) << "the results give way to the next countdown";
}

} // namespace
} // namespace tb::testing
