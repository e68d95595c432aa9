#include "shell/launcher_choices.h"

namespace tb {

LauncherChoices launcherChoicesFrom(const Settings& from) {
    LauncherChoices choices;
    choices.windowed = from.windowed != 0;
    choices.lights = from.lights != 0;
    choices.music = from.music != 0;
    choices.joystick = from.joystick != 0;
    choices.hiQualTex = from.useHiQualTex != 0;
    const bool listed = from.useScreenRes >= 0 && from.useScreenRes < int(Resolutions.size());
    choices.resolution = listed ? from.useScreenRes : -1;
    choices.track = from.track;
    // A file without a size asks for the desktop's, and the list says so instead of offering
    // an entry whose size Start would store over it.
    if (from.width == 0 || from.height == 0) {
        choices.resolution = DesktopResolution;
    }
    return choices;
}

void storeLauncherChoices(const LauncherChoices& choices, Settings& into) {
    const bool listed = choices.resolution >= 0 && choices.resolution < int(Resolutions.size());
    const int entry = listed ? choices.resolution : 0;
    into.windowed = choices.windowed ? 1 : 0;
    into.lights = choices.lights ? 1 : 0;
    into.music = choices.music ? 1 : 0;
    into.joystick = choices.joystick ? 1 : 0;
    into.useHiQualTex = choices.hiQualTex ? 1 : 0;
    into.width = Resolutions[entry].width;
    into.height = Resolutions[entry].height;
    into.useScreenRes = entry;
    into.track = choices.track;
    into.changed = true;
}

} // namespace tb
