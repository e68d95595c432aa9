#pragma once
// The player's choices, kept in "game.ini" in the media folder (or the player's config folder
// when the media folder is read-only), section "Game".
#include <string>
#include <string_view>

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
    std::string track;    // the chosen track map's file name; empty for the random choice
    // Not offered by the launcher; written to the file only when it is not the default.
    int smoothFrames = 1; // pictures drawn between frames at the display's rate; 0: one a frame
};

extern Settings settings;

// Fills `settings` from game.ini; a missing file or missing keys give the defaults.
void readSettings();
// Writes every setting into game.ini, changing only the lines of values that differ and adding
// missing keys; a symlink is followed and the file's permissions stay. False, with the reason on
// stderr, when nothing could be saved (a file without write permission is left alone).
bool writeSettings();
// At exit: writeSettings() when `changed` is set.
void saveSettingsIfChanged();
// Mode 0: nothing, true. Mode 1: readSettings(), true. Otherwise: runs the launcher and
// returns true when the player pressed Start.
bool runSettings(int mode, const char* caption);

// The settings file's path: game.ini in the media folder while that folder can be written; in
// a read-only (system-wide) install it is the player's own userSettingsPath(), which starts
// from the media folder's game.ini until it exists.
std::string settingsPath();
// $XDG_CONFIG_HOME/trundlebay/game.ini, or ~/.config/trundlebay/game.ini when that is unset or
// not an absolute path.
std::string userSettingsPath();

// How a value reads as a number: its leading decimal digits after any blanks, 0 when there
// are none; values too large for an int read as the largest int.
int leadingInteger(std::string_view text);
// Settings from a file's text in section "Game" (see profile_text.h); missing keys give the
// defaults. `changed` is left as it is.
void parseSettings(std::string_view text, Settings& out);
// `existing` (a file's text, possibly empty) with every setting written into section "Game".
std::string mergeSettings(std::string_view existing, const Settings& values);

} // namespace tb
