#include "audio/wav_loader.h"

#include "audio/adpcm.h"
#include "audio/sound_channels.h"
#include "shell/error_report.h"
#include "shell/media_paths.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tb {
namespace {

enum LoadCode : int {
    NotRiff = -1,
    NotWave = -2,
    NoChunk = -3,
    BadFormat = -4,
    BadAdpcm = -5,
};

constexpr int PcmTag = 1;
constexpr int AdpcmTag = 2;
constexpr int FormatBufferSize = 50;
// Tag, channels, sample rate, bytes per second, block align, bits per sample.
constexpr int FormatFieldsSize = 16;
constexpr std::size_t ReadChunkSize = 64 * 1024;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct WavFormat {
    int tag = 0;
    int channels = 0;
    int blockAlign = 0;
    int bitsPerSample = 0;
    int sampleRate = 0;
    int subFormatTag = 0;
};

constexpr int ExtensibleTag = 0xFFFE;
// The extensible header's sub-format GUID starts with the plain format tag.
constexpr int SubFormatOffset = 24;

struct Sound {
    std::unique_ptr<std::int16_t[]> samples;
    int length = 0;
};

using Tag = std::array<char, 4>;

bool readTag(std::FILE* f, Tag& tag) {
    return std::fread(tag.data(), 1, 4, f) == 4;
}

// Only the first three letters of the container's signatures are compared.
bool readSignature(std::FILE* f, const char* expected) {
    Tag tag{};
    return readTag(f, tag) && std::memcmp(tag.data(), expected, 3) == 0;
}

std::optional<std::uint32_t> readU32(std::FILE* f) {
    std::uint8_t b[4];
    if (std::fread(b, 1, 4, f) != 4) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(b[0] | (b[1] << 8) | (b[2] << 16)) |
           (static_cast<std::uint32_t>(b[3]) << 24);
}

int readU16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}

// The size is signed: a size with the top bit set is as wrong as one over 50.
std::optional<WavFormat> readFormat(std::FILE* f) {
    const auto size = readU32(f);
    if (!size) {
        return std::nullopt;
    }
    const auto n = static_cast<std::int32_t>(*size);
    std::uint8_t buffer[FormatBufferSize] = {};
    if (n < FormatFieldsSize || n > FormatBufferSize ||
        std::fread(buffer, 1, static_cast<std::size_t>(n), f) != static_cast<std::size_t>(n)) {
        return std::nullopt;
    }
    const int tag = readU16(buffer);
    const bool extensible = tag == ExtensibleTag && n >= SubFormatOffset + 2;
    return WavFormat{tag,
                     readU16(buffer + 2),
                     readU16(buffer + 12),
                     readU16(buffer + 14),
                     static_cast<int>(static_cast<std::uint32_t>(readU16(buffer + 4)) |
                                      static_cast<std::uint32_t>(readU16(buffer + 6)) << 16),
                     extensible ? readU16(buffer + SubFormatOffset) : 0};
}

// Skips chunks up to "data" and returns its declared size; nothing when the file ends first.
std::optional<std::uint32_t> findDataChunk(std::FILE* f) {
    Tag tag{};
    while (readTag(f, tag)) {
        const auto size = readU32(f);
        if (!size) {
            return std::nullopt;
        }
        if (std::memcmp(tag.data(), "data", 4) == 0) {
            return size;
        }
        if (std::fseek(f, static_cast<long>(*size), SEEK_CUR) != 0) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// At most `declared` bytes, and never more memory than the file actually holds.
std::vector<std::uint8_t> readData(std::FILE* f, std::uint32_t declared) {
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < declared) {
        const std::size_t want = std::min<std::size_t>(ReadChunkSize, declared - bytes.size());
        const std::size_t had = bytes.size();
        bytes.resize(had + want);
        const std::size_t got = std::fread(bytes.data() + had, 1, want, f);
        bytes.resize(had + got);
        if (got < want) {
            break;
        }
    }
    return bytes;
}

// 8-bit samples are unsigned around 128; wider ones keep their top 16 bits, so the mixer
// always reads one 16-bit value per sample.
std::int16_t pcmSample(const std::uint8_t* p, std::size_t bytesPerSample) {
    if (bytesPerSample == 1) {
        return static_cast<std::int16_t>((p[0] - 128) * 256);
    }
    const std::uint8_t* top = p + bytesPerSample - 2;
    return static_cast<std::int16_t>(top[0] | (top[1] << 8));
}

std::optional<Sound> convertPcm(const std::vector<std::uint8_t>& data, int bitsPerSample) {
    if (bitsPerSample < 8) {
        return std::nullopt;
    }
    const auto bytesPerSample = static_cast<std::size_t>((bitsPerSample + 7) / 8);
    const std::size_t length = data.size() / bytesPerSample;
    if (length > INT_MAX) {
        return std::nullopt;
    }
    Sound sound{std::make_unique<std::int16_t[]>(length), static_cast<int>(length)};
    for (std::size_t i = 0; i < length; ++i) {
        sound.samples[i] = pcmSample(data.data() + i * bytesPerSample, bytesPerSample);
    }
    return sound;
}

std::optional<Sound> convertAdpcm(const std::vector<std::uint8_t>& data, const WavFormat& wav) {
    const AdpcmFormat format{wav.channels, wav.blockAlign};
    if (!isDecodableAdpcm(format)) {
        return std::nullopt;
    }
    const std::size_t length = adpcmDecodedLength(data.size(), format);
    if (length > INT_MAX) {
        return std::nullopt;
    }
    Sound sound{std::make_unique<std::int16_t[]>(length), static_cast<int>(length)};
    if (!decodeAdpcm(data, format, {sound.samples.get(), length})) {
        return std::nullopt;
    }
    return sound;
}

int storeSound(std::optional<Sound> sound, int failure) {
    if (!sound) {
        return failure;
    }
    return addSound(std::move(sound->samples), sound->length);
}

// The signatures up to the format chunk's size; 0 or the failure code.
int readHeaders(std::FILE* f) {
    if (!readSignature(f, "RIF")) {
        return NotRiff;
    }
    if (!readU32(f) || !readSignature(f, "WAV")) {
        return NotWave;
    }
    if (!readSignature(f, "fmt")) {
        return NoChunk;
    }
    return 0;
}

int readSound(std::FILE* f) {
    if (const int failure = readHeaders(f); failure != 0) {
        return failure;
    }
    const auto format = readFormat(f);
    if (!format || (format->tag != PcmTag && format->tag != AdpcmTag)) {
        return BadFormat;
    }
    const auto dataSize = findDataChunk(f);
    if (!dataSize) {
        return NoChunk;
    }
    const std::vector<std::uint8_t> data = readData(f, *dataSize);
    if (format->tag == PcmTag) {
        return storeSound(convertPcm(data, format->bitsPerSample), BadFormat);
    }
    return storeSound(convertAdpcm(data, *format), BadAdpcm);
}

} // namespace

int loadSound(const char* fileName) {
    if (soundSystem().channelCount.load() >= ChannelCapacity) {
        return ChannelTableFull;
    }
    const std::string path = mediaPath(fileName ? fileName : "");
    const File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        reportError(path, "Could not open file:");
        return NotRiff;
    }
    return readSound(file.get());
}

std::optional<WavHeader> readWavHeader(const char* fileName) {
    const File file(std::fopen(mediaPath(fileName ? fileName : "").c_str(), "rb"));
    if (!file || readHeaders(file.get()) != 0) {
        return std::nullopt;
    }
    const auto format = readFormat(file.get());
    if (!format) {
        return std::nullopt;
    }
    const auto dataSize = findDataChunk(file.get());
    return WavHeader{format->tag,          format->subFormatTag,  format->channels,
                     format->sampleRate,   format->bitsPerSample, format->blockAlign,
                     dataSize.has_value(), dataSize.value_or(0)};
}

} // namespace tb
