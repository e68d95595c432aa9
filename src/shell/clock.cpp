#include "shell/clock.h"

#include <atomic>
#include <chrono>

namespace tb {
namespace {

const auto programStart = std::chrono::steady_clock::now();

std::uint32_t realTicks() {
    const auto elapsed = std::chrono::steady_clock::now() - programStart;
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

// Read by the audio thread as well as the game thread.
std::atomic<ClockSource> currentSource{&realTicks};

} // namespace

std::uint32_t tickCount() {
    return currentSource.load(std::memory_order_acquire)();
}

float clockSeconds() {
    return static_cast<float>(tickCount()) * 0.001f;
}

void setClockSource(ClockSource source) {
    currentSource.store(source ? source : &realTicks, std::memory_order_release);
}

} // namespace tb
