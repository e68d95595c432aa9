#pragma once
// Every file the game reads or writes lives in the media folder beside the program.
#include <string>
#include <string_view>

namespace tb {

// The media folder: "<program folder>/media" unless a tool or test chose another.
const std::string& mediaFolder();
// Use another folder as the media folder (tools name a file's own folder, tests a temporary one).
void setMediaFolder(std::string folder);
// The full path of a bare file name inside the media folder; names are used unchanged.
std::string mediaPath(std::string_view name);
// The player's own track folder, where tracks can be added to an installed game:
// $XDG_DATA_HOME/trundlebay/tracks, or ~/.local/share/trundlebay/tracks when that is unset or
// not an absolute path; empty when there is no home either.
std::string playerTracksFolder();

} // namespace tb
