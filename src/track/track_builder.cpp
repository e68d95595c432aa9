#include "track/track_builder.h"

#include "assets/game_models.h"
#include "assets/image_decode.h"
#include "shell/media_paths.h"
#include "shell/random.h"
#include "track/transform.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <utility>

namespace tb {
namespace {

constexpr float QuarterTurn = 1.570795f;
constexpr float HalfTurn = 3.14159f;
constexpr float TileAcross = 10.01f; // a hair over 10 so neighbouring tiles overlap
constexpr float TileHeight = 10.0f;
constexpr int PaletteLimit = 256;
constexpr int RampZoneReach = 2;

TrackBuildReport report;

// What a build remembers between the scan, the walk and the closing.
struct BuildState {
    bool archFound = false;
    Cell startCell;
    Cell rampCells[decltype(track.rampPlacements)::capacity];
};

// ---- map list --------------------------------------------------------------------------------

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool isTrackMapName(std::string_view name) {
    constexpr std::string_view prefix = "map";
    constexpr std::string_view suffix = ".bmp";
    return name.size() >= prefix.size() + suffix.size() &&
           equalIgnoringCase(name.substr(0, prefix.size()), prefix) &&
           equalIgnoringCase(name.substr(name.size() - suffix.size()), suffix);
}

// Names of the folder's regular files that are track maps, in name order.
std::vector<std::string> trackMapNames(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (isTrackMapName(name) && it->is_regular_file(error)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The map readers name files inside the media folder; a file elsewhere is reached from it.
std::string relativeToMedia(const std::string& path) {
    std::error_code error;
    const std::filesystem::path relative = std::filesystem::relative(path, mediaFolder(), error);
    return error || relative.empty() ? path : relative.string();
}

// ---- reading a map ---------------------------------------------------------------------------

std::uint32_t colourAt(const std::uint8_t* bgr, std::size_t pixel) {
    const std::uint8_t* p = bgr + pixel * 3;
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16;
}

// The palette row's colours with the first index each colour appears at, sorted by colour.
class Palette {
  public:
    Palette(const std::uint8_t* bgr, int width) {
        count_ = std::min(width, PaletteLimit);
        for (int x = 0; x < count_; ++x) {
            entries_[x] = {colourAt(bgr, static_cast<std::size_t>(x)),
                           static_cast<std::uint8_t>(x)};
        }
        std::stable_sort(entries_, entries_ + count_,
                         [](const Entry& a, const Entry& b) { return a.first < b.first; });
    }

    std::uint8_t codeOf(std::uint32_t colour) const {
        const Entry* end = entries_ + count_;
        const Entry* found = std::lower_bound(
            entries_, end, colour, [](const Entry& e, std::uint32_t c) { return e.first < c; });
        return found != end && found->first == colour ? found->second : std::uint8_t{Open};
    }

  private:
    using Entry = std::pair<std::uint32_t, std::uint8_t>;
    Entry entries_[PaletteLimit];
    int count_ = 0;
};

// ---- grid access -----------------------------------------------------------------------------

std::uint8_t& cellAt(Cell cell) {
    TrackGrid& grid = track.grid;
    return grid.cells[static_cast<std::size_t>(cell.row) * static_cast<std::size_t>(grid.width) +
                      static_cast<std::size_t>(cell.column)];
}

bool insideGrid(Cell cell) {
    return cellCode(track.grid, cell) >= 0;
}

bool nonZeroInside(Cell cell) {
    return cellCode(track.grid, cell) > 0;
}

// The walk treats everything beyond the border as cleared road.
int codeOrOpen(Cell cell) {
    return std::max(cellCode(track.grid, cell), 0);
}

Point2 cellCentre(Cell cell) {
    return {static_cast<float>(cell.column - track.grid.centreColumn) * CellSize,
            static_cast<float>(cell.row - track.grid.centreRow) * CellSize};
}

// ---- the placement scan ----------------------------------------------------------------------

template <int Capacity> Mat4& appendEntry(PlacementList<Capacity>& list) {
    return list.entries[static_cast<std::size_t>(list.count++)];
}

void placeTile(Mat4& entry, float yaw, Point2 at) {
    composeTransform(entry, TileAcross, TileHeight, TileAcross, 0.0f, yaw, 0.0f, at.x, 0.0f, at.z);
}

void placeTranslation(Mat4& entry, Point2 at) {
    entry[12] = at.x;
    entry[13] = 0.0f;
    entry[14] = at.z;
}

float cornerYaw(bool left, bool up) {
    if (left) {
        return up ? 0.0f : QuarterTurn;
    }
    return up ? -QuarterTurn : HalfTurn;
}

void placeArch(Cell cell, Point2 at, BuildState& state) {
    track.startPoint = at;
    composeTransform(gameModels.arch.transform, 9.0f, 5.0f, 9.0f, 0.0f, QuarterTurn, 0.0f, at.x,
                     0.0f, at.z);
    state.archFound = true;
    state.startCell = cell;
}

void placeStore(Point2 at) {
    composeTransform(gameModels.store.transform, 9.0f, 9.0f, 9.0f, 0.0f, QuarterTurn, 0.0f, at.x,
                     0.0f, at.z);
    updateRadius(gameModels.store);
}

void placeCarabao(Point2 at) {
    const int r1 = nextRandom();
    const int r2 = nextRandom();
    const int r3 = nextRandom();
    composeTransform(appendEntry(track.carabaoPlacements), 0.65f, 0.65f, 0.65f, 0.0f,
                     0.25f * signedUnit(r3), 0.0f, at.x + signedUnit(r2), 0.0f,
                     at.z + signedUnit(r1));
}

// Objects beyond a full list are left out; the build goes on.
template <int Capacity> void placeObject(PlacementList<Capacity>& list, int& skipped, Point2 at) {
    if (list.count == Capacity) {
        ++skipped;
        return;
    }
    placeTranslation(appendEntry(list), at);
}

template <int Capacity>
bool listFull(const PlacementList<Capacity>& list, const char* name, Cell cell) {
    if (list.count < Capacity) {
        return false;
    }
    report.fullList = name;
    report.stoppedAt = cell;
    return true;
}

// False when a street list is full: the scan stops there.
bool placeCell(Cell cell, BuildState& state) {
    const Point2 at = cellCentre(cell);
    std::uint8_t& code = cellAt(cell);
    const bool left = nonZeroInside({cell.column - 1, cell.row});
    switch (code) {
    case StartArch:
        placeArch(cell, at, state);
        return true;
    case StraightTile:
        code = Open;
        if (listFull(track.straightPlacements, "straight", cell)) {
            return false;
        }
        placeTile(appendEntry(track.straightPlacements), left ? QuarterTurn : 0.0f, at);
        return true;
    case CornerTile: {
        code = Open;
        if (listFull(track.cornerPlacements, "corner", cell)) {
            return false;
        }
        const bool up = nonZeroInside({cell.column, cell.row - 1});
        track.waypoints[static_cast<std::size_t>(track.cornerPlacements.count)] = at;
        placeTile(appendEntry(track.cornerPlacements), cornerYaw(left, up), at);
        track.waypointCount = track.cornerPlacements.count;
        return true;
    }
    case TTile:
        code = Open;
        if (listFull(track.tPlacements, "t", cell)) {
            return false;
        }
        placeTile(appendEntry(track.tPlacements), 0.0f, at);
        return true;
    case RampTile:
        code = Open;
        if (listFull(track.rampPlacements, "ramp", cell)) {
            return false;
        }
        state.rampCells[track.rampPlacements.count] = cell;
        placeTile(appendEntry(track.rampPlacements), 0.0f, at);
        return true;
    case Store:
        placeStore(at);
        return true;
    case Wall:
        placeObject(track.wallPlacements, report.skippedWalls, at);
        return true;
    case Kubo:
        placeObject(track.kuboPlacements, report.skippedKubos, at);
        return true;
    case Carabao:
        if (track.carabaoPlacements.count == decltype(track.carabaoPlacements)::capacity) {
            ++report.skippedCarabaos;
        } else {
            placeCarabao(at);
        }
        return true;
    default:
        return true;
    }
}

bool placeEverything(BuildState& state) {
    const TrackGrid& grid = track.grid;
    for (int row = 1; row < grid.height - 1; ++row) {
        for (int column = 1; column < grid.width - 1; ++column) {
            if (!placeCell({column, row}, state)) {
                return false;
            }
        }
    }
    return true;
}

// ---- the road walk ---------------------------------------------------------------------------

struct Heading {
    int dc = 0;
    int dr = 1;
};

// Blocked ahead: the road turns away from whichever side is built up.
Heading turnAt(Cell at, Heading h) {
    if (h.dc != 0) {
        return {0, nonZeroInside({at.column, at.row - 1}) ? 1 : -1};
    }
    return {nonZeroInside({at.column - 1, at.row}) ? 1 : -1, 0};
}

// Records the corners in driving order from the arch towards +z; false unless the road leads
// back to an arch. A road that runs off the grid, loops without the arch, or turns more often
// than waypoints can hold ends the walk.
bool walkRoad(Cell start, int& turns) {
    const long long moveLimit =
        static_cast<long long>(track.grid.width) * static_cast<long long>(track.grid.height);
    Cell at = start;
    Heading heading;
    turns = 0;
    long long moves = 0;
    report.walkPath.assign(1, start);
    while (true) {
        const Cell next{at.column + heading.dc, at.row + heading.dr};
        const int code = codeOrOpen(next);
        if (code == Open) {
            // Beyond the border every cell reads open: the walk could never come back.
            if (!insideGrid(next) || ++moves > moveLimit) {
                return false;
            }
            at = next;
            if (report.walkPath.size() < WalkPathRecorded) {
                report.walkPath.push_back(at);
            }
            continue;
        }
        if (code == StartArch) {
            return true;
        }
        if (turns == MaxWaypoints) {
            return false;
        }
        track.waypoints[static_cast<std::size_t>(turns++)] = cellCentre(at);
        report.walkTurnCells.push_back(at);
        heading = turnAt(at, heading);
    }
}

// ---- closing the build -----------------------------------------------------------------------

void markRampZone(Cell ramp, int k) {
    for (int dc = -RampZoneReach; dc <= RampZoneReach; ++dc) {
        for (int dr = -RampZoneReach; dr <= RampZoneReach; ++dr) {
            const Cell cell{ramp.column + dc, ramp.row + dr};
            if (insideGrid(cell)) {
                cellAt(cell) = static_cast<std::uint8_t>(RampZone + k);
            }
        }
    }
}

void closeBuild(const BuildState& state) {
    cellAt(state.startCell) = Open;
    for (int k = 0; k < track.rampPlacements.count; ++k) {
        markRampZone(state.rampCells[k], k);
    }
}

bool buildLoadedTrack() {
    BuildState state;
    if (!placeEverything(state)) {
        return false;
    }
    report.archFound = state.archFound;
    if (!state.archFound) {
        return false;
    }
    report.walkClosed = walkRoad(state.startCell, report.walkTurns);
    closeBuild(state);
    return report.walkClosed && report.walkTurns == track.waypointCount;
}

} // namespace

std::vector<TrackMapFile> listTrackMaps() {
    std::vector<TrackMapFile> maps;
    for (std::string& name : trackMapNames(mediaFolder())) {
        maps.push_back({name, name});
    }
    const std::string own = playerTracksFolder();
    const std::size_t shipped = maps.size();
    for (std::string& name : own.empty() ? std::vector<std::string>{} : trackMapNames(own)) {
        const auto sameName = [&name](const TrackMapFile& m) {
            return equalIgnoringCase(m.name, name);
        };
        if (std::none_of(maps.begin(), maps.begin() + static_cast<std::ptrdiff_t>(shipped),
                         sameName)) {
            maps.push_back({name, relativeToMedia(own + "/" + name)});
        }
    }
    return maps;
}

std::vector<std::string> findTrackMaps() {
    std::vector<std::string> files;
    for (const TrackMapFile& map : listTrackMaps()) {
        if (files.size() == static_cast<std::size_t>(MaxTrackMaps)) {
            break;
        }
        files.push_back(map.file);
    }
    return files;
}

std::optional<std::string> trackMapFile(std::string_view name) {
    for (const TrackMapFile& map : listTrackMaps()) {
        if (equalIgnoringCase(map.name, name)) {
            return map.file;
        }
    }
    return std::nullopt;
}

std::string trackCaption(std::string_view name) {
    constexpr std::size_t prefix = 3;
    constexpr std::size_t suffix = 4;
    if (!isTrackMapName(name) || name.size() == prefix + suffix) {
        return std::string(name);
    }
    return std::string(name.substr(prefix, name.size() - prefix - suffix));
}

int chooseTrackMap(int mapCount, int r) {
    const int i = mapCount * r / RandomMax;
    return i >= mapCount ? mapCount - 1 : i;
}

bool loadTrackGrid(const char* fileName, TrackGrid& grid) {
    int width = 0;
    int height = 0;
    const auto pixels = decodeImage(fileName, width, height);
    if (!pixels || width <= 0 || height <= 0) {
        return false;
    }
    const Palette palette(pixels.get(), width);
    const std::size_t cellCount =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    grid.cells.resize(cellCount);
    for (std::size_t i = 0; i < cellCount; ++i) {
        grid.cells[i] = palette.codeOf(colourAt(pixels.get(), i));
    }
    grid.width = width;
    grid.height = height;
    grid.centreColumn = width / 2;
    grid.centreRow = height / 2;
    grid.cellWidth = CellSize;
    grid.cellDepth = CellSize;
    grid.loaded = true;
    return true;
}

bool buildTrack() {
    const std::vector<std::string> maps = findTrackMaps();
    const int r = nextRandom();
    if (maps.empty()) {
        resetTrack();
        report = {};
        return false;
    }
    const int i = chooseTrackMap(static_cast<int>(maps.size()), r);
    return buildTrackFromMap(maps[static_cast<std::size_t>(i)].c_str());
}

bool buildTrackFromMap(const char* fileName) {
    resetTrack();
    report = {};
    report.mapRead = loadTrackGrid(fileName, track.grid);
    return buildLoadedTrack();
}

void resetTrack() {
    track = TrackState{};
}

const TrackBuildReport& lastTrackBuild() {
    return report;
}

} // namespace tb
