#include "audio/adpcm.h"

#include <algorithm>
#include <array>
#include <climits>

namespace tb {
namespace {

constexpr int HeaderBytesPerChannel = 7;
constexpr int PredictorCount = 7;
constexpr std::array<int, PredictorCount> Coefficient1{256, 512, 0, 192, 240, 460, 392};
constexpr std::array<int, PredictorCount> Coefficient2{0, -256, 0, 64, 0, -208, -232};
constexpr std::array<int, 16> StepAdaptation{230, 230, 230, 230, 307, 409, 512, 614,
                                             768, 614, 512, 409, 307, 230, 230, 230};
constexpr int SmallestStep = 16;
// Keeps the step's growth inside int however long a file shouts.
constexpr int LargestStep = INT_MAX / 768;
constexpr int MaxChannels = 2;

struct ChannelState {
    int coefficient1 = 0;
    int coefficient2 = 0;
    int step = 0;
    int sample1 = 0; // newest
    int sample2 = 0;
};

int readInt16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(p[0] | (p[1] << 8));
}

std::size_t headerBytes(const AdpcmFormat& format) {
    return static_cast<std::size_t>(HeaderBytesPerChannel * format.channels);
}

// Two header samples per channel, then two codes for every byte after the headers.
std::size_t blockSamples(std::size_t blockBytes, const AdpcmFormat& format) {
    const std::size_t header = headerBytes(format);
    if (blockBytes < header) {
        return 0;
    }
    return 2 * static_cast<std::size_t>(format.channels) + 2 * (blockBytes - header);
}

// The header lays out all predictors, then all steps, then all newest and all older samples.
bool readHeader(const std::uint8_t* block, int channels, std::array<ChannelState, MaxChannels>& s) {
    for (int c = 0; c < channels; ++c) {
        const int predictor = block[c];
        if (predictor >= PredictorCount) {
            return false;
        }
        s[c].coefficient1 = Coefficient1[predictor];
        s[c].coefficient2 = Coefficient2[predictor];
        s[c].step = readInt16(block + channels + 2 * c);
        s[c].sample1 = readInt16(block + 3 * channels + 2 * c);
        s[c].sample2 = readInt16(block + 5 * channels + 2 * c);
    }
    return true;
}

std::int16_t expandCode(ChannelState& s, int code) {
    const int signedCode = code >= 8 ? code - 16 : code;
    // Division, not a shift: the documented decoder truncates the prediction towards zero.
    const int prediction = (s.sample1 * s.coefficient1 + s.sample2 * s.coefficient2) / 256;
    const long long next =
        static_cast<long long>(prediction) + signedCode * static_cast<long long>(s.step);
    const int sample = static_cast<int>(std::clamp<long long>(next, INT16_MIN, INT16_MAX));
    s.sample2 = s.sample1;
    s.sample1 = sample;
    s.step = std::clamp(StepAdaptation[code] * s.step / 256, SmallestStep, LargestStep);
    return static_cast<std::int16_t>(sample);
}

bool decodeBlock(std::span<const std::uint8_t> block, const AdpcmFormat& format,
                 std::int16_t* out) {
    const int channels = format.channels;
    std::array<ChannelState, MaxChannels> state{};
    if (!readHeader(block.data(), channels, state)) {
        return false;
    }
    for (int c = 0; c < channels; ++c) {
        *out++ = static_cast<std::int16_t>(state[c].sample2);
    }
    for (int c = 0; c < channels; ++c) {
        *out++ = static_cast<std::int16_t>(state[c].sample1);
    }
    int c = 0;
    for (const std::uint8_t byte : block.subspan(headerBytes(format))) {
        *out++ = expandCode(state[c], byte >> 4);
        c = (c + 1) % channels;
        *out++ = expandCode(state[c], byte & 0x0F);
        c = (c + 1) % channels;
    }
    return true;
}

} // namespace

bool isDecodableAdpcm(const AdpcmFormat& format) {
    return format.channels >= 1 && format.channels <= MaxChannels &&
           format.blockAlign >= static_cast<int>(headerBytes(format));
}

std::size_t adpcmDecodedLength(std::size_t dataBytes, const AdpcmFormat& format) {
    if (!isDecodableAdpcm(format)) {
        return 0;
    }
    const auto blockAlign = static_cast<std::size_t>(format.blockAlign);
    return dataBytes / blockAlign * blockSamples(blockAlign, format) +
           blockSamples(dataBytes % blockAlign, format);
}

bool decodeAdpcm(std::span<const std::uint8_t> data, const AdpcmFormat& format,
                 std::span<std::int16_t> out) {
    if (!isDecodableAdpcm(format) || out.size() < adpcmDecodedLength(data.size(), format)) {
        return false;
    }
    const auto blockAlign = static_cast<std::size_t>(format.blockAlign);
    std::int16_t* next = out.data();
    for (std::size_t at = 0; at < data.size(); at += blockAlign) {
        const auto block = data.subspan(at, std::min(blockAlign, data.size() - at));
        if (block.size() < headerBytes(format)) {
            break;
        }
        if (!decodeBlock(block, format, next)) {
            return false;
        }
        next += blockSamples(block.size(), format);
    }
    return true;
}

} // namespace tb
