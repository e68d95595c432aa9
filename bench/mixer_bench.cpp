// One output block with every channel audible: sixteen looping sounds round the listener,
// some behind it (muffled), some to the side (with an ear lead), all within hearing range.
#include "audio/sound_channels.h"
#include "shell/clock.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <memory>

namespace {

std::uint32_t lateClock() {
    return 1000000;
}

void addNoiseSound(int length, unsigned seed) {
    auto samples = std::make_unique<std::int16_t[]>(length);
    for (int i = 0; i < length; ++i) {
        seed = seed * 1103515245u + 12345u;
        samples[i] = static_cast<std::int16_t>((seed >> 16) & 0x3FFF) - 0x2000;
    }
    tb::addSound(std::move(samples), length);
}

void mixBlockWithSixteenChannels(benchmark::State& state) {
    static const tb::Vec3 ear{}, forward{0.0f, 0.0f, 1.0f};
    std::array<tb::Vec3, tb::ChannelCapacity> sources{};
    tb::releaseSoundChannels();
    tb::openMixer();
    tb::setListener(&ear, &forward, 300.0f);
    for (int c = 0; c < tb::ChannelCapacity; ++c) {
        const float angle = static_cast<float>(c) * 0.4f;
        sources[c] = {100.0f * std::sin(angle), 0.0f, 100.0f * std::cos(angle)};
        addNoiseSound(20000 + 1000 * c, static_cast<unsigned>(c) + 1);
        tb::playSound(c, true, &sources[c], 0.8f + 0.05f * static_cast<float>(c));
    }
    // Every sound has arrived: the benchmark measures mixing, not waiting.
    tb::setClockSource(lateClock);
    for (auto _ : state) {
        tb::mixNextBlock();
        benchmark::DoNotOptimize(tb::lastMixedBlock());
    }
    tb::setClockSource(nullptr);
    tb::closeMixer();
    tb::releaseSoundChannels();
}

BENCHMARK(mixBlockWithSixteenChannels)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
