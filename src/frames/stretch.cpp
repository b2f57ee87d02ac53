#include "frames/stretch.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "platform/parallel.h"

namespace kestrave {

// The kernels are evaluated in extended precision (long double) and rounded to single precision
// once, on return.

float boxFilter(float x) {
    return x > -0.5f && x <= 0.5f ? 1.0f : 0.0f;
}

float triangleFilter(float x) {
    const long double a = std::fabs(static_cast<long double>(x));
    return a < 1.0L ? static_cast<float>(1.0L - a) : 0.0f;
}

float hermiteFilter(float x) {
    const long double a = std::fabs(static_cast<long double>(x));
    return a < 1.0L ? static_cast<float>((2.0L * a - 3.0L) * a * a + 1.0L) : 0.0f;
}

float bellFilter(float x) {
    const long double a = std::fabs(static_cast<long double>(x));
    if (a < 0.5L) return static_cast<float>(0.75L - a * a);
    if (a < 1.5L) return static_cast<float>(0.5L * (a - 1.5L) * (a - 1.5L));
    return 0.0f;
}

float bSplineFilter(float x) {
    const long double a = std::fabs(static_cast<long double>(x));
    if (a < 1.0L) return static_cast<float>(0.5L * a * a * a - a * a + 2.0L / 3.0L);
    if (a < 2.0L) return static_cast<float>((2.0L - a) * (2.0L - a) * (2.0L - a) / 6.0L);
    return 0.0f;
}

namespace {

long double sinc(long double t) {
    if (t == 0.0L) return 1.0L;
    const long double pt = std::numbers::pi_v<long double> * t;
    return std::sin(pt) / pt;
}

}  // namespace

float lanczos3Filter(float x) {
    const long double a = std::fabs(static_cast<long double>(x));
    return a < 3.0L ? static_cast<float>(sinc(a) * sinc(a / 3.0L)) : 0.0f;
}

float mitchellFilter(float x) {
    const long double a = std::fabs(static_cast<long double>(x));
    const long double a2 = a * a;
    const long double a3 = a2 * a;
    if (a < 1.0L) return static_cast<float>((7.0L * a3 - 12.0L * a2 + 16.0L / 3.0L) / 6.0L);
    if (a < 2.0L)
        return static_cast<float>((-7.0L / 3.0L * a3 + 12.0L * a2 - 20.0L * a + 32.0L / 3.0L) / 6.0L);
    return 0.0f;
}

const ResampleFilter& resampleMethodFilter(int itemIndex) {
    const int entry = itemIndex + 3;
    if (entry < 0 || entry >= static_cast<int>(ResampleFilters.size()))
        throw std::out_of_range("resampling method index out of range");
    return ResampleFilters[static_cast<std::size_t>(entry)];
}

namespace {

struct Contributor {
    int pixel;     // source index along the axis
    float weight;  // never 0
};

// The contributors of every destination index along one axis, stored one list after another.
struct Contributions {
    std::vector<std::size_t> start;  // list i is entries[start[i] .. start[i + 1])
    std::vector<Contributor> entries;

    const Contributor* begin(int i) const { return entries.data() + start[static_cast<std::size_t>(i)]; }
    const Contributor* end(int i) const { return entries.data() + start[static_cast<std::size_t>(i) + 1]; }
};

// Mirrors an index outside 0..size-1 back in; a support wider than the source can still reach
// past the far edge after mirroring, so the result is kept inside.
int sourceIndex(std::int64_t j, int size) {
    if (j < 0)
        j = -j;
    else if (j >= size)
        j = std::int64_t{2} * size - 1 - j;
    return static_cast<int>(std::clamp<std::int64_t>(j, 0, size - 1));
}

Contributions contributions(int sourceSize, int destSize, FilterFunction filter, float width) {
    const float scale = stretchScale(sourceSize, destSize);
    const bool shrinking = scale < 1.0f;
    // Shrinking stretches the kernel over 1 / scale source pixels and scales its height down.
    const float support = shrinking ? static_cast<float>(width / static_cast<long double>(scale)) : width;
    const float filterScale = shrinking ? static_cast<float>(1.0L / scale) : 1.0f;

    Contributions result;
    result.start.reserve(static_cast<std::size_t>(destSize) + 1);
    result.start.push_back(0);
    for (int i = 0; i < destSize; ++i) {
        const float center = static_cast<float>(i / static_cast<long double>(scale));
        const auto left = static_cast<std::int64_t>(std::floor(static_cast<long double>(center) - support));
        const auto right = static_cast<std::int64_t>(std::ceil(static_cast<long double>(center) + support));
        for (std::int64_t j = left; j <= right; ++j) {
            const long double distance = static_cast<long double>(center) - static_cast<long double>(j);
            const float weight = shrinking
                                     ? static_cast<float>(filter(static_cast<float>(distance / filterScale)) /
                                                          static_cast<long double>(filterScale))
                                     : filter(static_cast<float>(distance));
            if (weight == 0.0f) continue;
            result.entries.push_back({sourceIndex(j, sourceSize), weight});
        }
        result.start.push_back(result.entries.size());
    }
    return result;
}

// One step of a weighted sum. The product of a byte and a single-precision weight is exact in
// double precision, and the sum is rounded to single precision at every step, so the result
// does not depend on how the loops around it are arranged.
inline float accumulate(float sum, std::uint8_t value, float weight) {
    return static_cast<float>(static_cast<double>(sum) +
                              static_cast<double>(value) * static_cast<double>(weight));
}

// Rounds a sum half to even and clamps it to 0..255. Adding 2^23 leaves a float no fraction
// bits, so the addition itself rounds to the nearest integer, ties to even, exactly as
// std::nearbyint does in the default rounding mode; every sum that can land in 0..255 lies
// well inside the range where that holds, and any other lands outside and is clamped. Rounding
// before clamping gives the same bytes as clamping first and lets whole rows convert in vector
// registers without a library call per byte.
inline std::uint8_t toByte(float sum) {
    constexpr float kTwoPow23 = 8388608.0f;
    const float rounded = (sum + kTwoPow23) - kTwoPow23;
    return static_cast<std::uint8_t>(static_cast<int>(std::min(std::max(rounded, 0.0f), 255.0f)));
}

}  // namespace

float stretchScale(int sourceSize, int destSize) {
    // A one-pixel side on either end has no span to map, so the plain ratio serves (a one-pixel
    // destination would otherwise get scale 0).
    if (sourceSize == 1 || destSize == 1)
        return static_cast<float>(static_cast<long double>(destSize) / sourceSize);
    return static_cast<float>(static_cast<long double>(destSize - 1) / (sourceSize - 1));
}

void Stretch(const Bitmap24& Source, Bitmap24& Dest, FilterFunction Filter, float Width) {
    const int sourceWidth = Source.width();
    const int sourceHeight = Source.height();
    if (sourceWidth < 1 || sourceHeight < 1) throw StretchError("Source bitmap too small");
    const int destWidth = Dest.width();
    const int destHeight = Dest.height();
    if (destWidth < 1 || destHeight < 1) return;

    // Horizontal pass: work row k, column i. Rows are taken kRowBlock at a time so that the
    // weighted sums of several rows run side by side; each byte still adds its contributors in
    // list order. A block at the end of a range repeats its last row and stores only real rows.
    Bitmap24 work(destWidth, sourceHeight);
    {
        const Contributions columns = contributions(sourceWidth, destWidth, Filter, Width);
        constexpr int kRowBlock = 4;
        parallelForRange(0, sourceHeight, [&](std::ptrdiff_t first, std::ptrdiff_t last) {
            for (auto k = static_cast<int>(first); k < last; k += kRowBlock) {
                const int rowsHere = std::min(kRowBlock, static_cast<int>(last) - k);
                const std::uint8_t* in[kRowBlock];
                for (int r = 0; r < kRowBlock; ++r) in[r] = Source.row(k + std::min(r, rowsHere - 1));
                for (int i = 0; i < destWidth; ++i) {
                    float sums[kRowBlock][3] = {};
                    for (const Contributor* c = columns.begin(i); c != columns.end(i); ++c) {
                        const std::size_t offset = 3 * static_cast<std::size_t>(c->pixel);
                        for (int r = 0; r < kRowBlock; ++r)
                            for (int b = 0; b < 3; ++b)
                                sums[r][b] = accumulate(sums[r][b], in[r][offset + b], c->weight);
                    }
                    for (int r = 0; r < rowsHere; ++r) {
                        std::uint8_t* out = work.row(k + r) + 3 * static_cast<std::size_t>(i);
                        for (int b = 0; b < 3; ++b) out[b] = toByte(sums[r][b]);
                    }
                }
            }
        });
    }

    // Vertical pass, one destination row at a time: every byte of the row gathers its work-row
    // contributors in list order, the same order a column-by-column walk would take.
    const Contributions rows = contributions(sourceHeight, destHeight, Filter, Width);
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(destWidth);
    parallelForRange(0, destHeight, [&](std::ptrdiff_t first, std::ptrdiff_t last) {
        std::vector<float> sumRow(rowBytes);
        float* const sums = sumRow.data();  // a local pointer: byte stores cannot alias it
        for (std::ptrdiff_t i = first; i < last; ++i) {
            std::fill(sums, sums + rowBytes, 0.0f);
            for (const Contributor* c = rows.begin(static_cast<int>(i)); c != rows.end(static_cast<int>(i));
                 ++c) {
                const std::uint8_t* in = work.row(c->pixel);
                const float weight = c->weight;
                for (std::size_t b = 0; b < rowBytes; ++b) sums[b] = accumulate(sums[b], in[b], weight);
            }
            std::uint8_t* out = Dest.row(static_cast<int>(i));
            for (std::size_t b = 0; b < rowBytes; ++b) out[b] = toByte(sums[b]);
        }
    });
}

}  // namespace kestrave
