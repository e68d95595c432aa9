#pragma once
// The table of 16 sound channels, played on the audio thread round a listener at the camera.
// The game thread starts channels and writes their rates; the mixer reads them without a lock.
#include "assets/math_types.h"

namespace tb {

constexpr int ChannelCapacity = 16;

// Starts (or restarts) a channel; does nothing for a channel without samples. `source` must
// stay valid while the sound plays: the channel follows it.
void playSound(int channel, bool looping, const Vec3* source, float rate);
bool isChannelPlaying(int channel);
// The playback rate the game asks for (the engine pitch).
void setChannelRate(int channel, float rate);
// A channel sharing `source`'s samples from `offset` on; returns its index or a negative code.
int makeSoundVariant(int source, int offset);
void setListener(const Vec3* position, const Vec3* forward, float hearingRange);
// Mixes the next block of 1024 stereo frames (the audio back end calls it once per block).
void mixNextBlock();
// Frees every sample buffer and empties the table (at exit, and for tests).
void releaseSoundChannels();

} // namespace tb
