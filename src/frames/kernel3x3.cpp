#include "frames/kernel3x3.h"

#include <algorithm>
#include <cmath>

#include "frames/pixel_helpers.h"

namespace kestrave {

namespace {

// Byte offsets of the three channels inside a blue, green, red pixel.
constexpr int kBlue = 0;
constexpr int kGreen = 1;
constexpr int kRed = 2;

// (sum of weight x byte over the 3 x 3 neighbourhood of column x) / divisor, truncated toward
// zero. The sum is 64-bit: nine bytes times any 32-bit weight cannot overflow it.
std::int64_t filteredValue(const TKernel3x3& kernel, std::int64_t divisor, const std::uint8_t* const rows[3],
                           int x, int channel) {
    std::int64_t sum = 0;
    for (int r = 0; r < 3; ++r) {
        const std::uint8_t* p = rows[r] + 3 * (x - 1) + channel;
        sum += std::int64_t{kernel[1 + 3 * r]} * p[0] + std::int64_t{kernel[2 + 3 * r]} * p[3] +
               std::int64_t{kernel[3 + 3 * r]} * p[6];
    }
    return sum / divisor;
}

}  // namespace

void Convolve3x3(const TKernel3x3& Kernel, Bitmap24& Bitmap, bool colourStack) {
    const int width = Bitmap.width();
    const int height = Bitmap.height();
    if (width < 3 || height < 3) return;
    const std::int64_t divisor = Kernel[0] == 0 ? 1 : Kernel[0];

    Bitmap24 copy;
    AssignBitmap24(copy, Bitmap);
    auto neighbourhood = [&copy](int y, const std::uint8_t* rows[3]) {
        rows[0] = copy.row(y - 1);
        rows[1] = copy.row(y);
        rows[2] = copy.row(y + 1);
    };

    double lo = 255.0;
    double hi = 0.0;
    for (int y = 1; y < height - 1; ++y) {
        const std::uint8_t* rows[3];
        neighbourhood(y, rows);
        for (int x = 1; x < width - 1; ++x) {
            const auto v = static_cast<double>(filteredValue(Kernel, divisor, rows, x, kGreen));
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    if (hi == lo) hi = lo + 0.1;

    const double range = hi - lo;
    auto mapped = [&](const std::uint8_t* const rows[3], int x, int channel) {
        const double v = static_cast<double>(filteredValue(Kernel, divisor, rows, x, channel));
        const double level = (v - lo) / range * 255.0;
        // Clamped in floating point first so that far-off values cannot overflow the conversion.
        return static_cast<std::uint8_t>(
            ClampByte(static_cast<int>(std::nearbyint(std::clamp(level, -1.0, 256.0)))));
    };
    for (int y = 1; y < height - 1; ++y) {
        const std::uint8_t* rows[3];
        neighbourhood(y, rows);
        std::uint8_t* out = Bitmap.row(y);
        for (int x = 1; x < width - 1; ++x) {
            std::uint8_t* p = out + 3 * x;
            p[kRed] = mapped(rows, x, kRed);
            if (colourStack) {
                p[kGreen] = mapped(rows, x, kGreen);
                p[kBlue] = mapped(rows, x, kBlue);
            } else {
                p[kGreen] = p[kRed];
                p[kBlue] = p[kRed];
            }
        }
    }
}

}  // namespace kestrave
