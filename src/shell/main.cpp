// Trundlebay: the launcher, then the level, then the game window running frames until the
// player quits.
#include "race/game_update.h"
#include "render/scene.h"
#include "render/smooth_frames.h"
#include "shell/game_window.h"
#include "shell/main_loop.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "track/level.h"
#include "track/track_builder.h"

#include <optional>
#include <string>

namespace {

constexpr tb::Colour ClearColour{0.13f, 0.16f, 0.1f, 0.0f};

// One frame between the clear and the swap.
void runFrame() {
    tb::update();
    if (tb::settings.smoothFrames != 0) {
        tb::finishSmoothFrame();
        return;
    }
    tb::setUpView();
    tb::renderScene();
}

int finish(int exitCode) {
    tb::unloadLevel();
    tb::runExitSteps();
    return exitCode;
}

} // namespace

int main() {
    if (!tb::startUp(ClearColour)) {
        tb::runExitSteps();
        return -1;
    }
    // A chosen track that is no longer there gives way to the random choice.
    const std::optional<std::string> chosen =
        tb::settings.track.empty() ? std::nullopt : tb::trackMapFile(tb::settings.track);
    tb::LevelOptions options;
    options.mapFile = chosen ? chosen->c_str() : nullptr;
    if (!tb::loadLevel(options)) {
        return finish(-1);
    }
    tb::bringGameWindowToFront();
    tb::runMainLoop(runFrame,
                    tb::settings.smoothFrames != 0 ? tb::drawPictureBetweenFrames : nullptr);
    return finish(0);
}
