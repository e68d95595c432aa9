#pragma once
// Track maps ("map*.bmp") and the builder that turns one into the placed track.
#include "track/track_grid.h"

#include <string>
#include <vector>

namespace tb {

constexpr int MaxTrackMaps = 16;

// Names (no folder) of the media folder's files matching "map*.bmp" in any case, in name order,
// at most 16.
std::vector<std::string> findTrackMaps();
// Reads the named map from the media folder into the grid; false leaves the grid as it was.
bool loadTrackGrid(const char* fileName, TrackGrid& grid);
// Chooses a map at random and builds it into `track`; true when complete and consistent.
bool buildTrack();
// Builds the named map into `track` (the inspection tool and the headless race choose the map).
bool buildTrackFromMap(const char* fileName);

} // namespace tb
