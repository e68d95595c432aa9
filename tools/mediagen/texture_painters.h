#pragma once
// The texture painters, one group per file.
#include <string>

namespace tb::media {

bool writeGroundTextures(const std::string& folder);   // streets, field, sky
bool writeVehicleTextures(const std::string& folder);  // jeepney liveries, wheel
bool writeBuildingTextures(const std::string& folder); // store, hut, arch, wall, carabao

} // namespace tb::media
