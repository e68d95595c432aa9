#include "shell/launcher_choices.h"

#include <gtest/gtest.h>

namespace tb {
namespace {

TEST(LauncherChoices, ControlsStartFromTheSettings) {
    Settings s;
    s.windowed = 1;
    s.lights = 0;
    s.music = 7;
    s.useScreenRes = 2;
    const LauncherChoices c = launcherChoicesFrom(s);
    EXPECT_TRUE(c.windowed);
    EXPECT_FALSE(c.lights);
    EXPECT_TRUE(c.music) << "any non-zero value checks the box";
    EXPECT_FALSE(c.joystick);
    EXPECT_EQ(c.resolution, 2);
    EXPECT_STREQ(Resolutions[c.resolution].caption, "1024x800");

    s.useScreenRes = 9;
    EXPECT_EQ(launcherChoicesFrom(s).resolution, -1);
    s.useScreenRes = -1;
    EXPECT_EQ(launcherChoicesFrom(s).resolution, -1);

    s.useScreenRes = 1;
    s.width = 0;
    EXPECT_EQ(launcherChoicesFrom(s).resolution, DesktopResolution);
    s.width = 800;
    s.height = 0;
    EXPECT_EQ(launcherChoicesFrom(s).resolution, DesktopResolution);
}

TEST(LauncherChoices, StartStoresSizesOfTheChosenEntry) {
    Settings s;
    LauncherChoices c;
    c.windowed = true;
    c.hiQualTex = true;
    c.resolution = 2;
    storeLauncherChoices(c, s);
    EXPECT_TRUE(s.changed);
    EXPECT_EQ(s.windowed, 1);
    EXPECT_EQ(s.lights, 0);
    EXPECT_EQ(s.useHiQualTex, 1);
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.height, 800);
    EXPECT_EQ(s.useScreenRes, 2);

    c.resolution = DesktopResolution;
    storeLauncherChoices(c, s);
    EXPECT_EQ(s.width, 640);
    EXPECT_EQ(s.height, 480);
    EXPECT_EQ(s.useScreenRes, 3);

    c.resolution = -1;
    storeLauncherChoices(c, s);
    EXPECT_EQ(s.width, 640);
    EXPECT_EQ(s.useScreenRes, 0) << "no selection counts as the first entry";

    c.resolution = 1;
    storeLauncherChoices(c, s);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
}

} // namespace
} // namespace tb
