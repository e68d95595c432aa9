#pragma once
// The spark effect thrown up by collisions: a ring of 100 particles.
#include "assets/math_types.h"

#include <memory>

namespace tb {

struct Spark {
    float colour[4] = {};
    Vec3 position;
    Vec3 velocity; // world units per frame
    float age = 0.0f;
};

struct SparkSystem {
    bool active = false; // set once the ring exists
    int particleCount = 100;
    int ringStart = 0;
    int pointSize = 3;
    float spread = 0.15f;
    float burstLength = 0.25f;
    float lifetime = 3.0f;
    float burstTime = 3.25f; // lifetime + burstLength: idle
    float emitDebt = 0.0f;
    float colour[4] = {};
    Vec3 emitter{0.0f, 1.0f, 0.0f};
    std::unique_ptr<Spark[]> particles;
    std::unique_ptr<int[]> drawnSlots;     // the slots sent as points this frame
    std::unique_ptr<Vec3[]> lastPositions; // each slot's position before this frame's move
    int drawnCount = 0;
};

extern SparkSystem sparks;

void initSparks(float r, float g, float b, float a);
void releaseSparks();
// Moves the emitter's x and z; starts a new burst only when the last one is over.
void startSparkBurst(float x, float z);
void setSparkEmitter(const Vec3& position);
// Advances, emits and draws the sparks for this frame.
void updateSparks(const Vec3& baseVelocity);
// The rule of updateSparks without the drawing, for a frame of dt seconds: false when idle
// (nothing moved, nothing to draw); otherwise drawnSlots lists the sparks to draw.
bool stepSparks(const Vec3& baseVelocity, float dt);
// Draws the sparks of the last step where they stood `alpha` of the way through its move (1:
// where the step left them).
void drawSparks(float alpha);

} // namespace tb
