#pragma once
// ".wav" files, PCM or Microsoft ADPCM, read into the next free sound channel as 16-bit mono
// samples at the output rate, whatever the file's own channel count and rate.
#include <cstdint>
#include <optional>

namespace tb {

// The channel index (0 or more) or a negative code: -1 not opened (reported to the player) or
// not RIFF, -2 not WAVE, -3 no fmt chunk or no data chunk, -4 bad format chunk (too long, too
// short, fewer than 8 bits per sample, neither PCM nor ADPCM), -5 ADPCM could not be decoded,
// -6 the channel table is full. A data chunk longer than the file uses what the file holds.
int loadSound(const char* fileName);

// A file's own format as its header states it, read the way the loader reads it.
struct WavHeader {
    int tag = 0;          // 1 PCM and 2 Microsoft ADPCM load; any other is refused
    int subFormatTag = 0; // the format inside an extensible header (tag 0xFFFE)
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    int blockAlign = 0;
    bool hasData = false;
    std::uint32_t dataBytes = 0; // as declared
};

// Nullopt when the file cannot be opened or lacks the RIFF, WAVE and fmt headers; reports
// nothing.
std::optional<WavHeader> readWavHeader(const char* fileName);

} // namespace tb
