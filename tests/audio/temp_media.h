#pragma once
// A temporary media folder for one test, with the player's error reports collected instead of
// shown, and a fresh channel table.
#include "audio/sound_channels.h"
#include "shell/error_report.h"
#include "shell/media_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tb::test {

class TempMediaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "tb-audio-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        previousFolder = mediaFolder();
        setMediaFolder(folder.string());
        setErrorSink([this](std::string_view message, std::string_view subject) {
            reports.push_back(std::string(message) + " " + std::string(subject));
        });
        releaseSoundChannels();
    }
    void TearDown() override {
        releaseSoundChannels();
        setErrorSink(nullptr);
        setMediaFolder(previousFolder);
        std::filesystem::remove_all(folder);
    }

    std::filesystem::path write(const std::string& name, const std::string& bytes) const {
        const auto path = folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static const SoundChannel& channel(int c) { return soundSystem().channels[c]; }
    static int channelCount() { return soundSystem().channelCount; }

    std::filesystem::path folder;
    std::string previousFolder;
    std::vector<std::string> reports;
};

} // namespace tb::test
