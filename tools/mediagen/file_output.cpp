#include "file_output.h"

#include <cstdio>

namespace tb::media {
namespace {

bool writeBytes(const std::string& path, const void* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "mediagen: cannot write %s\n", path.c_str());
        return false;
    }
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

} // namespace

bool writeWholeFile(const std::string& path, const std::string& bytes) {
    return writeBytes(path, bytes.data(), bytes.size());
}

bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    return writeBytes(path, bytes.data(), bytes.size());
}

} // namespace tb::media
