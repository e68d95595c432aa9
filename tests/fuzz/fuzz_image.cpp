// JPEG and BMP decoding on arbitrary bytes: no crash, no runaway allocation, no exit.
#include "assets/image_decode.h"
#include "shell/media_paths.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const std::string& mediaFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/fuzz-image-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::string(made != nullptr ? made : "/tmp");
    }();
    return folder;
}

void writeInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f != nullptr) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

// Touches every byte the decoder claims to have written, so a short buffer shows.
void readAll(const std::uint8_t* pixels, int width, int height) {
    volatile std::uint8_t sum = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height * 4; ++i) {
        sum = sum + pixels[i];
    }
}

void decodeAs(const char* name, const std::uint8_t* data, std::size_t size) {
    writeInput(tb::mediaPath(name), data, size);
    int width = 0;
    int height = 0;
    const auto pixels = tb::decodeImage(name, width, height);
    if (pixels) {
        if (width <= 0 || height <= 0) {
            std::abort();
        }
        readAll(pixels.get(), width, height);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tb::setMediaFolder(mediaFolder());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    decodeAs("input.jpg", data, size);
    decodeAs("input.bmp", data, size);
    return 0;
}
