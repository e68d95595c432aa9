#include "track/level.h"

#include "assets/game_models.h"
#include "audio/sound_channels.h"
#include "audio/sound_output.h"
#include "audio/wav_loader.h"
#include "race/camera.h"
#include "race/race_progress.h"
#include "race/vehicle.h"
#include "render/overlay.h"
#include "render/sparks.h"
#include "shell/app_state.h"
#include "shell/clock.h"
#include "shell/random.h"
#include "track/track_builder.h"
#include "track/transform.h"

namespace tb {
namespace {

constexpr float HearingRange = 300.0f;
constexpr int VariantOffsetStep = 5;

void placeFixedModels() {
    composeTransform(gameModels.skyDome.transform, 200, 150, 200, 0, 0, 0, 0, 0, 0);
    composeTransform(gameModels.field.transform, 1500, 0, 1500, 0, 0, 0, 0, -0.1f, 0);
}

// Every carabao is placed at 0.65; the template's radius must fit that scale.
void shrinkCarabao() {
    Model& carabao = gameModels.carabao;
    for (const int i : {0, 1, 2, 4, 5, 6, 8, 9, 10}) {
        carabao.transform[i] *= 0.65f;
    }
    updateRadius(carabao);
}

void loadVehicleSounds() {
    const int engine = loadSound("jeep.wav");
    const int crash = loadSound("crash.wav");
    vehicles[0].engineChannel = engine;
    vehicles[0].crashChannel = crash;
    for (int i = 1; i < VehicleCount; ++i) {
        vehicles[i].engineChannel = makeSoundVariant(engine, VariantOffsetStep * i);
        vehicles[i].crashChannel = makeSoundVariant(crash, VariantOffsetStep * i);
    }
}

void drawApproachRadii() {
    for (Vehicle& v : vehicles) {
        v.approachRadiiSq[0] = 550.0f + 100.0f * signedUnit(nextRandom());
        v.approachRadiiSq[1] = 520.0f + 50.0f * signedUnit(nextRandom());
        v.approachRadiiSq[2] = 500.0f + 25.0f * signedUnit(nextRandom());
    }
}

void startEngines() {
    for (int i = 0; i < VehicleCount; ++i) {
        if (!isChannelPlaying(vehicles[i].engineChannel)) {
            playSound(vehicles[i].engineChannel, true, &vehicleBody(i).position, 1.0f);
        }
    }
}

} // namespace

bool loadLevel(const LevelOptions& options) {
    loadGameModels();
    placeFixedModels();
    shrinkCarabao();
    initSparks(1.0f, 0.5f, 0.0f, 1.0f);
    setSparkEmitter({0.0f, 1.0f, 0.0f});
    setListener(&camera.eye, &camera.viewDir, HearingRange);
    if (options.openSound && !mixerReady()) {
        openSoundOutput();
    }
    loadVehicleSounds();
    if (options.createOverlay && !createOverlay(0, 450, 160, 480, 640, 480, true)) {
        return false;
    }
    drawApproachRadii();
    if (options.mapFile) {
        buildTrackFromMap(options.mapFile);
    } else {
        buildTrack();
    }
    startEngines();
    app.frameClock = clockSeconds();
    setRacePhase(Countdown);
    return true;
}

void unloadLevel() {
    releaseGameModels();
    closeSoundOutput();
    track.grid = TrackGrid{};
    destroyOverlay();
    releaseSparks();
}

} // namespace tb
