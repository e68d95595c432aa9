#pragma once
// The track as the game keeps it for the whole run: the cell grid read from a track map, the
// placement lists of every tile and object, the waypoints and the start point.
#include "assets/math_types.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tb {

enum CellCode : int {
    Open = 0,
    Rough = 1,
    VeryRough = 2,
    StartArch = 3,
    StraightTile = 4,
    CornerTile = 5,
    TTile = 6,
    RampTile = 7,
    Store = 8,
    Wall = 9,
    Kubo = 10,
    Carabao = 11,
    RampZone = 16, // 16 + k: a cell round ramp k
};

constexpr float CellSize = 16.0f;

struct TrackGrid {
    std::vector<std::uint8_t> cells; // row by row: cells[row * width + column]
    int width = 0;
    int height = 0;
    int centreColumn = 0;
    int centreRow = 0;
    float cellWidth = CellSize;
    float cellDepth = CellSize;
    bool loaded = false;
};

template <int Capacity> struct PlacementList {
    static constexpr int capacity = Capacity;
    std::array<Mat4, Capacity> entries = filledWithIdentity();
    int count = 0;

  private:
    static constexpr std::array<Mat4, Capacity> filledWithIdentity() {
        std::array<Mat4, Capacity> a{};
        for (auto& m : a) {
            m = identityMatrix();
        }
        return a;
    }
};

struct Point2 {
    float x = 0.0f;
    float z = 0.0f;
};

constexpr int MaxWaypoints = 128;

struct TrackState {
    TrackGrid grid;
    PlacementList<128> straightPlacements;
    PlacementList<128> cornerPlacements;
    PlacementList<16> tPlacements;
    PlacementList<16> rampPlacements;
    PlacementList<16> wallPlacements;
    PlacementList<16> kuboPlacements;
    PlacementList<16> carabaoPlacements;
    std::array<Point2, MaxWaypoints> waypoints{};
    int waypointCount = 0;
    Point2 startPoint;
};

extern TrackState track;

struct Cell {
    int column = 0;
    int row = 0;
};

// The nearest cell to a world point (halves away from zero).
Cell worldToCell(float x, float z);
// The code of a cell, or -1 outside the grid.
int cellCode(const TrackGrid& grid, Cell cell);

} // namespace tb
