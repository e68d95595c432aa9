#pragma once
// Microsoft ADPCM decoded to signed 16-bit PCM, block by block. A block starts with a header
// per channel (predictor, step, the two newest samples) and packs two 4-bit codes per byte,
// high nibble first, taking the channels in turn.
#include <cstddef>
#include <cstdint>
#include <span>

namespace tb {

struct AdpcmFormat {
    int channels = 1;   // 1 or 2
    int blockAlign = 0; // bytes in a full block, headers included
};

// The format can be decoded: one or two channels, blocks long enough for their headers.
bool isDecodableAdpcm(const AdpcmFormat& format);
// Samples (all channels together) that `dataBytes` bytes decode to; a last block shorter than
// the rest still decodes, one shorter than its headers gives nothing.
std::size_t adpcmDecodedLength(std::size_t dataBytes, const AdpcmFormat& format);
// Decodes `data` into `out`, which holds adpcmDecodedLength samples, stereo interleaved.
// False for an undecodable format or a block naming a predictor that does not exist.
bool decodeAdpcm(std::span<const std::uint8_t> data, const AdpcmFormat& format,
                 std::span<std::int16_t> out);

} // namespace tb
