#pragma once
// Where the launcher's row of controls goes when their captions need more room than their
// places give them (a big desktop font, a wordy theme).
#include <cstddef>
#include <span>
#include <vector>

namespace tb {

struct RowSlot {
    int x;     // left edge
    int width; // at least the caption's width
};

// `places` are the controls' own places along a row `rowWidth` wide, left to right; `needed`
// is the width each control's caption needs. Controls keep their places while their captions
// fit; otherwise they move right (pushed by the one before) or left (into room the ones
// before leave) as little as they must, and only when all of them cannot fit does the row
// grow beyond rowWidth. No control is ever narrower than it needs or overlaps the next.
std::vector<RowSlot> layOutRow(std::span<const RowSlot> places, std::span<const int> needed,
                               int rowWidth);

} // namespace tb
