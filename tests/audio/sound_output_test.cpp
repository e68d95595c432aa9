// The real back end and the mixer on their own thread.
#include "audio/mixer_fixture.h"
#include "audio/sound_output.h"
#include "audio/temp_media.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>

namespace tb::test {
namespace {

using SoundOutputTest = TempMediaTest;

int addLoop(std::int16_t value, int length) {
    auto samples = std::make_unique<std::int16_t[]>(length);
    std::fill(samples.get(), samples.get() + length, value);
    return addSound(std::move(samples), length);
}

TEST_F(SoundOutputTest, WithoutADeviceTheGameRunsSilently) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    openSoundOutput();
    EXPECT_TRUE(mixerReady());
    EXPECT_TRUE(capture.reports().empty());
    addLoop(1000, 500);
    closeSoundOutput();
    EXPECT_FALSE(mixerReady());
    EXPECT_EQ(soundSystem().channelCount, 0) << "closing frees the sounds too";
    EXPECT_FALSE(soundSystem().channels[0].ownedSamples);
    unsetenv("SDL_AUDIODRIVER");
}

TEST_F(SoundOutputTest, DeviceReceivesTheMixedBlocks) {
    const auto file = folder / "device.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    const Vec3 ear{}, forward{0.0f, 0.0f, 1.0f}, ahead{0.0f, 0.0f, 15.0f};
    setListener(&ear, &forward, 30.0f);
    openSoundOutput();
    playSound(addLoop(8000, 3000), true, &ahead, 1.0f);

    constexpr std::uintmax_t enough = 16 * BlockValues * 2;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline &&
           (!std::filesystem::exists(file) || std::filesystem::file_size(file) < enough)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    closeSoundOutput();
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");

    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GE(bytes.size(), enough);
    std::set<std::int16_t> values;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        values.insert(static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                                (static_cast<std::uint8_t>(bytes[i + 1]) << 8)));
    }
    // Silence until the sound has travelled, then the loop at half gain in both ears.
    EXPECT_EQ(values, (std::set<std::int16_t>{0, 4000}));
}

TEST_F(MixerTest, ChannelsRestartWhileTheAudioThreadMixes) {
    std::array<Vec3, ChannelCapacity> sources{};
    for (int c = 0; c < ChannelCapacity; ++c) {
        sources[c] = {static_cast<float>(c * 4 - 30), 0.0f, static_cast<float>(c % 5 - 2)};
        addSamples(ramp(3000 + c * 100));
    }
    std::atomic<int> blocksMixed{0};
    std::atomic<bool> gameDone{false};
    std::atomic<int> loudest{0};
    std::thread audio([&] {
        for (; !gameDone; ++blocksMixed) {
            mixNextBlock();
            const std::int16_t* block = lastMixedBlock();
            for (int i = 0; i < BlockValues; ++i) {
                loudest = std::max(loudest.load(), std::abs(int{block[i]}));
            }
        }
    });
    // On a busy machine the audio thread may mix all its blocks before any sound has arrived;
    // the game goes on until one is heard (or for a simulated hour).
    const auto goOn = [&](int i) {
        return (i < 20000 || blocksMixed < 400 || loudest == 0) && i < 3600 * 1000;
    };
    for (int i = 0; goOn(i); ++i) {
        const int c = i % ChannelCapacity;
        if (i % 97 == 0 || !isChannelPlaying(c)) {
            playSound(c, i % 2 == 0, &sources[c], 0.5f + static_cast<float>(i % 5) * 0.25f);
        }
        setChannelRate((i * 5) % ChannelCapacity, static_cast<float>(i % 9) * 0.3f - 0.6f);
        fakeMilliseconds += 1;
    }
    gameDone = true;
    audio.join();
    EXPECT_GT(loudest, 0);

    for (int c = 0; c < ChannelCapacity; ++c) {
        playSound(c, false, &sources[c], 1.0f);
    }
    advanceMilliseconds(5000);
    for (int block = 0; block < 5; ++block) {
        mixNextBlock();
    }
    for (int c = 0; c < ChannelCapacity; ++c) {
        EXPECT_FALSE(isChannelPlaying(c)) << "channel " << c;
    }
}

} // namespace
} // namespace tb::test
