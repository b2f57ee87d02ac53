#pragma once
// Float-to-integer conversion for pixel values and table indices: the value is clamped in
// floating point first (a NaN counts as the lower bound), then rounded to nearest with ties to
// even. Converting an out-of-range float straight to an integer would be undefined.

#include <cmath>

namespace kestrave {

inline int clampedRound(double value, int lo, int hi) {
    if (!(value > lo)) return lo;
    if (value >= hi) return hi;
    return static_cast<int>(std::nearbyint(value));
}

}  // namespace kestrave
