#include "render/sparks.h"

#include "shell/random.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tb {
namespace {

constexpr float Frame = 1.0f / 60.0f;
const Vec3 Still{0.0f, 0.0f, 0.0f};

class SparksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        seedRandom(1234);
        initSparks(1.0f, 0.5f, 0.0f, 1.0f);
        setSparkEmitter({0.0f, 1.0f, 0.0f});
    }
    void TearDown() override { releaseSparks(); }

    static int living() {
        int n = 0;
        for (int i = 0; i < sparks.particleCount; ++i) {
            n += sparks.particles[i].age < sparks.lifetime;
        }
        return n;
    }

    static bool drawn(int slot) {
        const int* begin = sparks.drawnSlots.get();
        const int* end = begin + sparks.drawnCount;
        return std::find(begin, end, slot) != end;
    }

    // Runs frames until the effect is idle again; returns how many sparks were born.
    static int runBurstOut(const Vec3& base) {
        int born = 0;
        for (int frame = 0; frame < 1000 && stepSparks(base, Frame); ++frame) {
            for (int i = 0; i < sparks.particleCount; ++i) {
                born += sparks.particles[i].age == 0.0f;
            }
        }
        return born;
    }
};

TEST_F(SparksTest, IdleUntilACollisionAndBurstsDoNotRestartWhileRunning) {
    EXPECT_FALSE(stepSparks(Still, Frame));
    EXPECT_EQ(living(), 0);

    startSparkBurst(30.0f, -40.0f);
    EXPECT_EQ(sparks.burstTime, 0.0f);
    EXPECT_TRUE(stepSparks(Still, Frame));
    EXPECT_EQ(living(), 6) << "a sixtieth of a second of a quarter-second burst of 100";
    EXPECT_EQ(sparks.drawnCount, 0) << "newborn sparks wait a frame";
    for (int i = 0; i < 6; ++i) {
        const Spark& s = sparks.particles[i];
        EXPECT_NEAR(s.position.x, 30.0f, 0.15f);
        EXPECT_NEAR(s.position.y, 1.0f, 0.15f);
        EXPECT_NEAR(s.position.z, -40.0f, 0.15f);
        EXPECT_FLOAT_EQ(s.colour[1], 0.5f);
    }
    EXPECT_EQ(sparks.ringStart, 6);

    for (int i = 0; i < 5; ++i) {
        stepSparks(Still, Frame);
    }
    const float running = sparks.burstTime;
    startSparkBurst(-8.0f, 8.0f);
    EXPECT_FLOAT_EQ(sparks.burstTime, running) << "a collision mid-burst moves the emitter only";
    EXPECT_FLOAT_EQ(sparks.emitter.x, -8.0f);
    EXPECT_FLOAT_EQ(sparks.emitter.y, 1.0f);
    stepSparks(Still, Frame);
    EXPECT_NEAR(sparks.particles[sparks.ringStart - 1].position.x, -8.0f, 0.15f);

    const int born = runBurstOut(Still) + 42;
    EXPECT_GE(born, 84) << "about fifteen frames of six";
    EXPECT_LE(born, 96);
    EXPECT_GE(sparks.burstTime, sparks.lifetime + sparks.burstLength);
    EXPECT_FALSE(stepSparks(Still, Frame));

    startSparkBurst(0.0f, 0.0f);
    EXPECT_EQ(sparks.burstTime, 0.0f) << "once the last burst is over a new one starts";
    // A frame that ends the burst exactly emits nothing, so its time stays owed.
    for (int i = 0; i < 4; ++i) {
        stepSparks(Still, 0.0625f);
    }
    EXPECT_EQ(sparks.emitDebt, 0.0625f);
}

TEST_F(SparksTest, LaterBurstRefillsTheWholeRingAtOnce) {
    startSparkBurst(0.0f, 0.0f);
    runBurstOut(Still);
    EXPECT_GT(sparks.emitDebt, 2.5f) << "the debt is only paid by emitting";

    startSparkBurst(0.0f, 0.0f);
    ASSERT_TRUE(stepSparks(Still, Frame));
    EXPECT_EQ(living(), 100);
    EXPECT_EQ(sparks.drawnCount, 0);
    EXPECT_FLOAT_EQ(sparks.emitDebt, 0.0f);
    ASSERT_TRUE(stepSparks(Still, Frame));
    EXPECT_EQ(sparks.drawnCount, 94) << "six new ones replace the oldest";
}

TEST_F(SparksTest, SparksFlyPerFrameFallAndFade) {
    startSparkBurst(0.0f, 0.0f);
    const Vec3 base{0.05f, 0.1f, -0.05f};
    stepSparks(base, Frame);
    const Spark born = sparks.particles[0];
    EXPECT_NEAR(born.velocity.x, 0.05f, 0.15f);
    EXPECT_NEAR(born.velocity.y, 0.1f, 0.15f);

    const float dt = 0.1f;
    stepSparks(base, dt);
    const Spark& moved = sparks.particles[0];
    EXPECT_FLOAT_EQ(moved.position.x, born.position.x + born.velocity.x) << "not scaled by dt";
    EXPECT_FLOAT_EQ(moved.position.y, born.position.y + born.velocity.y);
    EXPECT_FLOAT_EQ(moved.position.z, born.position.z + born.velocity.z);
    EXPECT_FLOAT_EQ(moved.velocity.x, born.velocity.x * (1.0f - 0.1f * dt));
    EXPECT_FLOAT_EQ(moved.velocity.y, born.velocity.y * (1.0f - 0.1f * dt) - 0.1f * dt);
    EXPECT_FLOAT_EQ(moved.age, dt);
    EXPECT_FLOAT_EQ(moved.colour[3], 1.0f - dt / 3.0f);
    EXPECT_TRUE(drawn(0));

    // A spark that drops below the ground dies at once, whatever its age; one exactly on the
    // ground flies on. A spark whose age reaches its lifetime exactly is spent.
    Spark& diving = sparks.particles[1];
    diving.velocity = {0.0f, -5.0f, 0.0f};
    Spark& grazing = sparks.particles[2];
    grazing.position.y = 0.0f;
    grazing.velocity = Still;
    sparks.particles[3].age = sparks.lifetime - 0.0625f;
    stepSparks(base, 0.0625f);
    EXPECT_EQ(diving.age, sparks.lifetime);
    EXPECT_FALSE(drawn(1));
    EXPECT_TRUE(drawn(2));
    EXPECT_FALSE(drawn(3));

    // Released, nothing runs even when a burst is asked for.
    releaseSparks();
    startSparkBurst(0.0f, 0.0f);
    EXPECT_FALSE(stepSparks(base, Frame));
}

} // namespace
} // namespace tb
