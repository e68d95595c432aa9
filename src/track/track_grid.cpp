#include "track/track_grid.h"

namespace tb {

TrackState track;

namespace {
int nearestInteger(float v) {
    return static_cast<int>(v >= 0.0f ? v + 0.5f : v - 0.5f);
}
} // namespace

Cell worldToCell(float x, float z) {
    const TrackGrid& grid = track.grid;
    return {nearestInteger(x / grid.cellWidth + static_cast<float>(grid.centreColumn)),
            nearestInteger(z / grid.cellDepth + static_cast<float>(grid.centreRow))};
}

int cellCode(const TrackGrid& grid, Cell cell) {
    if (cell.column < 0 || cell.row < 0 || cell.column >= grid.width || cell.row >= grid.height) {
        return -1;
    }
    return grid.cells[static_cast<std::size_t>(cell.row) * static_cast<std::size_t>(grid.width) +
                      static_cast<std::size_t>(cell.column)];
}

} // namespace tb
