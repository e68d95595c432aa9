#pragma once
// The game's one pseudo-random generator: values 0 to 32767, seeded once at start-up.
// Every random choice (map, carabao placement, opponent thresholds, sparks, sound rates)
// draws from it, so a seed reproduces a whole run.
namespace tb {

constexpr int RandomMax = 32767;

void seedRandom(unsigned seed);
// Next value, 0 to 32767.
int nextRandom();
// The game's usual value in [-1, 1]: 1 - r * (2 / 32767).
float signedUnit(int r);

} // namespace tb
