#include "shell/launcher_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace tb {
namespace {

const std::vector<RowSlot> Places{{0, 32}, {32, 96}, {128, 96}, {224, 128}};

std::vector<int> xs(const std::vector<RowSlot>& row) {
    std::vector<int> out;
    for (const RowSlot& slot : row) {
        out.push_back(slot.x);
    }
    return out;
}

TEST(LauncherLayout, ControlsKeepTheirPlacesUntilCaptionsNeedMore) {
    struct Case {
        std::vector<int> needed;
        std::vector<int> x;
        const char* what;
    };
    const Case cases[] = {
        {{30, 90, 60, 100}, {0, 32, 128, 224}, "everything fits its place"},
        {{30, 110, 60, 100}, {0, 32, 142, 224}, "a long caption pushes only its neighbour"},
        {{30, 90, 60, 150}, {0, 32, 128, 220}, "the last one moves left into free room"},
        {{40, 100, 100, 130}, {0, 40, 140, 240}, "all packed when nothing is spare"},
        {{50, 100, 100, 130}, {0, 50, 150, 250}, "the row grows only when it must"},
    };
    for (const Case& c : cases) {
        const std::vector<RowSlot> row = layOutRow(Places, c.needed, 352 + 18);
        EXPECT_EQ(xs(row), c.x) << c.what;
        for (std::size_t i = 0; i < row.size(); ++i) {
            EXPECT_GE(row[i].width, c.needed[i]) << c.what << ": control " << i << " is cut";
            if (i + 1 < row.size()) {
                EXPECT_LE(row[i].x + row[i].width, row[i + 1].x) << c.what << ": overlap " << i;
            }
        }
    }
}

} // namespace
} // namespace tb
