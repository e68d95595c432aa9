#pragma once
// How the sky dome's rings spread its picture over the sky: more rows near the horizon, where
// the hills and palms are painted, than up at the zenith. Shared by the dome and its texture.
namespace tb::media {

struct SkyRing {
    float elevation; // degrees above the horizon
    float v;         // texture row, 0 at the top of the picture
};

constexpr SkyRing SkyRings[] = {{90.0f, 0.0f},  {70.0f, 0.1f},  {50.0f, 0.2f}, {32.0f, 0.32f},
                                {18.0f, 0.45f}, {10.0f, 0.56f}, {6.0f, 0.66f}, {3.5f, 0.74f},
                                {1.5f, 0.82f},  {0.0f, 0.88f},  {-6.0f, 1.0f}};
constexpr int SkyRingCount = sizeof(SkyRings) / sizeof(SkyRings[0]);

// The elevation that texture row fraction v shows.
inline float skyElevationAt(float v) {
    for (int i = 0; i + 1 < SkyRingCount; ++i) {
        if (v <= SkyRings[i + 1].v) {
            const float t = (v - SkyRings[i].v) / (SkyRings[i + 1].v - SkyRings[i].v);
            return SkyRings[i].elevation + (SkyRings[i + 1].elevation - SkyRings[i].elevation) * t;
        }
    }
    return SkyRings[SkyRingCount - 1].elevation;
}

// The texture row fraction at an elevation.
inline float skyRowAt(float elevation) {
    for (int i = 0; i + 1 < SkyRingCount; ++i) {
        if (elevation >= SkyRings[i + 1].elevation) {
            const float t = (SkyRings[i].elevation - elevation) /
                            (SkyRings[i].elevation - SkyRings[i + 1].elevation);
            return SkyRings[i].v + (SkyRings[i + 1].v - SkyRings[i].v) * t;
        }
    }
    return 1.0f;
}

} // namespace tb::media
