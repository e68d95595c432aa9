#pragma once
// The game's own text model format, ".a3f".
#include "assets/model.h"

#include <string>
#include <vector>

namespace tb {

// What the reader noticed on its way, with the line of the file it was reading, for the
// inspection tool: things the game accepts but draws other than a modeller may expect.
struct ModelFileNote {
    int line = 0;
    std::string text;
};

struct ModelFileNotes {
    std::vector<ModelFileNote> warnings;
    int errorLine = 0; // where the reader stopped when the load failed
};

// Reads the named file from the media folder into `model`; reports every failure.
bool loadModelFile(const char* fileName, Model& model, ModelFileNotes* notes = nullptr);

} // namespace tb
