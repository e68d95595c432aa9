#include "assets/game_models.h"

namespace tb {

GameModels gameModels;

namespace {

constexpr const char* RivalLiveries[] = {"jeepney2.jpg", "jeepney3.jpg", "jeepney4.jpg"};
constexpr int LiveryCount = 4;

void loadJeepneys() {
    Model(&bodies)[8] = gameModels.jeepneys;
    buildModel("jeepney.a3f", bodies[0]);
    for (int i = 1; i < LiveryCount; ++i) {
        cloneModel(bodies[0], bodies[i], RivalLiveries[i - 1]);
    }
    // The second half of the field wears the same four liveries again.
    for (int i = LiveryCount; i < 8; ++i) {
        cloneModel(bodies[i - LiveryCount], bodies[i]);
    }
}

void loadWheels() {
    buildModel("wheel.a3f", gameModels.wheels[0]);
    for (int i = 1; i < 32; ++i) {
        cloneModel(gameModels.wheels[0], gameModels.wheels[i]);
    }
}

} // namespace

void loadGameModels() {
    buildModel("skyDome.a3f", gameModels.skyDome);
    buildModel("field.a3f", gameModels.field);
    buildModel("arch.a3f", gameModels.arch);
    buildModel("streetL.a3f", gameModels.streetL);
    buildModel("streetS.a3f", gameModels.streetS);
    buildModel("streetT.a3f", gameModels.streetT);
    buildModel("streetJ.a3f", gameModels.streetJ);
    loadJeepneys();
    loadWheels();
    buildModel("store.a3f", gameModels.store);
    buildModel("kubo.a3f", gameModels.kubo);
    buildModel("wall.a3f", gameModels.wall);
    buildModel("carabao.a3f", gameModels.carabao);
}

void releaseGameModels() {
    destroyModel(gameModels.wall);
    destroyModel(gameModels.carabao);
    destroyModel(gameModels.kubo);
    destroyModel(gameModels.streetJ);
    destroyModel(gameModels.streetT);
    destroyModel(gameModels.streetL);
    destroyModel(gameModels.streetS);
    destroyModel(gameModels.arch);
    destroyModel(gameModels.store);
    destroyModel(gameModels.field);
    destroyModel(gameModels.skyDome);
    for (int i = 31; i >= 0; --i) {
        destroyModel(gameModels.wheels[i]);
    }
    for (int i = 7; i >= 0; --i) {
        destroyModel(gameModels.jeepneys[i]);
    }
}

void resetGameModels() {
    gameModels = GameModels{};
}

} // namespace tb
