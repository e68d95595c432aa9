// Any bytes as a ".wav" file in the media folder: loadSound must return a code or a channel,
// never read outside the file or its buffers, and the sound it loads must be playable.
#include "audio/sound_channels.h"
#include "audio/wav_loader.h"
#include "fuzz/fuzz_media_folder.h"
#include "shell/error_report.h"
#include "shell/media_paths.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

void removeMediaFolder() {
    std::remove(tb::mediaPath("input.wav").c_str());
    rmdir(tb::mediaFolder().c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tb::fuzz::useFreshMediaFolder("wav");
    tb::setErrorSink([](std::string_view, std::string_view) {});
    std::atexit(removeMediaFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tb::fuzz::writeMediaFile("input.wav", data, size);
    tb::openMixer();
    const int channel = tb::loadSound("input.wav");
    if (channel >= 0) {
        // Heard at the listener: no travel time, and the right ear reads furthest ahead.
        static const tb::Vec3 ear{}, forward{0.0f, 0.0f, 1.0f};
        tb::setListener(&ear, &forward, 300.0f);
        tb::playSound(channel, true, nullptr, 1.7f);
        tb::mixNextBlock();
    }
    tb::closeMixer();
    tb::releaseSoundChannels();
    return 0;
}
