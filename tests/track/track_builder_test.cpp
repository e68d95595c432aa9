#include "track/track_builder.h"

#include "assets/game_models.h"
#include "shell/media_paths.h"
#include "shell/random.h"
#include "support/bmp_writer.h"
#include "track/transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace tb {
namespace {

// Distinct colours for palette entries 0..255. Even entries have green's top bit set, so a
// reader that let green reach into red would take each for the next odd entry.
std::uint32_t paletteColour(int code) {
    return static_cast<std::uint32_t>(code) << 16 |
           static_cast<std::uint32_t>(code % 2 == 0 ? 0x80 : 0x00) << 8 | 0x40u;
}

// Sorts between palette entries 4 and 5 without being either.
constexpr std::uint32_t ColourOutsideThePalette = 0x050000u;

// A map drawn in symbols: a symbol's place in the string is its code, '-' is a straight tile
// too, 'z' is the zone of ramp 1 and anything else a colour outside the palette.
int codeOfSymbol(char symbol) {
    constexpr std::string_view Symbols = ".rvA|+TJSWKC";
    const std::size_t code = Symbols.find(symbol == '-' ? '|' : symbol);
    return symbol == 'z' ? RampZone + 1 : code == Symbols.npos ? -1 : static_cast<int>(code);
}

// The world x and z of a cell's centre on the built track, and of waypoint i.
std::pair<float, float> centreOf(int column, int row) {
    return {static_cast<float>(column - track.grid.centreColumn) * 16.0f,
            static_cast<float>(row - track.grid.centreRow) * 16.0f};
}
std::pair<float, float> waypoint(int i) {
    const Point2 w = track.waypoints[static_cast<std::size_t>(i)];
    return {w.x, w.z};
}

int codeAt(int column, int row) {
    return cellCode(track.grid, {column, row});
}

// The codes of the first cells of the grid's second row, the first row drawn below the palette.
std::vector<int> rowCodes(const TrackGrid& grid, int count) {
    std::vector<int> codes;
    for (int x = 0; x < count; ++x) {
        codes.push_back(cellCode(grid, {x, 1}));
    }
    return codes;
}

class TrackBuilderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previousMedia_ = mediaFolder();
        char pattern[] = "/tmp/trundlebay-maps-XXXXXX";
        folder_ = mkdtemp(pattern);
        setMediaFolder(folder_);
        const char* dataHome = std::getenv("XDG_DATA_HOME");
        previousDataHome_ = dataHome ? std::optional<std::string>(dataHome) : std::nullopt;
        setenv("XDG_DATA_HOME", (folder_ + "/data").c_str(), 1);
        resetTrack();
        resetGameModels();
    }

    void TearDown() override {
        setMediaFolder(previousMedia_);
        previousDataHome_ ? setenv("XDG_DATA_HOME", previousDataHome_->c_str(), 1)
                          : unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(folder_);
        resetTrack();
        resetGameModels();
    }

    // Row 0 becomes the palette (entry x has its own colour); the strings are rows 1 onwards.
    void writeMap(const std::string& name, const std::vector<std::string>& rows) const {
        const int width = static_cast<int>(rows.front().size());
        const int height = static_cast<int>(rows.size()) + 1;
        std::vector<std::uint32_t> pixels;
        for (int x = 0; x < width; ++x) {
            pixels.push_back(paletteColour(x));
        }
        for (const std::string& row : rows) {
            ASSERT_EQ(static_cast<int>(row.size()), width);
            for (const char symbol : row) {
                const int code = codeOfSymbol(symbol);
                pixels.push_back(code < 0 ? ColourOutsideThePalette : paletteColour(code));
            }
        }
        ASSERT_TRUE(test::writeBmp(folder_ + "/" + name, width, height, pixels));
    }

    void touch(const std::string& name) const { writeMap(name, {"rrrr", "rrrr", "rrrr"}); }

    std::string folder_;

  private:
    std::string previousMedia_;
    std::optional<std::string> previousDataHome_;
};

// A rectangular loop with the arch in its left side, rough ground all round; 12 by 10 with the
// palette row, so a walk that took the height for the row stride would never close it.
const std::vector<std::string> LoopMap = {
    "rrrrrrrrrrrr", //
    "rr+----+rrrr", //
    "rr|rrrr|rrrr", //
    "rrArrrr|rrrr", //
    "rr|rrrr|rrrr", //
    "rr+----+rrrr", //
    "rrrrrrrrrrrr", //
    "rrrrrrrrrrrr", //
    "rrrrrrrrrrrr", //
};

// Maps of any case, the media folder's first in name order, then the player's own that the
// media folder does not already have; the random choice keeps to the first sixteen.
TEST_F(TrackBuilderTest, MapsOfAnyCaseAreListedMediaFirstAndTheRandomChoiceKeepsSixteen) {
    for (const char* name :
         {"map2.bmp", "MAP1.BMP", "Map_b.Bmp", "map.bmp", "mapx.jpg", "xmap.bmp", "map3.bmp.txt"}) {
        touch(name);
    }
    std::filesystem::create_directory(folder_ + "/map_folder.bmp");
    std::filesystem::create_directories(folder_ + "/data/trundlebay/tracks");
    for (const char* name : {"MAP2.BMP", "mapZ.bmp", "notes.txt"}) {
        touch("data/trundlebay/tracks/" + std::string(name));
    }
    writeMap("data/trundlebay/tracks/mapC.bmp", LoopMap);
    std::vector<std::string> names;
    for (const TrackMapFile& map : listTrackMaps()) {
        names.push_back(map.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"MAP1.BMP", "Map_b.Bmp", "map.bmp", "map2.bmp",
                                               "mapC.bmp", "mapZ.bmp"}));

    const std::optional<std::string> ownMap = trackMapFile("MAPC.BMP");
    ASSERT_TRUE(ownMap);
    EXPECT_TRUE(buildTrackFromMap(ownMap->c_str())) << "reached from the media folder";
    EXPECT_EQ(track.waypointCount, 4);
    EXPECT_EQ(trackMapFile("MAP2.bmp"), "map2.bmp");
    EXPECT_FALSE(trackMapFile("mapGone.bmp"));
    EXPECT_EQ(trackCaption("mapPlaza.bmp"), "Plaza");
    EXPECT_EQ(trackCaption("MAP_b.BMP"), "_b");

    for (int i = 10; i < 30; ++i) {
        touch("map" + std::to_string(i) + ".bmp");
    }
    EXPECT_EQ(listTrackMaps().size(), 26u) << "every map is offered";
    const std::vector<std::string> randomChoice = findTrackMaps();
    ASSERT_EQ(randomChoice.size(), 16u);
    EXPECT_EQ(randomChoice.front(), "MAP1.BMP");
    EXPECT_EQ(randomChoice.back(), "map21.bmp");
}

TEST_F(TrackBuilderTest, RandomChoiceCoversEveryMapAndNeverRunsPastTheList) {
    for (const auto& [count, draw, chosen] : {std::tuple{1, 0, 0},
                                              {1, 32767, 0},
                                              {5, 32767, 4},
                                              {3, 10922, 0},
                                              {3, 10923, 1},
                                              {16, 32766, 15}}) {
        EXPECT_EQ(chooseTrackMap(count, draw), chosen) << count << " maps, draw " << draw;
    }

    writeMap("map_only.bmp", LoopMap);
    EXPECT_TRUE(buildTrack());
    EXPECT_EQ(track.waypointCount, 4);

    std::filesystem::remove(folder_ + "/map_only.bmp");
    EXPECT_FALSE(buildTrack()) << "no map in the folder";
    EXPECT_FALSE(track.grid.loaded);
    EXPECT_EQ(track.grid.width, 0);
    EXPECT_FALSE(lastTrackBuild().walkClosed) << "nor the last build's report";
}

TEST_F(TrackBuilderTest, ReadingAMapMatchesColoursExactly) {
    // 20 entries wide: entry 17 is a ramp zone code straight from the map.
    writeMap("map.bmp", {"r.v?SWKCz..........."});
    TrackGrid grid;
    ASSERT_TRUE(loadTrackGrid("map.bmp", grid));
    EXPECT_EQ(std::tuple(grid.loaded, grid.width, grid.height, grid.centreColumn, grid.centreRow),
              std::tuple(true, 20, 2, 10, 1));
    for (int x = 0; x < 20; ++x) {
        EXPECT_EQ(cellCode(grid, {x, 0}), x) << "the palette row codes itself";
    }
    EXPECT_EQ(rowCodes(grid, 9),
              (std::vector<int>{Rough, Open, VeryRough, Open, Store, Wall, Kubo, Carabao, 17}));

    // An 8-entry palette knows codes 0 to 7 only; a repeated colour keeps its first index.
    std::vector<std::uint32_t> pixels;
    for (int x = 0; x < 8; ++x) {
        pixels.push_back(paletteColour(x == 7 ? 2 : x));
    }
    for (const int code : {2, 7, 8, 11, 6, 0, 1, 5}) {
        pixels.push_back(paletteColour(code));
    }
    ASSERT_TRUE(test::writeBmp(folder_ + "/narrow.bmp", 8, 2, pixels));
    ASSERT_TRUE(loadTrackGrid("narrow.bmp", grid));
    EXPECT_EQ(cellCode(grid, {7, 0}), 2);
    EXPECT_EQ(rowCodes(grid, 8), (std::vector<int>{2, Open, Open, Open, 6, 0, 1, 5}));

    // A file that is not a bitmap leaves the grid as it was.
    std::ofstream(folder_ + "/broken.bmp") << "BM not really";
    EXPECT_FALSE(loadTrackGrid("broken.bmp", grid));
    EXPECT_FALSE(loadTrackGrid("missing.bmp", grid));
    EXPECT_EQ(grid.width, 8);
    EXPECT_EQ(cellCode(grid, {4, 1}), 6);
}

TEST_F(TrackBuilderTest, RectangularLoopGivesFourWaypointsInDrivingOrder) {
    writeMap("map.bmp", LoopMap);
    ASSERT_TRUE(buildTrackFromMap("map.bmp"));
    ASSERT_EQ(track.waypointCount, 4);
    const Cell order[] = {{2, 6}, {7, 6}, {7, 2}, {2, 2}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(waypoint(i), centreOf(order[i].column, order[i].row)) << i;
    }
    const Mat4& arch = gameModels.arch.transform;
    EXPECT_EQ(std::tuple(track.startPoint.x, track.startPoint.z, arch[12], arch[14]),
              std::tuple(-64.0f, -16.0f, -64.0f, -16.0f));
    EXPECT_NEAR(arch[8], 9.0f, 1e-3f) << "arch turned a quarter, scale 9";
    EXPECT_NEAR(arch[5], 5.0f, 1e-5f);
    EXPECT_NEAR(arch[2], -9.0f, 1e-3f);

    EXPECT_EQ(track.straightPlacements.count, 13);
    EXPECT_EQ(track.cornerPlacements.count, 4);
    EXPECT_EQ(codeAt(2, 4), Open) << "the arch cell is cleared once the walk is done";
    EXPECT_EQ(codeAt(3, 2), Open);
    EXPECT_EQ(codeAt(1, 2), Rough);

    // Corners face the way their built-up neighbours say: the four yaws of the loop's corners.
    const auto yawCosine = [](const Mat4& m) { return m[0] / 10.01f; };
    const auto yawSine = [](const Mat4& m) { return m[8] / 10.01f; };
    const Mat4* corners = track.cornerPlacements.entries.data();
    EXPECT_NEAR(yawCosine(corners[0]), 1.0f, 1e-4f);  // (2, 2): left and up built
    EXPECT_NEAR(yawSine(corners[1]), -1.0f, 1e-4f);   // (7, 2): up only
    EXPECT_NEAR(yawSine(corners[2]), 1.0f, 1e-4f);    // (2, 6): left only
    EXPECT_NEAR(yawCosine(corners[3]), -1.0f, 1e-4f); // (7, 6): neither
    EXPECT_NEAR(corners[3][5], 10.0f, 1e-5f);
}

TEST_F(TrackBuilderTest, StraightRightOfTheArchIsTurnedAndTheLaterArchWins) {
    writeMap("map.bmp", {
                            "rrrrrrrrrrrr", //
                            "rr+----+rrrr", //
                            "rr|rrrr|rrrr", //
                            "rrA-rrrArrrr", //
                            "rr|rrrr|rrrr", //
                            "rr+----+rrrr", //
                            "rrrrrrrrrrrr", //
                        });
    EXPECT_FALSE(buildTrackFromMap("map.bmp")) << "the walk meets the other arch halfway";
    const Mat4& beside = track.straightPlacements.entries[6]; // after rows 1 and 2
    EXPECT_FLOAT_EQ(beside[12], (3 - 6) * 16.0f);
    EXPECT_NEAR(beside[8], 10.01f, 1e-3f) << "its left neighbour is the arch";
    const Mat4& along = track.straightPlacements.entries[0];
    EXPECT_NEAR(along[0], 10.01f, 1e-3f) << "left neighbour already cleared";

    EXPECT_EQ(std::tuple(track.startPoint.x, track.startPoint.z, gameModels.arch.transform[12]),
              std::tuple(16.0f, 0.0f, 16.0f));
    EXPECT_EQ(codeAt(7, 4), Open);
    EXPECT_EQ(codeAt(2, 4), StartArch) << "only the arch that stands is cleared";
    EXPECT_EQ(std::tuple(lastTrackBuild().walkClosed, lastTrackBuild().walkTurns),
              std::tuple(true, 2));
}

TEST_F(TrackBuilderTest, RampZonesReachTheEdgeAndLaterRampsOverwrite) {
    writeMap("map.bmp", {
                            "r+--J-+rrrrr", //
                            "rJrrrr|rrrrr", //
                            "r|rrrr|rrrrr", //
                            "rArrrr|rrrrr", //
                            "r|rrrr|rrrrr", //
                            "r+----+rrrrr", //
                            "rrrrrrrrrrrr", //
                        });
    ASSERT_TRUE(buildTrackFromMap("map.bmp"));
    ASSERT_EQ(track.rampPlacements.count, 2);
    // Ramp 0 at (4, 1) and ramp 1 at (1, 2); zones are 5 x 5, clipped to the grid.
    EXPECT_EQ(codeAt(5, 1), RampZone + 0);
    EXPECT_EQ(codeAt(6, 0), RampZone + 0) << "the palette row is inside the grid";
    EXPECT_EQ(codeAt(2, 1), RampZone + 1) << "the later ramp overwrites the overlap";
    EXPECT_EQ(codeAt(0, 0), RampZone + 1);
    EXPECT_EQ(codeAt(0, 4), RampZone + 1);
    EXPECT_EQ(codeAt(3, 4), RampZone + 1);
    EXPECT_EQ(codeAt(1, 4), RampZone + 1) << "the zone covers the cleared arch cell";
    EXPECT_EQ(codeAt(0, 5), Rough);
    EXPECT_EQ(codeAt(4, 4), Rough);
    EXPECT_EQ(codeAt(7, 0), 7) << "palette entry beyond both zones";
    EXPECT_FLOAT_EQ(track.rampPlacements.entries[1][12], (1 - 6) * 16.0f);
}

TEST_F(TrackBuilderTest, ObjectsArePlacedAndFullObjectListsSkipQuietly) {
    std::string walls(18, 'W');
    std::string huts(18, 'K');
    walls[0] = walls[17] = huts[0] = huts[17] = 'r';
    writeMap("map.bmp", {
                            std::string(18, 'r'), //
                            walls,                //
                            huts,                 //
                            "rSrrrrrrrrrrrrrrCr", //
                            std::string(18, 'r'), //
                        });
    seedRandom(77);
    const float u1 = signedUnit(nextRandom());
    const float u2 = signedUnit(nextRandom());
    const float u3 = signedUnit(nextRandom());
    seedRandom(77);

    EXPECT_FALSE(buildTrackFromMap("map.bmp")) << "no arch";
    EXPECT_EQ(track.wallPlacements.count, 16);
    EXPECT_EQ(track.kuboPlacements.count, 16);
    EXPECT_EQ(lastTrackBuild().skippedWalls, 0);
    EXPECT_EQ(lastTrackBuild().skippedKubos, 0);
    EXPECT_FALSE(lastTrackBuild().archFound);

    const Mat4& wall = track.wallPlacements.entries[15];
    EXPECT_FLOAT_EQ(wall[12], (16 - 9) * 16.0f);
    EXPECT_FLOAT_EQ(wall[14], (2 - 3) * 16.0f);
    Mat4 rest = wall;
    rest[12] = rest[14] = 0.0f;
    EXPECT_EQ(rest, identityMatrix()) << "walls and huts are translated only";
    EXPECT_EQ(codeAt(5, 2), Wall) << "objects keep their codes";

    const Mat4& carabao = track.carabaoPlacements.entries[0];
    EXPECT_FLOAT_EQ(carabao[12], (16 - 9) * 16.0f + u2);
    EXPECT_FLOAT_EQ(carabao[14], (4 - 3) * 16.0f + u1);
    EXPECT_NEAR(carabao[8], 0.65f * std::sin(0.25f * u3), 1e-5f);
    EXPECT_NEAR(carabao[5], 0.65f, 1e-6f);

    EXPECT_FLOAT_EQ(gameModels.store.transform[12], (1 - 9) * 16.0f);
    EXPECT_NEAR(gameModels.store.transform[8], 9.0f, 1e-3f);
    EXPECT_NEAR(gameModels.store.transform[5], 9.0f, 1e-5f);
    EXPECT_NEAR(gameModels.store.transform[2], -9.0f, 1e-3f);

    // A seventeenth wall is left out and the scan goes on to the next row.
    std::string moreWalls(19, 'W');
    moreWalls[0] = moreWalls[18] = 'r';
    writeMap("more.bmp", {std::string(19, 'r'), moreWalls, "rKrrrrrrrrrrrrrrrrr",
                          "r" + std::string(17, 'C') + "r", std::string(19, 'r')});
    EXPECT_FALSE(buildTrackFromMap("more.bmp"));
    EXPECT_EQ(track.wallPlacements.count, 16);
    EXPECT_EQ(lastTrackBuild().skippedWalls, 1);
    EXPECT_EQ(track.kuboPlacements.count, 1);
    EXPECT_EQ(track.carabaoPlacements.count, 16);
    EXPECT_EQ(lastTrackBuild().skippedCarabaos, 1);
}

TEST_F(TrackBuilderTest, FullStreetListStopsTheScanWhereItIs) {
    const std::string road = "rA" + std::string(130, '-') + "+r";
    writeMap("map.bmp", {std::string(road.size(), 'r'), road, std::string(road.size(), 'r')});
    EXPECT_FALSE(buildTrackFromMap("map.bmp"));
    EXPECT_EQ(track.straightPlacements.count, 128);
    EXPECT_STREQ(lastTrackBuild().fullList, "straight");
    EXPECT_EQ(lastTrackBuild().stoppedAt.column, 130);
    EXPECT_EQ(codeAt(130, 2), Open) << "the cell that found the list full is cleared";
    EXPECT_EQ(codeAt(131, 2), StraightTile) << "nothing after it is visited";
    EXPECT_EQ(track.cornerPlacements.count, 0);
    EXPECT_EQ(codeAt(1, 2), StartArch) << "no walk, so the arch keeps its code";

    std::string ramps(20, 'J');
    ramps[0] = ramps[19] = 'r';
    writeMap("ramps.bmp", {std::string(20, 'r'), ramps, std::string(20, 'r')});
    EXPECT_FALSE(buildTrackFromMap("ramps.bmp"));
    EXPECT_EQ(track.rampPlacements.count, 16);
    EXPECT_STREQ(lastTrackBuild().fullList, "ramp");
    EXPECT_EQ(codeAt(3, 2), Open) << "no ramp zones after a stopped scan";
}

TEST_F(TrackBuilderTest, RoadThatNeverReturnsEndsTheWalkWithFailure) {
    // The stem leads into a ring that does not pass the arch: the walk circles until the
    // waypoints are full.
    std::vector<std::string> ring = {
        "rrArrrr", //
        "rr|rrrr", //
        "r+T---+", //
        "r|rrrr|", //
        "r+----+", //
    };
    // Roomy enough that the waypoints fill up before the walk runs out of steps.
    ring.resize(29);
    for (std::string& row : ring) {
        row.resize(30, 'r');
    }
    writeMap("ring.bmp", ring);
    EXPECT_FALSE(buildTrackFromMap("ring.bmp"));
    EXPECT_FALSE(lastTrackBuild().walkClosed);
    EXPECT_EQ(lastTrackBuild().walkTurns, MaxWaypoints);
    EXPECT_EQ(track.waypointCount, 4);
    EXPECT_EQ(codeAt(2, 1), Open) << "the build is still closed";
    ASSERT_EQ(track.tPlacements.count, 1);
    Mat4 t{};
    const auto [tx, tz] = centreOf(2, 3);
    composeTransform(t, 10.01f, 10.0f, 10.01f, 0, 0, 0, tx, 0, tz);
    EXPECT_EQ(track.tPlacements.entries[0], t) << "a T tile stands unturned on its cell";

    // A road that runs into open ground and off the map.
    writeMap("open.bmp", {
                             "rrrrrrrrrrrr", //
                             "rrArrrrrrrrr", //
                             "rr|rrrrrrrrr", //
                             "rr.rrrrrrrrr", //
                             "rr.rrrrrrrrr", //
                         });
    EXPECT_FALSE(buildTrackFromMap("open.bmp"));
    EXPECT_FALSE(lastTrackBuild().walkClosed);
    EXPECT_EQ(lastTrackBuild().walkTurns, 0);

    // A corner tile off the road: the walk closes but counts one turn fewer.
    std::vector<std::string> extra = LoopMap;
    extra[7][10] = '+';
    writeMap("extra.bmp", extra);
    EXPECT_FALSE(buildTrackFromMap("extra.bmp"));
    EXPECT_TRUE(lastTrackBuild().walkClosed);
    EXPECT_EQ(lastTrackBuild().walkTurns, 4);
    EXPECT_EQ(track.waypointCount, 5);

    // Two rows: nothing lies inside the border.
    writeMap("tiny.bmp", {"AAAA"});
    EXPECT_FALSE(buildTrackFromMap("tiny.bmp"));
    EXPECT_FALSE(lastTrackBuild().archFound);
    EXPECT_EQ(codeAt(1, 1), StartArch);
}

TEST(TrackGridTest, AWorldPointFallsInTheNearestCellAndCellsOutsideHaveNoCode) {
    track.grid.centreColumn = 5;
    track.grid.centreRow = 3;
    track.grid.cellWidth = 16.0f;
    track.grid.cellDepth = 8.0f;
    const struct {
        float x, z;
        int column, row;
    } cases[] = {
        {7.9f, 3.9f, 5, 3},       {8.1f, 4.1f, 6, 4},     {-7.9f, -3.9f, 5, 3},
        {-8.1f, -4.1f, 4, 2},     {-71.9f, -19.9f, 1, 1}, {-87.9f, -27.9f, 0, 0},
        {-88.1f, -28.1f, -1, -1}, // rounds away from zero, not down
    };
    for (const auto& c : cases) {
        const Cell cell = worldToCell(c.x, c.z);
        EXPECT_EQ(cell.column, c.column) << "x " << c.x;
        EXPECT_EQ(cell.row, c.row) << "z " << c.z;
    }
    track.grid.width = 2;
    track.grid.height = 2;
    track.grid.cells = {1, 2, 3, 4};
    for (const Cell outside : {Cell{-1, 0}, Cell{2, 0}, Cell{0, -1}, Cell{0, 2}}) {
        EXPECT_EQ(cellCode(track.grid, outside), -1) << outside.column << ", " << outside.row;
    }
    EXPECT_EQ(cellCode(track.grid, {1, 1}), 4);
    resetTrack();
}

} // namespace
} // namespace tb
