// JPEG and BMP decoding on arbitrary bytes: no crash, no runaway allocation, no exit.
#include "assets/image_decode.h"
#include "fuzz/fuzz_media_folder.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Touches every byte the decoder claims to have written, so a short buffer shows.
void readAll(const std::uint8_t* pixels, int width, int height) {
    volatile std::uint8_t sum = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height * 4; ++i) {
        sum = sum + pixels[i];
    }
}

void decodeAs(const char* name, const std::uint8_t* data, std::size_t size) {
    tb::fuzz::writeMediaFile(name, data, size);
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
    tb::fuzz::useFreshMediaFolder("image");
    // A header may claim any size up to the limit, and decoding that much garbage takes seconds:
    // a small limit keeps every input quick while the refusal above it is still exercised.
    tb::setImageSideLimit(1024);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    decodeAs("input.jpg", data, size);
    decodeAs("input.bmp", data, size);
    return 0;
}
