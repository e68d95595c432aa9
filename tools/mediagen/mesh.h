#pragma once
// Triangle meshes as the model files store them, and the few shapes every model is built from.
// Meshes are built in world units, in the orientation the game will place them; `unplace`
// then undoes the placement's scale and turn so that the placed model comes out as built.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tb::media {

struct V3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

V3 operator+(V3 a, V3 b);
V3 operator-(V3 a, V3 b);
V3 operator*(V3 a, float s);
float dot(V3 a, V3 b);
V3 cross(V3 a, V3 b);
float length(V3 a);
V3 normalised(V3 a);

struct UV {
    float u = 0.0f;
    float v = 0.0f;
};

// A rectangle of a texture in texture coordinates; v grows downwards, as the picture's rows do.
struct TexRect {
    float u0 = 0.0f;
    float v0 = 0.0f;
    float u1 = 1.0f;
    float v1 = 1.0f;

    UV at(float s, float t) const { return {u0 + (u1 - u0) * s, v0 + (v1 - v0) * t}; }
};

// A rectangle given in pixels of a texture of the given size.
TexRect pixelRect(int x, int y, int w, int h, int textureWidth, int textureHeight);

struct MeshVertex {
    V3 position;
    V3 normal;
    UV uv;
};

struct Mesh {
    std::vector<MeshVertex> vertices;
    std::vector<std::array<std::uint32_t, 3>> triangles;

    std::uint32_t addVertex(V3 position, V3 normal, UV uv);
    // Winds the triangle so that it faces the way its vertex normals point.
    void addTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c);
};

// A flat quad, corners counter-clockwise as seen from its front: top left, bottom left,
// bottom right, top right of the texture rectangle.
void addQuad(Mesh& mesh, V3 topLeft, V3 bottomLeft, V3 bottomRight, V3 topRight, TexRect tex);
// Both faces of a quad: the back shows the same picture mirrored.
void addTwoSidedQuad(Mesh& mesh, V3 topLeft, V3 bottomLeft, V3 bottomRight, V3 topRight,
                     TexRect tex);

// The faces of a box, each with the part of the texture it shows; a face without one is left
// out. Sides are seen upright from outside; the top is seen from above with its picture's top
// towards -z, the bottom from below with its picture's top towards +z.
struct BoxFaces {
    std::optional<TexRect> posX, negX, posY, negY, posZ, negZ;
};
BoxFaces allFaces(TexRect tex);
BoxFaces sideFaces(TexRect sides, TexRect top);

void addBox(Mesh& mesh, V3 min, V3 max, const BoxFaces& faces);
// A box with moved corners; corner i is at x bit 0, y bit 1, z bit 2 of i (0 = the low side).
void addHexahedron(Mesh& mesh, const std::array<V3, 8>& corners, const BoxFaces& faces);

// A tube along a path of rings; u runs round the tube (0 on the side facing `up`), v along it.
struct Ring {
    V3 centre;
    float radiusA = 1.0f; // towards `up`
    float radiusB = 1.0f; // sideways
};
void addTube(Mesh& mesh, const std::vector<Ring>& rings, int segments, V3 up, TexRect tex,
             bool capStart, bool capEnd);

// A cylinder round the x axis from x0 to x1: the rolling surface takes `tread` (u round it),
// each end a disc mapped onto `face` as seen from that end.
void addCylinderX(Mesh& mesh, float x0, float x1, float radius, int segments, TexRect tread,
                  TexRect face);

// How the game places a model: a scale per axis, then a turn about y.
struct Placement {
    V3 scale{1.0f, 1.0f, 1.0f};
    float yaw = 0.0f;
};
// The mesh as the model file must hold it so that `placement` puts it where it was built,
// with normals that the placement turns back into unit normals. An axis the placement
// flattens to 0 must already be 0 in the mesh.
Mesh unplace(const Mesh& built, Placement placement);

struct Bounds {
    V3 min;
    V3 max;
};
Bounds boundsOf(const Mesh& mesh);

} // namespace tb::media
