// trundlebay-tool map FILE.bmp [--png OUT.png]: what the game builds from a track map, and what
// would spoil a race on it.
#include "tool_commands.h"

#include "assets/model.h"
#include "shell/media_paths.h"
#include "track/track_builder.h"

#include <cairo.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tb::tool {
namespace {

using Json = nlohmann::ordered_json;

// The race's lap rules: a lap counts within 20 units of the start point once a jeepney has been
// within sqrt(3200) units of the grid's centre.
constexpr float LapLineRadius = 20.0f;
const float CheckpointRadius = std::sqrt(3200.0f);

struct MapArguments {
    std::string file;
    std::string png;
};

bool parseArguments(const std::vector<std::string>& args, MapArguments& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--png" && i + 1 < args.size()) {
            out.png = args[++i];
        } else if (out.file.empty() && !args[i].starts_with("--")) {
            out.file = args[i];
        } else {
            return false;
        }
    }
    return !out.file.empty();
}

std::string formatted(const char* format, auto... values) {
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

bool isRoad(int code) {
    return code >= StartArch && code <= RampTile;
}

bool isInterior(const TrackGrid& grid, int column, int row) {
    return column > 0 && row > 0 && column < grid.width - 1 && row < grid.height - 1;
}

Point2 centreOf(const TrackGrid& grid, int column, int row) {
    return {static_cast<float>(column - grid.centreColumn) * CellSize,
            static_cast<float>(row - grid.centreRow) * CellSize};
}

// ---- what the build gives --------------------------------------------------------------------

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
    const TrackGrid& grid = track.grid;
    for (int row = 0; row < grid.height; ++row) {
        for (int column = 0; column < grid.width; ++column) {
            const int code = cellCode(grid, {column, row});
            if (code >= RampZone) {
                zones.push_back(Json::array({column, row, code - RampZone}));
            }
        }
    }
    return zones;
}

// ---- what would spoil a race -----------------------------------------------------------------

int listCapacity(const std::string& list) {
    return list == "straight" || list == "corner" ? decltype(track.straightPlacements)::capacity
                                                  : decltype(track.tPlacements)::capacity;
}

void scanProblems(const TrackBuildReport& report, std::vector<std::string>& problems) {
    if (report.fullList != nullptr) {
        const std::string list = report.fullList;
        problems.push_back(formatted(
            "The map has more than %d %s tiles: the build stops at column %d, row %d, and "
            "nothing after that cell is placed or walked.",
            listCapacity(list), list == "t" ? "T" : list.c_str(), report.stoppedAt.column,
            report.stoppedAt.row));
    }
    const std::pair<int, const char*> skipped[] = {{report.skippedWalls, "walls"},
                                                   {report.skippedKubos, "huts"},
                                                   {report.skippedCarabaos, "carabaos"}};
    for (const auto& [count, what] : skipped) {
        if (count > 0) {
            problems.push_back(
                formatted("%d %s beyond the first 16 are left out of the village.", count, what));
        }
    }
    if (!report.archFound && report.fullList == nullptr) {
        problems.push_back("There is no start arch inside the map's border: the road is not "
                           "walked and every race starts at the centre of the grid.");
    }
}

void walkProblems(const TrackBuildReport& report, std::vector<std::string>& problems) {
    if (!report.archFound || report.fullList != nullptr) {
        return;
    }
    if (!report.walkClosed && report.walkTurns >= MaxWaypoints) {
        problems.push_back(formatted("The road walk from the arch turns %d times without coming "
                                     "back to it: the road does not close.",
                                     report.walkTurns));
    } else if (!report.walkClosed) {
        problems.push_back("The road walk from the arch does not lead back to it: the road runs "
                           "into open ground, off the map or round a loop without the arch.");
    } else if (report.walkTurns != track.waypointCount) {
        problems.push_back(formatted("The road walk turns %d times but the map has %d corner "
                                     "tiles, so the computer drivers' waypoints miss the road.",
                                     report.walkTurns, track.waypointCount));
    }
}

void lapProblems(const TrackGrid& map, const TrackBuildReport& report,
                 std::vector<std::string>& problems) {
    bool roadNearCentre = false;
    for (int row = 0; row < map.height; ++row) {
        for (int column = 0; column < map.width; ++column) {
            const Point2 p = centreOf(map, column, row);
            roadNearCentre |= isInterior(map, column, row) &&
                              isRoad(cellCode(map, {column, row})) &&
                              std::hypot(p.x, p.z) < CheckpointRadius;
        }
    }
    if (!roadNearCentre) {
        problems.push_back(formatted("No road cell lies within %.1f units of the grid's centre, "
                                     "the lap checkpoint, so no lap ever counts.",
                                     CheckpointRadius));
    }
    const float startDistance = std::hypot(track.startPoint.x, track.startPoint.z);
    if (report.archFound && startDistance < CheckpointRadius + LapLineRadius) {
        problems.push_back(formatted(
            "The start point is %.1f units from the grid's centre: closer than %.1f a jeepney "
            "reaches the lap checkpoint without leaving the lap line, so laps count at the start.",
            startDistance, CheckpointRadius + LapLineRadius));
    }
}

void rampProblems(const TrackGrid& map, std::vector<std::string>& problems) {
    const auto road = [&map](int column, int row) { return isRoad(cellCode(map, {column, row})); };
    for (int row = 1; row < map.height - 1; ++row) {
        for (int column = 1; column < map.width - 1; ++column) {
            const bool alongX = road(column - 1, row) || road(column + 1, row);
            const bool alongZ = road(column, row - 1) || road(column, row + 1);
            if (cellCode(map, {column, row}) == RampTile && alongX && !alongZ) {
                problems.push_back(formatted(
                    "The ramp at column %d, row %d lies on a road running along x; ramps always "
                    "face along z, so jeepneys would meet it side-on.",
                    column, row));
            }
        }
    }
}

// ---- the picture -----------------------------------------------------------------------------

struct Rgb {
    double r, g, b;
};

Rgb cellColour(int code) {
    switch (code) {
    case Open:
        return {0.55, 0.78, 0.40};
    case Rough:
        return {0.47, 0.60, 0.30};
    case VeryRough:
        return {0.38, 0.45, 0.25};
    case StartArch:
        return {0.85, 0.15, 0.15};
    case StraightTile:
    case TTile:
        return {0.45, 0.45, 0.47};
    case CornerTile:
        return {0.35, 0.35, 0.38};
    case RampTile:
        return {0.95, 0.60, 0.10};
    case Store:
        return {0.20, 0.35, 0.80};
    case Wall:
        return {0.55, 0.35, 0.20};
    case Kubo:
        return {0.80, 0.65, 0.40};
    case Carabao:
        return {0.15, 0.15, 0.15};
    default:
        return {0.90, 0.20, 0.80};
    }
}

void drawCells(cairo_t* cr, const TrackGrid& map, double cell) {
    for (int row = 0; row < map.height; ++row) {
        for (int column = 0; column < map.width; ++column) {
            const int code = cellCode(map, {column, row});
            const Rgb c = cellColour(code);
            cairo_set_source_rgb(cr, c.r, c.g, c.b);
            const bool object = code >= Store && code <= Carabao;
            const double inset = object ? cell * 0.2 : 0.0;
            if (object) {
                const Rgb ground = cellColour(Rough);
                cairo_set_source_rgb(cr, ground.r, ground.g, ground.b);
                cairo_rectangle(cr, column * cell, row * cell, cell, cell);
                cairo_fill(cr);
                cairo_set_source_rgb(cr, c.r, c.g, c.b);
            }
            cairo_rectangle(cr, column * cell + inset, row * cell + inset, cell - 2 * inset,
                            cell - 2 * inset);
            cairo_fill(cr);
        }
    }
}

void drawRampZones(cairo_t* cr, double cell) {
    const TrackGrid& built = track.grid;
    cairo_set_source_rgba(cr, 1.0, 0.55, 0.0, 0.35);
    for (int row = 0; row < built.height; ++row) {
        for (int column = 0; column < built.width; ++column) {
            if (cellCode(built, {column, row}) >= RampZone) {
                cairo_rectangle(cr, column * cell, row * cell, cell, cell);
                cairo_fill(cr);
            }
        }
    }
}

void toPicture(const TrackGrid& map, double cell, Point2 p, double& x, double& y) {
    x = (p.x / CellSize + map.centreColumn + 0.5) * cell;
    y = (p.z / CellSize + map.centreRow + 0.5) * cell;
}

void drawWaypoints(cairo_t* cr, const TrackGrid& map, double cell) {
    if (track.waypointCount == 0) {
        return;
    }
    double x = 0, y = 0;
    toPicture(map, cell, track.startPoint, x, y);
    cairo_move_to(cr, x, y);
    for (int i = 0; i < track.waypointCount; ++i) {
        toPicture(map, cell, track.waypoints[static_cast<std::size_t>(i)], x, y);
        cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 1.0, 1.0, 0.2);
    cairo_set_line_width(cr, std::max(1.0, cell / 8));
    cairo_stroke(cr);

    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, std::max(8.0, cell * 0.6));
    for (int i = 0; i < track.waypointCount; ++i) {
        toPicture(map, cell, track.waypoints[static_cast<std::size_t>(i)], x, y);
        cairo_arc(cr, x, y, std::max(5.0, cell * 0.45), 0, 2 * 3.14159265);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        cairo_fill(cr);
        const std::string number = std::to_string(i);
        cairo_text_extents_t e;
        cairo_text_extents(cr, number.c_str(), &e);
        cairo_move_to(cr, x - e.x_bearing - e.width / 2, y - e.y_bearing - e.height / 2);
        cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
        cairo_show_text(cr, number.c_str());
    }
}

bool writePicture(const std::string& path, const TrackGrid& map) {
    const double cell = std::clamp(960.0 / std::max({map.width, map.height, 1}), 4.0, 24.0);
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(map.width * cell),
                                   static_cast<int>(map.height * cell));
    cairo_t* cr = cairo_create(surface);
    drawCells(cr, map, cell);
    drawRampZones(cr, cell);
    drawWaypoints(cr, map, cell);
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

// ---- the command -----------------------------------------------------------------------------

int runMap(const std::vector<std::string>& args) {
    MapArguments arguments;
    if (!parseArguments(args, arguments)) {
        std::fprintf(stderr, "usage: trundlebay-tool map FILE.bmp [--png OUT.png]\n");
        return 2;
    }
    const std::filesystem::path path(arguments.file);
    const std::string folder = path.has_parent_path() ? path.parent_path().string() : ".";
    const std::string name = path.filename().string();
    setGraphicsEnabled(false);
    setMediaFolder(folder);

    TrackGrid map;
    const bool readable = loadTrackGrid(name.c_str(), map);
    const bool ok = buildTrackFromMap(name.c_str());
    const TrackBuildReport& report = lastTrackBuild();

    std::vector<std::string> problems;
    if (!readable) {
        std::fprintf(stderr, "trundlebay-tool map: %s cannot be read as a bitmap\n",
                     arguments.file.c_str());
        problems.push_back("The file cannot be read as a bitmap.");
    } else {
        scanProblems(report, problems);
        walkProblems(report, problems);
        lapProblems(map, report, problems);
        rampProblems(map, problems);
    }

    const Json out{{"ok", ok},
                   {"width", track.grid.width},
                   {"height", track.grid.height},
                   {"startPoint", pointJson(track.startPoint)},
                   {"waypointCount", track.waypointCount},
                   {"waypoints", waypointsJson()},
                   {"counts", countsJson()},
                   {"rampZones", rampZonesJson()},
                   {"problems", problems}};
    std::printf("%s\n", out.dump(2).c_str());

    if (!arguments.png.empty() && readable && !writePicture(arguments.png, map)) {
        std::fprintf(stderr, "trundlebay-tool map: cannot write %s\n", arguments.png.c_str());
        return 1;
    }
    return ok && problems.empty() ? 0 : 1;
}

const ToolCommand mapCommand("map", "FILE.bmp [--png OUT.png]", runMap);

} // namespace
} // namespace tb::tool
