#pragma once
// What the launcher's controls hold, and how those choices go to and from the settings.
#include "shell/settings.h"

#include <array>
#include <string>

namespace tb {

struct Resolution {
    const char* caption;
    int width;
    int height;
};

// The launcher's list, in order; the last entry stands for the desktop's own size.
constexpr std::array<Resolution, 4> Resolutions{{
    {"640x480", 640, 480},
    {"800x600", 800, 600},
    {"1024x800", 1024, 800},
    {"ScreenRez", 640, 480},
}};
constexpr int DesktopResolution = 3;

struct LauncherChoices {
    bool windowed = false;
    bool lights = false;
    bool music = false;
    bool joystick = false;
    bool hiQualTex = false;
    int resolution = -1; // list entry, -1 for none
    std::string track;   // a track map's file name, empty for "Random"
};

// The controls' starting state: boxes checked for non-zero settings, the list entry of
// UseScreenRes (none when it names no entry), or "ScreenRez" when Width or Height is 0.
LauncherChoices launcherChoicesFrom(const Settings& from);
// Start: the choices as 0/1 values, the entry's size (no entry counts as the first) and
// UseScreenRes, and `changed` set.
void storeLauncherChoices(const LauncherChoices& choices, Settings& into);

} // namespace tb
