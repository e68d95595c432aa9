// The track maps "map*.bmp". Each is drawn below as text, one character per 16-unit cell;
// the generator adds the palette row on top and a border of rough ground round the rest (the
// builder never places the border), and writes a 24-bit bitmap, whose colours stay exact.
//
//   .  open ground          ,  rough ground (slows)   ;  very rough ground (mud, paddies)
//   #  road: the generator picks a straight or a corner tile from the road's neighbours
//   A  start arch (on a road along z)                 J  jump ramp (on a road along z)
//   T  T junction: road along z with a side road towards +x
//   S  sari-sari store (faces +x: put it on the -x side of a road along z)
//   W  wall (runs along x: put it beside a road along x)     K  bahay kubo (door to +z)
//   C  carabao
//
// Rules the builder relies on (docs/media.md explains them): roads one cell wide, with
// at least one non-road cell between any two roads; every cell next to a road that is not
// road is not open ground; the road is one closed loop through the arch, and the arch has at
// least two road cells before and after it along z. Laps count once a jeepney has been near
// the bitmap's centre cell, so the road must pass within three cells of it, and the arch
// must stand well away from it. Keep the store, walls, huts and carabaos out of the 5 x 5 cells
// round a jump: the jump's zone takes over those cells and the player would drive through them.
#include "file_output.h"
#include "image.h"
#include "image_writers.h"
#include "media_set.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace tb::media {
namespace {

enum Code : int {
    Open,
    Rough,
    VeryRough,
    StartArch,
    StraightTile,
    CornerTile,
    TTile,
    RampTile,
    Store,
    Wall,
    Kubo,
    Carabao,
    CodeCount
};

// The palette row: code k is the colour of pixel k of the map's first row.
constexpr Rgb Palette[CodeCount] = {
    {120, 200, 80},  // open ground
    {110, 130, 50},  // rough ground
    {120, 80, 40},   // very rough ground
    {255, 0, 0},     // start arch
    {128, 128, 128}, // straight tile
    {64, 64, 64},    // corner tile
    {192, 192, 192}, // T tile
    {255, 255, 0},   // ramp
    {0, 0, 255},     // store
    {255, 255, 255}, // wall
    {200, 150, 80},  // kubo
    {0, 0, 0},       // carabao
};

struct TrackMap {
    const char* file;
    std::vector<std::string> rows;
};

// Small and simple: four corners round the plaza, one jump on the far side where the two
// directions first meet.
const TrackMap Plaza{"mapPlaza.bmp",
                     {
                         ",,,,,,,,,,,,,,,,,,,,,,",
                         ",,,,WWW,,K,K,,WWW,,,,,",
                         ",,##################,,",
                         ",,#,,,,,,,,,,,,,,,,#K,",
                         ",,J,,,,,,,;,C,,,,,,#,,",
                         ",,#,,,C,;;;,,,,,,,,A,,",
                         ",,#,,,,,,;,,,,,,C,,#,,",
                         ",S#,,,,,,,,,,,,,,,,#,C",
                         ",,##################,,",
                         ",C,,,WWW,K,,WWW,,,,,,K",
                         ",,,,,,,,,,K,,,,,,,,,,,",
                         ",,,,,,,,,,,,,,,,,,,,,,",
                     }};

// Many corners: switchbacks up and down the terraces on short segments, rice paddies to both
// sides, three jumps down the terrace steps.
const TrackMap Terraces{"mapTerraces.bmp",
                        {
                            ",;;,;;,;,,,,,,,,,,,,,,,,,K,,,,",
                            ",;;,;;,;,,,K,,,,,,K,,,,,,,;;,;",
                            ",;C,;;,;,,,,,,,,,,WWWWW,,,;;,;",
                            ",;;,;;,;,,,,####,,#####,,,;C,;",
                            ",;;,;;,;,,,,#,,J,,#,,,#,,,;;,;",
                            ",,,,,,,,,,,,#,,#,,#,,S#,,,;;,;",
                            ",;;,;;,,,####,,####,,,#,,,;;,;",
                            ",;;,;C,,,#,,,,,,,,,,,,A,,K;;,;",
                            ",;;,;;,,,J,,,,,,C,,C,,#,,,;;,;",
                            ",;;,;;,,,#,,,,,,,,,,,,#,,,;;,;",
                            ",;;,;;,,,#,,,K,,,,,K,,J,,,;C,;",
                            ",;;,;;,,,##############,,,;;,;",
                            ",;;,;;,,,WWW,,,,WWWW,,,,,,;;,;",
                            ",;C,;;,K,,,,K,,,,,,,K,,,,,,,,,",
                            ",;;,;;,,,,,,,,,,,,,,,,,,,,,,,,",
                        }};

// Ramps and objects: the fiesta loop dips into the village, six jumps, a lane to a hut.
const TrackMap Fiesta{"mapFiesta.bmp",
                      {
                          ",,,,,,,,,,,,,,,,,,,,,,,,,,",
                          ",,,WWWW,,,K,K,WWWW,,,,,,,,",
                          ",,#######,,,,,#######,,,,,",
                          ",,#,,,,,#,,,,,#,,,,,J,,K,,",
                          ",,J,,C,,#,,,,,#,,,,,#,,,,,",
                          ",,#,,,,,J,,C,,#,,C,,#,,,,,",
                          ",,#,,,,,#,,,,,J,,,,,A,,C,,",
                          ",S#,,,,,#,,,,,#,,,,,#,,,,,",
                          "K,T###K,#######,,,,,#,,,,,",
                          ",,#,,,,,,,,,,,,,,,,,#,,,K,",
                          ",,#,,,,,,,,K,,,,,,,,#,,,,,",
                          ",,J,,C,,,,,,,,,,,C,,J,,,,,",
                          ",,#,,,,,,,,C,,,,,,,,#,,,,,",
                          ",,#,,,,,,,,,,,,,,,,,#,,,K,",
                          ",,###################,,,,,",
                          ",,,,WWW,,,,,WWWW,,,,,,,C,,",
                          ",,,,,,,,,K,,,,,,,,K,,,,,,,",
                      }};

// Large: a wide stretch of province with fields, paddies and farms round a loop of two long
// straights with five jumps. The road is kept short so that three laps fit in a race.
// One row a line, so that the map reads as drawn.
// clang-format off
const TrackMap Province{"mapProvince.bmp",
                     {
                         ",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,",
                         ",,,,K,,,,,K,,,,,,,,,,,,,,,,,,,,,,,K,",
                         ",,...........,,,,,,,,,,,,,K,,,,,,,,,",
                         ",,...........,,,,,,,,,,,,,,;;;;;;;,,",
                         ",,......C....,K,,,,,,,,,,,,;;;;;;;,,",
                         ",,...........,,,,,,,,,,,,,,;;C;;;;,,",
                         ",,...........,,,,,,,,,,,,,,;;;;;;;,,",
                         ",,,,,,,,,,,,,,,,,WWWWWW,,,,;;;;;;;,,",
                         ",,,,,,,,,,,,,,,,########,,,;;;;;C;,,",
                         ",,;;;;;;;;;;,,,,#,,,,,,#,,,;;;;;;;,,",
                         ",,;;;;;;;;;;,,,,#,,,,,,A,,,;;;;;;;,,",
                         ",,;;;;;;;;;;,,,,J,,,,,S#,,,,,,,,,,,,",
                         ",,;;;C;;;;;;,,,,#,,,K,,#,,K,,,,,,K,,",
                         ",,;;;;;;;;;;,,,,#,,,,,,#,,,,,,,,,,,,",
                         ",,;;;;;;;;;;,,,,#,,,,,,J,,,.......,,",
                         ",,;;;;;;;;;;,,,,J,,,,,,#,,,.......,,",
                         ",,;;;;;;;C;;,,,,#,,,C,,#,,,...C...,,",
                         ",,;;;;;;;;;;,,,,#,,,,,,#,,,.......,,",
                         ",,;;;;;C;;;;,,,,#,,,,,,J,,,.......,,",
                         ",,;;;;;;;;;;,,,,J,,,,,,#,,,.......,,",
                         ",,,,,,,,,,,,,,,,#,,,,,,#,,,,,,,,,,,,",
                         ",K,,,,,,,,,,,K,,#,,,,,,#,,K,,,,,,,,,",
                         ",,,,,,,,,,,,,,,,########,,,,,,,,,,,,",
                         ",,,.........,,,,,WWWWWW,,,,,,,,,,,,,",
                         ",,,.........,,,,,,,,,,,,,,,,,,,,,,K,",
                         ",,,...C.....,,,,,,,;;;;;;;;;;;;,,,,,",
                         ",,,.........,,,,,,,;;;C;;;;;;;;,,,,,",
                         ",,,.........,,,,,,,;;;;;;;;C;;;,,,,,",
                         ",,,,K,,,,,,,,K,,,,,;;;;;;;;;;;;,,,,,",
                         ",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,",
                     }};
// clang-format on

// Not a track ("map*.bmp" only are raced): the smallest map that shows every code and passes
// `trundlebay-tool check`, for map authors to copy, rename and redraw.
const TrackMap Template{"trackTemplate.bmp",
                        {
                            ",,,,,WWW,,,,,,",
                            ",#########,,K,",
                            ",#,,,,,,,#,,,,",
                            ",#,,C,,,,#,,,,",
                            ",#,,,,,,,J,,,,",
                            "S#,,,,,,,#,,,,",
                            ",A,,,,,,,#,,,,",
                            ",#,,,,,,,#,,,,",
                            ",#,,;;;,,#,,,,",
                            ",#,,...,,#,,,,",
                            ",#########,,,,",
                            ",,,,K,,,,,,C,,",
                        }};

const char* const CodeNames[CodeCount] = {"open ground", "rough ground",  "very rough ground",
                                          "start arch",  "straight tile", "corner tile",
                                          "T tile",      "ramp",          "store",
                                          "wall",        "hut",           "carabao"};

// The palette for image editors (GIMP's format, which Krita and Inkscape also read).
std::string gimpPalette() {
    std::string text = "GIMP Palette\nName: Trundlebay track map\nColumns: 4\n"
                       "# Entry k is palette pixel k of a map's first row and the colour of "
                       "code k.\n";
    for (int code = 0; code < CodeCount; ++code) {
        char line[96];
        std::snprintf(line, sizeof line, "%3d %3d %3d\t%d %s\n", Palette[code].r, Palette[code].g,
                      Palette[code].b, code, CodeNames[code]);
        text += line;
    }
    return text;
}

bool isRoadLike(char c) {
    return c == '#' || c == 'A' || c == 'J' || c == 'T';
}

char at(const TrackMap& map, int column, int row) {
    if (row < 0 || row >= static_cast<int>(map.rows.size()) || column < 0 ||
        column >= static_cast<int>(map.rows[row].size())) {
        return ',';
    }
    return map.rows[row][column];
}

// A road cell turns when it has one road neighbour across and one along.
Code roadTile(const TrackMap& map, int column, int row) {
    const bool across =
        isRoadLike(at(map, column - 1, row)) || isRoadLike(at(map, column + 1, row));
    const bool along = isRoadLike(at(map, column, row - 1)) || isRoadLike(at(map, column, row + 1));
    return across && along ? CornerTile : StraightTile;
}

Code codeOf(const TrackMap& map, int column, int row) {
    switch (at(map, column, row)) {
    case '.':
        return Open;
    case ';':
        return VeryRough;
    case 'A':
        return StartArch;
    case '#':
        return roadTile(map, column, row);
    case 'T':
        return TTile;
    case 'J':
        return RampTile;
    case 'S':
        return Store;
    case 'W':
        return Wall;
    case 'K':
        return Kubo;
    case 'C':
        return Carabao;
    default:
        return Rough;
    }
}

Image mapImage(const TrackMap& map) {
    const int columns = static_cast<int>(map.rows.front().size());
    for (const std::string& row : map.rows) {
        if (static_cast<int>(row.size()) != columns) {
            std::fprintf(stderr, "mediagen: %s has rows of different lengths\n", map.file);
            std::abort();
        }
    }
    const int width = columns + 2;
    const int height = static_cast<int>(map.rows.size()) + 2;
    Image image(width, height, Palette[Rough]);
    for (int code = 0; code < CodeCount; ++code) {
        image.at(code, 0) = Palette[code];
    }
    for (int row = 0; row < static_cast<int>(map.rows.size()); ++row) {
        for (int column = 0; column < columns; ++column) {
            image.at(column + 1, row + 1) = Palette[codeOf(map, column, row)];
        }
    }
    return image;
}

} // namespace

bool writeTrackMaps(const std::string& folder) {
    for (const TrackMap* map : {&Plaza, &Terraces, &Fiesta, &Province}) {
        if (!writeBmp(folder + "/" + map->file, mapImage(*map))) {
            return false;
        }
    }
    return true;
}

bool writeMapKit(const std::string& folder) {
    return writeBmp(folder + "/" + Template.file, mapImage(Template)) &&
           writeWholeFile(folder + "/trackPalette.gpl", gimpPalette());
}

} // namespace tb::media
