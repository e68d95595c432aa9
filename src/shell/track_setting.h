#pragma once
// The player's chosen track, kept as "Track=" in section "Game" of the settings file only while
// it is not the random choice, so that a file from a game that never chose stays as it was.
#include <string>
#include <string_view>

namespace tb {

// The value of the key Track in section Game (names in any case); empty when there is none.
std::string trackSettingFrom(std::string_view text);
// `text` with Track=`track` in section Game (replacing the value in place, or added at the end
// of the section), or with no Track key there when `track` is empty. Other lines stay as they
// are.
std::string withTrackSetting(std::string_view text, std::string_view track);

} // namespace tb
