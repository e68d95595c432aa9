#include "shell/track_setting.h"

#include <gtest/gtest.h>

namespace tb {
namespace {

TEST(TrackSetting, ReadFromSectionGameOnly) {
    const struct {
        const char* text;
        const char* track;
    } cases[] = {
        {"[Game]\nWindowed=1\n", ""},
        {"[Game]\nTrack=mapPlaza.bmp\n", "mapPlaza.bmp"},
        {"[game]\r\n  track = mapFiesta.bmp \r\n", "mapFiesta.bmp"},
        {"[Modder]\nTrack=map3.bmp\n[Game]\nLights=1\n", ""},
        {"[Game]\nLights=1\n[Modder]\nTrack=map3.bmp\n", ""},
        {"Track=mapLoose.bmp\n", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(trackSettingFrom(c.text), c.track) << c.text;
    }
}

TEST(TrackSetting, WrittenOnlyForAChosenTrackAndInPlace) {
    const struct {
        const char* text;
        const char* track;
        const char* written;
    } cases[] = {
        {"[Game]\nWindowed=1\n", "", "[Game]\nWindowed=1\n"},
        {"[Game]\nWindowed=1\n\n[Modder]\nTrack=map3.bmp\n", "mapA.bmp",
         "[Game]\nWindowed=1\nTrack=mapA.bmp\n\n[Modder]\nTrack=map3.bmp\n"},
        {"[Game]\nTrack=mapA.bmp\nLights=0\n", "mapB.bmp", "[Game]\nTrack=mapB.bmp\nLights=0\n"},
        {"[Game]\nTrack=mapA.bmp\nLights=0\n[Modder]\nTrack=map3.bmp\n", "",
         "[Game]\nLights=0\n[Modder]\nTrack=map3.bmp\n"},
        {"# mine\n", "mapA.bmp", "# mine\n[Game]\nTrack=mapA.bmp\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(withTrackSetting(c.text, c.track), c.written) << c.text;
    }
}

} // namespace
} // namespace tb
