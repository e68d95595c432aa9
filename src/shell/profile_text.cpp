#include "shell/profile_text.h"

#include <initializer_list>
#include <vector>

namespace tb {
namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

enum class LineKind { Blank, Comment, Section, Key, Other };

struct ProfileLine {
    LineKind kind = LineKind::Blank;
    std::string_view name;      // a section's or key's name, blanks removed
    std::string_view value;     // a key's value, blanks removed
    std::size_t start = 0;      // the line's first byte after any byte-order mark
    std::size_t contentEnd = 0; // where its line end ("\n" or "\r\n") begins
    std::size_t end = 0;        // the next line's first byte
};

struct SectionLines {
    std::size_t header; // index of the "[Section]" line
    std::size_t end;    // index of the next section's line, or the line count
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

void classify(std::string_view content, ProfileLine& line) {
    const std::string_view text = trimmed(content);
    const std::size_t closing = text.find(']');
    const std::size_t equals = text.find('=');
    if (text.empty()) {
        line.kind = LineKind::Blank;
    } else if (text.front() == ';') {
        line.kind = LineKind::Comment;
    } else if (text.front() == '[' && closing != std::string_view::npos) {
        line.kind = LineKind::Section;
        line.name = trimmed(text.substr(1, closing - 1));
    } else if (equals != std::string_view::npos) {
        line.kind = LineKind::Key;
        line.name = trimmed(text.substr(0, equals));
        line.value = trimmed(text.substr(equals + 1));
    } else {
        line.kind = LineKind::Other;
    }
}

std::vector<ProfileLine> profileLines(std::string_view text) {
    std::vector<ProfileLine> lines;
    std::size_t start = text.starts_with(ByteOrderMark) ? ByteOrderMark.size() : 0;
    while (start < text.size()) {
        ProfileLine line;
        line.start = start;
        const std::size_t newline = text.find('\n', start);
        if (newline == std::string_view::npos) {
            line.contentEnd = line.end = text.size();
        } else {
            const bool crlf = newline > start && text[newline - 1] == '\r';
            line.contentEnd = crlf ? newline - 1 : newline;
            line.end = newline + 1;
        }
        classify(text.substr(line.start, line.contentEnd - line.start), line);
        lines.push_back(line);
        start = line.end;
    }
    return lines;
}

std::optional<SectionLines> findSection(const std::vector<ProfileLine>& lines,
                                        std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != LineKind::Section || !sameName(lines[i].name, section)) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < lines.size() && lines[end].kind != LineKind::Section) {
            ++end;
        }
        return SectionLines{i, end};
    }
    return std::nullopt;
}

const ProfileLine* findKey(const std::vector<ProfileLine>& lines, const SectionLines& section,
                           std::string_view key) {
    for (std::size_t i = section.header + 1; i < section.end; ++i) {
        if (lines[i].kind == LineKind::Key && sameName(lines[i].name, key)) {
            return &lines[i];
        }
    }
    return nullptr;
}

// Where a new key joins a section: after its last entry, so that blank lines and the comments
// that introduce the next section stay with that section.
std::size_t endOfEntries(const std::vector<ProfileLine>& lines, const SectionLines& section) {
    std::size_t at = lines[section.header].end;
    for (std::size_t i = section.header + 1; i < section.end; ++i) {
        if (lines[i].kind == LineKind::Key || lines[i].kind == LineKind::Other) {
            at = lines[i].end;
        }
    }
    return at;
}

std::string_view lineEndOf(std::string_view text) {
    const std::size_t newline = text.find('\n');
    return newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r' ? "\r\n"
                                                                                         : "\n";
}

std::string keyLine(std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    line += value;
    return line;
}

// `lines` joined by `lineEnd`, each ended, inserted at `at`; a last line without its line end
// is given one first.
void insertLines(std::string& text, std::size_t at, std::string_view lineEnd,
                 std::initializer_list<std::string_view> lines) {
    std::string inserted;
    if (at == text.size() && !text.empty() && text.back() != '\n') {
        inserted += lineEnd;
    }
    for (const std::string_view line : lines) {
        inserted += line;
        inserted += lineEnd;
    }
    text.insert(at, inserted);
}

} // namespace

std::optional<std::string> profileValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
    const std::vector<ProfileLine> lines = profileLines(text);
    const std::optional<SectionLines> found = findSection(lines, section);
    if (!found) {
        return std::nullopt;
    }
    const ProfileLine* line = findKey(lines, *found, key);
    return line ? std::optional<std::string>(line->value) : std::nullopt;
}

void setProfileValue(std::string& text, std::string_view section, std::string_view key,
                     std::string_view value) {
    value = value.substr(0, value.find_first_of("\r\n"));
    const std::vector<ProfileLine> lines = profileLines(text);
    const std::string_view lineEnd = lineEndOf(text);
    const std::optional<SectionLines> found = findSection(lines, section);
    if (!found) {
        const std::string header = "[" + std::string(section) + "]";
        insertLines(text, text.size(), lineEnd, {header, keyLine(key, value)});
        return;
    }
    if (const ProfileLine* line = findKey(lines, *found, key)) {
        if (line->value != value) {
            text.replace(line->start, line->contentEnd - line->start, keyLine(line->name, value));
        }
        return;
    }
    insertLines(text, endOfEntries(lines, *found), lineEnd, {keyLine(key, value)});
}

void removeProfileKey(std::string& text, std::string_view section, std::string_view key) {
    const std::vector<ProfileLine> lines = profileLines(text);
    const std::optional<SectionLines> found = findSection(lines, section);
    if (!found) {
        return;
    }
    // From the last line back, so that earlier lines keep their offsets.
    for (std::size_t i = found->end; i-- > found->header + 1;) {
        if (lines[i].kind == LineKind::Key && sameName(lines[i].name, key)) {
            text.erase(lines[i].start, lines[i].end - lines[i].start);
        }
    }
}

} // namespace tb
