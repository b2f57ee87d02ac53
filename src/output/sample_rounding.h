#pragma once
// Float-to-integer conversion of output samples: clamped to the integer type's range in floating
// point first (a NaN counts as the lower bound), then rounded to nearest with ties to even.
// Converting an out-of-range float straight to an integer would be undefined.

#include <cmath>
#include <limits>

namespace kestrave {

template <class Int>
Int roundToSample(double value, double lo = std::numeric_limits<Int>::min(),
                  double hi = std::numeric_limits<Int>::max()) {
    if (!(value > lo)) return static_cast<Int>(lo);
    if (value >= hi) return static_cast<Int>(hi);
    return static_cast<Int>(std::nearbyint(value));
}

}  // namespace kestrave
