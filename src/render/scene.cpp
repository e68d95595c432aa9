#include "render/scene.h"

#include "assets/game_models.h"
#include "race/camera.h"
#include "render/overlay.h"
#include "render/sparks.h"
#include "shell/app_state.h"
#include "shell/random.h"
#include "shell/settings.h"
#include "track/track_grid.h"

#include <GL/gl.h>

#include <algorithm>

namespace tb {
namespace {

// The single-precision value nearest 2 / 32767.
constexpr float RandomScale = 0.000061037019f;
constexpr float SparkDrift = 0.1f;

// A template is drawn once per placement, re-placed by overwriting its transform.
template <int Capacity> void drawPlacements(Model& model, const PlacementList<Capacity>& list) {
    for (int i = 0; i < list.count; ++i) {
        model.transform = list.entries[static_cast<std::size_t>(i)];
        drawModel(model);
    }
}

float sparkDrift() {
    return (1.0f - static_cast<float>(nextRandom()) * RandomScale) * SparkDrift;
}

Vec3 sparkBaseVelocity() {
    const float x = sparkDrift();
    const float y = sparkDrift();
    const float z = sparkDrift();
    return {x, y, z};
}

// A directional light (w = 0) takes the object's z axis, any other its position; a spot light
// (w = 2) also points along the z axis.
void followAttachedObject(int index, Light& light) {
    const Mat4& t = light.attachedObject->transform;
    const float* source = light.position[3] == 0.0f ? &t[8] : &t[12];
    std::copy(source, source + 3, light.position);
    const GLenum id = static_cast<GLenum>(GL_LIGHT0 + index);
    if (light.position[3] == 2.0f) {
        glLightfv(id, GL_SPOT_DIRECTION, &t[8]);
    }
    glLightfv(id, GL_POSITION, light.position);
}

void drawWorld() {
    GameModels& m = gameModels;
    glEnable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    drawModel(m.skyDome);
    if (settings.lights != 0) {
        glEnable(GL_LIGHTING);
    }
    drawModel(m.field);
    drawModel(m.arch);
    drawModel(m.store);
    drawPlacements(m.streetS, track.straightPlacements);
    drawPlacements(m.streetL, track.cornerPlacements);
    drawPlacements(m.streetT, track.tPlacements);
    drawPlacements(m.streetJ, track.rampPlacements);
    drawPlacements(m.wall, track.wallPlacements);
    drawPlacements(m.carabao, track.carabaoPlacements);
    for (const Model& wheel : m.wheels) {
        drawModel(wheel);
    }
    // Huts and jeepneys are open shapes whose inner faces must show.
    glDisable(GL_CULL_FACE);
    drawPlacements(m.kubo, track.kuboPlacements);
    for (const Model& body : m.jeepneys) {
        drawModel(body);
    }
}

} // namespace

void setUpView() {
    glMultMatrixf(camera.viewMatrix.data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (int i = 0; i < std::min(app.lightCount, LightSlots); ++i) {
        if (app.lights[i].attachedObject != nullptr) {
            followAttachedObject(i, app.lights[i]);
        }
    }
}

void renderScene() {
    drawWorld();
    updateSparks(sparkBaseVelocity());
    blitOverlay();
}

void stepSceneEffects() {
    stepSparks(sparkBaseVelocity(), app.frameTime);
}

void renderSceneBetweenFrames(float alpha) {
    drawWorld();
    drawSparks(alpha);
    blitOverlay();
}

} // namespace tb
