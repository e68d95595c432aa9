// The SDL audio back end: the only place the sound code meets the platform.
#include "audio/sound_output.h"

#include "audio/sound_channels.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace tb {
namespace {

constexpr int BlockBytes = BlockValues * static_cast<int>(sizeof(std::int16_t));

// SDL's audio subsystem, started here only when the game has not started it already.
class AudioSubsystem {
  public:
    AudioSubsystem() : owned_(SDL_WasInit(SDL_INIT_AUDIO) == 0) {
        if (owned_ && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            owned_ = false;
        }
    }
    ~AudioSubsystem() {
        if (owned_) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    AudioSubsystem(const AudioSubsystem&) = delete;
    AudioSubsystem& operator=(const AudioSubsystem&) = delete;

  private:
    bool owned_;
};

// Bytes of the last mixed block that SDL has not taken yet, so any stream length SDL asks for
// is served block by block. Touched only by the callback once the device runs.
struct StreamCursor {
    int taken = BlockBytes;
};

void SDLCALL fillStream(void* userdata, Uint8* stream, int len) {
    auto& cursor = *static_cast<StreamCursor*>(userdata);
    while (len > 0) {
        if (cursor.taken == BlockBytes) {
            mixNextBlock();
            cursor.taken = 0;
        }
        const int n = std::min(len, BlockBytes - cursor.taken);
        const auto* block = reinterpret_cast<const Uint8*>(lastMixedBlock());
        if (block) {
            std::memcpy(stream, block + cursor.taken, static_cast<std::size_t>(n));
        } else {
            std::memset(stream, 0, static_cast<std::size_t>(n));
        }
        cursor.taken += n;
        stream += n;
        len -= n;
    }
}

// The open device; closing it waits for a callback that is still running.
class AudioDevice {
  public:
    explicit AudioDevice(StreamCursor& cursor) {
        SDL_AudioSpec wanted{};
        wanted.freq = OutputRate;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = 2;
        wanted.samples = BlockFrames;
        wanted.callback = fillStream;
        wanted.userdata = &cursor;
        SDL_AudioSpec obtained{};
        id_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    }
    ~AudioDevice() {
        if (id_ != 0) {
            SDL_CloseAudioDevice(id_);
        }
    }
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    void start() const {
        if (id_ != 0) {
            SDL_PauseAudioDevice(id_, 0);
        }
    }

  private:
    SDL_AudioDeviceID id_ = 0;
};

// Declared after the subsystem so that the device closes before the subsystem stops.
struct Output {
    AudioSubsystem subsystem;
    StreamCursor cursor;
    AudioDevice device{cursor};
};

std::unique_ptr<Output>& output() {
    static std::unique_ptr<Output> current;
    return current;
}

} // namespace

void openSoundOutput() {
    if (mixerReady()) {
        return;
    }
    openMixer();
    output() = std::make_unique<Output>();
    output()->device.start();
}

void closeSoundOutput() {
    output().reset();
    closeMixer();
    releaseSoundChannels();
}

bool mixerReady() {
    return soundSystem().mixerReady.load(std::memory_order_acquire);
}

} // namespace tb
