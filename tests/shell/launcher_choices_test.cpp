#include "shell/launcher_choices.h"

#include <gtest/gtest.h>

namespace tb {
namespace {

TEST(LauncherChoices, EachBoxRoundTripsToItsOwnSetting) {
    Settings s;
    s.windowed = 1;
    s.lights = 0;
    s.music = 7; // any non-zero value checks the box
    s.joystick = 0;
    s.useHiQualTex = 1;
    s.track = "mapPlaza.bmp";
    Settings back;
    storeLauncherChoices(launcherChoicesFrom(s), back);
    EXPECT_EQ(back.windowed, 1);
    EXPECT_EQ(back.lights, 0);
    EXPECT_EQ(back.music, 1);
    EXPECT_EQ(back.joystick, 0);
    EXPECT_EQ(back.useHiQualTex, 1);
    EXPECT_EQ(back.track, s.track);
    EXPECT_TRUE(back.changed);
}

TEST(LauncherChoices, AnEntryOutsideTheListOrASizelessFileFallsBack) {
    const struct {
        int useScreenRes, width, height, shown;
    } read[] = {
        {2, 800, 600, 2},
        {4, 800, 600, -1},
        {-1, 800, 600, -1},
        {1, 0, 600, DesktopResolution},
        {1, 800, 0, DesktopResolution},
    };
    for (const auto& r : read) {
        Settings s;
        s.useScreenRes = r.useScreenRes;
        s.width = r.width;
        s.height = r.height;
        EXPECT_EQ(launcherChoicesFrom(s).resolution, r.shown) << "entry " << r.useScreenRes;
    }
    const struct {
        int chosen, width, height, useScreenRes;
    } stored[] = {{2, 1024, 800, 2}, {DesktopResolution, 640, 480, 3}, {-1, 640, 480, 0}};
    for (const auto& c : stored) {
        LauncherChoices choices;
        choices.resolution = c.chosen;
        Settings s;
        storeLauncherChoices(choices, s);
        EXPECT_EQ(s.width, c.width) << "entry " << c.chosen;
        EXPECT_EQ(s.height, c.height) << "entry " << c.chosen;
        EXPECT_EQ(s.useScreenRes, c.useScreenRes) << "entry " << c.chosen;
    }
}

} // namespace
} // namespace tb
