// trundlebay-tool sound FILE.wav [--raw OUT]: what the game's loader makes of a sound file, and
// optionally the samples the mixer would play, as signed 16-bit little-endian values.
#include "tool_commands.h"

#include "audio/sound_channels.h"
#include "audio/wav_loader.h"
#include "shell/media_paths.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>

namespace tb::tool {
namespace {

struct SoundArgs {
    std::string file;
    std::optional<std::string> raw;
};

std::optional<SoundArgs> parseArgs(const std::vector<std::string>& args) {
    if (args.size() == 1) {
        return SoundArgs{args[0], std::nullopt};
    }
    if (args.size() == 3 && args[1] == "--raw") {
        return SoundArgs{args[0], args[2]};
    }
    return std::nullopt;
}

bool writeRaw(const std::string& path, const SoundChannel& channel) {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < channel.length && out; ++i) {
        const auto value = static_cast<std::uint16_t>(channel.samples[i]);
        const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
        out.write(bytes, 2);
    }
    out.close();
    return static_cast<bool>(out);
}

int runSound(const std::vector<std::string>& args) {
    const auto parsed = parseArgs(args);
    if (!parsed) {
        std::fprintf(stderr, "usage: trundlebay-tool sound FILE.wav [--raw OUT]\n");
        return 2;
    }
    // The loader reads from the media folder, so the file's own folder becomes it.
    const std::filesystem::path path(parsed->file);
    setMediaFolder(path.has_parent_path() ? path.parent_path().string() : ".");
    const int code = loadSound(path.filename().c_str());
    const int length = code >= 0 ? soundSystem().channels[code].length : 0;
    std::cout << nlohmann::json{{"code", code}, {"length", length}}.dump() << '\n';
    if (code < 0) {
        return 1;
    }
    if (parsed->raw && !writeRaw(*parsed->raw, soundSystem().channels[code])) {
        std::fprintf(stderr, "trundlebay-tool: could not write %s\n", parsed->raw->c_str());
        return 1;
    }
    return 0;
}

const ToolCommand command("sound", "FILE.wav [--raw OUT]", runSound);

} // namespace
} // namespace tb::tool
