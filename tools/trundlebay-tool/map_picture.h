#pragma once
// The preview of a checked track map: the map's own colours, every placed tile drawn the way
// the builder turned it, the waypoints, the jump zones, the problems, and a legend.
#include "map_checks.h"

#include <string>

namespace tb::tool {

bool writeMapPicture(const std::string& path, const MapCheck& check);

} // namespace tb::tool
