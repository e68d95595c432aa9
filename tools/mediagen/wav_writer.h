#pragma once
// RIFF WAVE files: plain 16-bit PCM, and Microsoft ADPCM (format tag 2) with its full format
// chunk (cbSize, samples per block and the seven coefficient pairs) and a fact chunk.
#include <cstdint>
#include <string>
#include <vector>

namespace tb::media {

constexpr int AdpcmBlockAlign = 256;

std::vector<std::uint8_t> pcmWavBytes(const std::vector<std::int16_t>& samples, int rate);
std::vector<std::uint8_t> adpcmWavBytes(const std::vector<std::int16_t>& samples, int rate);

bool writePcmWav(const std::string& path, const std::vector<std::int16_t>& samples, int rate);
bool writeAdpcmWav(const std::string& path, const std::vector<std::int16_t>& samples, int rate);

} // namespace tb::media
