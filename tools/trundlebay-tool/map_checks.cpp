#include "map_checks.h"

#include "assets/image_decode.h"
#include "assets/model.h"
#include "shell/media_paths.h"
#include "track/track_builder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace tb::tool {
namespace {

using Json = nlohmann::ordered_json;

// The race's lap rules: a lap counts within 20 units of the start point once a jeepney has been
// within sqrt(3200) units of the grid's centre.
constexpr float LapLineRadius = 20.0f;
const float CheckpointRadius = std::sqrt(3200.0f);
constexpr int RampZoneReach = 2;
constexpr int FirstUnusedCode = 12;
// One rule broken a hundred times is one mistake; the rest only add to the count.
constexpr int FindingsPerCheck = 12;
constexpr std::size_t CellsListed = 1000;

std::string formatted(const char* format, auto... values) {
    char text[512];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

bool isRoad(int code) {
    return code >= StartArch && code <= RampTile;
}

bool isObject(int code) {
    return code >= Store && code <= Carabao;
}

bool isInterior(const TrackGrid& grid, Cell cell) {
    return cell.column > 0 && cell.row > 0 && cell.column < grid.width - 1 &&
           cell.row < grid.height - 1;
}

std::size_t indexOf(const TrackGrid& grid, Cell cell) {
    return static_cast<std::size_t>(cell.row) * static_cast<std::size_t>(grid.width) +
           static_cast<std::size_t>(cell.column);
}

const char* codeName(int code) {
    static const char* const names[] = {"open ground", "rough ground",  "very rough ground",
                                        "start arch",  "straight tile", "corner tile",
                                        "T tile",      "ramp",          "store",
                                        "wall",        "hut",           "carabao"};
    return code >= 0 && code < FirstUnusedCode ? names[code] : "unused code";
}

Point2 centreOf(const TrackGrid& grid, Cell cell) {
    return {static_cast<float>(cell.column - grid.centreColumn) * CellSize,
            static_cast<float>(cell.row - grid.centreRow) * CellSize};
}

// ---- the four directions ---------------------------------------------------------------------

struct Direction {
    Opening bit;
    int dc;
    int dr;
    const char* name;
};

constexpr std::array<Direction, 4> Directions{{{TowardsPlusX, 1, 0, "+x"},
                                               {TowardsMinusX, -1, 0, "-x"},
                                               {TowardsPlusZ, 0, 1, "+z"},
                                               {TowardsMinusZ, 0, -1, "-z"}}};

Cell step(Cell cell, const Direction& d) {
    return {cell.column + d.dc, cell.row + d.dr};
}

const Direction& opposite(const Direction& d) {
    for (const Direction& o : Directions) {
        if (o.dc == -d.dc && o.dr == -d.dr) {
            return o;
        }
    }
    return d;
}

// A direction in the tile's own frame turned by the placed matrix onto the grid.
unsigned worldOpening(const Mat4& m, float x, float z) {
    const float wx = x * m[0] + z * m[8];
    const float wz = x * m[2] + z * m[10];
    if (std::fabs(wx) > std::fabs(wz)) {
        return wx > 0 ? TowardsPlusX : TowardsMinusX;
    }
    return wz > 0 ? TowardsPlusZ : TowardsMinusZ;
}

// Which edges of its cell each tile's road reaches at yaw 0, in the tile's own frame.
struct TileShape {
    std::vector<std::pair<float, float>> edges;
};

template <int Capacity>
void markOpenings(MapCheck& check, const PlacementList<Capacity>& list, const TileShape& shape) {
    for (int i = 0; i < list.count; ++i) {
        const Mat4& m = list.entries[static_cast<std::size_t>(i)];
        const Cell cell = worldToCell(m[12], m[14]);
        if (cellCode(check.map, cell) < 0) {
            continue;
        }
        unsigned bits = 0;
        for (const auto& [x, z] : shape.edges) {
            bits |= worldOpening(m, x, z);
        }
        check.openings[indexOf(check.map, cell)] = bits;
    }
}

void findOpenings(MapCheck& check) {
    check.openings.assign(check.map.cells.size(), 0);
    markOpenings(check, track.straightPlacements, {{{1, 0}, {-1, 0}}});
    markOpenings(check, track.cornerPlacements, {{{1, 0}, {0, 1}}});
    markOpenings(check, track.tPlacements, {{{0, 1}, {0, -1}, {1, 0}}});
    markOpenings(check, track.rampPlacements, {{{0, 1}, {0, -1}}});
    const TrackGrid& map = check.map;
    for (int row = 1; row < map.height - 1; ++row) {
        for (int column = 1; column < map.width - 1; ++column) {
            if (cellCode(map, {column, row}) == StartArch) {
                check.openings[indexOf(map, {column, row})] = TowardsPlusZ | TowardsMinusZ;
            }
        }
    }
}

// ---- collecting findings ---------------------------------------------------------------------

class Findings {
  public:
    explicit Findings(std::vector<MapFinding>& out) : out_(out) {}

    void add(const char* check, Cell cell, std::string text) {
        if (++counts_[check] <= FindingsPerCheck) {
            out_.push_back({check, cell.column, cell.row, std::move(text)});
        }
    }

    void add(const char* check, std::string text) {
        out_.push_back({check, -1, -1, std::move(text)});
    }

    void summariseOverflow() {
        for (const auto& [check, count] : counts_) {
            if (count > FindingsPerCheck) {
                add(check.c_str(), formatted("%d more like the ones above (rule \"%s\").",
                                             count - FindingsPerCheck, check.c_str()));
            }
        }
    }

  private:
    std::vector<MapFinding>& out_;
    std::map<std::string, int> counts_;
};

template <typename Visit> void forEachCell(const TrackGrid& grid, Visit visit) {
    for (int row = 0; row < grid.height; ++row) {
        for (int column = 0; column < grid.width; ++column) {
            visit(Cell{column, row}, cellCode(grid, {column, row}));
        }
    }
}

// ---- the file --------------------------------------------------------------------------------

// What the first bytes say the file is; empty for a plain BMP.
std::string foreignFormat(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[8] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    if (in.gcount() >= 2 && head[0] == 'B' && head[1] == 'M') {
        return "";
    }
    if (head[0] == 0xFF && head[1] == 0xD8) {
        return "a JPEG picture";
    }
    if (head[0] == 0x89 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G') {
        return "a PNG picture";
    }
    if (head[0] == 'G' && head[1] == 'I' && head[2] == 'F') {
        return "a GIF picture";
    }
    return "not a BMP bitmap";
}

void fileFindings(const std::string& path, const MapCheck& check, Findings& findings) {
    const std::string foreign = foreignFormat(path);
    if (!foreign.empty()) {
        findings.add("file", formatted("The file is %s, not a BMP bitmap. Save the map as BMP: "
                                       "lossy formats such as JPEG change the colours, so cells "
                                       "no longer match the palette row.",
                                       foreign.c_str()));
    }
    if (!check.readable) {
        findings.add("file", "The file cannot be read as a bitmap.");
    }
}

// ---- the palette -----------------------------------------------------------------------------

void readColours(const std::string& name, MapCheck& check) {
    int width = 0;
    int height = 0;
    const auto pixels = decodeImage(name.c_str(), width, height);
    if (!pixels || width != check.map.width || height != check.map.height) {
        return;
    }
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    check.colours.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = pixels.get() + 3 * i;
        check.colours[i] =
            static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
    }
}

std::string cellList(const std::vector<Cell>& cells, std::size_t shown) {
    std::string text;
    for (std::size_t i = 0; i < std::min(shown, cells.size()); ++i) {
        text += formatted("%s(%d, %d)", i == 0 ? "" : ", ", cells[i].column, cells[i].row);
    }
    return text + (cells.size() > shown ? ", ..." : "");
}

void paletteFindings(MapCheck& check, Findings& findings) {
    const TrackGrid& map = check.map;
    if (check.colours.empty()) {
        return;
    }
    const std::size_t paletteWidth = static_cast<std::size_t>(std::min(map.width, 256));
    const auto first = check.colours.begin();
    const auto last = first + static_cast<std::ptrdiff_t>(paletteWidth);
    forEachCell(map, [&](Cell cell, int) {
        if (std::find(first, last, check.colours[indexOf(map, cell)]) == last) {
            ++check.offPaletteCount;
            if (check.offPalette.size() < CellsListed) {
                check.offPalette.push_back(cell);
            }
        }
    });
    const bool one = check.offPaletteCount == 1;
    if (check.offPaletteCount > 0) {
        findings.add("palette", check.offPalette.front(),
                     formatted("%d %s a colour that is not in the palette row and read%s as "
                               "open ground, so jeepneys drive through whatever %s meant to be "
                               "(column, row): %s. Paint with the palette's exact colours; turn "
                               "off anti-aliasing and smoothing.",
                               check.offPaletteCount, one ? "pixel has" : "pixels have",
                               one ? "s" : "", one ? "it was" : "they were",
                               cellList(check.offPalette, 10).c_str()));
    }
    const long interior = static_cast<long>(std::max(map.width - 2, 0)) * (map.height - 2);
    if (check.offPaletteCount * 4L > interior && interior > 0) {
        findings.add("palette", "Most cells match no palette colour: the picture was probably "
                                "saved as JPEG at some point, or its first row is not the "
                                "palette.");
    }
    forEachCell(map, [&](Cell cell, int code) {
        if (!isInterior(map, cell) || code < FirstUnusedCode) {
            return;
        }
        findings.add("palette", cell,
                     code >= RampZone
                         ? formatted("The cell at column %d, row %d has the colour of palette "
                                     "pixel %d, which the game reads as the zone round jump %d.",
                                     cell.column, cell.row, code, code - RampZone)
                         : formatted("The cell at column %d, row %d has the colour of palette "
                                     "pixel %d, which means nothing: nothing stands there.",
                                     cell.column, cell.row, code));
    });
}

// ---- road tiles and how they join ------------------------------------------------------------

bool placedRoad(const MapCheck& check, Cell cell) {
    return isInterior(check.map, cell) && isRoad(cellCode(check.map, cell));
}

unsigned openingsAt(const MapCheck& check, Cell cell) {
    return cellCode(check.map, cell) < 0 ? 0 : check.openings[indexOf(check.map, cell)];
}

std::string roadName(const MapCheck& check, Cell cell) {
    return formatted("%s at column %d, row %d", codeName(cellCode(check.map, cell)), cell.column,
                     cell.row);
}

void borderFindings(const MapCheck& check, Findings& findings) {
    forEachCell(check.map, [&](Cell cell, int code) {
        if (cell.row > 0 && !isInterior(check.map, cell) && code >= StartArch &&
            code < FirstUnusedCode) {
            findings.add("border", cell,
                         formatted("The %s at column %d, row %d is on the map's border, which "
                                   "the builder never places.",
                                   codeName(code), cell.column, cell.row));
        }
    });
}

// Each pair of neighbouring road cells either joins from both sides or not at all.
void pairFinding(const MapCheck& check, Cell a, const Direction& d, Findings& findings) {
    const Cell b = step(a, d);
    if (!placedRoad(check, b)) {
        return;
    }
    const bool aJoins = (openingsAt(check, a) & d.bit) != 0;
    const bool bJoins = (openingsAt(check, b) & opposite(d).bit) != 0;
    if (aJoins && bJoins) {
        return;
    }
    const Cell at = aJoins ? b : a;
    const Cell other = aJoins ? a : b;
    if (aJoins || bJoins) {
        findings.add("join", at,
                     "The " + roadName(check, at) + " is placed facing away from the " +
                         roadName(check, other) +
                         ", which leads into it: the road is drawn "
                         "broken there. A straight tile runs along x unless the cell to its left "
                         "is not open ground; a corner turns by the cells to its left and above.");
    } else {
        findings.add("join", a,
                     "The " + roadName(check, a) + " touches the " + roadName(check, b) +
                         " without joining it: keep one cell of ground between roads.");
    }
}

void joinFindings(const MapCheck& check, Findings& findings) {
    forEachCell(check.map, [&](Cell cell, int) {
        if (!placedRoad(check, cell)) {
            return;
        }
        pairFinding(check, cell, Directions[0], findings);
        pairFinding(check, cell, Directions[2], findings);
        for (const Direction& d : Directions) {
            const Cell next = step(cell, d);
            const int code = cellCode(check.map, next);
            const bool ground = code < StartArch || !isInterior(check.map, next);
            if ((openingsAt(check, cell) & d.bit) != 0 && ground) {
                findings.add("join", cell,
                             "The " + roadName(check, cell) +
                                 " is placed with its road running "
                                 "towards " +
                                 d.name + " into " +
                                 (code < 0 ? std::string("the edge of the map")
                                           : codeName(std::max(code, 0))) +
                                 formatted(" at column %d, row %d.", next.column, next.row));
            }
        }
    });
}

void archFindings(const MapCheck& check, Findings& findings) {
    int arches = 0;
    forEachCell(check.map, [&](Cell cell, int code) {
        if (code != StartArch || !isInterior(check.map, cell)) {
            return;
        }
        ++arches;
        for (const int dr : {-1, 1}) {
            const Cell next{cell.column, cell.row + dr};
            if (cellCode(check.map, next) == CornerTile) {
                findings.add("arch", cell,
                             formatted("The start arch at column %d, row %d has a corner right "
                                       "beside it at row %d: the jeepneys start on the turn. "
                                       "Keep straight road on both sides of the arch along z.",
                                       cell.column, cell.row, next.row));
            }
        }
    });
    if (arches > 1) {
        findings.add("arch", formatted("The map has %d start arches: the last in reading order "
                                       "is the start, the others stand in the road as obstacles.",
                                       arches));
    }
}

// ---- objects ---------------------------------------------------------------------------------

void objectFindings(const MapCheck& check, Findings& findings) {
    std::vector<Cell> stores;
    std::vector<Cell> ramps;
    forEachCell(check.map, [&](Cell cell, int code) {
        if (isInterior(check.map, cell) && code == Store) {
            stores.push_back(cell);
        }
        if (isInterior(check.map, cell) && code == RampTile) {
            ramps.push_back(cell);
        }
    });
    if (stores.empty()) {
        findings.add("store", "The map has no store: the game draws the store at the grid's "
                              "centre.");
    } else if (stores.size() > 1) {
        findings.add("store", stores.back(),
                     formatted("The map has %zu store cells: the store stands only at the last, "
                               "column %d, row %d; the others are invisible obstacles.",
                               stores.size(), stores.back().column, stores.back().row));
    }
    for (const Cell store : stores) {
        if (!placedRoad(check, {store.column + 1, store.row})) {
            findings.add("store", store,
                         formatted("The store at column %d, row %d faces +x, but the cell on its "
                                   "right is no road: put the store on the left of a road along "
                                   "z.",
                                   store.column, store.row));
        }
    }
    forEachCell(check.map, [&](Cell cell, int code) {
        if (code != Wall || !isInterior(check.map, cell)) {
            return;
        }
        for (const int dc : {-1, 1}) {
            if (placedRoad(check, {cell.column + dc, cell.row})) {
                findings.add("wall", cell,
                             formatted("The wall at column %d, row %d runs along x into the road "
                                       "at column %d: put walls beside roads along x.",
                                       cell.column, cell.row, cell.column + dc));
            }
        }
    });
    for (const Cell ramp : ramps) {
        for (int dr = -RampZoneReach; dr <= RampZoneReach; ++dr) {
            for (int dc = -RampZoneReach; dc <= RampZoneReach; ++dc) {
                const Cell cell{ramp.column + dc, ramp.row + dr};
                const int code = cellCode(check.map, cell);
                if (isObject(code) && isInterior(check.map, cell)) {
                    findings.add("zone", cell,
                                 formatted("The %s at column %d, row %d is inside the jump zone "
                                           "of the ramp at column %d, row %d: the zone replaces "
                                           "it, so jeepneys drive through it.",
                                           codeName(code), cell.column, cell.row, ramp.column,
                                           ramp.row));
                }
            }
        }
    }
}

// ---- what the builder met --------------------------------------------------------------------

int listCapacity(const std::string& list) {
    return list == "straight" || list == "corner" ? decltype(track.straightPlacements)::capacity
                                                  : decltype(track.tPlacements)::capacity;
}

void scanFindings(const TrackBuildReport& report, Findings& findings) {
    if (report.fullList != nullptr) {
        const std::string list = report.fullList;
        findings.add("count", report.stoppedAt,
                     formatted("The map has more than %d %s tiles: the build stops at column "
                               "%d, row %d, and nothing after that cell is placed or walked.",
                               listCapacity(list), list == "t" ? "T" : list.c_str(),
                               report.stoppedAt.column, report.stoppedAt.row));
    }
    const std::pair<int, const char*> skipped[] = {{report.skippedWalls, "walls"},
                                                   {report.skippedKubos, "huts"},
                                                   {report.skippedCarabaos, "carabaos"}};
    for (const auto& [count, what] : skipped) {
        if (count > 0) {
            findings.add(
                "count",
                formatted("%d %s beyond the first 16 are left out of the village.", count, what));
        }
    }
    if (!report.archFound && report.fullList == nullptr) {
        findings.add("arch", "There is no start arch inside the map's border: the road is not "
                             "walked and every race starts at the centre of the grid.");
    }
}

void walkLeftRoad(const MapCheck& check, const TrackBuildReport& report, Findings& findings) {
    for (const Cell cell : report.walkPath) {
        if (!isRoad(cellCode(check.map, cell))) {
            findings.add("walk", cell,
                         formatted("The road walk from the arch leaves the road at column %d, "
                                   "row %d and goes on over open ground: the road is cut there "
                                   "or a tile is missing.",
                                   cell.column, cell.row));
            return;
        }
    }
}

void walkTurnsAtCorners(const MapCheck& check, const TrackBuildReport& report, Findings& findings) {
    for (const Cell cell : report.walkTurnCells) {
        const int code = cellCode(check.map, cell);
        if (code != CornerTile) {
            findings.add("walk", cell,
                         formatted("The road walk turns at column %d, row %d, which is %s, not a "
                                   "corner tile: the way on is blocked there.",
                                   cell.column, cell.row, codeName(std::max(code, 0))));
        }
    }
    if (!report.walkClosed) {
        return;
    }
    forEachCell(check.map, [&](Cell cell, int code) {
        const bool turned =
            std::any_of(report.walkTurnCells.begin(), report.walkTurnCells.end(),
                        [cell](Cell t) { return t.column == cell.column && t.row == cell.row; });
        if (code == CornerTile && isInterior(check.map, cell) && !turned) {
            findings.add("walk", cell,
                         formatted("The corner at column %d, row %d is not on the road from the "
                                   "arch: the computer drivers' waypoints include it anyway.",
                                   cell.column, cell.row));
        }
    });
}

void walkFindings(const MapCheck& check, const TrackBuildReport& report, Findings& findings) {
    if (!report.archFound || report.fullList != nullptr) {
        return;
    }
    walkLeftRoad(check, report, findings);
    walkTurnsAtCorners(check, report, findings);
    const Cell end = report.walkPath.empty() ? Cell{} : report.walkPath.back();
    if (!report.walkClosed && report.walkTurns >= MaxWaypoints) {
        findings.add("walk", end,
                     formatted("The road walk from the arch turns %d times without coming back "
                               "to it: the road does not close.",
                               report.walkTurns));
    } else if (!report.walkClosed) {
        findings.add("walk", end,
                     formatted("The road walk from the arch does not lead back to it: it stops "
                               "at column %d, row %d, where the road runs into open ground, off "
                               "the map or round a loop without the arch.",
                               end.column, end.row));
    } else if (report.walkTurns != track.waypointCount) {
        findings.add("walk",
                     formatted("The road walk turns %d times but the map has %d corner tiles, so "
                               "the computer drivers' waypoints miss the road.",
                               report.walkTurns, track.waypointCount));
    }
}

void lapFindings(const MapCheck& check, const TrackBuildReport& report, Findings& findings) {
    bool roadNearCentre = false;
    forEachCell(check.map, [&](Cell cell, int code) {
        const Point2 p = centreOf(check.map, cell);
        roadNearCentre |=
            isInterior(check.map, cell) && isRoad(code) && std::hypot(p.x, p.z) < CheckpointRadius;
    });
    if (!roadNearCentre) {
        findings.add("lap", formatted("No road cell lies within %.1f units of the grid's centre, "
                                      "the lap checkpoint, so no lap ever counts.",
                                      CheckpointRadius));
    }
    const float startDistance = std::hypot(track.startPoint.x, track.startPoint.z);
    if (report.archFound && startDistance < CheckpointRadius + LapLineRadius) {
        findings.add("lap", formatted("The start point is %.1f units from the grid's centre: "
                                      "closer than %.1f a jeepney reaches the lap checkpoint "
                                      "without leaving the lap line, so laps count at the start.",
                                      startDistance, CheckpointRadius + LapLineRadius));
    }
}

void rampFindings(const MapCheck& check, Findings& findings) {
    const auto road = [&check](int column, int row) {
        return isRoad(cellCode(check.map, {column, row}));
    };
    forEachCell(check.map, [&](Cell cell, int code) {
        const bool alongX = road(cell.column - 1, cell.row) || road(cell.column + 1, cell.row);
        const bool alongZ = road(cell.column, cell.row - 1) || road(cell.column, cell.row + 1);
        if (code == RampTile && isInterior(check.map, cell) && alongX && !alongZ) {
            findings.add("ramp", cell,
                         formatted("The ramp at column %d, row %d lies on a road running along "
                                   "x; ramps always face along z, so jeepneys would meet it "
                                   "side-on.",
                                   cell.column, cell.row));
        }
    });
}

// ---- the report ------------------------------------------------------------------------------

Json pointJson(Point2 p) {
    return Json::array({p.x, p.z});
}

Json waypointsJson() {
    Json list = Json::array();
    for (int i = 0; i < track.waypointCount; ++i) {
        list.push_back(pointJson(track.waypoints[static_cast<std::size_t>(i)]));
    }
    return list;
}

Json countsJson() {
    return Json{{"straight", track.straightPlacements.count},
                {"corner", track.cornerPlacements.count},
                {"t", track.tPlacements.count},
                {"ramp", track.rampPlacements.count},
                {"wall", track.wallPlacements.count},
                {"kubo", track.kuboPlacements.count},
                {"carabao", track.carabaoPlacements.count}};
}

Json rampZonesJson() {
    Json zones = Json::array();
    forEachCell(track.grid, [&](Cell cell, int code) {
        if (code >= RampZone) {
            zones.push_back(Json::array({cell.column, cell.row, code - RampZone}));
        }
    });
    return zones;
}

Json findingsJson(const std::vector<MapFinding>& findings) {
    Json list = Json::array();
    for (const MapFinding& f : findings) {
        Json entry{{"check", f.check}};
        entry["column"] = f.column >= 0 ? Json(f.column) : Json(nullptr);
        entry["row"] = f.row >= 0 ? Json(f.row) : Json(nullptr);
        entry["text"] = f.text;
        list.push_back(entry);
    }
    return list;
}

} // namespace

MapCheck checkTrackMap(const std::string& file) {
    const std::filesystem::path path(file);
    const std::string name = path.filename().string();
    const std::string gameMedia = mediaFolder();
    setGraphicsEnabled(false);
    setMediaFolder(path.has_parent_path() ? path.parent_path().string() : ".");

    MapCheck check;
    check.readable = loadTrackGrid(name.c_str(), check.map);
    check.builds = buildTrackFromMap(name.c_str());
    const TrackBuildReport& report = lastTrackBuild();

    Findings findings(check.findings);
    fileFindings(file, check, findings);
    if (check.readable) {
        readColours(name, check);
        findOpenings(check);
        paletteFindings(check, findings);
        borderFindings(check, findings);
        scanFindings(report, findings);
        joinFindings(check, findings);
        archFindings(check, findings);
        walkFindings(check, report, findings);
        objectFindings(check, findings);
        lapFindings(check, report, findings);
        rampFindings(check, findings);
    }
    findings.summariseOverflow();
    setMediaFolder(gameMedia);
    return check;
}

nlohmann::ordered_json mapCheckJson(const MapCheck& check) {
    Json problems = Json::array();
    for (const MapFinding& f : check.findings) {
        problems.push_back(f.text);
    }
    Json offPalette = Json::array();
    for (const Cell cell : check.offPalette) {
        offPalette.push_back(Json::array({cell.column, cell.row}));
    }
    return Json{{"ok", check.ok()},
                {"width", track.grid.width},
                {"height", track.grid.height},
                {"startPoint", pointJson(track.startPoint)},
                {"waypointCount", track.waypointCount},
                {"waypoints", waypointsJson()},
                {"counts", countsJson()},
                {"rampZones", rampZonesJson()},
                {"problems", problems},
                {"builds", check.builds},
                {"findings", findingsJson(check.findings)},
                {"offPaletteCount", check.offPaletteCount},
                {"offPalette", offPalette}};
}

} // namespace tb::tool
