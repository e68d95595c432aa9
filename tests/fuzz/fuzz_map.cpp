// Track maps on arbitrary bytes: reading and building never crash or hang, never write past a
// list, and what the build reports agrees with what it placed.
#include "assets/model.h"
#include "fuzz/fuzz_media_folder.h"
#include "track/track_builder.h"

#include <cstdint>
#include <cstdlib>

namespace {

template <int Capacity> void requireWithin(const tb::PlacementList<Capacity>& list) {
    if (list.count < 0 || list.count > Capacity) {
        std::abort();
    }
}

void requireConsistentTrack(bool built) {
    const tb::TrackState& t = tb::track;
    requireWithin(t.straightPlacements);
    requireWithin(t.cornerPlacements);
    requireWithin(t.tPlacements);
    requireWithin(t.rampPlacements);
    requireWithin(t.wallPlacements);
    requireWithin(t.kuboPlacements);
    requireWithin(t.carabaoPlacements);
    const tb::TrackBuildReport& report = tb::lastTrackBuild();
    if (t.waypointCount != t.cornerPlacements.count || report.walkTurns > tb::MaxWaypoints ||
        t.grid.cells.size() != static_cast<std::size_t>(t.grid.width) * t.grid.height) {
        std::abort();
    }
    if (built && !(report.walkClosed && report.walkTurns == t.waypointCount)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tb::fuzz::useFreshMediaFolder("map");
    tb::setGraphicsEnabled(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tb::fuzz::writeMediaFile("map.bmp", data, size);
    requireConsistentTrack(tb::buildTrackFromMap("map.bmp"));
    return 0;
}
