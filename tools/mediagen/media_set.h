#pragma once
// The whole media folder, one kind of file at a time. Each writer puts its files into
// `folder` and returns false if any could not be written.
#include <string>

namespace tb::media {

bool writeModels(const std::string& folder);
bool writeTextures(const std::string& folder);
bool writeTrackMaps(const std::string& folder);
// For map authors: a template map (not named "map*.bmp", so never raced) and the palette as a
// GIMP palette file.
bool writeMapKit(const std::string& folder);
bool writeSounds(const std::string& folder);
bool writeSplash(const std::string& folder);
// The program's icon in the sizes desktop menus ask for (not read by the game itself).
bool writeIcons(const std::string& folder);

} // namespace tb::media
