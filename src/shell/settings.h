#pragma once
// The player's choices, kept in "game.ini" in the media folder, section "Game".
namespace tb {

struct Settings {
    bool changed = false; // set by the launcher's Start; saved at exit only when set
    int windowed = 1;
    int lights = 1;
    int music = 0;
    int joystick = 0;
    int width = 640;
    int height = 480;
    int useHiQualTex = 0;
    int useScreenRes = 0; // launcher resolution choice 0..3; 3 = the desktop size
};

extern Settings settings;

// Fills `settings` from game.ini; missing file or keys give the defaults.
void readSettings();
// Writes every setting to game.ini, keeping other sections, keys and comments.
void writeSettings();
// At exit: writeSettings() when `changed` is set.
void saveSettingsIfChanged();
// Mode 0: nothing, true. Mode 1: readSettings(), true. Otherwise: runs the launcher and
// returns true when the player pressed Start.
bool runSettings(int mode, const char* caption);

} // namespace tb
