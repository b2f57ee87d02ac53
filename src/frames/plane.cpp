#include "frames/plane.h"

#include <algorithm>
#include <stdexcept>

namespace kestrave {

T2dArrays::T2dArrays(int yCount, int xCount) {
    reset(yCount, xCount);
}

void T2dArrays::reset(int yCount, int xCount) {
    if (yCount < 1 || xCount < 1) throw std::invalid_argument("plane size must be at least 1 x 1");
    std::vector<float, ZeroedAllocator<float>> cells(static_cast<std::size_t>(xCount) *
                                                     static_cast<std::size_t>(yCount));
    cells_.swap(cells);
    MaxX = xCount - 1;
    MaxY = yCount - 1;
}

void T2dArrays::Clear() {
    std::fill(cells_.begin(), cells_.end(), 0.0f);
}

}  // namespace kestrave
