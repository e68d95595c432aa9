#pragma once
// Seeded randomness for procedural art: the same seed always paints the same picture.
#include <cstdint>

namespace tb::media {

class Rng {
  public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint32_t next();
    float uniform(); // 0 .. 1
    float range(float low, float high);
    float signedUnit() { return range(-1.0f, 1.0f); }

  private:
    std::uint64_t state_;
};

// Smooth noise in 0 .. 1 that repeats every `period` units in x and y, so tiles join.
float tilingNoise(float x, float y, int period, std::uint32_t seed);
// Several octaves of the same, each twice as fine and half as strong.
float tilingFractal(float x, float y, int period, int octaves, std::uint32_t seed);

} // namespace tb::media
