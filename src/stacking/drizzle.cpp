#include "stacking/drizzle.h"

#include <algorithm>
#include <cmath>

namespace kestrave {

DropAxis drizzleDropAxis(float sub, float factor, float pixfrac, float phase) {
    const double f = std::clamp(factor, MinDrizzleFactor, MaxDrizzleFactor);
    const double s = std::clamp(sub, -0.5f, 0.5f);
    const double length = std::clamp(pixfrac, 10.0f, 100.0f) * 0.01 * f;
    const double start = 0.5 * f - s * f + std::clamp(phase, -0.5f, 0.5f);
    const double end = start + length;

    DropAxis axis;
    axis.first = static_cast<int>(std::floor(start));
    const int last = static_cast<int>(std::ceil(end)) - 1;
    double sum = 0.0;
    std::array<double, MaxDropCells> overlap{};
    for (int cell = axis.first; cell <= last && axis.count < MaxDropCells; ++cell) {
        overlap[axis.count] = std::max(0.0, std::min(end, cell + 1.0) - std::max(start, double(cell)));
        sum += overlap[axis.count];
        ++axis.count;
    }
    if (sum == 0.0) sum = 1.0;
    for (int k = 0; k < axis.count; ++k) axis.weight[k] = static_cast<float>(overlap[k] / sum);
    return axis;
}

}  // namespace kestrave
