#pragma once
// T2dArrays: a plane of 32-bit floats addressed [x][y] (x the image column, y the row). The
// cells lie in one contiguous block, column after column, so a column is contiguous and hot
// loops run x outside and y inside. Planes are zero-filled on creation (by zeroed pages: a
// cell costs nothing until it is first used).

#include <array>
#include <cstddef>
#include <vector>

#include "platform/zeroed_allocator.h"

namespace kestrave {

class T2dArrays {
public:
    T2dArrays() = default;
    // Note the argument order: rows first, as the plane's users pass them. Throws std::bad_alloc
    // when the memory is not available.
    T2dArrays(int yCount, int xCount);

    // Highest column index (XCount - 1) and highest row index (YCount - 1); -1 when empty.
    int MaxX = -1;
    int MaxY = -1;

    int xCount() const { return MaxX + 1; }
    int yCount() const { return MaxY + 1; }
    bool empty() const { return cells_.empty(); }

    // Column x; [x][y] is the cell of pixel (x, y).
    float* operator[](int x) { return cells_.data() + static_cast<std::size_t>(x) * yCount(); }
    const float* operator[](int x) const { return cells_.data() + static_cast<std::size_t>(x) * yCount(); }

    float* data() { return cells_.data(); }
    const float* data() const { return cells_.data(); }
    std::size_t cellCount() const { return cells_.size(); }

    // Sets every cell to 0.0.
    void Clear();
    // Resizes to xCount × yCount, zero-filled (contents lost).
    void reset(int yCount, int xCount);

private:
    std::vector<float, ZeroedAllocator<float>> cells_;
};

// The three colour planes (red, green, blue) of a picture.
using PlaneTriple = std::array<T2dArrays, 3>;

}  // namespace kestrave
