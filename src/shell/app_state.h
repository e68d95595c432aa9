#pragma once
// Process-wide state of the application shell: running and paused flags, the frame clock,
// the clear colour and the light set.
namespace tb {

struct Model;

struct Light {
    float ambient[4] = {};
    float diffuse[4] = {};
    float specular[4] = {};
    float position[4] = {};
    const Model* attachedObject = nullptr; // when set, the view set-up moves the light with it
};

constexpr int LightSlots = 8;

struct AppState {
    bool running = false;
    bool paused = false;
    bool inBackground = false; // no focus, minimised or hidden: paused like P until back
    float frameClock = 0.0f;   // clock reading of the last accepted frame, seconds
    float frameTime = 0.0f;    // elapsed time of the frame being run, seconds
    float clearColour[4] = {};
    int lightCount = 0;
    Light lights[LightSlots];
};

extern AppState app;

} // namespace tb
