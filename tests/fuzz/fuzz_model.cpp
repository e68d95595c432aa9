// The model reader on arbitrary bytes: never a crash, a hang or a read outside its arrays.
#include "assets/model.h"
#include "assets/model_file.h"
#include "fuzz/fuzz_media_folder.h"
#include "shell/error_report.h"

#include <cstdint>
#include <cstdlib>

namespace {} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tb::setGraphicsEnabled(false);
    tb::setErrorSink([](std::string_view, std::string_view) {});
    tb::fuzz::useFreshMediaFolder("model");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tb::fuzz::writeMediaFile("input.a3f", data, size);
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
