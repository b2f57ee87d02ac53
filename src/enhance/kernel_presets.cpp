#include "enhance/kernel_presets.h"

#include "enhance/clamped_round.h"

namespace kestrave {

TKernel3x3 kernelFromWeights(const std::array<double, 9>& values) {
    TKernel3x3 kernel{};
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        kernel[i + 1] = clampedRound(values[i], -KernelWeightLimit, KernelWeightLimit);
        sum += kernel[i + 1];
    }
    // The weights are whole numbers, so their sum needs no rounding; at most 9 x 10000 in size.
    kernel[0] = sum == 0 ? 1 : static_cast<std::int32_t>(sum);
    return kernel;
}

}  // namespace kestrave
