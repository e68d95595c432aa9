#pragma once
// ".wav" files, PCM or Microsoft ADPCM, read into the next free sound channel.
namespace tb {

// The channel index (0 or more) or a negative code: -1 not opened / not RIFF, -2 not WAVE,
// -3 no fmt chunk or no data chunk, -4 bad format chunk, -5 ADPCM could not be decoded,
// -6 the channel table is full.
int loadSound(const char* fileName);

} // namespace tb
