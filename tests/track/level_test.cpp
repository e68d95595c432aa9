// Loading a level from the generated media, as a headless race does.
#include "track/level.h"

#include "assets/game_models.h"
#include "audio/sound_channels.h"
#include "audio/sound_output.h"
#include "race/race_progress.h"
#include "race/vehicle.h"
#include "render/overlay.h"
#include "render/sparks.h"
#include "shell/media_paths.h"
#include "shell/random.h"
#include "track/track_grid.h"
#include "track/transform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

namespace tb {
namespace {

TEST(Level, PlacesTheFixedModelsGivesEachRivalItsThresholdsAndStartsEveryEngine) {
    const std::string media = TB_BUILD_MEDIA_DIR;
    if (!std::filesystem::exists(media + "/mapProvince.bmp")) {
        GTEST_SKIP() << "no generated media in " << media;
    }
    setGraphicsEnabled(false);
    const std::string saved = mediaFolder();
    setMediaFolder(media);
    seedRandom(11);
    LevelOptions options;
    options.mapFile = "mapProvince.bmp";
    setenv("SDL_AUDIODRIVER", "dummy", 1); // a sound output that plays to nowhere
    options.openSound = true;
    ASSERT_TRUE(loadLevel(options));
    EXPECT_EQ(std::tuple(overlayWidth(), overlayHeight()), std::tuple(160, 30)) << "the HUD strip";
    EXPECT_TRUE(gameModels.skyDome.loaded && gameModels.streetJ.loaded);

    Mat4 sky{};
    composeTransform(sky, 200, 150, 200, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(gameModels.skyDome.transform, sky);
    const Vec3 onField = transformPoint(gameModels.field.transform, 0.5f, 3, -1);
    EXPECT_FLOAT_EQ(onField.x, 750.0f);
    EXPECT_FLOAT_EQ(onField.y, -0.1f) << "the field lies flat just under the road";
    EXPECT_FLOAT_EQ(onField.z, -1500.0f);
    const Mat4& carabao = gameModels.carabao.transform;
    EXPECT_EQ(std::tuple(carabao[0], carabao[5], carabao[10]), std::tuple(0.65f, 0.65f, 0.65f))
        << "carabaos are shrunk evenly";

    const auto channel = [](int c) -> const SoundChannel& {
        return soundSystem().channels.at(static_cast<std::size_t>(c));
    };
    const auto engineOf = [&](int i) -> const SoundChannel& {
        return channel(vehicles[i].engineChannel);
    };
    for (int i = 0; i < VehicleCount; ++i) {
        const auto& r = vehicles[i].approachRadiiSq;
        EXPECT_NEAR(r[0], 550.0f, 100.0f) << "vehicle " << i;
        EXPECT_NEAR(r[1], 520.0f, 50.0f) << "vehicle " << i;
        EXPECT_NEAR(r[2], 500.0f, 25.0f) << "vehicle " << i;
        const SoundChannel& engine = engineOf(i);
        EXPECT_TRUE(isChannelPlaying(vehicles[i].engineChannel)) << "vehicle " << i;
        EXPECT_EQ(engine.baseRate.load(), 1.0f) << "vehicle " << i;
        EXPECT_EQ(engine.samples, engineOf(0).samples + 5 * i) << "engines out of step";
        EXPECT_EQ(channel(vehicles[i].crashChannel).samples,
                  channel(vehicles[0].crashChannel).samples + 5 * i)
            << "crashes out of step";
    }
    EXPECT_NE(vehicles[0].approachRadiiSq[0], vehicles[1].approachRadiiSq[0]) << "drawn apart";
    EXPECT_EQ(race.phase, Countdown);
    EXPECT_TRUE(track.grid.loaded && track.waypointCount > 0) << "the map's track is built";
    EXPECT_TRUE(mixerReady()) << "the level opens the sound output";
    EXPECT_EQ(sparks.emitter.y, 1.0f) << "bursts start a unit above the road";
    EXPECT_EQ(sparks.colour[0], 1.0f) << "orange sparks";
    EXPECT_EQ(sparks.colour[1], 0.5f);
    unloadLevel();
    EXPECT_FALSE(mixerReady());
    EXPECT_EQ(overlayPixels(), nullptr);
    setMediaFolder(saved);
}

} // namespace
} // namespace tb
