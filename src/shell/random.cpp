#include "shell/random.h"

namespace tb {
namespace {
// A linear congruential generator with the constants of the classic C library rand(), so the
// sequence for a seed is the same on every machine.
unsigned state = 1;
} // namespace

void seedRandom(unsigned seed) {
    state = seed;
}

int nextRandom() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7fffu);
}

float signedUnit(int r) {
    return 1.0f - static_cast<float>(r) * (2.0f / 32767.0f);
}

} // namespace tb
