// The generated media against the game's own rules: every track map builds with each tile
// turned along its road, the start grid fits, the ramp is a hump the height test finds, the
// sky encloses the largest map, the engine loop runs on where the mixer restarts it; and the
// pictures as the game decodes them: repeating textures join seamlessly, only the parts meant
// to be cut out are pure black, the liveries come in the order the results line names them.
#include "assets/game_models.h"
#include "assets/image_decode.h"
#include "assets/model_file.h"
#include "race/race_progress.h"
#include "race/ramps.h"
#include "race/vehicle.h"
#include "shell/media_paths.h"
#include "track/collisions.h"
#include "track/track_builder.h"
#include "track/transform.h"

#include "mesh.h"
#include "texture_layouts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace tb {
namespace {

class GeneratedMedia : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = mediaFolder();
        setMediaFolder(TB_BUILD_MEDIA_DIR);
        // The maps found are the generated ones alone, never the tester's own tracks.
        const char* dataHome = std::getenv("XDG_DATA_HOME");
        previousDataHome_ = dataHome ? std::optional<std::string>(dataHome) : std::nullopt;
        setenv("XDG_DATA_HOME", "/nonexistent/trundlebay-test-data", 1);
        setGraphicsEnabled(false);
        resetGameModels();
        resetTrack();
    }
    void TearDown() override {
        resetGameModels();
        resetTrack();
        setMediaFolder(previous_);
        previousDataHome_ ? setenv("XDG_DATA_HOME", previousDataHome_->c_str(), 1)
                          : unsetenv("XDG_DATA_HOME");
    }
    std::string previous_;
    std::optional<std::string> previousDataHome_;
};

bool isRoad(const TrackGrid& grid, int column, int row) {
    const int code = cellCode(grid, {column, row});
    return code >= StartArch && code <= RampTile;
}

// The neighbouring cell in the world direction (dx, dz), rounded to the nearest axis.
Cell neighbour(Cell c, float dx, float dz) {
    if (std::fabs(dx) > std::fabs(dz)) {
        return {c.column + (dx > 0 ? 1 : -1), c.row};
    }
    return {c.column, c.row + (dz > 0 ? 1 : -1)};
}

Cell placedCell(const TrackGrid& grid, const Mat4& m) {
    return {static_cast<int>(std::lround(m[12] / CellSize)) + grid.centreColumn,
            static_cast<int>(std::lround(m[14] / CellSize)) + grid.centreRow};
}

// Where the tile model's edge midpoint (x, z) lands, as a direction from its cell centre.
Cell edgeNeighbour(const TrackGrid& grid, const Mat4& m, float x, float z) {
    const Vec3 p = transformPoint(m, x, 0, z);
    return neighbour(placedCell(grid, m), p.x - m[12], p.z - m[14]);
}

TEST_F(GeneratedMedia, EveryTrackMapBuildsAClosedRoadWithTilesFacingTheirRoad) {
    const std::vector<std::string> maps = findTrackMaps();
    ASSERT_GE(maps.size(), 4u);
    for (const std::string& name : maps) {
        SCOPED_TRACE(name);
        TrackGrid original;
        ASSERT_TRUE(loadTrackGrid(name.c_str(), original));
        resetTrack();
        ASSERT_TRUE(buildTrackFromMap(name.c_str()));
        EXPECT_EQ(track.waypointCount, track.cornerPlacements.count);
        for (int i = 0; i < track.straightPlacements.count; ++i) {
            // A straight tile's road runs along its model x axis.
            const Mat4& m = track.straightPlacements.entries[i];
            const Cell c = placedCell(original, m);
            const Cell ahead = edgeNeighbour(original, m, 0.8f, 0);
            const Cell behind = edgeNeighbour(original, m, -0.8f, 0);
            EXPECT_TRUE(isRoad(original, ahead.column, ahead.row) ||
                        isRoad(original, behind.column, behind.row))
                << "straight at " << c.column << "," << c.row;
            const Cell side = edgeNeighbour(original, m, 0, 0.8f);
            EXPECT_FALSE(isRoad(original, side.column, side.row))
                << "straight at " << c.column << "," << c.row;
        }
        for (int i = 0; i < track.cornerPlacements.count; ++i) {
            // A corner joins its model's +x and +z edges, and only those.
            const Mat4& m = track.cornerPlacements.entries[i];
            const Cell c = placedCell(original, m);
            for (const auto& [x, z, joins] :
                 {std::tuple{0.8f, 0.0f, true}, std::tuple{0.0f, 0.8f, true},
                  std::tuple{-0.8f, 0.0f, false}, std::tuple{0.0f, -0.8f, false}}) {
                const Cell n = edgeNeighbour(original, m, x, z);
                EXPECT_EQ(isRoad(original, n.column, n.row), joins)
                    << "corner at " << c.column << "," << c.row << " edge " << x << "," << z;
            }
        }
        for (int i = 0; i < track.rampPlacements.count; ++i) {
            const Cell c = placedCell(original, track.rampPlacements.entries[i]);
            EXPECT_TRUE(isRoad(original, c.column, c.row - 1) &&
                        isRoad(original, c.column, c.row + 1));
        }
        // Laps: the road passes the lap checkpoint, and the start is well clear of it.
        bool nearCentre = false;
        for (int r = 0; r < original.height; ++r) {
            for (int c = 0; c < original.width; ++c) {
                const float x = (c - original.centreColumn) * CellSize,
                            z = (r - original.centreRow) * CellSize;
                nearCentre = nearCentre || (isRoad(original, c, r) && x * x + z * z < 3200);
            }
        }
        EXPECT_TRUE(nearCentre);
        const Point2 s = track.startPoint;
        EXPECT_GT(s.x * s.x + s.z * s.z, 90.0f * 90.0f);
    }
}

// Asphalt is dark grey; verges and shoulders are not.
bool asphaltAt(const std::uint8_t* pixels, int width, int x, int y) {
    const std::uint8_t* p = &pixels[(y * width + x) * 3];
    return p[0] < 110 && p[1] < 110 && p[2] < 110 && std::abs(p[0] - p[2]) < 20;
}

// Where a point on a flat tile's top falls in its picture, from the top quad's own corners.
std::pair<int, int> pixelOf(const Model& tile, float x, float z, int width, int height) {
    const ModelVertex* lo = &tile.vertices[0];
    const ModelVertex* hi = &tile.vertices[0];
    for (std::uint32_t i = 0; i < tile.vertexCount; ++i) {
        const ModelVertex& v = tile.vertices[i];
        lo = v.position[0] + v.position[2] < lo->position[0] + lo->position[2] ? &v : lo;
        hi = v.position[0] + v.position[2] > hi->position[0] + hi->position[2] ? &v : hi;
    }
    const float s = (x - lo->position[0]) / (hi->position[0] - lo->position[0]);
    const float t = (z - lo->position[2]) / (hi->position[2] - lo->position[2]);
    const float u = lo->texcoord[0] + s * (hi->texcoord[0] - lo->texcoord[0]);
    const float v = lo->texcoord[1] + t * (hi->texcoord[1] - lo->texcoord[1]);
    return {std::clamp(static_cast<int>(u * width), 0, width - 1),
            std::clamp(static_cast<int>(v * height), 0, height - 1)};
}

TEST_F(GeneratedMedia, TilePicturesShowTheRoadWhereTheirModelsJoinIt) {
    struct Expected {
        const char* model;
        bool plusX, minusX, plusZ, minusZ;
    };
    for (const Expected& e : {Expected{"streetS.a3f", true, true, false, false},
                              Expected{"streetL.a3f", true, false, true, false},
                              Expected{"streetT.a3f", true, false, true, true}}) {
        SCOPED_TRACE(e.model);
        Model tile;
        ASSERT_TRUE(loadModelFile(e.model, tile));
        int w = 0, h = 0;
        const auto pixels = decodeImage(tile.textureFile.c_str(), w, h);
        ASSERT_TRUE(pixels);
        const float edge = 0.78f;
        for (const auto& [x, z, road] :
             {std::tuple{edge, 0.0f, e.plusX}, std::tuple{-edge, 0.0f, e.minusX},
              std::tuple{0.0f, edge, e.plusZ}, std::tuple{0.0f, -edge, e.minusZ}}) {
            const auto [px, py] = pixelOf(tile, x, z, w, h);
            // Just off the centre line, whose paint is white.
            const int ox = z != 0 ? 20 : 0, oy = x != 0 ? 20 : 0;
            EXPECT_EQ(asphaltAt(pixels.get(), w, std::clamp(px + ox, 0, w - 1),
                                std::clamp(py + oy, 0, h - 1)),
                      road)
                << "edge " << x << "," << z;
        }
    }
}

TEST_F(GeneratedMedia, StartGridJeepneysFitUnderTheArchWithoutTouching) {
    Model jeepney;
    ASSERT_TRUE(loadModelFile("jeepney.a3f", jeepney));
    Model wheel;
    ASSERT_TRUE(loadModelFile("wheel.a3f", wheel));
    EXPECT_NEAR(wheel.boundsMax.y, 0.66f, 0.01f);
    EXPECT_NEAR(wheel.boundsMin.z, -0.66f, 0.02f);
    // The wheels mount inside the body's reach, the body a little over 3 wide.
    EXPECT_LT(jeepney.boundsMax.x - jeepney.boundsMin.x, 4.0f);
    EXPECT_GT(jeepney.boundsMax.x, 1.4f + 0.27f);
    EXPECT_LT(jeepney.boundsMin.z, 0.0f - 0.66f);
    EXPECT_GT(jeepney.boundsMax.z, 6.14f + 0.66f);
    for (int i = 0; i < VehicleCount; ++i) {
        vehicleBody(i) = jeepney;
    }
    placeStartGrid(0, 0);
    for (int i = 0; i < VehicleCount; ++i) {
        for (int j = i + 1; j < VehicleCount; ++j) {
            EXPECT_FALSE(modelsTouch(vehicleBody(i), vehicleBody(j)).touching) << i << " and " << j;
        }
    }
    // Under the arch, nothing below the roofs may stand within the two lanes.
    Model arch;
    ASSERT_TRUE(loadModelFile("arch.a3f", arch));
    Mat4 placed;
    composeTransform(placed, 9, 5, 9, 0, 1.570795f, 0, 0, 0, 0);
    const float lanes = 3.64f + jeepney.boundsMax.x + 0.3f;
    for (std::uint32_t v = 0; v < arch.vertexCount; ++v) {
        const float* p = arch.vertices[v].position;
        const Vec3 w = transformPoint(placed, p[0], p[1], p[2]);
        EXPECT_TRUE(w.y > jeepney.boundsMax.y + 1.0f || std::fabs(w.x) > lanes)
            << w.x << "," << w.y;
        // What stands on the cell stays inside it; its road overlaps the next as tiles do.
        EXPECT_TRUE(w.y < 0.05f || std::fabs(w.x) < CellSize / 2) << w.x << "," << w.y;
    }
}

// The mean facing, once placed, of the triangles showing one part of the model's texture.
media::V3 placedFacing(const Model& model, const Mat4& placement, media::TexRect part) {
    const auto inPart = [&](const ModelVertex& v) {
        return v.texcoord[0] >= part.u0 - 1e-4f && v.texcoord[0] <= part.u1 + 1e-4f &&
               v.texcoord[1] >= part.v0 - 1e-4f && v.texcoord[1] <= part.v1 + 1e-4f;
    };
    const auto placed = [&](const ModelVertex& v) {
        const Vec3 p = transformPoint(placement, v.position[0], v.position[1], v.position[2]);
        return media::V3{p.x, p.y, p.z};
    };
    media::V3 sum;
    for (std::uint32_t f = 0; f < model.faceCount; ++f) {
        const ModelVertex& a = model.vertices[model.faceIndices[3 * f]];
        const ModelVertex& b = model.vertices[model.faceIndices[3 * f + 1]];
        const ModelVertex& c = model.vertices[model.faceIndices[3 * f + 2]];
        const media::V3 n = cross(placed(b) - placed(a), placed(c) - placed(a));
        if (inPart(a) && inPart(b) && inPart(c) && length(n) > 0) {
            sum = sum + normalised(n);
        }
    }
    return normalised(sum);
}

TEST_F(GeneratedMedia, FrontsFaceTheWayTheGameUsesThem) {
    struct Facing {
        const char* model;
        Mat4 placement;
        media::TexRect part;
        media::V3 world;
    };
    Mat4 store, arch, unplaced = identityMatrix();
    composeTransform(store, 9, 9, 9, 0, 1.570795f, 0, 0, 0, 0);
    composeTransform(arch, 9, 5, 9, 0, 1.570795f, 0, 0, 0, 0);
    using media::TextureSize;
    const Facing facings[] = {
        // The counter faces +x, towards the road the store stands left of.
        {"store.a3f", store, media::store::Texture.of(media::store::Front), {1, 0, 0}},
        // The start banner greets the jeepneys driving towards +z.
        {"arch.a3f", arch, media::arch::Texture.of(media::arch::BannerStart), {0, 0, -1}},
        {"arch.a3f", arch, media::arch::Texture.of(media::arch::Road), {0, 1, 0}},
        {"kubo.a3f", unplaced, media::kubo::Texture.of(media::kubo::WallDoor), {0, 0, 1}},
        {"jeepney.a3f", unplaced, media::jeepney::Texture.of(media::jeepney::Grille), {0, 0, 1}},
        {"jeepney.a3f", unplaced, media::jeepney::Texture.of(media::jeepney::Rear), {0, 0, -1}},
        {"jeepney.a3f", unplaced, media::jeepney::Texture.of(media::jeepney::Roof), {0, 1, 0}},
    };
    for (const Facing& f : facings) {
        SCOPED_TRACE(f.model);
        Model model;
        ASSERT_TRUE(loadModelFile(f.model, model));
        const media::V3 n = placedFacing(model, f.placement, f.part);
        EXPECT_GT(dot(n, f.world), 0.95f) << "faces " << n.x << "," << n.y << "," << n.z;
    }
}

TEST_F(GeneratedMedia, RampIsAHumpTheHeightTestFindsFromBothSides) {
    buildModel("streetJ.a3f", gameModels.streetJ);
    ASSERT_EQ(gameModels.streetJ.loaded, 1);
    composeTransform(track.rampPlacements.entries[0], 10.01f, 10, 10.01f, 0, 0, 0, 0, 0, 0);
    track.rampPlacements.count = 1;
    std::vector<float> heights;
    for (float z = -7.5f; z <= 7.51f; z += 0.5f) {
        const SegmentHit hit = rampHeightUnder(0, {2.0f, -1, z}, {2.0f, 9, z});
        ASSERT_TRUE(hit.hit) << z;
        heights.push_back(10 * hit.t - 1);
    }
    const float top = heights[heights.size() / 2];
    EXPECT_GT(top, 1.0f);
    EXPECT_LT(top, 9.0f);
    EXPECT_LT(heights.front(), 0.5f);
    for (std::size_t i = 0; i < heights.size(); ++i) {
        EXPECT_NEAR(heights[i], heights[heights.size() - 1 - i], 0.01f) << "not the same both ways";
        EXPECT_LE(heights[i], top + 0.01f) << "the top is not the first triangle met";
        if (i > 0 && i <= heights.size() / 2) {
            EXPECT_GE(heights[i], heights[i - 1] - 0.01f);
            EXPECT_LT(heights[i] - heights[i - 1], 0.9f) << "a step too steep to drive up";
        }
    }
}

TEST_F(GeneratedMedia, SkyDomeEnclosesTheLargestMapInsideTheFarPlane) {
    Model sky, field;
    ASSERT_TRUE(loadModelFile("skyDome.a3f", sky));
    ASSERT_TRUE(loadModelFile("field.a3f", field));
    const float radius = 200 * std::fmin(sky.boundsMax.x, sky.boundsMax.z);
    EXPECT_LT(150 * sky.boundsMin.y, -0.1f) << "the dome must reach below the field";
    EXPECT_GE(1500 * field.boundsMax.x, radius) << "the field must reach the dome";
    float largest = 0;
    for (const std::string& name : findTrackMaps()) {
        TrackGrid grid;
        ASSERT_TRUE(loadTrackGrid(name.c_str(), grid));
        largest =
            std::fmax(largest, std::hypot(grid.width * CellSize / 2, grid.height * CellSize / 2));
    }
    EXPECT_GT(radius, largest + 100);
    EXPECT_LT(radius + largest, 2500.0f);
    EXPECT_LT(150 * sky.boundsMax.y, 2500.0f - largest);
}

std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(GeneratedMedia, EngineLoopRunsOnSeamlesslyWhereTheMixerRestartsIt) {
    const std::vector<std::uint8_t> bytes = fileBytes(mediaPath("jeep.wav"));
    ASSERT_GT(bytes.size(), 44u);
    ASSERT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    std::vector<int> s;
    for (std::size_t i = 44; i + 1 < bytes.size(); i += 2) {
        s.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8));
    }
    ASSERT_GT(s.size(), 11025u);
    ASSERT_LT(s.size(), 3u * 11025u);
    const std::size_t loop = s.size() - 16;
    for (std::size_t k = 0; k < 16; ++k) {
        EXPECT_EQ(s[loop + k], s[k]) << "the stereo lead reads past the loop";
    }
    int largestStep = 0;
    for (std::size_t i = 1; i < loop; ++i) {
        largestStep = std::max(largestStep, std::abs(s[i] - s[i - 1]));
    }
    EXPECT_LE(std::abs(s[0] - s[loop - 1]), largestStep / 2) << "a click where the loop restarts";
}

struct Decoded {
    std::unique_ptr<std::uint8_t[]> pixels;
    int width = 0;
    int height = 0;
    const std::uint8_t* at(int x, int y) const { return &pixels[(y * width + x) * 3]; }
};

Decoded decode(const char* name) {
    Decoded d;
    d.pixels = decodeImage(name, d.width, d.height);
    return d;
}

int difference(const std::uint8_t* a, const std::uint8_t* b) {
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

// The step from the last column back to the first, against the steps inside the picture.
void expectSeamless(const Decoded& d, int fromRow, int toRow) {
    long across = 0, inside = 0;
    for (int y = fromRow; y < toRow; ++y) {
        across += difference(d.at(d.width - 1, y), d.at(0, y));
        inside += difference(d.at(d.width / 2, y), d.at(d.width / 2 + 1, y));
    }
    EXPECT_LT(across, 2 * inside + 3 * (toRow - fromRow));
}

TEST_F(GeneratedMedia, RepeatingTexturesJoinWithoutASeam) {
    const Decoded field = decode("field.jpg");
    ASSERT_TRUE(field.pixels);
    expectSeamless(field, 0, field.height);
    long down = 0, inside = 0;
    for (int x = 0; x < field.width; ++x) {
        down += difference(field.at(x, field.height - 1), field.at(x, 0));
        inside += difference(field.at(x, field.height / 2), field.at(x, field.height / 2 + 1));
    }
    EXPECT_LT(down, 2 * inside + 3 * field.width);
    // The sky goes round the dome: its picture must join left to right at every height.
    const Decoded sky = decode("skyDome.jpg");
    ASSERT_TRUE(sky.pixels);
    expectSeamless(sky, 0, sky.height);
}

bool inside(media::PixelRect r, int x, int y) {
    return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

bool black(const std::uint8_t* p) {
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

TEST_F(GeneratedMedia, OnlyTheCutOutPartsArePureBlack) {
    struct CutOut {
        const char* file;
        std::vector<media::PixelRect> parts;
    };
    const CutOut cutOuts[] = {{"kubo.bmp", {media::kubo::Thatch}},
                              {"arch.bmp", {media::arch::Bunting, media::arch::Crown}}};
    for (const CutOut& c : cutOuts) {
        SCOPED_TRACE(c.file);
        const Decoded d = decode(c.file);
        ASSERT_TRUE(d.pixels);
        std::vector<int> holes(c.parts.size(), 0);
        int stray = 0;
        for (int y = 0; y < d.height; ++y) {
            for (int x = 0; x < d.width; ++x) {
                if (!black(d.at(x, y))) {
                    continue;
                }
                bool meant = false;
                for (std::size_t k = 0; k < c.parts.size(); ++k) {
                    if (inside(c.parts[k], x, y)) {
                        ++holes[k];
                        meant = true;
                    }
                }
                stray += meant ? 0 : 1;
            }
        }
        EXPECT_EQ(stray, 0) << "pure black outside a cut-out shows as a hole";
        for (const int n : holes) {
            EXPECT_GT(n, 50);
        }
    }
}

TEST_F(GeneratedMedia, LiveriesComeInTheOrderOfTheResultsLine) {
    // Blue for the player, then gold, red and purple.
    const char* files[] = {"jeepney1.jpg", "jeepney2.jpg", "jeepney3.jpg", "jeepney4.jpg"};
    const auto isBlue = [](int r, int g, int b) { return b > r + 80 && b > g + 60; };
    const auto isGold = [](int r, int g, int b) { return r > 180 && g > 130 && b < 90; };
    const auto isRed = [](int r, int g, int b) { return r > 150 && g < 70 && b < 70; };
    const auto isPurple = [](int r, int g, int b) { return b > g + 60 && r > g + 40; };
    const std::function<bool(int, int, int)> expected[] = {isBlue, isGold, isRed, isPurple};
    for (int i = 0; i < 4; ++i) {
        const Decoded d = decode(files[i]);
        ASSERT_TRUE(d.pixels) << files[i];
        ASSERT_EQ(d.width, media::jeepney::Texture.width);
        ASSERT_EQ(d.height, media::jeepney::Texture.height);
        const std::uint8_t* p = d.at(media::jeepney::Paint.x + media::jeepney::Paint.w / 2,
                                     media::jeepney::Paint.y + media::jeepney::Paint.h / 2);
        EXPECT_TRUE(expected[i](p[2], p[1], p[0]))
            << files[i] << " paint is " << int(p[2]) << "," << int(p[1]) << "," << int(p[0]);
    }
}

} // namespace
} // namespace tb
