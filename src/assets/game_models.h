#pragma once
// The fixed set of models the game owns for the whole run.
#include "assets/model.h"

namespace tb {

struct GameModels {
    Model jeepneys[8];
    Model wheels[32];
    Model skyDome;
    Model field;
    Model store;
    Model arch;
    Model streetS;
    Model streetL;
    Model streetT;
    Model streetJ;
    Model kubo;
    Model carabao;
    Model wall;
};

extern GameModels gameModels;

// Builds every model in the game's load order (clones included); the level loader calls it.
void loadGameModels();
// Releases every model, the reverse of creation: wall first, jeepneys last.
void releaseGameModels();
// Back to fresh, unloaded models (tests).
void resetGameModels();

} // namespace tb
