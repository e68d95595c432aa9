#pragma once
// The game's own text model format, ".a3f".
#include "assets/model.h"

namespace tb {

// Reads the named file from the media folder into `model`; reports every failure.
bool loadModelFile(const char* fileName, Model& model);

} // namespace tb
