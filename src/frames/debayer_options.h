#pragma once
// The debayer's options: the Bayer layout of the mosaic and what one call does besides.

namespace kestrave {

// The layouts in the order of the debayergroup items: the colours of the first two pixels of
// the first row.
enum class BayerPattern : int { GR = 0, RG = 1, BG = 2, GB = 3 };

// The layout of a debayergroup item; any other item (-1: none chosen) counts as GR.
BayerPattern bayerPatternForItem(int itemIndex);

// What one call reads from the window and the pass flags. (Whether to call it at all is the
// DebayerEnabled switch, which the readers take from their own options.)
struct DebayerOptions {
    BayerPattern pattern = BayerPattern::GR;  // debayergroup
    bool Rawdark = false;                     // subtract DarkPlanes from the mosaic first
    // Either flag leaves out the colour pass: red and blue come out 0 and green holds the
    // interpolated green, which is all that aligning and optimizing look at.
    bool InAlignPass = false;
    bool InOptimizePass = false;
};

}  // namespace kestrave
