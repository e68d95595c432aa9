#include "adpcm_encoder.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tb::media {
namespace {

constexpr int Adaptation[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                768, 614, 512, 409, 307, 230, 230, 230};
constexpr int StartingSteps[] = {16, 32, 64, 128, 256, 512, 1024, 2048, 4096};

// What the decoder holds between samples.
struct DecoderState {
    int sample1 = 0; // the latest sample
    int sample2 = 0; // the one before
    int delta = 16;
};

int prediction(const DecoderState& s, int predictor) {
    // Integer division truncates towards zero, as the decoders do.
    return (s.sample1 * AdpcmCoefficients[predictor][0] +
            s.sample2 * AdpcmCoefficients[predictor][1]) /
           256;
}

// Chooses the nibble for `target` and moves the state on as the decoder will.
int encodeSample(DecoderState& s, int predictor, int target) {
    const int predicted = prediction(s, predictor);
    const int error = target - predicted;
    const int half = s.delta / 2;
    int step = (error >= 0 ? error + half : error - half) / s.delta;
    step = std::clamp(step, -8, 7);
    const int rebuilt = std::clamp(predicted + step * s.delta, -32768, 32767);
    s.sample2 = s.sample1;
    s.sample1 = rebuilt;
    const int nibble = step & 0x0f;
    s.delta = std::max(16, (Adaptation[nibble] * s.delta) >> 8);
    return nibble;
}

struct BlockChoice {
    int predictor = 0;
    int startingStep = 16;
    std::int64_t error = std::numeric_limits<std::int64_t>::max();
};

std::int64_t trialError(const std::int16_t* block, int count, int predictor, int startingStep) {
    DecoderState s{block[1], block[0], startingStep};
    std::int64_t total = 0;
    for (int i = 2; i < count; ++i) {
        encodeSample(s, predictor, block[i]);
        const std::int64_t e = block[i] - s.sample1;
        total += e * e;
    }
    return total;
}

BlockChoice bestChoice(const std::int16_t* block, int count) {
    BlockChoice best;
    for (int predictor = 0; predictor < 7; ++predictor) {
        for (const int step : StartingSteps) {
            const std::int64_t e = trialError(block, count, predictor, step);
            if (e < best.error) {
                best = {predictor, step, e};
            }
        }
    }
    return best;
}

void putShort(std::vector<std::uint8_t>& out, int value) {
    const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void encodeBlock(const std::int16_t* block, int count, std::vector<std::uint8_t>& out) {
    const BlockChoice choice = bestChoice(block, count);
    // The header holds the second sample before the first.
    out.push_back(static_cast<std::uint8_t>(choice.predictor));
    putShort(out, choice.startingStep);
    putShort(out, block[1]);
    putShort(out, block[0]);
    DecoderState s{block[1], block[0], choice.startingStep};
    for (int i = 2; i < count; i += 2) {
        const int high = encodeSample(s, choice.predictor, block[i]);
        const int low = encodeSample(s, choice.predictor, block[i + 1]);
        out.push_back(static_cast<std::uint8_t>((high << 4) | low));
    }
}

} // namespace

std::vector<std::uint8_t> encodeMsAdpcm(const std::vector<std::int16_t>& samples, int blockAlign) {
    const int perBlock = adpcmSamplesPerBlock(blockAlign);
    const std::size_t blocks = (samples.size() + perBlock - 1) / perBlock;
    std::vector<std::int16_t> padded(samples);
    padded.resize(blocks * perBlock, 0);
    std::vector<std::uint8_t> out;
    out.reserve(blocks * blockAlign);
    for (std::size_t b = 0; b < blocks; ++b) {
        encodeBlock(padded.data() + b * perBlock, perBlock, out);
    }
    return out;
}

} // namespace tb::media
