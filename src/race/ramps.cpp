#include "race/ramps.h"

#include "assets/game_models.h"
#include "audio/sound_channels.h"
#include "race/vehicle.h"
#include "shell/random.h"
#include "track/track_grid.h"
#include "track/transform.h"

#include <cmath>

namespace tb {
namespace {

// The vertical probe reaches from just below the ground to above the highest ramp top.
constexpr float ProbeBottom = -1.0f;
constexpr float ProbeTop = 9.0f;
constexpr float StateMargin = 0.1f;
constexpr float GroundLevel = 0.0001f;

Vec3 sub(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
float dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float element(const Mat4& m, int row, int column) {
    return m[4 * column + row];
}

// Determinant of the 3 x 3 matrix left when row and column are struck out.
float minorDeterminant(const Mat4& m, int row, int column) {
    int rows[3], columns[3];
    for (int k = 0, r = 0, c = 0; k < 4; ++k) {
        if (k != row) {
            rows[r++] = k;
        }
        if (k != column) {
            columns[c++] = k;
        }
    }
    const auto e = [&](int r, int c) { return element(m, rows[r], columns[c]); };
    return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
           e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
           e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
}

float cofactorSign(int row, int column) {
    return (row + column) % 2 == 0 ? 1.0f : -1.0f;
}

Vec3 vertexPosition(const Model& model, std::uint32_t index) {
    const float* p = model.vertices[index].position;
    return {p[0], p[1], p[2]};
}

void playLandingSound(int i) {
    const Vehicle& v = vehicles[i];
    if (isChannelPlaying(v.crashChannel)) {
        return;
    }
    const float u = signedUnit(nextRandom());
    playSound(v.crashChannel, false, &vehicleBody(i).position, 0.4f + 0.15f * u);
}

} // namespace

Mat4 invertMatrix(const Mat4& m) {
    float determinant = 0.0f;
    for (int row = 0; row < 4; ++row) {
        determinant += cofactorSign(row, 0) * element(m, row, 0) * minorDeterminant(m, row, 0);
    }
    const float scale = 1.0f / determinant;
    Mat4 inverse{};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            inverse[4 * column + row] =
                cofactorSign(row, column) * minorDeterminant(m, column, row) * scale;
        }
    }
    return inverse;
}

SegmentHit segmentHitsTriangle(const Vec3& v0, const Vec3& v1, const Vec3& v2, const Vec3& p0,
                               const Vec3& p1) {
    const Vec3 e1 = sub(v1, v0);
    const Vec3 e2 = sub(v2, v0);
    const Vec3 n = cross(e1, e2);
    if (dot(n, n) == 0.0f) {
        return {};
    }
    const Vec3 d = sub(p1, p0);
    const float den = dot(n, d);
    if (std::fabs(den) < 0.0001f) {
        return {};
    }
    const float t = -dot(n, sub(p0, v0)) / den;
    // Every bound is written so that NaN (a sliver triangle) fails it.
    if (!(t >= 0.0f && t <= 1.0f)) {
        return {};
    }
    const Vec3 x = sub({p0.x + t * d.x, p0.y + t * d.y, p0.z + t * d.z}, v0);
    const float k11 = dot(e1, e1), k12 = dot(e1, e2), k22 = dot(e2, e2);
    const float p = dot(e1, x), q = dot(e2, x);
    const float g = 1.0f / (k12 * k12 - k11 * k22);
    const float s1 = g * (k12 * q - k22 * p);
    const float s2 = g * (k12 * p - k11 * q);
    if (!(s1 >= 0.0f && s1 <= 1.0f && s2 >= 0.0f && s1 + s2 <= 1.0f)) {
        return {};
    }
    return {true, t};
}

SegmentHit rampHeightUnder(int ramp, const Vec3& p0, const Vec3& p1) {
    Model& model = gameModels.streetJ;
    if (!model.loaded || !model.faceIndices || !model.vertices || ramp < 0 ||
        ramp >= track.rampPlacements.count) {
        return {};
    }
    model.transform = track.rampPlacements.entries[static_cast<std::size_t>(ramp)];
    const Mat4 inverse = invertMatrix(model.transform);
    const Vec3 q0 = transformPoint(inverse, p0.x, p0.y, p0.z);
    const Vec3 q1 = transformPoint(inverse, p1.x, p1.y, p1.z);
    const std::uint32_t* faces = model.faceIndices.get();
    for (std::uint32_t f = 0; f < model.faceCount; ++f) {
        const std::uint32_t a = faces[3 * f], b = faces[3 * f + 1], c = faces[3 * f + 2];
        if (a >= model.vertexCount || b >= model.vertexCount || c >= model.vertexCount) {
            continue;
        }
        const SegmentHit hit = segmentHitsTriangle(
            vertexPosition(model, a), vertexPosition(model, b), vertexPosition(model, c), q0, q1);
        if (hit.hit) {
            return hit;
        }
    }
    return {};
}

void rampContact(int i, int ramp) {
    Vehicle& v = vehicles[i];
    Vec3& position = vehicleBody(i).position;
    const SegmentHit hit = rampHeightUnder(ramp, {position.x, ProbeBottom, position.z},
                                           {position.x, ProbeTop, position.z});
    const float h = hit.hit ? (ProbeTop - ProbeBottom) * hit.t + ProbeBottom : 0.0f;
    if (h > position.y + StateMargin) {
        if (v.jumpState == Airborne) {
            playLandingSound(i);
        }
        position.y = h;
        v.jumpState = OnRamp;
    } else if (h < position.y - StateMargin) {
        v.jumpState = Airborne;
    } else if (h > -GroundLevel && h < GroundLevel) {
        v.jumpState = Grounded;
    }
}

} // namespace tb
