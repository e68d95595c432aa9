#pragma once
// Text in the platform's profile (initialisation-file) format, as its profile calls read and
// write it: "[Section]" lines, "key=value" lines, ';' comment lines. Reading is lenient and
// writing changes only the line it must, so that every other byte a player wrote stays.
#include <optional>
#include <string>
#include <string_view>

namespace tb {

// The value of the first `key` in the first `section`, blanks around it removed; nothing when
// there is no such section or key. Names match regardless of case and of blanks around them;
// LF and CR LF line ends and a UTF-8 byte-order mark are accepted, and lines that are neither
// sections, keys nor comments are passed over.
std::optional<std::string> profileValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// Gives `key` the single-line `value` in `text`: the first `key` line of the first `section` is
// rewritten as "key=value" (kept when it already holds the value), a missing key is added after
// the section's last entry, a missing section at the end of the text. Added lines take the line
// end of the text's first line (LF when it has none).
void setProfileValue(std::string& text, std::string_view section, std::string_view key,
                     std::string_view value);

// Takes every `key` line out of the first `section`, each with its line end; the rest of the text
// stays byte for byte.
void removeProfileKey(std::string& text, std::string_view section, std::string_view key);

} // namespace tb
