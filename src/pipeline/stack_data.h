#pragma once
// What the window keeps of the last completed stack: the stacking run's result (its value range,
// statistics and frame list) and the colour setting it was made with. The rendered stack picture
// itself moves on to the wavelet page's data (WaveletData::Stackimage), where the wavelet page
// and the savers read it. A cancelled, declined or failed run leaves both as they were.

#include "stacking/stack_frames.h"

namespace kestrave {

struct StackData {
    StackResult result;
    // The stack holds red, green and blue: its savers follow this, not a later change of
    // `Colourstack` (a grey stack has no red and blue planes to save).
    bool Colourstack = false;

    bool exists() const { return result.outcome == StackOutcome::Stacked; }
};

// The stack count: the last ranking position the next stack takes (`value`), within the ranking
// positions 0..`last` a stack can reach (the stack slider shows both). A range that would end at
// its start is refused; a count outside the range is clamped into it.
struct StackCount {
    int value = 0;
    int last = 1000;

    // Each returns whether the count or its range changed.
    bool set(int count);
    bool setLast(int end);
};

}  // namespace kestrave
