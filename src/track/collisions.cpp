#include "track/collisions.h"

#include "assets/game_models.h"
#include "audio/sound_channels.h"
#include "race/vehicle.h"
#include "render/sparks.h"
#include "shell/random.h"
#include "track/track_grid.h"
#include "track/transform.h"

#include <cmath>

namespace tb {
namespace {

constexpr float PassOverHeight = 3.0f;
constexpr float MaxPush = 1.0f;
constexpr float SeparationDistance = 8.0f;
constexpr float CoincidentDistance = 0.0001f;
constexpr float BounceFactor = 1.25f;
constexpr float BounceSpin = 0.02f;

struct GroundPoint {
    float x;
    float z;
};

// Corners a, b, c, d of the bounding box as it stands on the ground plane.
struct Footprint {
    GroundPoint a, b, c, d;
};

struct Edge {
    GroundPoint from, to;
};

GroundPoint onGround(const Mat4& m, float x, float y, float z) {
    const Vec3 p = transformPoint(m, x, y, z);
    return {p.x, p.z};
}

Footprint footprintOf(const Model& model) {
    const Vec3& lo = model.boundsMin;
    const Vec3& hi = model.boundsMax;
    const Mat4& m = model.transform;
    return {onGround(m, lo.x, lo.y, lo.z), onGround(m, lo.x, lo.y, hi.z),
            onGround(m, hi.x, lo.y, lo.z), onGround(m, hi.x, hi.y, hi.z)};
}

bool spheresApart(const Model& a, const Model& b) {
    const float dx = a.transform[12] - b.transform[12];
    const float dy = a.transform[13] - b.transform[13];
    const float dz = a.transform[14] - b.transform[14];
    return a.radiusSquared + b.radiusSquared <= dx * dx + dy * dy + dz * dz;
}

Vec3 difference(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 sum(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 scaled(const Vec3& v, float k) {
    return {v.x * k, v.y * k, v.z * k};
}
float length(const Vec3& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}
float dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 unitOrSame(const Vec3& v) {
    const float l = length(v);
    return l != 0.0f ? scaled(v, 1.0f / l) : v;
}

void playCrash(int i) {
    const Vehicle& v = vehicles[i];
    if (isChannelPlaying(v.crashChannel)) {
        return;
    }
    const float u = signedUnit(nextRandom());
    playSound(v.crashChannel, false, &vehicleBody(i).position, 1.0f + 0.25f * u);
}

// Spin from the contact point's lever about the vehicle and the other's direction of travel.
float spinAbout(const Vec3& position, float cx, float cz, const Vec3& otherDirection) {
    return (position.x - cx) * otherDirection.z - otherDirection.x * (position.z - cz);
}

void pushApart(Vec3& a, Vec3& b) {
    const Vec3 d = difference(a, b);
    const float dist = length(d);
    if (dist >= SeparationDistance) {
        return;
    }
    const Vec3 e = dist >= CoincidentDistance ? scaled(d, 1.0f / dist) : Vec3{0.0f, 0.0f, 1.0f};
    a = sum(a, e);
    b = difference(b, e);
}

// The vehicle update gives a jeepney on the ground or on a ramp its height every frame. A
// contact restarts the jeepney from where the frame began, which would undo that height: the
// drop back to the ground would be handed on as movement, lifting one jeepney and sinking the
// other further with every frame they stay in touch. So only a flying jeepney is moved up or
// down by a contact.
void keepHeight(int i, float height) {
    if (vehicles[i].jumpState != Airborne) {
        vehicleBody(i).position.y = height;
    }
}

void resolveContact(int i, int j, const Contact& contact) {
    Vehicle& vi = vehicles[i];
    Vehicle& vj = vehicles[j];
    Vec3& pi = vehicleBody(i).position;
    Vec3& pj = vehicleBody(j).position;
    const float heightI = pi.y, heightJ = pj.y;
    playCrash(i);
    startSparkBurst(contact.x, contact.z);
    const Vec3 dA = difference(pi, vi.prevPosition);
    const Vec3 dB = difference(pj, vj.prevPosition);
    vj.pushVelocity = dA;
    vi.pushVelocity = dB;
    const Vec3 nA = unitOrSame(dA);
    const Vec3 nB = unitOrSame(dB);
    if (length(dA) > MaxPush) {
        vj.pushVelocity = nA;
    }
    if (length(dB) > MaxPush) {
        vi.pushVelocity = nB;
    }
    const float k = dot(nA, nB);
    vi.speed *= k;
    vj.speed *= k;
    vi.spinRate = spinAbout(pi, contact.x, contact.z, nB);
    vj.spinRate = spinAbout(pj, contact.x, contact.z, nA);
    pi = sum(vi.prevPosition, vi.pushVelocity);
    pj = sum(vj.prevPosition, vj.pushVelocity);
    pushApart(pi, pj);
    keepHeight(i, heightI);
    keepHeight(j, heightJ);
    vi.prevPosition = pi;
    vj.prevPosition = pj;
}

void collidePair(int i, int j) {
    const Contact contact = modelsTouch(vehicleBody(i), vehicleBody(j));
    if (!contact.touching) {
        return;
    }
    if (std::fabs(vehicleBody(i).position.y - vehicleBody(j).position.y) >= PassOverHeight) {
        return;
    }
    resolveContact(i, j, contact);
}

template <int Capacity>
void bounceOffPlacements(Model& obstacle, const PlacementList<Capacity>& placements) {
    for (int k = 0; k < placements.count; ++k) {
        obstacle.transform = placements.entries[static_cast<std::size_t>(k)];
        const Contact contact = modelsTouch(vehicleBody(0), obstacle);
        if (contact.touching) {
            bounceOffObstacle(contact.x, contact.z);
        }
    }
}

// Only the player's jeepney meets the buildings; the rivals drive through them.
void collidePlayerWithObstacles() {
    const Vec3& p = vehicleBody(0).position;
    switch (cellCode(track.grid, worldToCell(p.x, p.z))) {
    case Store: {
        const Contact contact = modelsTouch(vehicleBody(0), gameModels.store);
        if (contact.touching) {
            bounceOffObstacle(contact.x, contact.z);
        }
        break;
    }
    case Wall:
        bounceOffPlacements(gameModels.wall, track.wallPlacements);
        break;
    case Kubo:
        bounceOffPlacements(gameModels.kubo, track.kuboPlacements);
        break;
    case Carabao:
        bounceOffPlacements(gameModels.carabao, track.carabaoPlacements);
        break;
    default:
        break;
    }
}

} // namespace

bool segmentsCross(float x1, float z1, float x2, float z2, float x3, float z3, float x4, float z4,
                   float& sumX, float& sumZ) {
    const float den = (z4 - z3) * (x2 - x1) - (x4 - x3) * (z2 - z1);
    if (den == 0.0f) {
        return false;
    }
    const float ua = ((x4 - x3) * (z1 - z3) - (z4 - z3) * (x1 - x3)) / den;
    if (ua < 0.0f) {
        return false;
    }
    const float ub = ((x2 - x1) * (z1 - z3) - (z2 - z1) * (x1 - x3)) / den;
    if (ub < 0.0f || ua > 1.0f || ub > 1.0f) {
        return false;
    }
    sumX += x1 + ua * (x2 - x1);
    sumZ += z1 + ua * (z2 - z1);
    return true;
}

Contact modelsTouch(const Model& a, const Model& b) {
    if (!a.loaded || spheresApart(a, b)) {
        return {};
    }
    const Footprint fa = footprintOf(a);
    const Footprint fb = footprintOf(b);
    const Edge edgesA[4] = {{fa.a, fa.b}, {fa.c, fa.d}, {fa.a, fa.c}, {fa.b, fa.d}};
    const Edge edgesB[4] = {{fb.a, fb.b}, {fb.a, fb.c}, {fb.c, fb.d}, {fb.b, fb.d}};
    float sumX = 0.0f, sumZ = 0.0f;
    int crossings = 0;
    for (const Edge& ea : edgesA) {
        for (const Edge& eb : edgesB) {
            if (segmentsCross(ea.from.x, ea.from.z, ea.to.x, ea.to.z, eb.from.x, eb.from.z, eb.to.x,
                              eb.to.z, sumX, sumZ)) {
                ++crossings;
            }
        }
    }
    if (crossings == 0) {
        return {};
    }
    return {true, sumX / static_cast<float>(crossings), sumZ / static_cast<float>(crossings)};
}

void collideVehicles() {
    for (int i = 0; i < VehicleCount - 1; ++i) {
        for (int j = i + 1; j < VehicleCount; ++j) {
            collidePair(i, j);
        }
    }
    collidePlayerWithObstacles();
}

void bounceOffObstacle(float contactX, float contactZ) {
    Vehicle& v = vehicles[0];
    Vec3& position = vehicleBody(0).position;
    const float height = position.y;
    playCrash(0);
    startSparkBurst(contactX, contactZ);
    const Vec3 d = difference(v.prevPosition, position);
    v.speed = 0.0f;
    v.pushVelocity = scaled(d, BounceFactor);
    v.spinRate = BounceSpin * (d.z * position.x - d.x * position.z);
    position = sum(v.prevPosition, scaled(d, BounceFactor));
    keepHeight(0, height);
}

} // namespace tb
