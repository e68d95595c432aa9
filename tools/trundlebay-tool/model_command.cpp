// trundlebay-tool model FILE.a3f: what the game's own reader makes of a model file.
#include "tool_commands.h"

#include "assets/model.h"
#include "assets/model_file.h"
#include "shell/error_report.h"
#include "shell/media_paths.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>

namespace tb::tool {
namespace {

// Floats printed as their shortest exact spelling (0.1, not 0.10000000149011612).
double tidy(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::stod(std::string(text, end));
}

nlohmann::json floats(const float* values, int count) {
    nlohmann::json list = nlohmann::json::array();
    for (int i = 0; i < count; ++i) {
        list.push_back(tidy(values[i]));
    }
    return list;
}

nlohmann::json vector3(const Vec3& v) {
    return {tidy(v.x), tidy(v.y), tidy(v.z)};
}

nlohmann::json texcoords(const Model& model) {
    nlohmann::json list = nlohmann::json::array();
    for (std::uint32_t i = 0; model.vertices && i < model.vertexCount; ++i) {
        list.push_back(floats(model.vertices[i].texcoord, 2));
    }
    return list;
}

nlohmann::json describe(const Model& model, bool loaded, nlohmann::json errors) {
    return {{"loaded", loaded},
            {"vertexCount", model.vertexCount},
            {"faceCount", model.faceCount},
            {"hasNormals", model.hasNormals},
            {"boundsMin", vector3(model.boundsMin)},
            {"boundsMax", vector3(model.boundsMax)},
            {"radiusSquared", tidy(model.radiusSquared)},
            {"materialName", model.materialName},
            {"diffuse", floats(model.diffuse, 4)},
            {"shininess", model.shininess},
            {"textureFile", model.textureFile},
            {"alphaMode", model.alphaMode},
            {"texcoords", texcoords(model)},
            {"errors", std::move(errors)}};
}

void printReport(std::string_view message, std::string_view subject) {
    std::fprintf(stderr, "%s\n", formatErrorText(message, subject).c_str());
}

int runModel(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: trundlebay-tool model FILE.a3f\n");
        return 2;
    }
    const std::filesystem::path file(args[0]);
    const std::string folder = file.parent_path().string();
    setMediaFolder(folder.empty() ? "." : folder);
    setGraphicsEnabled(false);

    nlohmann::json errors = nlohmann::json::array();
    setErrorSink([&errors](std::string_view message, std::string_view subject) {
        printReport(message, subject);
        errors.push_back({{"message", message}, {"subject", subject}});
    });
    Model model;
    const bool loaded = loadModelFile(file.filename().string().c_str(), model);
    setErrorSink(printReport);

    std::printf("%s\n", describe(model, loaded, std::move(errors)).dump().c_str());
    return loaded ? 0 : 1;
}

const ToolCommand command("model", "FILE.a3f", runModel);

} // namespace
} // namespace tb::tool
