// trundlebay-tool model FILE.a3f: what the game's own reader makes of a model file.
#include "tool_commands.h"

#include "assets/image_decode.h"
#include "assets/model.h"
#include "assets/model_file.h"
#include "shell/error_report.h"
#include "shell/media_paths.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
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

bool endsWith(std::string name, std::string_view ending) {
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name.size() >= ending.size() && name.ends_with(ending);
}

// The components of a JPEG's first frame header, or 0 when none is found.
int jpegComponents(const std::string& bytes) {
    for (std::size_t i = 2; i + 9 < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) != 0xFF) {
            return 0;
        }
        const auto marker = static_cast<unsigned char>(bytes[i + 1]);
        const std::size_t length = static_cast<unsigned char>(bytes[i + 2]) << 8 |
                                   static_cast<unsigned char>(bytes[i + 3]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            return static_cast<unsigned char>(bytes[i + 9]);
        }
        i += 2 + length;
    }
    return 0;
}

// Why the game's decoder refuses a texture file, as far as its first bytes tell.
std::string textureFailure(const std::string& file) {
    const std::string path = mediaPath(file);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "There is no such file in the media folder (texture names are relative to it).";
    }
    const bool jpg = endsWith(file, ".jpg");
    if (!jpg && !endsWith(file, ".bmp")) {
        return "The game loads only textures whose names end in .jpg or .bmp.";
    }
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    const bool jpegContent = bytes.size() > 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                             static_cast<unsigned char>(bytes[1]) == 0xD8;
    const bool bitmapContent = bytes.starts_with("BM");
    if (jpg && !jpegContent) {
        return bitmapContent ? "The file is a BMP bitmap named .jpg."
                             : "The file named .jpg is not a JPEG picture.";
    }
    if (!jpg && !bitmapContent) {
        return jpegContent ? "The file is a JPEG picture named .bmp."
                           : "The file named .bmp is not a BMP bitmap.";
    }
    if (jpg && jpegComponents(bytes) == 4) {
        return "The JPEG is in CMYK colours: the game reads only RGB and greyscale JPEGs.";
    }
    return "The game's decoder cannot read the picture (damaged, or larger than the game takes).";
}

nlohmann::json textureJson(const Model& model) {
    if (model.textureFile.empty()) {
        return nullptr;
    }
    int width = 0;
    int height = 0;
    nlohmann::json texture{{"file", model.textureFile}};
    if (decodeImage(model.textureFile.c_str(), width, height)) {
        texture["loads"] = true;
        texture["width"] = width;
        texture["height"] = height;
    } else {
        texture["loads"] = false;
        texture["error"] = textureFailure(model.textureFile);
        std::fprintf(stderr, "trundlebay-tool model: texture %s: %s\n", model.textureFile.c_str(),
                     texture["error"].get<std::string>().c_str());
    }
    return texture;
}

nlohmann::json warningsJson(const ModelFileNotes& notes) {
    nlohmann::json list = nlohmann::json::array();
    for (const ModelFileNote& note : notes.warnings) {
        std::fprintf(stderr, "trundlebay-tool model: line %d: warning: %s\n", note.line,
                     note.text.c_str());
        list.push_back({{"line", note.line}, {"text", note.text}});
    }
    return list;
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
    ModelFileNotes notes;
    const bool loaded = loadModelFile(file.filename().string().c_str(), model, &notes);
    setErrorSink(printReport);
    if (!loaded && !errors.empty()) {
        errors.back()["line"] = notes.errorLine;
        std::fprintf(stderr, "trundlebay-tool model: the error is at line %d\n", notes.errorLine);
    }

    nlohmann::json out = describe(model, loaded, std::move(errors));
    out["warnings"] = warningsJson(notes);
    out["texture"] = loaded ? textureJson(model) : nlohmann::json(nullptr);
    std::printf("%s\n", out.dump().c_str());
    return loaded ? 0 : 1;
}

const ToolCommand command("model", "FILE.a3f", runModel);

} // namespace
} // namespace tb::tool
