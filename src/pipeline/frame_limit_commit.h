#pragma once
// What a stage leaves of the frame limit and the stack count: the parts it sets are committed
// together (`Pipeline::commitFrameLimit`) and announced once; the parts it leaves out stay.

#include <optional>

namespace kestrave {

struct FrameLimitCommit {
    // The ranked frames kept: positions 0 .. ranks are browsed, optimized and taken for the
    // reference. A value not above 0 is refused, as a range that ends at its start would be.
    std::optional<int> ranks;
    // The end of the range the stack count moves in (refused alike); the count stays within it.
    std::optional<int> countRange;
    // The last ranking position the stacks take.
    std::optional<int> stackBound;
    // The stack count, within its range.
    std::optional<int> stackCount;
};

}  // namespace kestrave
