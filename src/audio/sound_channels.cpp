#include "audio/sound_channels.h"

#include "shell/clock.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tb {
namespace {

constexpr std::uint32_t PlayingBit = 1;
constexpr int RingValues = RingBlocks * BlockValues;
constexpr float SecondsPerUnit = 0.01f; // sound travels 100 units a second
constexpr float DopplerPerUnit = 0.1f;
constexpr float HistoryAverage = 1.0f / FilterLength;
constexpr int OutputPeak = 32767;
constexpr Vec3 DefaultForward{0.0f, 0.0f, 1.0f};

SoundSystem& state() {
    static SoundSystem system;
    return system;
}

SoundChannel* countedChannel(int channel) {
    SoundSystem& s = state();
    if (channel < 0 || channel >= s.channelCount.load(std::memory_order_acquire)) {
        return nullptr;
    }
    return &s.channels[channel];
}

bool isMixable(const SoundChannel& c) {
    return c.samples && c.length > ShortestMixable;
}

std::uint32_t startsOf(std::uint32_t playState) {
    return playState >> 1;
}

// What the game thread follows; the mixer reads only the copies publishSoundPositions makes.
Vec3 followedListener() {
    const Vec3* p = state().listenerPosition;
    return p ? *p : Vec3{};
}

Vec3 followedForward() {
    const Vec3* f = state().listenerForward;
    return f ? *f : DefaultForward;
}

// A sound without a source is heard where the listener stands.
Vec3 followedSource(const Vec3* source) {
    return source ? *source : followedListener();
}

void publishListener() {
    SoundSystem& s = state();
    s.listenerAt.store(followedListener());
    s.listenerFacing.store(followedForward());
}

Vec3 difference(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

float lengthOf(const Vec3& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// The mixer's playback state as a start leaves it.
void resetPlayback(SoundChannel& c) {
    c.position = 0;
    c.dryGain = 1.0f;
    c.muffle = 0.0f;
    c.leadLeft = c.leadRight = 0;
    c.historyLeft.fill(0);
    c.historyRight.fill(0);
    c.historyIndexLeft = c.historyIndexRight = 0;
    c.historySumLeft = c.historySumRight = 0;
}

void resetChannel(SoundChannel& c) {
    c.ownedSamples.reset();
    c.samples = nullptr;
    c.length = 0;
    c.sharesSamples = false;
    c.baseRate.store(1.0f, std::memory_order_relaxed);
    c.source = nullptr;
    c.sourcePosition.store({});
    c.looping.store(false, std::memory_order_relaxed);
    c.startTime.store(0.0f, std::memory_order_relaxed);
    c.startDistance.store(0.0f, std::memory_order_relaxed);
    c.playState.store(0, std::memory_order_relaxed);
    c.startsMixed = 0;
    c.rate = 1.0f;
    c.lastDistance = 0.0f;
    c.gainRight = c.gainLeft = 0.0f;
    resetPlayback(c);
}

// The next free channel, or null when the table is full. Only the game thread appends.
SoundChannel* nextFreeChannel() {
    SoundSystem& s = state();
    const int k = s.channelCount.load(std::memory_order_relaxed);
    return k < ChannelCapacity ? &s.channels[k] : nullptr;
}

// Counts the channel just written; the mixer sees its fields before it sees the count.
int publishChannel() {
    SoundSystem& s = state();
    const int k = s.channelCount.load(std::memory_order_relaxed);
    s.channelCount.store(k + 1, std::memory_order_release);
    return k;
}

// The mixer's side of a start: playback state is reset here, on the thread that owns it.
void beginPlayback(SoundChannel& c, std::uint32_t starts) {
    c.startsMixed = starts;
    c.rate = c.baseRate.load(std::memory_order_relaxed);
    c.lastDistance = c.startDistance.load(std::memory_order_relaxed);
    resetPlayback(c);
}

// Clears the playing flag unless the game thread has restarted the sound meanwhile.
void endPlayback(SoundChannel& c) {
    std::uint32_t expected = (c.startsMixed << 1) | PlayingBit;
    c.playState.compare_exchange_strong(expected, c.startsMixed << 1, std::memory_order_acq_rel);
}

// The index a source position truncates to, kept within int for positions far off the end.
int truncatedIndex(float at) {
    if (std::isnan(at)) {
        return 0;
    }
    return static_cast<int>(std::clamp(at, -2147483648.0f, 2147483520.0f));
}

int filtered(int value, std::array<std::int16_t, FilterLength>& history, int& index, int& sum) {
    sum += value - history[index];
    history[index] = static_cast<std::int16_t>(value);
    index = (index + 1) % FilterLength;
    return sum;
}

int muffled(int value, int historySum, const SoundChannel& c) {
    if (c.muffle <= 0.0f) {
        return value;
    }
    const int dry = static_cast<int>(static_cast<float>(value) * c.dryGain);
    return static_cast<int>(static_cast<float>(dry) +
                            static_cast<float>(historySum) * c.muffle * HistoryAverage);
}

void addClamped(std::int16_t& out, int value) {
    out = static_cast<std::int16_t>(std::clamp(out + value, -OutputPeak, OutputPeak));
}

void mixFrame(SoundChannel& c, int idx, std::int16_t* frame) {
    const int left = static_cast<int>(c.samples[idx + c.leadLeft] * c.gainLeft);
    const int right = static_cast<int>(c.samples[idx + c.leadRight] * c.gainRight);
    const int sumLeft = filtered(left, c.historyLeft, c.historyIndexLeft, c.historySumLeft);
    const int sumRight = filtered(right, c.historyRight, c.historyIndexRight, c.historySumRight);
    addClamped(frame[0], muffled(left, sumLeft, c));
    addClamped(frame[1], muffled(right, sumRight, c));
}

// Plays the channel from its position into the block, wrapping or ending at the last sample
// that still leaves room for the ear lead. A negative index counts as past the end.
void mixChannel(SoundChannel& c, std::int16_t* block) {
    const float limit = static_cast<float>(c.length - EarLeadMax);
    const bool looping = c.looping.load(std::memory_order_relaxed);
    int start = c.position;
    int idx = start;
    for (int f = 0, j = 0; f < BlockFrames; ++f, ++j) {
        const float at = static_cast<float>(start) + static_cast<float>(j) * c.rate;
        if (at > -1.0f && at < limit) {
            idx = static_cast<int>(at);
        } else if (looping) {
            start = idx = j = 0;
        } else {
            c.position = truncatedIndex(at);
            endPlayback(c);
            return;
        }
        mixFrame(c, idx, block + 2 * f);
    }
    c.position = idx;
}

void silence(SoundChannel& c) {
    c.gainLeft = c.gainRight = 0.0f;
}

// Within 0 ... 1, and 0 for a value that is not a number: a forward vector a little longer
// than a unit, or a broken one, must never push the ear lead out of the margin.
float unitWeight(float v) {
    return v >= 1.0f ? 1.0f : (v > 0.0f ? v : 0.0f);
}

void placeAround(SoundChannel& c, const Vec3& offset, float attenuation) {
    const float flat = std::sqrt(offset.x * offset.x + offset.z * offset.z);
    const Vec3 n = flat > 0.0f ? Vec3{offset.x / flat, 0.0f, offset.z / flat} : Vec3{};
    const Vec3 f = state().listenerFacing.load();
    const float dot = f.x * n.x + f.z * n.z;
    const float side = n.z * f.x - n.x * f.z;
    c.muffle = unitWeight(-dot);
    c.dryGain = 1.0f - c.muffle;
    const float a = unitWeight(std::fabs(dot));
    const float nearGain = attenuation;
    const float farGain = attenuation * a;
    const int lead = static_cast<int>((1.0f - a) * EarLeadMax);
    if (side >= 0.0f) {
        c.gainRight = nearGain;
        c.gainLeft = farGain;
        c.leadRight = lead;
        c.leadLeft = 0;
    } else {
        c.gainLeft = nearGain;
        c.gainRight = farGain;
        c.leadLeft = lead;
        c.leadRight = 0;
    }
}

void mixPlayingChannels(std::int16_t* block) {
    SoundSystem& s = state();
    const int count = s.channelCount.load(std::memory_order_acquire);
    for (int i = 0; i < count; ++i) {
        SoundChannel& c = s.channels[i];
        const std::uint32_t playState = c.playState.load(std::memory_order_acquire);
        if (!(playState & PlayingBit) || !isMixable(c)) {
            continue;
        }
        if (startsOf(playState) != c.startsMixed) {
            beginPlayback(c, startsOf(playState));
        }
        if (placeChannel(i)) {
            mixChannel(c, block);
        }
    }
}

void handOverBlock(std::int16_t* block) {
    SoundSystem& s = state();
    std::int16_t* out = s.nextBuffer ? s.bufferA.get() : s.bufferB.get();
    std::memcpy(out, block, BlockValues * sizeof(std::int16_t));
    s.lastBlock = out;
    std::fill(block, block + BlockValues, std::int16_t{0});
    s.mixOffset = (s.mixOffset + BlockValues) % RingValues;
    s.nextBuffer = !s.nextBuffer;
}

} // namespace

void SharedPosition::store(const Vec3& v) {
    x.store(v.x, std::memory_order_relaxed);
    y.store(v.y, std::memory_order_relaxed);
    z.store(v.z, std::memory_order_relaxed);
}

Vec3 SharedPosition::load() const {
    return {x.load(std::memory_order_relaxed), y.load(std::memory_order_relaxed),
            z.load(std::memory_order_relaxed)};
}

const SoundSystem& soundSystem() {
    return state();
}

int addSound(std::unique_ptr<std::int16_t[]> samples, int length) {
    SoundChannel* c = nextFreeChannel();
    if (!c) {
        return ChannelTableFull;
    }
    resetChannel(*c);
    c->samples = samples.get();
    c->length = samples ? std::max(length, 0) : 0;
    c->ownedSamples = std::move(samples);
    return publishChannel();
}

int makeSoundVariant(int source, int offset) {
    SoundChannel* c = nextFreeChannel();
    if (!c) {
        return ChannelTableFull;
    }
    resetChannel(*c);
    const SoundChannel* from = countedChannel(source);
    if (from && from->samples && offset >= 0 && offset < from->length) {
        c->samples = from->samples + offset;
        c->length = from->length - offset;
        c->sharesSamples = true;
    }
    return publishChannel();
}

void setListener(const Vec3* position, const Vec3* forward, float hearingRange) {
    SoundSystem& s = state();
    s.hearingRange.store(hearingRange, std::memory_order_relaxed);
    s.listenerForward = forward;
    s.listenerPosition = position;
    publishListener();
}

void playSound(int channel, bool looping, const Vec3* source, float rate) {
    SoundChannel* c = countedChannel(channel);
    if (!c || !isMixable(*c)) {
        return;
    }
    const Vec3 at = followedSource(source);
    const float distance = lengthOf(difference(at, followedListener()));
    c->looping.store(looping, std::memory_order_relaxed);
    c->baseRate.store(rate, std::memory_order_relaxed);
    c->source = source;
    c->sourcePosition.store(at);
    c->startDistance.store(distance, std::memory_order_relaxed);
    c->startTime.store(clockSeconds() + distance * SecondsPerUnit, std::memory_order_relaxed);
    const std::uint32_t starts = startsOf(c->playState.load(std::memory_order_relaxed)) + 1;
    c->playState.store((starts << 1) | PlayingBit, std::memory_order_release);
}

bool isChannelPlaying(int channel) {
    const SoundChannel* c = countedChannel(channel);
    return c && (c->playState.load(std::memory_order_acquire) & PlayingBit);
}

void publishSoundPositions() {
    publishListener();
    SoundSystem& s = state();
    const int count = s.channelCount.load(std::memory_order_relaxed);
    for (int i = 0; i < count; ++i) {
        SoundChannel& c = s.channels[i];
        if (c.playState.load(std::memory_order_relaxed) & PlayingBit) {
            c.sourcePosition.store(followedSource(c.source));
        }
    }
}

void setChannelRate(int channel, float rate) {
    if (SoundChannel* c = countedChannel(channel)) {
        c->baseRate.store(rate, std::memory_order_relaxed);
    }
}

void openMixer() {
    SoundSystem& s = state();
    if (s.mixerReady.load(std::memory_order_relaxed)) {
        return;
    }
    s.mixRing.reset(new std::int16_t[RingValues]());
    s.bufferA.reset(new std::int16_t[BlockValues]());
    s.bufferB.reset(new std::int16_t[BlockValues]());
    s.lastBlock = s.bufferB.get();
    s.mixOffset = 0;
    s.nextBuffer = true;
    s.mixerReady.store(true, std::memory_order_release);
}

void closeMixer() {
    SoundSystem& s = state();
    s.mixerReady.store(false, std::memory_order_release);
    s.lastBlock = nullptr;
    s.mixRing.reset();
    s.bufferA.reset();
    s.bufferB.reset();
}

void mixNextBlock() {
    SoundSystem& s = state();
    if (!s.mixerReady.load(std::memory_order_acquire)) {
        return;
    }
    std::int16_t* block = s.mixRing.get() + s.mixOffset;
    mixPlayingChannels(block);
    handOverBlock(block);
}

const std::int16_t* lastMixedBlock() {
    return state().lastBlock;
}

bool placeChannel(int channel) {
    SoundChannel* found = countedChannel(channel);
    if (!found) {
        return false;
    }
    SoundChannel& c = *found;
    const Vec3 offset = difference(c.sourcePosition.load(), state().listenerAt.load());
    const float distance = lengthOf(offset);
    // The Doppler shift is the change over one block, also for the first block heard: a
    // source that moved while its sound travelled must not be heard at its whole delay's shift.
    if (clockSeconds() < c.startTime.load(std::memory_order_relaxed)) {
        c.lastDistance = distance;
        return false;
    }
    c.rate =
        c.baseRate.load(std::memory_order_relaxed) + (c.lastDistance - distance) * DopplerPerUnit;
    c.lastDistance = distance;
    const float range = state().hearingRange.load(std::memory_order_relaxed);
    const float attenuation = (range - distance) / range;
    if (range > 0.0f && attenuation > 0.0f) {
        placeAround(c, offset, attenuation);
    } else {
        silence(c);
    }
    return true;
}

void releaseSoundChannels() {
    SoundSystem& s = state();
    s.channelCount.store(0, std::memory_order_release);
    for (SoundChannel& c : s.channels) {
        resetChannel(c);
    }
}

} // namespace tb
