#pragma once
// A temporary media folder for one test, the player's error reports collected instead of
// shown, and a fresh channel table.
#include "audio/sound_channels.h"
#include "support/temp_media.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tb::test {

class TempMediaTest : public ::testing::Test {
  protected:
    void SetUp() override { releaseSoundChannels(); }
    void TearDown() override { releaseSoundChannels(); }

    void write(const std::string& name, const std::string& bytes) const {
        media.write(name, bytes);
    }
    static const SoundChannel& channel(int c) { return soundSystem().channels[c]; }
    static int channelCount() { return soundSystem().channelCount; }

    TempMedia media;
    ReportCapture capture;
    const std::filesystem::path folder{media.folder()};
};

} // namespace tb::test
