#pragma once
// The quality figures that grade a frame from the picture of its aligned box: the gradient
// figure of merit (at the box's size and three smaller ones), the size of the box as a JPEG
// picture, the local contrast of 8 x 8 blocks and the standard deviation of the levels.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "frames/plane.h"
#include "platform/bitmap24.h"

namespace kestrave {

// The level of one pixel (bytes blue, green, red): the weighted luminance in colour mode, else
// the green byte.
inline float pixelLevel(const std::uint8_t* p, bool colour, const std::array<float, 3>& weights) {
    return colour ? p[2] * weights[0] + p[1] * weights[1] + p[0] * weights[2] : static_cast<float>(p[1]);
}

// The step and the weights of the gradient figure of merit. The weights of steps 1, 2 and 3 are
// Pix1, Pix2 and Pix3; steps 4 and 5 weigh like step 3.
struct GradientSettings {
    int k = 2;
    // prefix[d] = the sum of the first d weights, d = 0 .. 5.
    std::array<double, 6> prefix{};
};
// k := Round(FOMspin) kept within 1 .. 5.
GradientSettings gradientSettings(double FOMspin, const std::array<double, 3>& Pix);

// (d S)^2 / 255^2 with d = plane[i][j] - plane[i + dx][j + dy] and S the sum of the first dx
// weights plus the sum of the first dy weights.
float FomGradientTerm(const T2dArrays& plane, int i, int j, int dx, int dy, const GradientSettings& settings);

struct FomQuadrants {
    float Q1 = 0.0f, Q2 = 0.0f, Q3 = 0.0f, Q4 = 0.0f;
};
// The gradient figure of merit of the W x H cells from (X0, Y0): the terms at step k along both
// axes summed over the four quadrants, each quadrant leaving out its last k columns and rows.
double ComputeFrameFom(const T2dArrays& plane, int X0, int Y0, int W, int H, const GradientSettings& settings,
                       FomQuadrants* quadrants = nullptr);

// Shrinks n x n levels to m x m (m <= n) by averaging over the area each target pixel covers,
// rounded half to even, exactly in integers. Keeps the weights of the sizes it has met and its
// working rows, so a thread that shrinks box after box allocates nothing. n is at most 2^20.
class LevelDownscaler {
public:
    // A plane of bytes: level (x, y) at at[y * rowStep + x * pixelStep].
    template <class Byte>
    struct Plane {
        Byte* at = nullptr;
        std::ptrdiff_t pixelStep = 1;
        std::ptrdiff_t rowStep = 0;
    };
    void shrink(const Plane<const std::uint8_t>& source, int n, int m, const Plane<std::uint8_t>& target);

private:
    // Along one axis: target pixel t takes the source pixels source[t span + k] with the weights
    // weight[t span + k], k = 0 .. span - 1 (a target that takes fewer has weights of 0).
    struct Weights {
        int n = 0;
        int m = 0;
        int span = 0;
        std::vector<int> source;
        std::vector<int> weight;
    };
    const Weights& weightsFor(int n, int m);

    std::vector<Weights> weights_;
    std::vector<std::int32_t> columns_;
};

// Shrinks the n x n picture `box` to m x m (m <= n) by averaging over the area each target pixel
// covers, per byte, rounded half to even.
void boxAverageDownscale(const Bitmap24& box, int n, int m, Bitmap24& target);

// Sample standard deviation from n values whose sum is `sum` and sum of squares `squares`:
// sqrt((n Q - S^2) / ((n - 1) n)), never below 0 (rounding could make the difference negative),
// 0 for fewer than two values.
double deviationQuality(double n, double sum, double squares);

// Local contrast of the mean-removed levels f (n x n, n a multiple of 8): each 8 x 8 block has
// the mean m of its cells (1 where that is not above 0) and the contrast -sum((f - m) / m) over
// its cells; the figure is the sum of the block contrasts over (n / 8)^2. A block whose mean is
// above 0 adds nothing beyond rounding; one at or below the mean of the box adds
// 64 (1 - its mean), so the figure measures the spread of the block levels.
double localContrastQuality(const T2dArrays& f, int n);

// The size in bytes of the n x n picture `box` as a JPEG file of quality Round(Compresfactor)
// (10 to 100), encoded in memory. Throws KestraveError when libjpeg fails.
std::size_t compressedSize(const Bitmap24& box, int n, double Compresfactor);

}  // namespace kestrave
