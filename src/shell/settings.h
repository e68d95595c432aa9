#pragma once
// The player's choices, kept in "game.ini" in the media folder (or the player's config folder
// when the media folder is read-only), section "Game".
#include <optional>
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
};

extern Settings settings;

// Fills `settings` from game.ini; a missing or unparsable file or missing keys give the defaults.
void readSettings();
// Writes every setting to game.ini, keeping other sections, keys and comments. A file that
// could not be parsed is first kept beside it as "game.ini.bak". False when nothing was saved.
bool writeSettings();
// At exit: writeSettings() when `changed` is set.
void saveSettingsIfChanged();
// Mode 0: nothing, true. Mode 1: readSettings(), true. Otherwise: runs the launcher and
// returns true when the player pressed Start.
bool runSettings(int mode, const char* caption);

// The settings file's path and the name its unparsable predecessor is kept under. The file is
// game.ini in the media folder while that folder can be written; in a read-only (system-wide)
// install it is the player's own userSettingsPath(), which starts from the media folder's
// game.ini until it exists.
std::string settingsPath();
std::string settingsBackupPath();
// $XDG_CONFIG_HOME/trundlebay/game.ini, or ~/.config/trundlebay/game.ini when that is unset or
// not an absolute path.
std::string userSettingsPath();

// How a value reads as a number: its leading decimal digits after any blanks, 0 when there
// are none; values too large for an int read as the largest int.
int leadingInteger(std::string_view text);
// Settings from a file's text: `out` gets the defaults for missing keys. False (and `out` all
// defaults) when the text cannot be parsed. Section and key names match regardless of case.
bool parseSettings(std::string_view text, Settings& out);
// `existing` (a file's text, possibly empty) with every setting written into section "Game":
// existing keys are replaced in place, missing ones appended in the file's order. Nothing when
// `existing` cannot be parsed.
std::optional<std::string> mergeSettings(std::string_view existing, const Settings& values);

} // namespace tb
