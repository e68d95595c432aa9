// The model reader on arbitrary bytes: never a crash, a hang or a read outside its arrays.
#include "assets/model.h"
#include "assets/model_file.h"
#include "shell/error_report.h"
#include "shell/media_paths.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const std::string& mediaFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/fuzz-model-XXXXXX";
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

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tb::setGraphicsEnabled(false);
    tb::setErrorSink([](std::string_view, std::string_view) {});
    tb::setMediaFolder(mediaFolder());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    writeInput(tb::mediaPath("input.a3f"), data, size);
    tb::Model model;
    if (tb::loadModelFile("input.a3f", model)) {
        // Every face index of a loaded model must name a vertex.
        for (std::uint32_t i = 0; i < 3 * model.faceCount; ++i) {
            if (model.faceIndices[i] >= model.vertexCount) {
                std::abort();
            }
        }
    }
    tb::destroyModel(model);
    return 0;
}
