#pragma once
// Track maps ("map*.bmp") and the builder that turns one into the placed track.
#include "track/track_grid.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tb {

constexpr int MaxTrackMaps = 16;
constexpr std::size_t WalkPathRecorded = 65536;

struct TrackMapFile {
    std::string name; // the file's own name, "mapPlaza.bmp"
    std::string file; // as the map readers take it: relative to the media folder
};

// Every file matching "map*.bmp" in any case: the media folder's in name order, then those of
// the player's own track folder in name order, leaving out names the media folder has.
std::vector<TrackMapFile> listTrackMaps();
// The first 16 of listTrackMaps(), the ones the random choice picks from, as files.
std::vector<std::string> findTrackMaps();
// The file of the listed map of that name (in any case); nothing when there is none.
std::optional<std::string> trackMapFile(std::string_view name);
// What the launcher lists for a map: its name without "map" and ".bmp" ("Plaza").
std::string trackCaption(std::string_view name);
// The list entry picked from mapCount maps by the random value r (0 to 32767).
int chooseTrackMap(int mapCount, int r);
// Reads the named map from the media folder into the grid; false leaves the grid as it was.
// Colours missing from the palette row read as Open.
bool loadTrackGrid(const char* fileName, TrackGrid& grid);
// Chooses a map at random and builds it into `track`; true when complete and consistent.
bool buildTrack();
// Builds the named map into `track` (the inspection tool and the headless race choose the map).
bool buildTrackFromMap(const char* fileName);
// Back to the state of program start: empty grid, empty lists, zero waypoints.
void resetTrack();

// What the last build met on its way, for the inspection tool.
struct TrackBuildReport {
    bool mapRead = false;
    bool archFound = false;
    const char* fullList = nullptr; // "straight", "corner", "t" or "ramp": the scan stopped there
    Cell stoppedAt;                 // the cell that found its list full
    bool walkClosed = false;        // the road walk came back to the arch
    int walkTurns = 0;
    // The cells the walk stood on, from the arch, at most WalkPathRecorded; and where it
    // turned, in order.
    std::vector<Cell> walkPath;
    std::vector<Cell> walkTurnCells;
    int skippedWalls = 0;
    int skippedKubos = 0;
    int skippedCarabaos = 0;
};

const TrackBuildReport& lastTrackBuild();

} // namespace tb
