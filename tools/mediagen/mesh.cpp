#include "mesh.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tb::media {

V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
V3 operator-(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 operator*(V3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
float dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float length(V3 a) {
    return std::sqrt(dot(a, a));
}

V3 normalised(V3 a) {
    const float l = length(a);
    return l > 0.0f ? a * (1.0f / l) : a;
}

TexRect pixelRect(int x, int y, int w, int h, int textureWidth, int textureHeight) {
    const float tw = static_cast<float>(textureWidth);
    const float th = static_cast<float>(textureHeight);
    return {static_cast<float>(x) / tw, static_cast<float>(y) / th, static_cast<float>(x + w) / tw,
            static_cast<float>(y + h) / th};
}

std::uint32_t Mesh::addVertex(V3 position, V3 normal, UV uv) {
    vertices.push_back({position, normal, uv});
    return static_cast<std::uint32_t>(vertices.size() - 1);
}

void Mesh::addTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    const V3 pa = vertices[a].position;
    const V3 facing = cross(vertices[b].position - pa, vertices[c].position - pa);
    // Slivers where a tube closes to a point draw nothing and would only confuse hit tests.
    if (length(facing) < 1e-9f) {
        return;
    }
    const V3 wanted = vertices[a].normal + vertices[b].normal + vertices[c].normal;
    if (dot(facing, wanted) < 0.0f) {
        triangles.push_back({a, c, b});
    } else {
        triangles.push_back({a, b, c});
    }
}

void addQuad(Mesh& mesh, V3 topLeft, V3 bottomLeft, V3 bottomRight, V3 topRight, TexRect tex) {
    const V3 n = normalised(cross(bottomLeft - topLeft, bottomRight - topLeft) +
                            cross(bottomRight - topLeft, topRight - topLeft));
    const auto a = mesh.addVertex(topLeft, n, tex.at(0, 0));
    const auto b = mesh.addVertex(bottomLeft, n, tex.at(0, 1));
    const auto c = mesh.addVertex(bottomRight, n, tex.at(1, 1));
    const auto d = mesh.addVertex(topRight, n, tex.at(1, 0));
    mesh.addTriangle(a, b, c);
    mesh.addTriangle(a, c, d);
}

void addTwoSidedQuad(Mesh& mesh, V3 topLeft, V3 bottomLeft, V3 bottomRight, V3 topRight,
                     TexRect tex) {
    addQuad(mesh, topLeft, bottomLeft, bottomRight, topRight, tex);
    addQuad(mesh, topRight, bottomRight, bottomLeft, topLeft, tex);
}

BoxFaces allFaces(TexRect tex) {
    return {tex, tex, tex, tex, tex, tex};
}

BoxFaces sideFaces(TexRect sides, TexRect top) {
    return {sides, sides, top, std::nullopt, sides, sides};
}

void addHexahedron(Mesh& mesh, const std::array<V3, 8>& c, const BoxFaces& faces) {
    // Corner index: x bit 0, y bit 1, z bit 2. Each face lists top left, bottom left,
    // bottom right, top right as seen from outside.
    const auto face = [&](const std::optional<TexRect>& tex, int tl, int bl, int br, int tr) {
        if (tex) {
            addQuad(mesh, c[tl], c[bl], c[br], c[tr], *tex);
        }
    };
    face(faces.posX, 7, 5, 1, 3);
    face(faces.negX, 2, 0, 4, 6);
    face(faces.posY, 2, 6, 7, 3);
    face(faces.negY, 4, 0, 1, 5);
    face(faces.posZ, 6, 4, 5, 7);
    face(faces.negZ, 3, 1, 0, 2);
}

void addBox(Mesh& mesh, V3 min, V3 max, const BoxFaces& faces) {
    std::array<V3, 8> corners;
    for (int i = 0; i < 8; ++i) {
        corners[i] = {(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z};
    }
    addHexahedron(mesh, corners, faces);
}

namespace {

constexpr float TwoPi = 6.28318530718f;

V3 tangentAt(const std::vector<Ring>& rings, std::size_t k) {
    const std::size_t before = k == 0 ? 0 : k - 1;
    const std::size_t after = k + 1 < rings.size() ? k + 1 : k;
    return normalised(rings[after].centre - rings[before].centre);
}

void addCap(Mesh& mesh, const Ring& ring, V3 outward, std::uint32_t firstRimVertex, int segments,
            UV uv) {
    const auto centre = mesh.addVertex(ring.centre, outward, uv);
    for (int j = 0; j < segments; ++j) {
        // Copies: adding vertices may move the array the rim lives in.
        const V3 a = mesh.vertices[firstRimVertex + j].position;
        const V3 b = mesh.vertices[firstRimVertex + j + 1].position;
        const auto ia = mesh.addVertex(a, outward, uv);
        const auto ib = mesh.addVertex(b, outward, uv);
        mesh.addTriangle(centre, ia, ib);
    }
}

} // namespace

void addTube(Mesh& mesh, const std::vector<Ring>& rings, int segments, V3 up, TexRect tex,
             bool capStart, bool capEnd) {
    std::vector<std::uint32_t> firstOfRing;
    for (std::size_t k = 0; k < rings.size(); ++k) {
        const V3 t = tangentAt(rings, k);
        V3 side = cross(t, up);
        if (length(side) < 1e-4f) {
            side = cross(t, V3{1.0f, 0.0f, 0.0f});
        }
        side = normalised(side);
        const V3 ringUp = normalised(cross(side, t));
        firstOfRing.push_back(static_cast<std::uint32_t>(mesh.vertices.size()));
        const float v = static_cast<float>(k) / static_cast<float>(rings.size() - 1);
        for (int j = 0; j <= segments; ++j) {
            const float s = static_cast<float>(j) / static_cast<float>(segments);
            const float angle = TwoPi * s;
            const V3 dir = ringUp * std::cos(angle) + side * std::sin(angle);
            const V3 p = rings[k].centre + ringUp * (rings[k].radiusA * std::cos(angle)) +
                         side * (rings[k].radiusB * std::sin(angle));
            mesh.addVertex(p, dir, tex.at(s, v));
        }
    }
    for (std::size_t k = 0; k + 1 < rings.size(); ++k) {
        for (int j = 0; j < segments; ++j) {
            const std::uint32_t a = firstOfRing[k] + j;
            const std::uint32_t b = firstOfRing[k + 1] + j;
            mesh.addTriangle(a, b, b + 1);
            mesh.addTriangle(a, b + 1, a + 1);
        }
    }
    if (capStart) {
        addCap(mesh, rings.front(), tangentAt(rings, 0) * -1.0f, firstOfRing.front(), segments,
               tex.at(0.5f, 0.0f));
    }
    if (capEnd) {
        addCap(mesh, rings.back(), tangentAt(rings, rings.size() - 1), firstOfRing.back(), segments,
               tex.at(0.5f, 1.0f));
    }
}

void addCylinderX(Mesh& mesh, float x0, float x1, float radius, int segments, TexRect tread,
                  TexRect face) {
    addTube(mesh, {{{x0, 0, 0}, radius, radius}, {{x1, 0, 0}, radius, radius}}, segments, {0, 1, 0},
            tread, false, false);
    for (const float x : {x0, x1}) {
        const float side = x == x1 ? 1.0f : -1.0f;
        const V3 n{side, 0, 0};
        // Seen from its own end, the viewer's right is -z at +x and +z at -x.
        const auto mapped = [&](float y, float z) {
            return face.at(0.5f - side * z / (2 * radius), 0.5f - y / (2 * radius));
        };
        const auto centre = mesh.addVertex({x, 0, 0}, n, mapped(0, 0));
        for (int j = 0; j < segments; ++j) {
            const float a0 = TwoPi * static_cast<float>(j) / static_cast<float>(segments);
            const float a1 = TwoPi * static_cast<float>(j + 1) / static_cast<float>(segments);
            const float y0 = radius * std::cos(a0), z0 = radius * std::sin(a0);
            const float y1 = radius * std::cos(a1), z1 = radius * std::sin(a1);
            const auto p = mesh.addVertex({x, y0, z0}, n, mapped(y0, z0));
            const auto q = mesh.addVertex({x, y1, z1}, n, mapped(y1, z1));
            mesh.addTriangle(centre, p, q);
        }
    }
}

namespace {

// The inverse turn about y: Ry(-yaw).
V3 unturn(V3 p, float yaw) {
    const float c = std::cos(yaw), s = std::sin(yaw);
    return {p.x * c - p.z * s, p.y, p.x * s + p.z * c};
}

float unscale(float value, float scale) {
    if (scale == 0.0f) {
        if (std::fabs(value) > 1e-6f) {
            std::fprintf(stderr, "mediagen: a flattened axis holds a non-zero coordinate\n");
            std::abort();
        }
        return 0.0f;
    }
    return value / scale;
}

} // namespace

Mesh unplace(const Mesh& built, Placement placement) {
    Mesh model = built;
    const V3 s = placement.scale;
    for (MeshVertex& v : model.vertices) {
        const V3 p = unturn(v.position, placement.yaw);
        v.position = {unscale(p.x, s.x), unscale(p.y, s.y), unscale(p.z, s.z)};
        // The game lights through the placement's inverse transpose without renormalising:
        // normals stored pre-scaled by the placement come out of it at unit length.
        const V3 n = unturn(v.normal, placement.yaw);
        v.normal = {n.x * s.x, n.y * s.y, n.z * s.z};
    }
    return model;
}

Bounds boundsOf(const Mesh& mesh) {
    Bounds b{{1e30f, 1e30f, 1e30f}, {-1e30f, -1e30f, -1e30f}};
    for (const MeshVertex& v : mesh.vertices) {
        b.min = {std::fmin(b.min.x, v.position.x), std::fmin(b.min.y, v.position.y),
                 std::fmin(b.min.z, v.position.z)};
        b.max = {std::fmax(b.max.x, v.position.x), std::fmax(b.max.y, v.position.y),
                 std::fmax(b.max.z, v.position.z)};
    }
    return b;
}

} // namespace tb::media
