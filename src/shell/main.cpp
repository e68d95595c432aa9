// Trundlebay: the launcher, then the game window running frames until the player quits.
#include "shell/main_loop.h"
#include "shell/startup.h"

namespace {

constexpr tb::Colour ClearColour{0.13f, 0.16f, 0.1f, 0.0f};

// One frame between the clear and the swap. The level's update, view set-up and scene render
// belong here once the level is loaded after start-up.
void runFrame() {}

} // namespace

int main() {
    if (!tb::startUp(ClearColour)) {
        tb::runExitSteps();
        return -1;
    }
    tb::runMainLoop(runFrame);
    tb::runExitSteps();
    return 0;
}
