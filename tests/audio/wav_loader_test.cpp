#include "audio/adpcm.h"
#include "audio/temp_media.h"
#include "audio/wav_bytes.h"
#include "audio/wav_loader.h"

#include <tuple>

namespace tb::test {
namespace {

const std::string someSamples = chunk("data", pcm16({100, -200, 300, -400}));

class WavLoaderTest : public TempMediaTest {
  protected:
    int load(const std::string& bytes) const {
        write("sound.wav", bytes);
        return loadSound("sound.wav");
    }
};

TEST_F(WavLoaderTest, SignaturesCompareTheirFirstThreeLettersOnly) {
    EXPECT_EQ(load(riff(pcmFormat(16) + someSamples, "RIFX", "WAVX")), 0);
    EXPECT_EQ(load("fmt " + riff(pcmFormat(16) + someSamples).substr(4)), -1);
    EXPECT_EQ(load(riff(pcmFormat(16) + someSamples, "RIFF", "WAXE")), -2);
    EXPECT_EQ(load(riff(chunk("fmX ", formatFields(1, 1, 16, 2)) + someSamples)), -3);
    EXPECT_EQ(load(""), -1);
    EXPECT_EQ(load("RIFF"), -2);
    EXPECT_EQ(channelCount(), 1);
    EXPECT_TRUE(capture.reports().empty()) << "only a file that cannot be opened is reported";

    EXPECT_EQ(loadSound("missing.wav"), -1);
    EXPECT_EQ(capture.reports(),
              (std::vector<Report>{{"Could not open file:", (folder / "missing.wav").string()}}));
}

TEST_F(WavLoaderTest, FormatChunkMustHoldItsFieldsAndFitItsBuffer) {
    const std::string fields = formatFields(1, 1, 16, 2);
    const auto sized = [&](std::uint32_t size, const std::string& body) {
        return riff("fmt " + le32(size) + body + someSamples);
    };
    EXPECT_EQ(load(sized(51, fields + std::string(35, '\0'))), -4);
    EXPECT_EQ(load(sized(0xFFFFFFF0u, fields)), -4) << "a negative size";
    EXPECT_EQ(load(sized(14, fields.substr(0, 14))), -4);
    EXPECT_EQ(load(riff("fmt " + le32(16) + fields.substr(0, 10))), -4) << "cut short";
    EXPECT_EQ(load(riff(chunk("fmt ", formatFields(3, 1, 32, 4)) + someSamples)), -4);
    EXPECT_EQ(load(riff(pcmFormat(4) + someSamples)), -4);
    EXPECT_EQ(channelCount(), 0);

    EXPECT_EQ(load(sized(50, fields + std::string(34, '\x7F'))), 0);
    EXPECT_EQ(channel(0).length, 4);
}

// What the sound tool reports of a file: its format, the one inside an extensible header, and
// nothing read as a sub-format from a plain header's extra bytes.
TEST_F(WavLoaderTest, HeaderNamesTheFormatsFieldsForTheSoundTool) {
    const auto header = [&](const std::string& format) {
        write("sound.wav", riff(chunk("fmt ", format) + someSamples));
        const auto h = readWavHeader("sound.wav");
        EXPECT_TRUE(h && h->hasData && h->dataBytes == 8);
        return h ? std::tuple(h->tag, h->subFormatTag, h->channels, h->sampleRate, h->bitsPerSample,
                              h->blockAlign)
                 : std::tuple(0, 0, 0, 0, 0, 0);
    };
    const std::string extension = le16(22) + le16(16) + le32(4) + le16(1) + std::string(14, 'x');
    EXPECT_EQ(header(formatFields(1, 2, 16, 4)), std::tuple(1, 0, 2, 11025, 16, 4));
    EXPECT_EQ(header(formatFields(0xFFFE, 1, 16, 2) + extension),
              std::tuple(0xFFFE, 1, 1, 11025, 16, 2));
    EXPECT_EQ(header(formatFields(1, 1, 16, 2) + extension), std::tuple(1, 0, 1, 11025, 16, 2));
}

TEST_F(WavLoaderTest, ChunksBeforeTheSamplesAreSkipped) {
    std::string samples;
    for (int i = 0; i < 33000; ++i) {
        samples += le16(i - 16000);
    }
    // An odd-sized chunk has no padding byte here; one over 64 KiB needs its size's third byte.
    // The samples too are over 64 KiB, more than the loader reads at once.
    const std::string extras =
        chunk("LIST", "abc" + std::string(65536, 'x')) + chunk("fact", le32(33000));
    ASSERT_EQ(load(riff(pcmFormat(16) + extras + chunk("data", samples))), 0);
    ASSERT_EQ(channel(0).length, 33000);
    EXPECT_EQ(channel(0).samples[0], -16000);
    EXPECT_EQ(channel(0).samples[32999], 32999 - 16000);
    EXPECT_FALSE(channel(0).sharesSamples);
    EXPECT_FALSE(isChannelPlaying(0));
}

TEST_F(WavLoaderTest, MissingOrShortSampleDataIsNeverReadPastTheFile) {
    EXPECT_EQ(load(riff(pcmFormat(16))), -3);
    EXPECT_EQ(load(riff(pcmFormat(16) + chunk("LIST", "ab"))), -3);
    EXPECT_EQ(load(riff(pcmFormat(16) + "LIST" + le32(1000) + "ab" + someSamples)), -3);
    EXPECT_EQ(load(riff(pcmFormat(16) + "data")), -3);
    EXPECT_EQ(channelCount(), 0);

    ASSERT_EQ(load(riff(pcmFormat(16) + "data" + le32(0xFFFFFFFFu) + pcm16({7, 8, 9}))), 0);
    EXPECT_EQ(channel(0).length, 3);
    EXPECT_EQ(channel(0).samples[2], 9);
}

TEST_F(WavLoaderTest, EverySampleWidthBecomesOneSixteenBitSample) {
    ASSERT_EQ(load(riff(pcmFormat(8) + chunk("data", std::string("\x00\x80\xFF", 3)))), 0);
    EXPECT_EQ(channel(0).length, 3);
    EXPECT_EQ(channel(0).samples[0], -32768);
    EXPECT_EQ(channel(0).samples[1], 0);
    EXPECT_EQ(channel(0).samples[2], 32512);

    ASSERT_EQ(load(riff(pcmFormat(24) + chunk("data", "\x11\x34\x12\xFF\xFF\x80"))), 1);
    EXPECT_EQ(channel(1).length, 2);
    EXPECT_EQ(channel(1).samples[0], 0x1234);
    EXPECT_EQ(channel(1).samples[1], -32513);

    ASSERT_EQ(load(riff(pcmFormat(12) + chunk("data", pcm16({0x7FF0, 16, -16})))), 2);
    EXPECT_EQ(channel(2).length, 3) << "12 bits live in two bytes";
}

TEST_F(WavLoaderTest, UndecodableAdpcmFailsWithItsOwnCode) {
    const auto adpcm = [](int channels, int blockAlign, const std::string& data) {
        return riff(chunk("fmt ", formatFields(2, channels, 4, blockAlign)) + chunk("data", data));
    };
    const std::string block = std::string("\x01", 1) + le16(16) + le16(100) + le16(50) + "\x12\x34";
    EXPECT_EQ(load(adpcm(1, 9, "\x07" + block.substr(1))), -5) << "no such predictor";
    EXPECT_EQ(load(adpcm(1, 6, block)), -5);
    EXPECT_EQ(load(adpcm(3, 64, std::string(64, '\0'))), -5);
    EXPECT_EQ(channelCount(), 0);
    EXPECT_EQ(adpcmDecodedLength(64, AdpcmFormat{3, 64}), 0u) << "no buffer is sized for it";
    EXPECT_FALSE(decodeAdpcm({}, AdpcmFormat{3, 64}, {}));

    // Two full blocks and a fragment too short for a block header.
    ASSERT_EQ(load(adpcm(1, 9, block + block + "\x01\x02")), 0);
    ASSERT_EQ(channel(0).length, 12);
    EXPECT_EQ(channel(0).samples[0], 50);
    EXPECT_EQ(channel(0).samples[1], 100);
    EXPECT_EQ(channel(0).samples[6], 50);
    // A block may be its header alone: its two samples.
    ASSERT_EQ(load(adpcm(1, 7, block.substr(0, 7))), 1);
    EXPECT_EQ(channel(1).samples[1], 100);
}

TEST_F(WavLoaderTest, FullTableRefusesFurtherLoads) {
    const std::string file = riff(pcmFormat(16) + someSamples);
    for (int i = 0; i < ChannelCapacity; ++i) {
        ASSERT_EQ(load(file), i);
    }
    EXPECT_EQ(load(file), ChannelTableFull);
    EXPECT_EQ(channelCount(), ChannelCapacity);
}

} // namespace
} // namespace tb::test
