#include "shell/launcher_layout.h"

#include <algorithm>

namespace tb {

std::vector<RowSlot> layOutRow(std::span<const RowSlot> places, std::span<const int> needed,
                               int rowWidth) {
    const std::size_t count = std::min(places.size(), needed.size());
    std::vector<RowSlot> row(count);
    std::vector<int> tightest(count);
    int pushed = 0;
    int packed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        row[i].x = std::max(places[i].x, pushed);
        tightest[i] = packed;
        pushed = row[i].x + needed[i];
        packed += needed[i];
    }
    // Pull controls back from the right edge into the room their neighbours leave.
    int limit = std::max(rowWidth, packed);
    for (std::size_t i = count; i-- > 0;) {
        row[i].x = std::max(std::min(row[i].x, limit - needed[i]), tightest[i]);
        limit = row[i].x;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const int next = i + 1 < count ? row[i + 1].x : std::max(rowWidth, packed);
        row[i].width = std::max(needed[i], std::min(places[i].width, next - row[i].x));
    }
    return row;
}

} // namespace tb
