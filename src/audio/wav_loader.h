#pragma once
// ".wav" files, PCM or Microsoft ADPCM, read into the next free sound channel as 16-bit mono
// samples at the output rate, whatever the file's own channel count and rate.
namespace tb {

// The channel index (0 or more) or a negative code: -1 not opened (reported to the player) or
// not RIFF, -2 not WAVE, -3 no fmt chunk or no data chunk, -4 bad format chunk (too long, too
// short, fewer than 8 bits per sample, neither PCM nor ADPCM), -5 ADPCM could not be decoded,
// -6 the channel table is full. A data chunk longer than the file uses what the file holds.
int loadSound(const char* fileName);

} // namespace tb
