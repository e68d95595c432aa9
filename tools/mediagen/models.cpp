// Every model the game loads. Each is built in world units, standing as the game will place
// it, and `unplace` then undoes the placement's scale and turn before the file is written.
#include "media_set.h"
#include "model_writer.h"
#include "sky_layout.h"
#include "texture_layouts.h"

#include <cmath>
#include <vector>

namespace tb::media {
namespace {

constexpr float Pi = 3.14159265f;
// The builder's quarter turn, as it writes it.
constexpr float QuarterTurn = 1.570795f;

// Street tiles are drawn at this scale; their model spans -0.8 .. 0.8, so a tile covers its
// 16-unit cell with a sliver of overlap.
constexpr Placement TilePlacement{{10.01f, 10.0f, 10.01f}, 0.0f};
constexpr float TileHalf = 0.8f * 10.01f;
// The road surface sits this far above the ground plane, and so above the field at -0.1.
constexpr float RoadHeight = 0.03f;

Material texturedMaterial(const char* name, const char* texture, const char* alpha = "NONE") {
    Material m;
    m.name = name;
    m.textureFile = texture;
    m.alpha = alpha;
    return m;
}

ModelFile modelOf(const char* comment, const Mesh& built, Placement placement, Material material,
                  VertexLayout layout = VertexLayout::PositionNormalTexcoords) {
    ModelFile file;
    file.comment = comment;
    file.layout = layout;
    file.mesh = unplace(built, placement);
    file.material = std::move(material);
    return file;
}

// A flat tile top covering the whole cell.
Mesh flatTile() {
    Mesh m;
    addBox(m, {-TileHalf, 0, -TileHalf}, {TileHalf, RoadHeight, TileHalf},
           {std::nullopt, std::nullopt, TexRect{}, std::nullopt, std::nullopt, std::nullopt});
    return m;
}

// The ramp: a hump across the whole tile, crossed along z. Its top comes first in the file,
// so the game's height test, which takes the first triangle it meets, reads the top.
float rampHeightAt(float z) {
    constexpr float Top = 2.0f; // world units; the game's height test reaches up to 9
    constexpr float Plateau = 2.5f;
    const float d = std::fabs(z);
    if (d <= Plateau) {
        return Top;
    }
    const float t = std::fmin(1.0f, (d - Plateau) / (TileHalf - Plateau));
    return RoadHeight + (Top - RoadHeight) * 0.5f * (1.0f + std::cos(Pi * t));
}

Mesh rampTile() {
    constexpr int Steps = 16;
    Mesh top;
    for (int i = 0; i < Steps; ++i) {
        const float z0 = -TileHalf + 2 * TileHalf * static_cast<float>(i) / Steps;
        const float z1 = -TileHalf + 2 * TileHalf * static_cast<float>(i + 1) / Steps;
        const float v0 = static_cast<float>(i) / Steps, v1 = static_cast<float>(i + 1) / Steps;
        addQuad(top, {-TileHalf, rampHeightAt(z0), z0}, {-TileHalf, rampHeightAt(z1), z1},
                {TileHalf, rampHeightAt(z1), z1}, {TileHalf, rampHeightAt(z0), z0}, {0, v0, 1, v1});
    }
    // The two sides show the painted shoulder strip at the picture's left edge.
    const TexRect shoulder{0.0f, 0.0f, 0.06f, 1.0f};
    for (const float x : {-TileHalf, TileHalf}) {
        for (int i = 0; i < Steps; ++i) {
            const float z0 = -TileHalf + 2 * TileHalf * static_cast<float>(i) / Steps;
            const float z1 = -TileHalf + 2 * TileHalf * static_cast<float>(i + 1) / Steps;
            if (x > 0) {
                addQuad(top, {x, rampHeightAt(z1), z1}, {x, 0, z1}, {x, 0, z0},
                        {x, rampHeightAt(z0), z0}, shoulder);
            } else {
                addQuad(top, {x, rampHeightAt(z0), z0}, {x, 0, z0}, {x, 0, z1},
                        {x, rampHeightAt(z1), z1}, shoulder);
            }
        }
    }
    return top;
}

bool writeStreetTiles(const std::string& folder) {
    return writeModelFile(folder + "/streetS.a3f",
                          modelOf("Straight street tile. At yaw 0 the road runs along x; the "
                                  "builder turns it a quarter turn on roads along z.",
                                  flatTile(), TilePlacement,
                                  texturedMaterial("streetStraight", "streetS.jpg"))) &&
           writeModelFile(folder + "/streetL.a3f",
                          modelOf("Corner street tile. At yaw 0 the road joins the +x and +z "
                                  "edges of its cell.",
                                  flatTile(), TilePlacement,
                                  texturedMaterial("streetCorner", "streetL.jpg"))) &&
           writeModelFile(folder + "/streetT.a3f",
                          modelOf("T junction, always at yaw 0: the road runs along z with a "
                                  "side road towards +x.",
                                  flatTile(), TilePlacement,
                                  texturedMaterial("streetJunction", "streetT.jpg"))) &&
           writeModelFile(folder + "/streetJ.a3f",
                          modelOf("Jump ramp, always at yaw 0: a hump crossed along z, its top "
                                  "triangles first.",
                                  rampTile(), TilePlacement,
                                  texturedMaterial("streetRamp", "streetJ.jpg")));
}

// --- sky and field -------------------------------------------------------------------------

// The dome is a sphere of this radius round the origin, from a little below the horizon up.
constexpr float SkyRadius = 1200.0f;

Mesh skyDome() {
    constexpr int Segments = 48;
    Mesh m;
    std::vector<std::uint32_t> first;
    for (const SkyRing& ring : SkyRings) {
        const float t = ring.v;
        const float e = ring.elevation * Pi / 180.0f;
        first.push_back(static_cast<std::uint32_t>(m.vertices.size()));
        for (int s = 0; s <= Segments; ++s) {
            const float a = 2 * Pi * static_cast<float>(s) / Segments;
            const V3 p{SkyRadius * std::cos(e) * std::sin(a), SkyRadius * std::sin(e),
                       SkyRadius * std::cos(e) * std::cos(a)};
            // Facing inwards: the game culls back faces and looks at the dome from inside.
            m.addVertex(p, normalised(p) * -1.0f,
                        {static_cast<float>(SkyRepeats * s) / Segments, t});
        }
    }
    for (int r = 0; r + 1 < SkyRingCount; ++r) {
        for (int s = 0; s < Segments; ++s) {
            const std::uint32_t a = first[r] + s, b = first[r + 1] + s;
            m.addTriangle(a, b, b + 1);
            m.addTriangle(a, b + 1, a + 1);
        }
    }
    return m;
}

// The field is drawn at scale (1500, 0, 1500): it is modelled flat, -1 .. 1, on a grid so that
// lighting has vertices near the track, with texture coordinates that repeat the grass.
Mesh field() {
    constexpr int Cells = 8;
    constexpr float WorldHalf = 1500.0f;
    Mesh m;
    for (int i = 0; i < Cells; ++i) {
        for (int j = 0; j < Cells; ++j) {
            const float x0 = -WorldHalf + 2 * WorldHalf * static_cast<float>(i) / Cells;
            const float x1 = -WorldHalf + 2 * WorldHalf * static_cast<float>(i + 1) / Cells;
            const float z0 = -WorldHalf + 2 * WorldHalf * static_cast<float>(j) / Cells;
            const float z1 = -WorldHalf + 2 * WorldHalf * static_cast<float>(j + 1) / Cells;
            const float r = FieldRepeat;
            addQuad(m, {x0, 0, z0}, {x0, 0, z1}, {x1, 0, z1}, {x1, 0, z0},
                    {x0 / r, z0 / r, x1 / r, z1 / r});
        }
    }
    return m;
}

bool writeSkyAndField(const std::string& folder) {
    return writeModelFile(folder + "/skyDome.a3f",
                          modelOf("Sky dome, drawn unlit at scale (200, 150, 200) from the "
                                  "origin; its faces point inwards.",
                                  skyDome(), {{200.0f, 150.0f, 200.0f}, 0.0f},
                                  texturedMaterial("sky", "skyDome.jpg"),
                                  VertexLayout::PositionTexcoords)) &&
           writeModelFile(folder + "/field.a3f",
                          modelOf("Grass field, drawn at scale (1500, 0, 1500) just below the "
                                  "ground plane; the grass repeats every 64 units.",
                                  field(), {{1500.0f, 0.0f, 1500.0f}, 0.0f},
                                  texturedMaterial("grass", "field.jpg"),
                                  VertexLayout::PositionTexcoords));
}

// --- the jeepney and its wheel ---------------------------------------------------------------

// Heights of the jeepney's parts. The roof stays below the chase camera's 3 units, so the
// camera looks over the jeepney in front; at the start it stands above the hood of the
// jeepney beside the player's that faces the other way.
constexpr float Sill = 0.95f;    // bottom of the body panels
constexpr float BeltLine = 1.7f; // top of the bonnet, foot of the windshield
constexpr float Eaves = 2.45f;   // top of the cab, foot of the roof
constexpr float RoofTop = 2.62f;

Mesh jeepney() {
    using namespace jeepney;
    const TextureSize t = Texture;
    Mesh m;
    const TexRect paint = t.of(Paint), chrome = t.of(Chrome), dark = t.of(Dark);
    // Cab: the long passenger body, its open back towards -z.
    addBox(m, {-1.5f, Sill, -2.1f}, {1.5f, Eaves, 4.55f},
           {t.of(Side), t.of(Side), std::nullopt, std::nullopt, dark, t.of(Rear)});
    addQuad(m, {-1.45f, Eaves - 0.01f, 4.56f}, {-1.45f, BeltLine, 4.56f}, {1.45f, BeltLine, 4.56f},
            {1.45f, Eaves - 0.01f, 4.56f}, t.of(Windshield));
    // Roof with a visor over the windshield, and the route board on it.
    addBox(m, {-1.62f, Eaves, -2.15f}, {1.62f, RoofTop, 4.85f},
           {paint, paint, t.of(Roof), dark, paint, paint});
    addBox(m, {-1.25f, RoofTop, 4.4f}, {1.25f, RoofTop + 0.28f, 4.62f},
           {paint, paint, paint, std::nullopt, t.of(Sign), t.of(Sign)});
    // Bonnet, falling slightly to the grille.
    addHexahedron(
        m,
        {V3{-1.15f, Sill, 4.55f}, V3{1.15f, Sill, 4.55f}, V3{-1.15f, BeltLine, 4.55f},
         V3{1.15f, BeltLine, 4.55f}, V3{-1.1f, Sill, 7.05f}, V3{1.1f, Sill, 7.05f},
         V3{-1.1f, BeltLine - 0.16f, 7.05f}, V3{1.1f, BeltLine - 0.16f, 7.05f}},
        {t.of(HoodSide), t.of(HoodSide), t.of(HoodTop), std::nullopt, t.of(Grille), std::nullopt});
    for (const float side : {-1.0f, 1.0f}) {
        // Fenders over the wheels (whose tops are at 1.32).
        const float inner = 1.1f * side, outer = 1.74f * side, cabSide = 1.49f * side;
        addBox(m, {std::fmin(inner, outer), 1.0f, 5.3f}, {std::fmax(inner, outer), 1.42f, 7.0f},
               {t.of(Fender), t.of(Fender), t.of(Fender), std::nullopt, paint, dark});
        addBox(m, {std::fmin(cabSide, outer), 1.33f, -0.85f},
               {std::fmax(cabSide, outer), 1.4f, 0.85f},
               {t.of(Fender), t.of(Fender), t.of(Fender), dark, paint, paint});
        // Running board between the wheels.
        addBox(m, {std::fmin(cabSide, 1.66f * side), 0.8f, 0.95f},
               {std::fmax(cabSide, 1.66f * side), 0.92f, 5.2f}, allFaces(chrome));
        // Mirror on its arm, and a tall antenna with a pennant on the fender.
        addBox(m, {std::fmin(1.5f * side, 1.84f * side), 1.85f, 4.48f},
               {std::fmax(1.5f * side, 1.84f * side), 1.91f, 4.54f}, allFaces(chrome));
        addBox(m, {std::fmin(1.84f * side, 1.95f * side), 1.7f, 4.45f},
               {std::fmax(1.84f * side, 1.95f * side), 2.15f, 4.6f}, allFaces(dark));
        const float ax = 1.55f * side;
        addBox(m, {ax - 0.03f, 1.42f, 6.75f}, {ax + 0.03f, 3.5f, 6.81f}, allFaces(chrome));
        addTwoSidedQuad(m, {ax, 3.5f, 6.78f}, {ax, 3.2f, 6.78f}, {ax, 3.35f, 6.2f},
                        {ax, 3.35f, 6.2f}, paint);
    }
    // Under the body, the bumpers, and the chrome horse on the bonnet.
    addBox(m, {-1.2f, 0.5f, -1.9f}, {1.2f, Sill, 7.0f},
           {dark, dark, std::nullopt, dark, dark, dark});
    addBox(m, {-1.6f, 0.65f, 7.05f}, {1.6f, 0.98f, 7.4f}, allFaces(chrome));
    addBox(m, {-1.55f, 0.7f, -2.12f}, {1.55f, 0.95f, -1.85f}, allFaces(chrome));
    addBox(m, {-0.05f, 1.58f, 6.45f}, {0.05f, 1.85f, 6.95f}, allFaces(chrome));
    addBox(m, {-0.05f, 1.8f, 6.75f}, {0.05f, 2.05f, 7.05f}, allFaces(chrome));
    return m;
}

// Centred on its axle, rolling about x: the game mounts the same wheel on both sides.
constexpr float WheelRadius = 0.66f;

Mesh wheelModel() {
    Mesh m;
    addCylinderX(m, -0.27f, 0.27f, WheelRadius, 20, wheel::Texture.of(wheel::Tread),
                 wheel::Texture.of(wheel::Face));
    return m;
}

bool writeJeepney(const std::string& folder) {
    return writeModelFile(folder + "/jeepney.a3f",
                          modelOf("Jeepney. Origin on the rear axle, facing +z; wheels mount "
                                  "at (+-1.4, 0.66, 0) and (+-1.4, 0.66, 6.14). The four "
                                  "liveries jeepney1.jpg .. jeepney4.jpg share this layout.",
                                  jeepney(), {},
                                  texturedMaterial("jeepneyPaint", "jeepney1.jpg"))) &&
           writeModelFile(folder + "/wheel.a3f",
                          modelOf("Wheel, radius 0.66, centred on its axle along x.", wheelModel(),
                                  {}, texturedMaterial("tyre", "wheel.jpg")));
}

// --- buildings, walls and animals ------------------------------------------------------------

// The store is placed at scale 9 and turned a quarter turn: it is built here with its front
// towards +x, as it stands in the world, so it should sit on the -x side of its road.
Mesh store() {
    using namespace store;
    const TextureSize t = Texture;
    const TexRect wood = t.of(Wood), concrete = t.of(Concrete), roof = t.of(Roof);
    Mesh m;
    addBox(m, {-4.8f, 0.0f, -7.0f}, {4.8f, 0.5f, 7.0f},
           {concrete, concrete, concrete, std::nullopt, concrete, concrete});
    // Walls rising to the back under a single-pitch roof.
    addHexahedron(m,
                  {V3{-4.6f, 0.5f, -6.8f}, V3{4.6f, 0.5f, -6.8f}, V3{-4.6f, 7.3f, -6.8f},
                   V3{4.6f, 6.1f, -6.8f}, V3{-4.6f, 0.5f, 6.8f}, V3{4.6f, 0.5f, 6.8f},
                   V3{-4.6f, 7.3f, 6.8f}, V3{4.6f, 6.1f, 6.8f}},
                  {t.of(Front), t.of(Side), std::nullopt, std::nullopt, t.of(Side), t.of(Side)});
    addHexahedron(m,
                  {V3{-5.2f, 7.3f, -7.4f}, V3{5.2f, 6.0f, -7.4f}, V3{-5.2f, 7.5f, -7.4f},
                   V3{5.2f, 6.2f, -7.4f}, V3{-5.2f, 7.3f, 7.4f}, V3{5.2f, 6.0f, 7.4f},
                   V3{-5.2f, 7.5f, 7.4f}, V3{5.2f, 6.2f, 7.4f}},
                  {wood, wood, roof, wood, wood, wood});
    addBox(m, {4.6f, 5.25f, -6.2f}, {4.8f, 6.0f, 6.2f},
           {t.of(Sign), std::nullopt, wood, std::nullopt, wood, wood});
    // Awning over the counter window, on two posts.
    addHexahedron(m,
                  {V3{4.6f, 5.0f, -5.6f}, V3{6.9f, 4.2f, -5.6f}, V3{4.6f, 5.15f, -5.6f},
                   V3{6.9f, 4.35f, -5.6f}, V3{4.6f, 5.0f, 5.6f}, V3{6.9f, 4.2f, 5.6f},
                   V3{4.6f, 5.15f, 5.6f}, V3{6.9f, 4.35f, 5.6f}},
                  {wood, wood, roof, wood, wood, wood});
    for (const float z : {-5.3f, 5.3f}) {
        addBox(m, {6.55f, 0.0f, z - 0.15f}, {6.85f, 4.25f, z + 0.15f},
               {wood, wood, std::nullopt, std::nullopt, wood, wood});
    }
    // A bench for the customers.
    addBox(m, {5.3f, 0.9f, -4.6f}, {6.2f, 1.1f, -1.2f}, allFaces(wood));
    for (const float z : {-4.4f, -1.4f}) {
        addBox(m, {5.4f, 0.0f, z - 0.1f}, {6.1f, 0.9f, z + 0.1f},
               {wood, wood, std::nullopt, std::nullopt, wood, wood});
    }
    return m;
}

// The hut stands unscaled and unturned: its door and ladder face +z.
Mesh kubo() {
    using namespace kubo;
    const TextureSize t = Texture;
    const TexRect bamboo = t.of(Bamboo), floor = t.of(Floor), thatch = t.of(Thatch);
    Mesh m;
    for (const float x : {-2.9f, 0.0f, 2.9f}) {
        for (const float z : {-2.9f, 0.0f, 2.9f}) {
            addTube(m, {{{x, 0.0f, z}, 0.18f, 0.18f}, {{x, 2.4f, z}, 0.16f, 0.16f}}, 8, {0, 0, 1},
                    bamboo, false, false);
        }
    }
    addBox(m, {-3.3f, 2.3f, -3.3f}, {3.3f, 2.6f, 3.3f}, allFaces(floor));
    addBox(m, {-3.0f, 2.6f, -3.0f}, {3.0f, 5.3f, 3.0f},
           {t.of(WallWindow), t.of(WallWindow), std::nullopt, std::nullopt, t.of(WallDoor),
            t.of(WallWindow)});
    // Window shutters propped open on the two sides.
    for (const float side : {-1.0f, 1.0f}) {
        addQuad(m, {3.0f * side, 4.95f, -1.1f * side}, {3.9f * side, 4.3f, -1.1f * side},
                {3.9f * side, 4.3f, 1.1f * side}, {3.0f * side, 4.95f, 1.1f * side}, floor);
    }
    // Steep hip roof of nipa thatch; the ragged eave is cut out of the texture.
    const float eave = 4.4f, low = 4.9f, ridge = 1.2f, high = 8.8f;
    addQuad(m, {-ridge, high, 0}, {-eave, low, eave}, {eave, low, eave}, {ridge, high, 0}, thatch);
    addQuad(m, {ridge, high, 0}, {eave, low, -eave}, {-eave, low, -eave}, {-ridge, high, 0},
            thatch);
    addQuad(m, {ridge, high, 0}, {eave, low, eave}, {eave, low, -eave}, {ridge, high, 0}, thatch);
    addQuad(m, {-ridge, high, 0}, {-eave, low, -eave}, {-eave, low, eave}, {-ridge, high, 0},
            thatch);
    addTube(m, {{{-1.4f, high, 0}, 0.2f, 0.2f}, {{1.4f, high, 0}, 0.2f, 0.2f}}, 8, {0, 1, 0},
            bamboo, true, true);
    // Bamboo ladder up to the door.
    for (const float x : {-0.6f, 0.6f}) {
        addTube(m, {{{x, 0.08f, 5.55f}, 0.08f, 0.08f}, {{x, 2.6f, 3.25f}, 0.08f, 0.08f}}, 6,
                {0, 1, 0}, bamboo, false, false);
    }
    for (int rung = 1; rung <= 4; ++rung) {
        const float s = static_cast<float>(rung) / 5.0f;
        const float y = 2.6f * s, z = 5.6f + (3.25f - 5.6f) * s;
        addTube(m, {{{-0.65f, y, z}, 0.06f, 0.06f}, {{0.65f, y, z}, 0.06f, 0.06f}}, 6, {0, 1, 0},
                t.of(Ladder), false, false);
    }
    return m;
}

// Walls stand unscaled and unturned, so every wall runs along x. The model has no texture
// coordinates: the game projects "wall.jpg" over it, u along x and v up its height.
Mesh wallModel() {
    Mesh m;
    const TexRect none{};
    addBox(m, {-7.9f, 0.0f, -0.3f}, {7.9f, 2.9f, 0.3f},
           {std::nullopt, std::nullopt, std::nullopt, std::nullopt, none, none});
    addBox(m, {-7.9f, 2.9f, -0.4f}, {7.9f, 3.15f, 0.4f},
           {none, none, none, std::nullopt, none, none});
    for (const float x : {-7.6f, 0.0f, 7.6f}) {
        addBox(m, {x - 0.3f, 0.0f, -0.45f}, {x + 0.3f, 3.4f, 0.45f},
               {none, none, none, std::nullopt, none, none});
    }
    return m;
}

// The carabao is placed at scale 0.65 with a small random turn; built here at its placed size.
Mesh carabao() {
    using namespace carabao;
    const TextureSize t = Texture;
    Mesh m;
    addTube(m,
            {{{0, 1.9f, -2.05f}, 0.25f, 0.25f},
             {{0, 1.88f, -1.85f}, 0.68f, 0.6f},
             {{0, 1.78f, -1.0f}, 0.84f, 0.76f},
             {{0, 1.72f, 0.0f}, 0.9f, 0.8f},
             {{0, 1.82f, 0.9f}, 0.92f, 0.78f},
             {{0, 1.98f, 1.5f}, 0.78f, 0.64f},
             {{0, 1.9f, 1.95f}, 0.48f, 0.42f}},
            14, {0, 1, 0}, t.of(Hide), true, true);
    addTube(m,
            {{{0, 1.9f, 1.85f}, 0.42f, 0.38f},
             {{0, 1.65f, 2.4f}, 0.36f, 0.32f},
             {{0, 1.3f, 2.85f}, 0.28f, 0.26f},
             {{0, 1.2f, 2.95f}, 0.18f, 0.18f}},
            12, {0, 1, 0}, t.of(Head), true, true);
    for (const float side : {-1.0f, 1.0f}) {
        // The sweeping crescent horns that say "carabao" from across the field.
        addTube(m,
                {{{0.2f * side, 2.0f, 2.15f}, 0.15f, 0.15f},
                 {{0.75f * side, 2.08f, 2.05f}, 0.13f, 0.13f},
                 {{1.25f * side, 2.22f, 1.65f}, 0.1f, 0.1f},
                 {{1.4f * side, 2.45f, 1.2f}, 0.06f, 0.06f},
                 {{1.3f * side, 2.62f, 0.95f}, 0.01f, 0.01f}},
                8, {0, 1, 0}, t.of(Horn), true, false);
        addTube(
            m,
            {{{0.3f * side, 1.85f, 2.0f}, 0.08f, 0.05f}, {{0.65f * side, 1.8f, 1.9f}, 0.1f, 0.04f}},
            6, {0, 1, 0}, t.of(Head), true, true);
        for (const float z : {-1.45f, 1.2f}) {
            addTube(m,
                    {{{0.45f * side, 1.5f, z}, 0.22f, 0.22f},
                     {{0.45f * side, 0.75f, z + 0.05f}, 0.15f, 0.15f},
                     {{0.45f * side, 0.0f, z}, 0.14f, 0.14f}},
                    8, {0, 0, 1}, t.of(Leg), false, true);
        }
    }
    addTube(m,
            {{{0, 2.05f, -2.0f}, 0.06f, 0.06f},
             {{0, 1.6f, -2.2f}, 0.05f, 0.05f},
             {{0, 1.0f, -2.2f}, 0.1f, 0.1f},
             {{0, 0.85f, -2.18f}, 0.02f, 0.02f}},
            6, {0, 0, 1}, t.of(Tail), false, false);
    return m;
}

// The arch is placed at scale (9, 5, 9) and turned a quarter turn on a road along z: it is
// built here spanning x across that road, its pillars just inside the cell.
Mesh arch() {
    using namespace arch;
    const TextureSize t = Texture;
    const TexRect cap = t.of(Cap);
    Mesh m;
    for (const float side : {-1.0f, 1.0f}) {
        const float x = 7.3f * side;
        addBox(
            m, {x - 0.5f, 0.0f, -0.5f}, {x + 0.5f, 10.4f, 0.5f},
            {t.of(Pillar), t.of(Pillar), std::nullopt, std::nullopt, t.of(Pillar), t.of(Pillar)});
        addBox(m, {x - 0.65f, 10.4f, -0.65f}, {x + 0.65f, 10.9f, 0.65f}, allFaces(cap));
        addHexahedron(m,
                      {V3{x - 0.45f, 10.9f, -0.45f}, V3{x + 0.45f, 10.9f, -0.45f}, V3{x, 11.8f, 0},
                       V3{x, 11.8f, 0}, V3{x - 0.45f, 10.9f, 0.45f}, V3{x + 0.45f, 10.9f, 0.45f},
                       V3{x, 11.8f, 0}, V3{x, 11.8f, 0}},
                      sideFaces(cap, cap));
    }
    addBox(m, {-6.8f, 7.4f, -0.3f}, {6.8f, 9.9f, 0.3f},
           {cap, cap, cap, cap, t.of(BannerBack), t.of(BannerStart)});
    // The builder lays no street tile on the arch's cell: the arch brings its own stretch of
    // road, with the start line across it.
    addBox(m, {-TileHalf, 0, -TileHalf}, {TileHalf, RoadHeight, TileHalf},
           {std::nullopt, std::nullopt, t.of(Road), std::nullopt, std::nullopt, std::nullopt});
    addTwoSidedQuad(m, {-4.5f, 12.4f, 0}, {-4.5f, 9.9f, 0}, {4.5f, 9.9f, 0}, {4.5f, 12.4f, 0},
                    t.of(Crown));
    for (const float z : {-0.7f, 0.7f}) {
        addTwoSidedQuad(m, {-6.8f, 7.4f, z}, {-6.8f, 6.2f, z}, {6.8f, 6.2f, z}, {6.8f, 7.4f, z},
                        t.of(Bunting));
    }
    return m;
}

bool writeScenery(const std::string& folder) {
    return writeModelFile(folder + "/store.a3f",
                          modelOf("Sari-sari store, placed at scale 9 and turned a quarter "
                                  "turn: its counter faces +x in the world.",
                                  store(), {{9.0f, 9.0f, 9.0f}, QuarterTurn},
                                  texturedMaterial("store", "store.jpg"))) &&
           writeModelFile(folder + "/kubo.a3f",
                          modelOf("Bahay kubo on stilts, unscaled, door towards +z.", kubo(), {},
                                  texturedMaterial("kubo", "kubo.bmp", "BLACK_MASK"))) &&
           writeModelFile(folder + "/wall.a3f",
                          modelOf("Hollow-block wall along x, unscaled; the game projects "
                                  "wall.jpg over it.",
                                  wallModel(), {}, texturedMaterial("wall", "wall.jpg"),
                                  VertexLayout::PositionNormal)) &&
           writeModelFile(folder + "/carabao.a3f",
                          modelOf("Carabao, placed at scale 0.65, facing +z.", carabao(),
                                  {{0.65f, 0.65f, 0.65f}, 0.0f},
                                  texturedMaterial("carabao", "carabao.jpg"))) &&
           writeModelFile(folder + "/arch.a3f",
                          modelOf("Start arch, placed at scale (9, 5, 9) and turned a quarter "
                                  "turn, straddling a road along z.",
                                  arch(), {{9.0f, 5.0f, 9.0f}, QuarterTurn},
                                  texturedMaterial("arch", "arch.bmp", "BLACK_MASK")));
}

} // namespace

bool writeModels(const std::string& folder) {
    return writeStreetTiles(folder) && writeSkyAndField(folder) && writeJeepney(folder) &&
           writeScenery(folder);
}

} // namespace tb::media
