#include "shell/startup.h"

#include "assets/textures.h"
#include "race/camera.h"
#include "shell/app_state.h"
#include "shell/clock.h"
#include "shell/drawing_area.h"
#include "shell/game_window.h"
#include "shell/gamepad.h"
#include "shell/input.h"
#include "shell/projection.h"
#include "shell/random.h"
#include "shell/settings.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <ctime>

namespace tb {
namespace {

// The game clock starts with the program, so it would give nearly the same seed every run;
// the time since the system started differs from run to run.
unsigned startUpSeed() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<unsigned>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

void copyColour(const float (&from)[4], float (&to)[4]) {
    std::copy(std::begin(from), std::end(from), std::begin(to));
}

void setFixedState() {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
}

void switchOnLight() {
    Light& light = app.lights[0];
    copyColour({0.1f, 0.1f, 0.1f, 1.0f}, light.ambient);
    copyColour({1.0f, 1.0f, 1.0f, 1.0f}, light.diffuse);
    copyColour({0.2f, 0.2f, 0.2f, 1.0f}, light.specular);
    copyColour({0.0f, 1.0f, 1.0f, 1.0f}, light.position);
    light.attachedObject = nullptr;
    app.lightCount = 1;
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, light.ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, light.diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, light.specular);
    glLightfv(GL_LIGHT0, GL_POSITION, light.position);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_FALSE);
    glMaterialfv(GL_FRONT, GL_EMISSION, light.ambient);
    glMaterialfv(GL_FRONT, GL_SPECULAR, light.specular);
}

void setLights() {
    if (settings.lights != 0) {
        switchOnLight();
    } else {
        glDisable(GL_LIGHTING);
        app.lightCount = 0;
    }
    const Light& light = app.lights[0];
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glMaterialfv(GL_FRONT, GL_AMBIENT, light.ambient);
    glMaterialfv(GL_FRONT, GL_EMISSION, light.ambient);
    glMaterialfv(GL_FRONT, GL_SPECULAR, light.diffuse);
}

bool openDisplay() {
    if (settings.width == 0 || settings.height == 0) {
        settings.useScreenRes = 3;
    }
    if (!createGameWindow()) {
        app.running = false;
        return false;
    }
    // The clear colour can only reach the graphics library once a context exists.
    glClearColor(app.clearColour[0], app.clearColour[1], app.clearColour[2], app.clearColour[3]);
    return true;
}

} // namespace

void setUpGraphics() {
    followDrawingArea();
    setFixedState();
    setLights();
    camera.viewMatrix = buildViewMatrix({0.0f, 1.0f, -5.0f}, {0.0f, 0.0f, 1.0f},
                                        {-1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    resetTextureRegistry(settings.useHiQualTex != 0);
}

bool startUp(const Colour& clearColour) {
    std::copy(clearColour.begin(), clearColour.end(), std::begin(app.clearColour));
    seedRandom(startUpSeed());
    if (!runSettings(2, "Trundlebay") || !openDisplay()) {
        return false;
    }
    setUpGraphics();
    if (settings.joystick != 0) {
        initGamepads();
        initJoystick();
    }
    app.frameClock = clockSeconds();
    app.running = true;
    return true;
}

void runExitSteps() {
    releaseTextures();
    tearDownDisplay();
    saveSettingsIfChanged();
    releaseGamepads();
    releaseJoystick();
    SDL_Quit();
}

} // namespace tb
