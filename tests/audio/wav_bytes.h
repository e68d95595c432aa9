#pragma once
// Hand-made RIFF files for the loader tests: each piece is spelled out so a test can break
// exactly the part it is about.
#include <cstdint>
#include <string>

namespace tb::test {

inline std::string le16(int v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

inline std::string le32(std::uint32_t v) {
    return le16(v & 0xFFFF) + le16(v >> 16);
}

inline std::string chunk(const std::string& tag, const std::string& body) {
    return tag + le32(static_cast<std::uint32_t>(body.size())) + body;
}

// Tag, channels, rate, bytes per second, block align, bits per sample.
inline std::string formatFields(int tag, int channels, int bits, int blockAlign) {
    return le16(tag) + le16(channels) + le32(11025) + le32(11025 * blockAlign) + le16(blockAlign) +
           le16(bits);
}

inline std::string pcmFormat(int bits, int channels = 1) {
    return chunk("fmt ", formatFields(1, channels, bits, channels * ((bits + 7) / 8)));
}

inline std::string riff(const std::string& body, const std::string& riffTag = "RIFF",
                        const std::string& waveTag = "WAVE") {
    return riffTag + le32(static_cast<std::uint32_t>(body.size() + 4)) + waveTag + body;
}

inline std::string pcm16(std::initializer_list<int> samples) {
    std::string bytes;
    for (const int s : samples) {
        bytes += le16(s);
    }
    return bytes;
}

} // namespace tb::test
