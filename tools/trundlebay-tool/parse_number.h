#pragma once
// Whole numbers from the command line: the whole argument must be the number.
#include <charconv>
#include <optional>
#include <string>

namespace tb::tool {

template <typename Number> std::optional<Number> parseNumber(const std::string& text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace tb::tool
