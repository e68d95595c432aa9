#pragma once
// Fuzz targets hand their input to the game the way the game reads files: as a file in a
// media folder of its own.
#include "shell/media_paths.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tb::fuzz {

// A fresh folder under /tmp becomes the media folder.
inline void useFreshMediaFolder(const char* target) {
    std::string pattern = std::string("/tmp/fuzz-") + target + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    setMediaFolder(pattern);
}

inline void writeMediaFile(const char* name, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(mediaPath(name).c_str(), "wb");
    if (f == nullptr) {
        std::abort();
    }
    std::fwrite(data, 1, size, f);
    std::fclose(f);
}

} // namespace tb::fuzz
