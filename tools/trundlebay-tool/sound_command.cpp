// trundlebay-tool sound FILE.wav [--raw OUT]: the file's own format beside what the game's
// loader makes of it, warnings where the game will play it differently from other players, and
// optionally the samples the mixer would play, as signed 16-bit little-endian values.
#include "tool_commands.h"

#include "audio/sound_channels.h"
#include "audio/wav_loader.h"
#include "shell/media_paths.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

namespace tb::tool {
namespace {

using Json = nlohmann::ordered_json;

constexpr int OutputRate = 11025;
constexpr int PcmTag = 1;
constexpr int AdpcmTag = 2;

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

std::string formatName(int tag) {
    switch (tag) {
    case 0x0001:
        return "PCM";
    case 0x0002:
        return "Microsoft ADPCM";
    case 0x0003:
        return "IEEE float";
    case 0x0006:
        return "A-law";
    case 0x0007:
        return "mu-law";
    case 0x0011:
        return "IMA ADPCM";
    case 0x0055:
        return "MPEG layer 3";
    case 0xFFFE:
        return "extensible";
    default:
        char text[32];
        std::snprintf(text, sizeof text, "unknown format 0x%04X", static_cast<unsigned>(tag));
        return text;
    }
}

std::string describeFormat(const WavHeader& h) {
    if (h.tag == 0xFFFE) {
        return "extensible (" + formatName(h.subFormatTag) + " inside)";
    }
    return formatName(h.tag);
}

double rounded(double seconds) {
    return std::round(seconds * 1000.0) / 1000.0;
}

// Why the loader refused the file, in words.
std::string failureText(int code, const std::optional<WavHeader>& header) {
    switch (code) {
    case -1:
        return "The file cannot be opened or is not a RIFF file.";
    case -2:
        return "The RIFF file is not a WAVE file.";
    case -3:
        return "The WAVE file has no \"fmt \" chunk right after its header, or no \"data\" chunk.";
    case -4:
        if (!header) {
            return "The format chunk is longer than 50 bytes, more than the game reads.";
        }
        if (header->tag == PcmTag) {
            return "PCM with " + std::to_string(header->bitsPerSample) +
                   " bits per sample: the game needs 8 bits or more.";
        }
        if (header->tag == 0xFFFE) {
            return "The header is the " + describeFormat(*header) +
                   " kind, which the game does not read: save the sound as plain 16-bit PCM, "
                   "mono, 11025 Hz.";
        }
        return "The game plays only PCM and Microsoft ADPCM, not " + describeFormat(*header) +
               ". Save the sound as 16-bit PCM (or Microsoft ADPCM), mono, 11025 Hz.";
    case -5:
        return "The Microsoft ADPCM data cannot be decoded (its block size or channel count "
               "does not fit).";
    default:
        return "The sound table is full.";
    }
}

std::vector<std::string> warnings(const WavHeader& h) {
    std::vector<std::string> list;
    if (h.channels > 1) {
        list.push_back("The file has " + std::to_string(h.channels) +
                       " channels: the game plays their samples interleaved as one, so the sound "
                       "lasts " +
                       std::to_string(h.channels) +
                       " times as long at a lower pitch. Save it as mono.");
    }
    if (h.sampleRate != OutputRate && h.sampleRate > 0) {
        char text[256];
        std::snprintf(text, sizeof text,
                      "The file is at %d Hz: the game plays every sample at 11025 Hz, so it "
                      "sounds %.2f times as long and its pitch changes to match. Save it at "
                      "11025 Hz.",
                      h.sampleRate, static_cast<double>(h.sampleRate) / OutputRate);
        list.push_back(text);
    }
    return list;
}

Json fileJson(const WavHeader& h, int gameLength) {
    Json file{{"tag", h.tag},
              {"format", describeFormat(h)},
              {"channels", h.channels},
              {"sampleRate", h.sampleRate},
              {"bitsPerSample", h.bitsPerSample}};
    if (gameLength > 0 && h.channels > 0 && h.sampleRate > 0) {
        file["seconds"] = rounded(static_cast<double>(gameLength) / h.channels / h.sampleRate);
    }
    return file;
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
    const std::string name = path.filename().string();
    const std::optional<WavHeader> header = readWavHeader(name.c_str());
    const int code = loadSound(name.c_str());
    const int length = code >= 0 ? soundSystem().channels[code].length : 0;

    Json out{{"code", code}, {"length", length}};
    const bool supported = header && (header->tag == PcmTag || header->tag == AdpcmTag);
    if (header) {
        out["file"] = fileJson(*header, length);
    }
    out["game"] = Json{{"loads", code >= 0},
                       {"channels", 1},
                       {"sampleRate", OutputRate},
                       {"bitsPerSample", 16},
                       {"seconds", rounded(static_cast<double>(length) / OutputRate)}};
    out["warnings"] = header && supported ? warnings(*header) : std::vector<std::string>{};
    if (code < 0) {
        out["error"] = failureText(code, header);
        std::fprintf(stderr, "trundlebay-tool sound: %s\n",
                     out["error"].get<std::string>().c_str());
    }
    std::cout << out.dump() << '\n';
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
