// The ADPCM writer is checked against an independent decoder (ffmpeg's), the one the game's
// own decoder is held to as well.
#include "adpcm_encoder.h"
#include "wav_writer.h"

#include "support/temp_media.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace tb::media {
namespace {

std::vector<std::int16_t> decodeWithFfmpeg(const std::string& path) {
    const std::string command = "ffmpeg -v error -i '" + path + "' -f s16le -acodec pcm_s16le -";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::vector<std::int16_t> samples;
    if (pipe == nullptr) {
        return samples;
    }
    std::int16_t buffer[1024];
    std::size_t n = 0;
    while ((n = std::fread(buffer, sizeof buffer[0], 1024, pipe)) > 0) {
        samples.insert(samples.end(), buffer, buffer + n);
    }
    pclose(pipe);
    return samples;
}

std::vector<std::int16_t> roundTrip(const std::vector<std::int16_t>& samples) {
    test::TempMedia folder;
    const std::string path = folder.path("sound.wav");
    const std::vector<std::uint8_t> bytes = adpcmWavBytes(samples, 11025);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return decodeWithFfmpeg(path);
}

// Samples missing from b count as silence.
double rms(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double d = static_cast<double>(a[i]) - (i < b.size() ? b[i] : 0);
        sum += d * d;
    }
    return std::sqrt(sum / static_cast<double>(a.size()));
}

std::vector<std::int16_t> tone(std::size_t length, double amplitude, double hiss) {
    std::vector<std::int16_t> s(length);
    std::uint32_t noise = 12345;
    for (std::size_t i = 0; i < length; ++i) {
        noise = noise * 1664525u + 1013904223u;
        const double t = static_cast<double>(i) / 11025.0;
        const double rising = std::sin(2 * M_PI * (200 + 1500 * t) * t);
        const double white = static_cast<double>(noise >> 16) / 32768.0 - 1.0;
        s[i] = static_cast<std::int16_t>(
            std::lround(amplitude * ((1 - hiss) * rising + hiss * white)));
    }
    return s;
}

TEST(AdpcmEncoder, DecodesCloseToTheOriginalAndKeepsEveryBlocksFirstSamples) {
    // A clean rising tone comes back within 2 %, one under loud hiss within 10 %.
    for (const auto& [hiss, tolerance] : {std::pair{0.0, 0.02}, std::pair{0.2, 0.1}}) {
        const std::vector<std::int16_t> original = tone(5000, 12000, hiss);
        const std::vector<std::int16_t> decoded = roundTrip(original);
        ASSERT_GE(decoded.size(), original.size());
        // Whole blocks: the tail is padded with silence.
        EXPECT_EQ(decoded.size() % adpcmSamplesPerBlock(AdpcmBlockAlign), 0u);
        EXPECT_LT(rms(original, decoded), tolerance * rms(original, {})) << "hiss " << hiss;
        for (std::size_t b = 0; b < original.size(); b += adpcmSamplesPerBlock(AdpcmBlockAlign)) {
            EXPECT_EQ(decoded[b], original[b]) << "block at " << b;
            EXPECT_EQ(decoded[b + 1], original[b + 1]) << "block at " << b;
        }
        for (std::size_t i = original.size(); i < decoded.size(); ++i) {
            EXPECT_LT(std::abs(decoded[i]), 64) << "padding at " << i;
        }
    }
}

TEST(AdpcmEncoder, FullScaleEdgesAndSilenceDoNotWrapRound) {
    std::vector<std::int16_t> original(3000, 0);
    for (std::size_t i = 1000; i < 2000; ++i) {
        original[i] = (i / 50) % 2 ? 32767 : -32768;
    }
    const std::vector<std::int16_t> decoded = roundTrip(original);
    ASSERT_GE(decoded.size(), original.size());
    for (std::size_t i = 0; i < 1000; ++i) {
        EXPECT_EQ(decoded[i], 0) << i;
    }
    // A step that overshot and wrapped would flip a sample's sign.
    int flipped = 0;
    for (std::size_t i = 1000; i < 2000; ++i) {
        if ((decoded[i] > 16000 && original[i] < 0) || (decoded[i] < -16000 && original[i] > 0)) {
            ++flipped;
        }
    }
    EXPECT_LT(flipped, 60); // only the few samples at each edge may lag behind
    EXPECT_LT(rms(original, decoded), 6000.0);
}

TEST(AdpcmWav, FormatChunkFitsTheGameAndTheDataFollowsIt) {
    const std::vector<std::uint8_t> bytes =
        adpcmWavBytes(std::vector<std::int16_t>(1200, 0), 11025);
    const auto u16 = [&](std::size_t at) { return bytes[at] | bytes[at + 1] << 8; };
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(u16(at) | u16(at + 2) << 16);
    };
    ASSERT_GT(bytes.size(), 80u);
    EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "fmt ");
    EXPECT_EQ(u32(16), 50u); // the game accepts format chunks of at most 50 bytes
    EXPECT_EQ(u16(20), 2);   // Microsoft ADPCM
    EXPECT_EQ(u16(32), AdpcmBlockAlign);
    EXPECT_EQ(u32(4), bytes.size() - 8);
    // 1200 samples take three blocks.
    EXPECT_EQ(
        std::string(bytes.end() - 3 * AdpcmBlockAlign - 8, bytes.end() - 3 * AdpcmBlockAlign - 4),
        "data");
}

} // namespace
} // namespace tb::media
