#pragma once
// Writing a generated file in one piece.
#include <cstdint>
#include <string>
#include <vector>

namespace tb::media {

bool writeWholeFile(const std::string& path, const std::string& bytes);
bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace tb::media
