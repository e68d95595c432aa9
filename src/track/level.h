#pragma once
// Level loading: every model, the sounds and their per-vehicle variants, the sparks, the
// overlay, the opponents' thresholds, the track, the engine sounds and the first countdown.
namespace tb {

struct LevelOptions {
    const char* mapFile = nullptr; // a named map instead of the random choice
    bool openSound = true;         // headless runs keep the sound output closed
    bool createOverlay = true;     // headless runs have no overlay surface
};

// False only when the overlay cannot be created.
bool loadLevel(const LevelOptions& options = {});
// The exit-time clean-ups of everything loadLevel made, in reverse order of creation.
void unloadLevel();

} // namespace tb
