#include "shell/settings.h"

#include "shell/launcher.h"
#include "shell/media_paths.h"
#include "shell/track_setting.h"

#include <glib.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace tb {
namespace {

constexpr const char* SectionName = "Game";

struct KeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;

struct NameListFree {
    void operator()(gchar** names) const { g_strfreev(names); }
};
using NameList = std::unique_ptr<gchar*, NameListFree>;

struct GlibFree {
    void operator()(void* memory) const { g_free(memory); }
};
using GlibText = std::unique_ptr<gchar, GlibFree>;

struct SettingKey {
    const char* name;
    int Settings::*field;
    int fallback;
};

// The order the settings are read and written in, with the value a missing key reads as.
constexpr SettingKey SettingKeys[] = {
    {"Windowed", &Settings::windowed, 1},
    {"Lights", &Settings::lights, 0},
    {"Music", &Settings::music, 0},
    {"Joystick", &Settings::joystick, 0},
    {"UseHiQualTex", &Settings::useHiQualTex, 0},
    {"Width", &Settings::width, 640},
    {"Height", &Settings::height, 480},
    {"UseScreenRes", &Settings::useScreenRes, 0},
};

// Hand-edited settings files often carry ';' comments and CR LF line ends, which the key-file
// reader would refuse as a whole.
std::string asKeyFileText(std::string_view text) {
    std::string prepared;
    prepared.reserve(text.size());
    bool atLineStart = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        if (c == '\n') {
            atLineStart = true;
        } else if (atLineStart && c == ';') {
            c = '#';
        }
        if (c != '\n' && c != ' ' && c != '\t') {
            atLineStart = false;
        }
        prepared += c;
    }
    return prepared;
}

KeyFile loadKeyFile(std::string_view text) {
    KeyFile file(g_key_file_new());
    const std::string prepared = asKeyFileText(text);
    const auto flags =
        static_cast<GKeyFileFlags>(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS);
    if (!g_key_file_load_from_data(file.get(), prepared.data(), prepared.size(), flags, nullptr)) {
        return nullptr;
    }
    return file;
}

// The spelling `names` uses for `wanted`, compared without regard to case; empty when absent.
std::string findName(gchar** names, const char* wanted) {
    for (gchar** name = names; name && *name; ++name) {
        if (g_ascii_strcasecmp(*name, wanted) == 0) {
            return *name;
        }
    }
    return {};
}

std::string findSection(GKeyFile* file) {
    const NameList sections(g_key_file_get_groups(file, nullptr));
    return findName(sections.get(), SectionName);
}

int readKey(GKeyFile* file, const std::string& section, gchar** keys, const SettingKey& key) {
    const std::string name = findName(keys, key.name);
    if (name.empty()) {
        return key.fallback;
    }
    const GlibText value(g_key_file_get_value(file, section.c_str(), name.c_str(), nullptr));
    return value ? leadingInteger(value.get()) : key.fallback;
}

void setDefaults(Settings& out) {
    for (const SettingKey& key : SettingKeys) {
        out.*key.field = key.fallback;
    }
    out.track.clear();
}

enum class FileRead { Missing, Read, Unreadable };

FileRead readWholeFile(const std::string& path, std::string& text) {
    gchar* contents = nullptr;
    gsize length = 0;
    GError* error = nullptr;
    if (!g_file_get_contents(path.c_str(), &contents, &length, &error)) {
        const bool missing = g_error_matches(error, G_FILE_ERROR, G_FILE_ERROR_NOENT);
        if (!missing) {
            std::fprintf(stderr, "Cannot read %s: %s\n", path.c_str(), error->message);
        }
        g_error_free(error);
        return missing ? FileRead::Missing : FileRead::Unreadable;
    }
    const GlibText owned(contents);
    text.assign(contents, length);
    return FileRead::Read;
}

// Written to a temporary file and renamed over the old one, so a crash never leaves half a file.
bool replaceFile(const std::string& path, std::string_view text) {
    GError* error = nullptr;
    if (!g_file_set_contents(path.c_str(), text.data(), static_cast<gssize>(text.size()), &error)) {
        std::fprintf(stderr, "Cannot write %s: %s\n", path.c_str(), error->message);
        g_error_free(error);
        return false;
    }
    return true;
}

std::string mediaSettingsPath() {
    return mediaPath("game.ini");
}

// A system-wide install leaves the media folder to root; saving there would fail at every exit.
bool mediaFolderWritable() {
    return access(mediaFolder().c_str(), W_OK) == 0;
}

bool isPlayersOwnFile(const std::string& path) {
    return path != mediaSettingsPath();
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] != '\0' ? home : g_get_home_dir();
}

bool createFolderOf(const std::string& path) {
    const GlibText folder(g_path_get_dirname(path.c_str()));
    if (g_mkdir_with_parents(folder.get(), 0700) != 0) {
        std::fprintf(stderr, "Cannot create %s: %s\n", folder.get(), g_strerror(errno));
        return false;
    }
    return true;
}

// The media folder's game.ini, the values a player starts from before saving their own; empty
// when it is missing or cannot be used, so that it never stands in the way of a save.
std::string shippedSettingsText() {
    std::string text;
    if (readWholeFile(mediaSettingsPath(), text) != FileRead::Read || !loadKeyFile(text)) {
        return {};
    }
    return text;
}

} // namespace

std::string settingsPath() {
    return mediaFolderWritable() ? mediaSettingsPath() : userSettingsPath();
}

std::string userSettingsPath() {
    // Relative config paths are to be ignored: they would depend on where the game was started.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const std::string base =
        configHome != nullptr && configHome[0] == '/' ? configHome : homeFolder() + "/.config";
    return base + "/trundlebay/game.ini";
}

std::string settingsBackupPath() {
    return settingsPath() + ".bak";
}

int leadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<long long>(value * 10 + (text[i] - '0'), INT_MAX);
    }
    return static_cast<int>(value);
}

bool parseSettings(std::string_view text, Settings& out) {
    setDefaults(out);
    const KeyFile file = loadKeyFile(text);
    if (!file) {
        return false;
    }
    const std::string section = findSection(file.get());
    if (section.empty()) {
        return true;
    }
    const NameList keys(g_key_file_get_keys(file.get(), section.c_str(), nullptr, nullptr));
    for (const SettingKey& key : SettingKeys) {
        out.*key.field = readKey(file.get(), section, keys.get(), key);
    }
    return true;
}

std::optional<std::string> mergeSettings(std::string_view existing, const Settings& values) {
    const KeyFile file = loadKeyFile(existing);
    if (!file) {
        return std::nullopt;
    }
    std::string section = findSection(file.get());
    if (section.empty()) {
        section = SectionName;
    }
    const NameList keys(g_key_file_get_keys(file.get(), section.c_str(), nullptr, nullptr));
    for (const SettingKey& key : SettingKeys) {
        std::string name = findName(keys.get(), key.name);
        if (name.empty()) {
            name = key.name;
        }
        g_key_file_set_integer(file.get(), section.c_str(), name.c_str(), values.*key.field);
    }
    gsize length = 0;
    const GlibText text(g_key_file_to_data(file.get(), &length, nullptr));
    return std::string(text.get(), length);
}

void readSettings() {
    std::string path = settingsPath();
    std::string text;
    FileRead read = readWholeFile(path, text);
    if (read == FileRead::Missing && isPlayersOwnFile(path)) {
        path = mediaSettingsPath();
        read = readWholeFile(path, text);
    }
    if (read != FileRead::Read) {
        setDefaults(settings);
        return;
    }
    if (!parseSettings(text, settings)) {
        std::fprintf(stderr, "%s cannot be parsed; using the default settings\n", path.c_str());
        return;
    }
    settings.track = trackSettingFrom(text);
}

bool writeSettings() {
    const std::string path = settingsPath();
    std::string existing;
    const FileRead read = readWholeFile(path, existing);
    if (read == FileRead::Unreadable) {
        return false;
    }
    if (read == FileRead::Missing && isPlayersOwnFile(path)) {
        if (!createFolderOf(path)) {
            return false;
        }
        existing = shippedSettingsText();
    }
    std::optional<std::string> merged = mergeSettings(existing, settings);
    if (!merged) {
        if (!replaceFile(settingsBackupPath(), existing)) {
            return false;
        }
        merged = mergeSettings({}, settings);
    }
    return replaceFile(path, withTrackSetting(*merged, settings.track));
}

void saveSettingsIfChanged() {
    if (settings.changed) {
        writeSettings();
    }
}

bool runSettings(int mode, const char* caption) {
    if (mode == 0) {
        return true;
    }
    if (mode == 1) {
        readSettings();
        return true;
    }
    return runLauncher(caption);
}

} // namespace tb
