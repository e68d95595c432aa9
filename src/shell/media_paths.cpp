#include "shell/media_paths.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace tb {
namespace {

std::string programFolder() {
    std::string path(PATH_MAX, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0) {
        return ".";
    }
    path.resize(static_cast<std::size_t>(n));
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

std::string& folder() {
    static std::string media = programFolder() + "/media";
    return media;
}

} // namespace

const std::string& mediaFolder() {
    return folder();
}

void setMediaFolder(std::string newFolder) {
    folder() = std::move(newFolder);
}

std::string mediaPath(std::string_view name) {
    std::string path = folder();
    path += '/';
    path += name;
    return path;
}

std::string playerTracksFolder() {
    // A relative data path would depend on where the game was started.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/') {
        return std::string(dataHome) + "/trundlebay/tracks";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        return {};
    }
    return std::string(home) + "/.local/share/trundlebay/tracks";
}

} // namespace tb
