// The settings reader and writer on arbitrary file contents: they must never crash, the values
// written must read back unchanged, and a second save of the same values must change nothing.
#include "shell/settings.h"

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool sameValues(const tb::Settings& a, const tb::Settings& b) {
    return a.windowed == b.windowed && a.lights == b.lights && a.music == b.music &&
           a.joystick == b.joystick && a.useHiQualTex == b.useHiQualTex && a.width == b.width &&
           a.height == b.height && a.useScreenRes == b.useScreenRes;
}

// Values to write, taken from the input's first bytes; settings are never negative.
tb::Settings valuesFrom(const std::uint8_t* data, std::size_t size) {
    int v[8] = {};
    for (std::size_t i = 0; i < size && i < 32; ++i) {
        v[i / 4] = (v[i / 4] << 8) | data[i];
    }
    tb::Settings s;
    int* fields[] = {&s.windowed, &s.lights, &s.music,        &s.joystick,
                     &s.width,    &s.height, &s.useHiQualTex, &s.useScreenRes};
    for (int i = 0; i < 8; ++i) {
        *fields[i] = v[i] & INT_MAX;
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tb::Settings read;
    tb::parseSettings(text, read);
    const tb::Settings values = valuesFrom(data, size);
    const std::string saved = tb::mergeSettings(text, values);
    tb::Settings back;
    tb::parseSettings(saved, back);
    if (!sameValues(back, values) || tb::mergeSettings(saved, values) != saved) {
        __builtin_trap();
    }
    return 0;
}
