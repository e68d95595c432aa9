#pragma once
// The game as it runs after Start, driven frame by frame: the real game window at a chosen
// size, start-up's graphics state, the level loaded from the build's media folder with its
// overlay, the mixer open without a sound device, and a simulated clock of 30 ms frames.
// Vehicle 0 drives itself, so the race moves on without input.
#include "assets/game_models.h"
#include "assets/model.h"
#include "assets/textures.h"
#include "audio/sound_channels.h"
#include "race/camera.h"
#include "race/game_update.h"
#include "race/race_progress.h"
#include "race/vehicle.h"
#include "render/scene.h"
#include "shell/app_state.h"
#include "shell/clock.h"
#include "shell/frame_clock.h"
#include "shell/game_window.h"
#include "shell/media_paths.h"
#include "shell/random.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "track/level.h"
#include "track/track_builder.h"

#include <GL/gl.h>

#include <cstdint>

namespace tb::test {

class WindowedLevel {
  public:
    static constexpr std::uint32_t FrameMilliseconds = 30;

    WindowedLevel(int width, int height, const char* map) {
        settings = Settings{};
        settings.width = width;
        settings.height = height;
        setMediaFolder(TB_BUILD_MEDIA_DIR);
        now = 1000;
        setClockSource(simulatedClock);
        if (!createGameWindow()) {
            return;
        }
        setUpGraphics();
        app.running = true;
        load(map);
        openMixer();
    }
    ~WindowedLevel() {
        closeMixer();
        unloadLevel();
        setUpdateOptions({});
        setClockSource(nullptr);
        tearDownDisplay();
        app = AppState{};
    }

    WindowedLevel(const WindowedLevel&) = delete;
    WindowedLevel& operator=(const WindowedLevel&) = delete;

    // Loads the level again as a fresh program would (after unloadLevel and releaseTextures).
    bool load(const char* map) {
        setGraphicsEnabled(true);
        resetGameModels();
        resetVehicles();
        resetRace();
        resetTrack();
        camera = Camera{};
        resetTextureRegistry(settings.useHiQualTex != 0);
        seedRandom(1);
        setUpdateOptions({true, true});
        LevelOptions options;
        options.mapFile = map;
        options.openSound = false;
        loaded_ = loadLevel(options);
        return loaded_;
    }
    bool ready() const { return loaded_; }

    // The main loop's pass that runs a frame. Like the main loop, it waits a millisecond more
    // when the clock's rounding leaves a frame just short.
    static void runFrame() {
        now += FrameMilliseconds;
        while ((app.frameTime = tickFrameClock()) == 0.0f) {
            ++now;
        }
        update();
        setUpView();
        renderScene();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        swapGameWindow();
    }
    // The frame clock's step alone, for frames that draw nothing.
    static void advanceClock() {
        now += FrameMilliseconds;
        while ((app.frameTime = advanceFrameClock()) == 0.0f) {
            ++now;
        }
    }

  private:
    static inline std::uint32_t now = 0;
    static std::uint32_t simulatedClock() { return now; }

    bool loaded_ = false;
};

} // namespace tb::test
