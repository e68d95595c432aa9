#pragma once
// The spark effect thrown up by collisions: a ring of 100 particles.
#include "assets/math_types.h"

namespace tb {

void initSparks(float r, float g, float b, float a);
void releaseSparks();
// Moves the emitter's x and z; starts a new burst only when the last one is over.
void startSparkBurst(float x, float z);
void setSparkEmitter(const Vec3& position);
// Advances, emits and draws the sparks for this frame.
void updateSparks(const Vec3& baseVelocity);

} // namespace tb
