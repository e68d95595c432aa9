#include "shell/settings.h"

#include "shell/launcher.h"
#include "shell/media_paths.h"
#include "shell/profile_text.h"

#include <fcntl.h>
#include <glib.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

namespace tb {
namespace {

namespace fs = std::filesystem;

constexpr const char* SectionName = "Game";

struct GlibFree {
    void operator()(void* memory) const { g_free(memory); }
};
using GlibText = std::unique_ptr<gchar, GlibFree>;

struct SettingKey {
    const char* name;
    int Settings::*field;
    int fallback;
};

constexpr const char* TrackKey = "Track";

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

// Keys beyond the launcher's: a fresh file does without them, so they are written only when
// they differ from their default or the file already has them.
constexpr SettingKey OptionalKeys[] = {
    {"SmoothFrames", &Settings::smoothFrames, 1},
};

void readKey(std::string_view text, const SettingKey& key, Settings& out) {
    const std::optional<std::string> value = profileValue(text, SectionName, key.name);
    out.*key.field = value ? leadingInteger(*value) : key.fallback;
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

void reportWriteFailure(const std::string& path, int error) {
    std::fprintf(stderr, "Cannot write %s: %s\n", path.c_str(), std::strerror(error));
}

// The file a save replaces: a symlinked game.ini's target, followed link by link so that a link
// to a file not there yet creates it where the link points.
std::string followLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) {
            break;
        }
        const fs::path target = fs::read_symlink(path, error);
        if (error) {
            break;
        }
        path = (fs::path(path).parent_path() / target).string();
    }
    return path;
}

std::string temporaryPathOf(const std::string& path) {
    return path + ".tmp";
}

// A file without any write permission was made read-only on purpose, so not even root replaces
// it.
bool isWritable(const std::string& path, const struct stat& info) {
    return (info.st_mode & 0222) != 0 && access(path.c_str(), W_OK) == 0;
}

bool writeAll(int file, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = write(file, text.data(), text.size());
        if (written < 0 && errno != EINTR) {
            return false;
        }
        text.remove_prefix(written > 0 ? static_cast<std::size_t>(written) : 0);
    }
    return true;
}

// Creates `path` afresh holding `text`, on disk before it returns; without `mode` it gets a new
// file's usual permissions. 0, or the error that stopped it.
int writeNewFile(const std::string& path, std::string_view text, std::optional<mode_t> mode) {
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          mode ? 0600 : 0666);
    if (file < 0) {
        return errno;
    }
    const bool written =
        writeAll(file, text) && (!mode || fchmod(file, *mode) == 0) && fsync(file) == 0;
    const int error = written ? 0 : errno;
    if (close(file) != 0 && error == 0) {
        return errno;
    }
    return error;
}

// Written to a temporary file beside the old one and renamed over it, so that a crash never
// leaves half a file; the old file's permissions stay.
bool replaceFile(const std::string& path, std::string_view text) {
    struct stat old {};
    const bool exists = stat(path.c_str(), &old) == 0;
    if (exists && !isWritable(path, old)) {
        reportWriteFailure(path, EACCES);
        return false;
    }
    const std::string temporary = temporaryPathOf(path);
    const std::optional<mode_t> mode =
        exists ? std::optional<mode_t>(old.st_mode & 07777) : std::nullopt;
    int error = writeNewFile(temporary, text, mode);
    if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        unlink(temporary.c_str());
        reportWriteFailure(path, error);
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

// HOME when it names a folder, else the account's own: GLib would hand back an empty HOME as it is.
std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return home;
    }
    const passwd* account = getpwuid(getuid());
    return account != nullptr && account->pw_dir != nullptr ? account->pw_dir : g_get_home_dir();
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
// when it cannot be read, so that it never stands in the way of a save.
std::string shippedSettingsText() {
    std::string text;
    readWholeFile(mediaSettingsPath(), text);
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

void parseSettings(std::string_view text, Settings& out) {
    for (const SettingKey& key : SettingKeys) {
        readKey(text, key, out);
    }
    for (const SettingKey& key : OptionalKeys) {
        readKey(text, key, out);
    }
    out.track = profileValue(text, SectionName, TrackKey).value_or("");
}

std::string mergeSettings(std::string_view existing, const Settings& values) {
    std::string text(existing);
    for (const SettingKey& key : SettingKeys) {
        setProfileValue(text, SectionName, key.name, std::to_string(values.*key.field));
    }
    for (const SettingKey& key : OptionalKeys) {
        if (values.*key.field != key.fallback || profileValue(text, SectionName, key.name)) {
            setProfileValue(text, SectionName, key.name, std::to_string(values.*key.field));
        }
    }
    // Only a chosen track is written, so a game that never chose one keeps the nine lines.
    if (values.track.empty()) {
        removeProfileKey(text, SectionName, TrackKey);
    } else {
        setProfileValue(text, SectionName, TrackKey, values.track);
    }
    return text;
}

void readSettings() {
    std::string path = settingsPath();
    std::string text;
    FileRead read = readWholeFile(path, text);
    if (read == FileRead::Missing && isPlayersOwnFile(path)) {
        path = mediaSettingsPath();
        read = readWholeFile(path, text);
    }
    parseSettings(read == FileRead::Read ? text : std::string(), settings);
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
    const std::string target = followLinks(path);
    unlink(temporaryPathOf(target).c_str());
    const std::string merged = mergeSettings(existing, settings);
    if (read == FileRead::Read && merged == existing) {
        return true;
    }
    return replaceFile(target, merged);
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
