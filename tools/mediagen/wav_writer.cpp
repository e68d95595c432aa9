#include "wav_writer.h"

#include "adpcm_encoder.h"
#include "file_output.h"

namespace tb::media {
namespace {

class RiffBuilder {
  public:
    void tag(const char* fourCharacters) {
        bytes_.insert(bytes_.end(), fourCharacters, fourCharacters + 4);
    }
    void u16(std::uint32_t v) { put(v, 2); }
    void u32(std::uint32_t v) { put(v, 4); }
    void raw(const std::vector<std::uint8_t>& data) {
        bytes_.insert(bytes_.end(), data.begin(), data.end());
    }
    std::vector<std::uint8_t> finish() {
        // The RIFF size counts everything after its own field.
        const auto size = static_cast<std::uint32_t>(bytes_.size() - 8);
        for (int i = 0; i < 4; ++i) {
            bytes_[4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
        }
        return bytes_;
    }

  private:
    void put(std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) {
            bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }
    std::vector<std::uint8_t> bytes_;
};

void startWave(RiffBuilder& riff) {
    riff.tag("RIFF");
    riff.u32(0);
    riff.tag("WAVE");
}

} // namespace

std::vector<std::uint8_t> pcmWavBytes(const std::vector<std::int16_t>& samples, int rate) {
    RiffBuilder riff;
    startWave(riff);
    riff.tag("fmt ");
    riff.u32(16);
    riff.u16(1); // PCM
    riff.u16(1); // mono
    riff.u32(static_cast<std::uint32_t>(rate));
    riff.u32(static_cast<std::uint32_t>(rate) * 2);
    riff.u16(2);
    riff.u16(16);
    riff.tag("data");
    riff.u32(static_cast<std::uint32_t>(samples.size() * 2));
    for (const std::int16_t s : samples) {
        riff.u16(static_cast<std::uint16_t>(s));
    }
    return riff.finish();
}

std::vector<std::uint8_t> adpcmWavBytes(const std::vector<std::int16_t>& samples, int rate) {
    const std::vector<std::uint8_t> blocks = encodeMsAdpcm(samples, AdpcmBlockAlign);
    const int perBlock = adpcmSamplesPerBlock(AdpcmBlockAlign);
    RiffBuilder riff;
    startWave(riff);
    riff.tag("fmt ");
    riff.u32(50);
    riff.u16(2); // Microsoft ADPCM
    riff.u16(1); // mono
    riff.u32(static_cast<std::uint32_t>(rate));
    riff.u32(static_cast<std::uint32_t>(rate) * AdpcmBlockAlign / perBlock);
    riff.u16(AdpcmBlockAlign);
    riff.u16(4);  // bits per sample
    riff.u16(32); // cbSize: the extra bytes that follow
    riff.u16(static_cast<std::uint32_t>(perBlock));
    riff.u16(7);
    for (const auto& pair : AdpcmCoefficients) {
        riff.u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(pair[0])));
        riff.u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(pair[1])));
    }
    riff.tag("fact");
    riff.u32(4);
    riff.u32(static_cast<std::uint32_t>(samples.size()));
    riff.tag("data");
    riff.u32(static_cast<std::uint32_t>(blocks.size()));
    riff.raw(blocks);
    return riff.finish();
}

bool writePcmWav(const std::string& path, const std::vector<std::int16_t>& samples, int rate) {
    return writeWholeFile(path, pcmWavBytes(samples, rate));
}

bool writeAdpcmWav(const std::string& path, const std::vector<std::int16_t>& samples, int rate) {
    return writeWholeFile(path, adpcmWavBytes(samples, rate));
}

} // namespace tb::media
