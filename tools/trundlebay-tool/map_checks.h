#pragma once
// Everything the builder and the game rely on in a track map, checked on the map as the game
// reads it and on what the game's own builder makes of it.
#include "track/track_grid.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace tb::tool {

// One thing that would make the game draw or race the map other than as drawn. `check` names
// the rule; column and row are -1 when the finding is about the whole map.
struct MapFinding {
    std::string check;
    int column = -1;
    int row = -1;
    std::string text;
};

// The street directions a road cell opens to, as the builder placed its tile.
enum Opening : unsigned {
    TowardsPlusX = 1,
    TowardsMinusX = 2,
    TowardsPlusZ = 4,
    TowardsMinusZ = 8,
};

struct MapCheck {
    bool readable = false;
    bool builds = false;                // the builder's own verdict
    TrackGrid map;                      // the codes as read, before the build cleared any
    std::vector<std::uint32_t> colours; // the pixels as 0xRRGGBB, row by row
    std::vector<unsigned> openings;     // per cell, Opening bits of the placed tile
    std::vector<Cell> offPalette;
    int offPaletteCount = 0;
    std::vector<MapFinding> findings;

    bool ok() const { return builds && findings.empty(); }
};

// Reads and builds the map named by a path anywhere; the media folder becomes its folder.
MapCheck checkTrackMap(const std::string& file);

// The report's fields shared by `map` and `check`.
nlohmann::ordered_json mapCheckJson(const MapCheck& check);

} // namespace tb::tool
