#pragma once
// Numbers in the texts and axes of the registration charts.

#include <cstddef>
#include <string>

namespace kestrave {

// `value` in fixed-point form with `decimals` digits after the ".", rounded once to whichever
// is coarser: `precision` significant digits or `decimals` decimals (the digits beyond are
// written as 0). A value with more whole digits than `precision` is written in exponent form
// ("1.500000E+20" for precision 7).
std::string fixedPointText(double value, int precision, int decimals);

// Step between the labels of an axis along `count` points: a tenth of the count above 10
// points, else 1.
inline double chartAxisIncrement(std::size_t count) {
    return count > 10 ? 0.1 * static_cast<double>(count) : 1.0;
}

}  // namespace kestrave
