#include "shell/track_setting.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace tb {
namespace {

constexpr std::string_view SectionName = "Game";
constexpr std::string_view KeyName = "Track";

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

struct Line {
    std::string_view text; // without its line end
    bool sectionStart = false;
    bool inGame = false;    // inside section Game (its header line included)
    bool trackKey = false;  // a Track= line inside section Game
    std::string_view value; // of a Track= line
};

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    bool inGame = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        Line line;
        line.text = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.text.ends_with('\r')) {
            line.text.remove_suffix(1);
        }
        const std::string_view body = trimmed(line.text);
        if (body.starts_with('[') && body.find(']') != std::string_view::npos) {
            line.sectionStart = true;
            inGame = sameName(trimmed(body.substr(1, body.find(']') - 1)), SectionName);
        }
        line.inGame = inGame;
        const std::size_t equals = body.find('=');
        if (inGame && !line.sectionStart && equals != std::string_view::npos &&
            sameName(trimmed(body.substr(0, equals)), KeyName)) {
            line.trackKey = true;
            line.value = trimmed(body.substr(equals + 1));
        }
        lines.push_back(line);
    }
    return lines;
}

} // namespace

std::string trackSettingFrom(std::string_view text) {
    for (const Line& line : splitLines(text)) {
        if (line.trackKey) {
            return std::string(line.value);
        }
    }
    return {};
}

std::string withTrackSetting(std::string_view text, std::string_view track) {
    const std::vector<Line> lines = splitLines(text);
    const bool crlf = text.find("\r\n") != std::string_view::npos;
    const std::string newline = crlf ? "\r\n" : "\n";
    const std::string setting = std::string(KeyName) + "=" + std::string(track);
    // The new key goes after the section's last line that is not blank.
    std::size_t insertAfter = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].inGame && !trimmed(lines[i].text).empty()) {
            insertAfter = i;
        }
    }
    const bool present =
        std::any_of(lines.begin(), lines.end(), [](const Line& line) { return line.trackKey; });
    std::string out;
    bool written = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].trackKey) {
            if (!track.empty() && !written) {
                out += setting + newline;
                written = true;
            }
        } else {
            out += std::string(lines[i].text) + newline;
        }
        if (i == insertAfter && !present && !track.empty()) {
            out += setting + newline;
            written = true;
        }
    }
    if (!track.empty() && !written) {
        out += "[" + std::string(SectionName) + "]" + newline + setting + newline;
    }
    return out;
}

} // namespace tb
