#pragma once
// A fresh channel table and an open mixer, a hand-driven clock, and a listener at the origin
// looking along +z (so +x is on its left) with the game's hearing range of 300.
#include "audio/sound_channels.h"
#include "shell/clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace tb::test {

inline std::atomic<std::uint32_t> fakeMilliseconds{0};
inline std::uint32_t fakeClock() {
    return fakeMilliseconds.load();
}

class MixerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        releaseSoundChannels();
        openMixer();
        fakeMilliseconds = 10000;
        setClockSource(fakeClock);
        setListener(&ear, &forward, 300.0f);
    }
    void TearDown() override {
        closeMixer();
        releaseSoundChannels();
        setClockSource(nullptr);
    }

    static int addSamples(const std::vector<std::int16_t>& values) {
        auto samples = std::make_unique<std::int16_t[]>(values.size());
        std::copy(values.begin(), values.end(), samples.get());
        return addSound(std::move(samples), static_cast<int>(values.size()));
    }
    // 2, 4, 6, ...: heard at half gain, sample i gives i + 1.
    static std::vector<std::int16_t> ramp(int length) {
        std::vector<std::int16_t> values(length);
        for (int i = 0; i < length; ++i) {
            values[i] = static_cast<std::int16_t>(2 * (i + 1));
        }
        return values;
    }
    static const SoundChannel& channel(int c) { return soundSystem().channels[c]; }

    struct Block {
        std::vector<int> left;
        std::vector<int> right;
    };
    // A frame of the game (the positions copied for the mixer), then a block.
    static Block mixBlock() {
        publishSoundPositions();
        mixNextBlock();
        const std::int16_t* values = lastMixedBlock();
        Block block;
        for (int f = 0; f < BlockFrames; ++f) {
            block.left.push_back(values[2 * f]);
            block.right.push_back(values[2 * f + 1]);
        }
        return block;
    }
    static void advanceMilliseconds(std::uint32_t ms) { fakeMilliseconds += ms; }
    // Starts a sound at rate 1 and waits until anything within 200 units has arrived.
    static void startHeard(int c, bool looping, const Vec3* source) {
        playSound(c, looping, source, 1.0f);
        advanceMilliseconds(2000);
    }

    Vec3 ear{0.0f, 0.0f, 0.0f};
    Vec3 forward{0.0f, 0.0f, 1.0f};
    // Straight ahead at half the hearing range: both ears at gain 0.5, no lead, 1.5 s away.
    Vec3 ahead{0.0f, 0.0f, 150.0f};
};

} // namespace tb::test
