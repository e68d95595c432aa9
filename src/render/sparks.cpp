#include "render/sparks.h"

#include "assets/model.h"
#include "shell/app_state.h"
#include "shell/random.h"

#include <GL/gl.h>

#include <algorithm>

namespace tb {

SparkSystem sparks;

namespace {

// The single-precision value nearest 2 / 32767.
constexpr float RandomScale = 0.000061037019f;

float randomUnit() {
    return 1.0f - static_cast<float>(nextRandom()) * RandomScale;
}

Vec3 scattered(const Vec3& around, float spread) {
    const float x = around.x + spread * randomUnit();
    const float y = around.y + spread * randomUnit();
    const float z = around.z + spread * randomUnit();
    return {x, y, z};
}

bool idle() {
    return sparks.burstTime >= sparks.lifetime + sparks.burstLength;
}

// How many sparks this frame's share of the burst gives, the debt capped at one whole burst.
int emissionCount() {
    if (sparks.burstTime >= sparks.burstLength) {
        return 0;
    }
    const float share = std::min(sparks.emitDebt / sparks.burstLength, 1.0f);
    return static_cast<int>(share * static_cast<float>(sparks.particleCount));
}

void emit(int count, const Vec3& baseVelocity) {
    const int n = sparks.particleCount;
    for (int i = 0; i < count; ++i) {
        Spark& spark = sparks.particles[(sparks.ringStart + i) % n];
        std::copy(sparks.colour, sparks.colour + 4, spark.colour);
        spark.position = scattered(sparks.emitter, sparks.spread);
        spark.velocity = scattered(baseVelocity, sparks.spread);
        spark.age = 0.0f;
    }
}

// Moves and ages one spark; true when it is still to be drawn.
bool advance(Spark& spark, float dt) {
    const float damping = 1.0f - 0.1f * dt;
    const float fall = 0.1f * dt;
    spark.position.x += spark.velocity.x;
    spark.position.y += spark.velocity.y;
    spark.position.z += spark.velocity.z;
    if (spark.position.y < 0.0f) {
        spark.age = sparks.lifetime;
        return false;
    }
    spark.velocity.x *= damping;
    spark.velocity.z *= damping;
    spark.velocity.y = spark.velocity.y * damping - fall;
    spark.age += dt;
    const float life = spark.age / sparks.lifetime;
    if (life >= 1.0f) {
        return false;
    }
    spark.colour[3] = 1.0f - life;
    return true;
}

Vec3 between(const Vec3& a, const Vec3& b, float alpha) {
    return {a.x + (b.x - a.x) * alpha, a.y + (b.y - a.y) * alpha, a.z + (b.z - a.z) * alpha};
}

} // namespace

void drawSparks(float alpha) {
    if (sparks.drawnCount == 0) {
        return;
    }
    glPointSize(static_cast<float>(sparks.pointSize));
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBegin(GL_POINTS);
    for (int i = 0; i < sparks.drawnCount; ++i) {
        const int slot = sparks.drawnSlots[i];
        const Spark& spark = sparks.particles[slot];
        const Vec3 p = between(sparks.lastPositions[slot], spark.position, alpha);
        glColor4fv(spark.colour);
        glVertex3f(p.x, p.y, p.z);
    }
    glEnd();
    glPopAttrib();
}

void initSparks(float r, float g, float b, float a) {
    sparks = SparkSystem{};
    const int n = sparks.particleCount;
    sparks.particles = std::make_unique<Spark[]>(static_cast<std::size_t>(n));
    sparks.drawnSlots = std::make_unique<int[]>(static_cast<std::size_t>(n));
    sparks.lastPositions = std::make_unique<Vec3[]>(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        sparks.particles[i].age = sparks.lifetime;
    }
    sparks.colour[0] = r;
    sparks.colour[1] = g;
    sparks.colour[2] = b;
    sparks.colour[3] = a;
    sparks.active = true;
    if (graphicsEnabled()) {
        glEnable(GL_POINT_SMOOTH);
        glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    }
}

void releaseSparks() {
    sparks = SparkSystem{};
}

void startSparkBurst(float x, float z) {
    sparks.emitter.x = x;
    sparks.emitter.z = z;
    if (idle()) {
        sparks.burstTime = 0.0f;
    }
}

void setSparkEmitter(const Vec3& position) {
    sparks.emitter = position;
}

bool stepSparks(const Vec3& baseVelocity, float dt) {
    sparks.drawnCount = 0;
    if (!sparks.active || idle()) {
        return false;
    }
    sparks.burstTime += dt;
    sparks.emitDebt += dt;
    const int n = sparks.particleCount;
    const int emitted = emissionCount();
    if (emitted > 0) {
        sparks.emitDebt = 0.0f;
        emit(emitted, baseVelocity);
        sparks.ringStart = (sparks.ringStart + emitted) % n;
    } else {
        sparks.ringStart = (sparks.ringStart + 1) % n;
    }
    // The sparks born this frame wait for the next one.
    for (int i = 0; i < n - emitted; ++i) {
        const int slot = (sparks.ringStart + i) % n;
        Spark& spark = sparks.particles[slot];
        sparks.lastPositions[slot] = spark.position;
        if (spark.age < sparks.lifetime && advance(spark, dt)) {
            sparks.drawnSlots[sparks.drawnCount++] = slot;
        }
    }
    return true;
}

void updateSparks(const Vec3& baseVelocity) {
    if (stepSparks(baseVelocity, app.frameTime)) {
        drawSparks(1.0f);
    }
}

} // namespace tb
