#include "noise.h"

#include <cmath>

namespace tb::media {

std::uint32_t Rng::next() {
    // splitmix64
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
}

float Rng::uniform() {
    return static_cast<float>(next() >> 8) / 16777216.0f;
}

float Rng::range(float low, float high) {
    return low + (high - low) * uniform();
}

namespace {

float lattice(int x, int y, int period, std::uint32_t seed) {
    const auto wrap = [period](int v) { return ((v % period) + period) % period; };
    std::uint32_t h = static_cast<std::uint32_t>(wrap(x)) * 73856093u ^
                      static_cast<std::uint32_t>(wrap(y)) * 19349663u ^ seed * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xffffff) / 16777215.0f;
}

float smooth(float t) {
    return t * t * (3.0f - 2.0f * t);
}

} // namespace

float tilingNoise(float x, float y, int period, std::uint32_t seed) {
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const float fx = smooth(x - static_cast<float>(x0));
    const float fy = smooth(y - static_cast<float>(y0));
    const float a = lattice(x0, y0, period, seed);
    const float b = lattice(x0 + 1, y0, period, seed);
    const float c = lattice(x0, y0 + 1, period, seed);
    const float d = lattice(x0 + 1, y0 + 1, period, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float tilingFractal(float x, float y, int period, int octaves, std::uint32_t seed) {
    float sum = 0.0f;
    float weight = 0.5f;
    float total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += weight * tilingNoise(x, y, period, seed + static_cast<std::uint32_t>(o));
        total += weight;
        weight *= 0.5f;
        x *= 2.0f;
        y *= 2.0f;
        period *= 2;
    }
    return sum / total;
}

} // namespace tb::media
