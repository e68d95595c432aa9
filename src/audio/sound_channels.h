#pragma once
// The table of 16 sound channels, played on the audio thread round a listener at the camera.
// The game thread starts channels and writes their rates; the mixer reads them without a lock.
#include "assets/math_types.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

namespace tb {

constexpr int ChannelCapacity = 16;
// Output frames per second; a sound at rate 1.0 plays one sample per frame.
constexpr int OutputRate = 11025;
// Stereo frames in one output block (about 92.9 ms).
constexpr int BlockFrames = 1024;
// 16-bit values in one block, left and right interleaved.
constexpr int BlockValues = 2 * BlockFrames;
constexpr int RingBlocks = 32;
// Samples kept free at the end of every sound: the far ear reads up to this many ahead.
constexpr int EarLeadMax = 16;
// Values in the moving average that muffles a sound behind the listener.
constexpr int FilterLength = 16;
// Sounds of this many samples or fewer are never mixed.
constexpr int ShortestMixable = EarLeadMax;
// Code for a load or variant that finds no free channel.
constexpr int ChannelTableFull = -6;

// A position the game thread stores and the mixer loads, each coordinate whole. A load may mix
// coordinates of two frames, which moves a sound by a fraction of a frame.
struct SharedPosition {
    std::atomic<float> x{0.0f};
    std::atomic<float> y{0.0f};
    std::atomic<float> z{0.0f};

    void store(const Vec3& v);
    Vec3 load() const;
};

struct SoundChannel {
    // Written before the channel is counted; fixed while the table is in use.
    const std::int16_t* samples = nullptr;
    int length = 0;
    bool sharesSamples = false;
    std::unique_ptr<std::int16_t[]> ownedSamples;

    // The game thread's own: the emitter the channel follows (null: heard at the listener).
    const Vec3* source = nullptr;

    // Written by the game thread, read by the mixer.
    std::atomic<float> baseRate{1.0f};
    SharedPosition sourcePosition; // where the source stood at the last copy
    std::atomic<bool> looping{false};
    std::atomic<float> startTime{0.0f};
    std::atomic<float> startDistance{0.0f};
    // Bit 0 is the playing flag. The bits above count the starts, so the mixer tells a restart
    // from a sound that plays on, and a sound ending on the audio thread never clears the flag
    // of a start it has not seen yet.
    std::atomic<std::uint32_t> playState{0};

    // The mixer's own, touched only on the audio thread once the channel plays.
    std::uint32_t startsMixed = 0;
    float rate = 1.0f;
    float lastDistance = 0.0f;
    float gainRight = 0.0f;
    float gainLeft = 0.0f;
    int leadRight = 0;
    int leadLeft = 0;
    int position = 0;
    float dryGain = 1.0f;
    float muffle = 0.0f;
    std::array<std::int16_t, FilterLength> historyLeft{};
    std::array<std::int16_t, FilterLength> historyRight{};
    int historyIndexLeft = 0;
    int historyIndexRight = 0;
    int historySumLeft = 0;
    int historySumRight = 0;
};

// The one sound system: the channel table, the listener and the mixer's buffers.
struct SoundSystem {
    std::array<SoundChannel, ChannelCapacity> channels;
    std::atomic<int> channelCount{0};

    // The game thread's own: what the listener follows (the camera).
    const Vec3* listenerPosition = nullptr;
    const Vec3* listenerForward = nullptr;
    // The mixer's copies of them, written by the game thread.
    SharedPosition listenerAt;
    SharedPosition listenerFacing{{0.0f}, {0.0f}, {1.0f}};
    std::atomic<float> hearingRange{300.0f};

    // Taken by openMixer, freed by closeMixer; used only on the audio thread in between.
    std::unique_ptr<std::int16_t[]> mixRing;
    std::unique_ptr<std::int16_t[]> bufferA;
    std::unique_ptr<std::int16_t[]> bufferB;
    const std::int16_t* lastBlock = nullptr;
    int mixOffset = 0;      // in 16-bit values, a multiple of BlockValues
    bool nextBuffer = true; // true: the next block is copied into buffer A
    std::atomic<bool> mixerReady{false};
};

// Read-only view of the sound system (tools, tests).
const SoundSystem& soundSystem();

// Loading, on the game thread. Each returns the new channel's index or ChannelTableFull.
// Takes ownership of `length` decoded samples as the next channel.
int addSound(std::unique_ptr<std::int16_t[]> samples, int length);
// A channel sharing `source`'s samples from `offset` on. A source that is not a loaded
// channel (a failed load's negative code) gives a channel without samples, which never plays.
int makeSoundVariant(int source, int offset);
void setListener(const Vec3* position, const Vec3* forward, float hearingRange);

// Playing, on the game thread. Invalid channels are ignored.
// Starts (or restarts) a channel; does nothing for a channel without samples. `source` must
// stay valid while the sound plays: the channel follows it (null: heard at the listener).
void playSound(int channel, bool looping, const Vec3* source, float rate);
bool isChannelPlaying(int channel);
// Once a frame, after everything has moved: copies the listener and every playing channel's
// source for the mixer, which reads nothing else of the game's world.
void publishSoundPositions();
// The playback rate the game asks for (the engine pitch).
void setChannelRate(int channel, float rate);

// Mixing, on the audio thread between openMixer and closeMixer.
// Takes the ring and the two output buffers and lets mixNextBlock run.
void openMixer();
// Stops mixNextBlock and frees its buffers; call only once no block is being mixed.
void closeMixer();
// Mixes the next block of 1024 stereo frames (the audio back end calls it once per block).
void mixNextBlock();
// The block mixNextBlock produced last (BlockValues values), or null while the mixer is closed.
const std::int16_t* lastMixedBlock();
// The per-block spatial update of a playing channel; false while its sound is still travelling.
bool placeChannel(int channel);

// Frees every sample buffer and empties the table (at exit, and for tests). No block may be
// mixed meanwhile.
void releaseSoundChannels();

} // namespace tb
