// Our Microsoft ADPCM decoder against ffmpeg's, sample for sample, on files that ffmpeg and sox
// encode from test signals: sweeps, noise, a loud square wave and silence, mono and stereo,
// several block sizes, and files cut so that their last block is short. The noise is seeded
// (sox -R), so every run decodes the same samples.
#include "audio/temp_media.h"
#include "audio/wav_loader.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace tb::test {
namespace {

struct Encoding {
    std::string name;
    std::string command; // encodes "src<channels>.wav" into "<name>.wav"
    int channels;
    int bytesCut; // taken off the end of the data so the last block is short
};

class AdpcmOracleTest : public TempMediaTest {
  protected:
    int run(const std::string& command) const {
        return std::system(("cd '" + folder.string() + "' && " + command).c_str());
    }

    void makeSources() const {
        ASSERT_EQ(run("sox -V1 -R -n -r 11025 -c 1 a.wav synth 0.7 sine 200-3000 && "
                      "sox -V1 -R -n -r 11025 -c 1 b.wav synth 0.5 brownnoise && "
                      "sox -V1 -R -n -r 11025 -c 1 c.wav synth 0.3 square 150 && "
                      "sox -V1 -R -n -r 11025 -c 1 d.wav trim 0 0.2 && "
                      "sox -V1 -R a.wav d.wav b.wav c.wav src1.wav && "
                      "sox -V1 -R -n -r 11025 -c 2 e.wav synth 1.1 sine 3000-100 whitenoise && "
                      "sox -V1 -R -n -r 11025 -c 2 f.wav synth 0.4 square 90 sine 440 && "
                      "sox -V1 -R -n -r 11025 -c 2 g.wav trim 0 0.2 && "
                      "sox -V1 -R e.wav g.wav f.wav src2.wav"),
                  0);
    }

    std::vector<char> readFile(const std::string& name) const {
        std::ifstream in(folder / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // Shortens the data chunk (the last chunk both encoders write) and the RIFF size with it.
    void cutData(const std::string& name, int bytes) const {
        std::vector<char> file = readFile(name);
        const std::string text(file.begin(), file.end());
        const auto data = text.find("data");
        ASSERT_NE(data, std::string::npos);
        const auto shrink = [&](std::size_t at) {
            std::uint32_t size = 0;
            std::memcpy(&size, file.data() + at, 4);
            size -= static_cast<std::uint32_t>(bytes);
            std::memcpy(file.data() + at, &size, 4);
        };
        shrink(4);
        shrink(data + 4);
        file.resize(file.size() - static_cast<std::size_t>(bytes));
        std::ofstream(folder / name, std::ios::binary).write(file.data(), std::ssize(file));
    }

    std::vector<std::int16_t> ffmpegDecode(const std::string& name) const {
        const std::string raw = name + ".raw";
        EXPECT_EQ(run("ffmpeg -nostdin -y -loglevel error -i " + name +
                      " -f s16le -c:a pcm_s16le " + raw),
                  0);
        const std::vector<char> bytes = readFile(raw);
        std::vector<std::int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }
};

TEST_F(AdpcmOracleTest, DecodesEveryEncoderAndBlockSizeAsFfmpegDoes) {
    ASSERT_NO_FATAL_FAILURE(makeSources());
    const auto ff = [](int channels, int block) {
        return "ffmpeg -nostdin -y -loglevel error -i src" + std::to_string(channels) +
               ".wav -c:a adpcm_ms -block_size " + std::to_string(block);
    };
    const std::vector<Encoding> encodings = {
        {"ff-mono-256", ff(1, 256), 1, 0},
        {"ff-mono-64", ff(1, 64), 1, 0},
        {"ff-mono-1024", ff(1, 1024), 1, 0},
        {"ff-mono-2048-cut", ff(1, 2048), 1, 777},
        {"ff-stereo-512", ff(2, 512), 2, 0},
        {"ff-stereo-1024", ff(2, 1024), 2, 0},
        {"ff-stereo-4096-cut", ff(2, 4096), 2, 1001},
        {"sox-mono", "sox -V1 src1.wav -e ms-adpcm", 1, 0},
        {"sox-stereo", "sox -V1 src2.wav -e ms-adpcm", 2, 0},
        {"sox-stereo-cut", "sox -V1 src2.wav -e ms-adpcm", 2, 333},
    };
    for (const Encoding& e : encodings) {
        SCOPED_TRACE(e.name);
        const std::string file = e.name + ".wav";
        ASSERT_EQ(run(e.command + " " + file), 0);
        if (e.bytesCut > 0) {
            cutData(file, e.bytesCut);
        }
        const std::vector<std::int16_t> expected = ffmpegDecode(file);
        ASSERT_GT(expected.size(), 10000u);

        releaseSoundChannels();
        ASSERT_EQ(loadSound(file.c_str()), 0);
        const SoundChannel& decoded = channel(0);
        ASSERT_EQ(decoded.length, std::ssize(expected));
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(decoded.samples[i], expected[i]) << "sample " << i;
        }
    }
}

} // namespace
} // namespace tb::test
