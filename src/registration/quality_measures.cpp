#include "registration/quality_measures.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "frames/jpeg_errors.h"
#include "platform/errors.h"

namespace kestrave {

GradientSettings gradientSettings(double FOMspin, const std::array<double, 3>& Pix) {
    GradientSettings settings;
    settings.k = static_cast<int>(std::nearbyint(std::clamp(FOMspin, 1.0, 5.0)));
    const std::array<double, 5> weights{Pix[0], Pix[1], Pix[2], Pix[2], Pix[2]};
    for (int d = 1; d <= 5; ++d) settings.prefix[d] = settings.prefix[d - 1] + weights[d - 1];
    return settings;
}

float FomGradientTerm(const T2dArrays& plane, int i, int j, int dx, int dy,
                      const GradientSettings& settings) {
    const double d = plane[i][j] - plane[i + dx][j + dy];
    const double s = settings.prefix[dx] + settings.prefix[dy];
    // 1.53787005e-05 = 1 / 255^2.
    return static_cast<float>((d * s) * (d * s) * 1.53787005e-05);
}

double ComputeFrameFom(const T2dArrays& plane, int X0, int Y0, int W, int H, const GradientSettings& settings,
                       FomQuadrants* quadrants) {
    const int k = settings.k;
    const auto quadrant = [&](int i0, int i1, int j0, int j1) {
        double sum = 0.0;
        for (int i = i0; i <= i1; ++i)
            for (int j = j0; j <= j1; ++j)
                sum += FomGradientTerm(plane, i, j, k, 0, settings) +
                       FomGradientTerm(plane, i, j, 0, k, settings);
        return static_cast<float>(sum);
    };
    const int iMid = X0 + W / 2, jMid = Y0 + H / 2;
    FomQuadrants q;
    q.Q1 = quadrant(X0, iMid - 1 - k, Y0, jMid - 1 - k);
    q.Q2 = quadrant(iMid, X0 + W - 1 - k, Y0, jMid - 1 - k);
    q.Q3 = quadrant(X0, iMid - 1 - k, jMid, Y0 + H - 1 - k);
    q.Q4 = quadrant(iMid, X0 + W - 1 - k, jMid, Y0 + H - 1 - k);
    if (quadrants) *quadrants = q;
    return static_cast<double>(q.Q1) + q.Q2 + q.Q3 + q.Q4;
}

namespace {

// total / divisor rounded half to even, from the quotient q and the remainder r; all are not
// negative.
std::uint8_t roundedQuotient(long long q, long long r, long long divisor) {
    // Without branches: whether to round up depends on the data and is hard to predict.
    const long long r2 = 2 * r;
    q += static_cast<long long>((r2 > divisor) | ((r2 == divisor) & ((q & 1) != 0)));
    return static_cast<std::uint8_t>(std::min(q, 255LL));
}

// A divisor, and its shift when it is a power of two (it then divides by shifting).
struct Divisor {
    explicit Divisor(long long d)
        : value(d),
          power(std::has_single_bit(static_cast<unsigned long long>(d))),
          shift(std::countr_zero(static_cast<unsigned long long>(d))) {}
    // total / value rounded half to even; total is not negative.
    std::uint8_t rounded(long long total) const {
        return power ? roundedQuotient(total >> shift, total & (value - 1), value)
                     : roundedQuotient(total / value, total % value, value);
    }
    long long value;
    bool power;
    int shift;
};

// Adds weight * the levels of one source row to the column sums (Step: the bytes from one level
// to the next, when known here: contiguous levels vectorise).
template <std::ptrdiff_t Step>
void addRow(std::int32_t* columns, const std::uint8_t* row, int n, int weight, std::ptrdiff_t step) {
    if constexpr (Step != 0) step = Step;
    for (int x = 0; x < n; ++x) columns[x] += weight * row[x * step];
}

}  // namespace

// Along one axis, n source pixels are spread over m target pixels: measured in units of 1 / m of
// a source pixel, source pixel s covers [s m, (s + 1) m) and target pixel t covers [t n, (t + 1) n).
// The weight of s in t is the length of their overlap; the weights of one target pixel sum to n.
const LevelDownscaler::Weights& LevelDownscaler::weightsFor(int n, int m) {
    for (const Weights& w : weights_)
        if (w.n == n && w.m == m) return w;
    std::vector<std::vector<std::array<int, 2>>> overlaps(static_cast<std::size_t>(m));
    std::size_t span = 0;
    for (int t = 0; t < m; ++t) {
        const long long lo = static_cast<long long>(t) * n, hi = lo + n;
        for (int s = static_cast<int>(lo / m); s < n && static_cast<long long>(s) * m < hi; ++s) {
            const long long length =
                std::min(hi, (s + 1LL) * m) - std::max(lo, static_cast<long long>(s) * m);
            if (length > 0) overlaps[static_cast<std::size_t>(t)].push_back({s, static_cast<int>(length)});
        }
        span = std::max(span, overlaps[static_cast<std::size_t>(t)].size());
    }
    Weights& w = weights_.emplace_back();
    w.n = n;
    w.m = m;
    w.span = static_cast<int>(span);
    for (const auto& target : overlaps) {
        for (std::size_t k = 0; k < span; ++k) {
            w.source.push_back(k < target.size() ? target[k][0] : target.front()[0]);
            w.weight.push_back(k < target.size() ? target[k][1] : 0);
        }
    }
    return w;
}

namespace {

// Each target pixel of one row from the weighted column sums of its source rows: the sum of its
// weighted columns divided by n^2 and rounded (Total holds 255 n^2).
template <class Total>
void shrinkRow(const std::int32_t* columns, const int* source, const int* weight, int span, int m,
               long long divisor, std::uint8_t* out, std::ptrdiff_t step) {
    // A divisor that is a power of two (n is one for every box) divides by shifting.
    const Divisor by(divisor);
    for (int u = 0; u < m; ++u, source += span, weight += span) {
        Total total = 0;
        for (int k = 0; k < span; ++k) total += static_cast<Total>(weight[k]) * columns[source[k]];
        out[u * step] = by.rounded(total);
    }
}

}  // namespace

namespace {

// The shrink by a whole factor r = n / m of contiguous levels: each target pixel is the plain mean
// of its r x r source pixels, rounded half to even. (With weights every overlap is m long: the
// weighted total is m^2 times the plain sum and the divisor m^2 times r^2, so quotient and
// rounding are the same.)
void shrinkByWholeFactor(const std::uint8_t* source, std::ptrdiff_t sourceRow, int n, int m,
                         std::uint8_t* target, std::ptrdiff_t targetRow, std::vector<std::int32_t>& columns) {
    const int r = n / m;
    const Divisor by(static_cast<long long>(r) * r);
    columns.resize(static_cast<std::size_t>(n));
    std::int32_t* sums = columns.data();
    for (int t = 0; t < m; ++t) {
        const std::uint8_t* row = source + static_cast<std::ptrdiff_t>(t) * r * sourceRow;
        for (int x = 0; x < n; ++x) sums[x] = row[x];
        for (int k = 1; k < r; ++k) {
            row += sourceRow;
            for (int x = 0; x < n; ++x) sums[x] += row[x];
        }
        std::uint8_t* out = target + static_cast<std::ptrdiff_t>(t) * targetRow;
        for (int u = 0; u < m; ++u) {
            long long total = 0;
            for (int k = 0; k < r; ++k) total += sums[u * r + k];
            out[u] = by.rounded(total);
        }
    }
}

}  // namespace

void LevelDownscaler::shrink(const Plane<const std::uint8_t>& source, int n, int m,
                             const Plane<std::uint8_t>& target) {
    if (m > 0 && n % m == 0 && source.pixelStep == 1 && target.pixelStep == 1) {
        shrinkByWholeFactor(source.at, source.rowStep, n, m, target.at, target.rowStep, columns_);
        return;
    }
    const Weights& w = weightsFor(n, m);
    // Each target row first sums its source rows, weighted, column by column (at most 255 n);
    // then each target pixel sums those columns (at most 255 n^2). Integer sums are exact in any
    // order.
    columns_.resize(static_cast<std::size_t>(n));
    std::int32_t* columns = columns_.data();
    const long long divisor = static_cast<long long>(n) * n;
    const bool narrow = 255 * divisor <= std::numeric_limits<std::int32_t>::max();
    for (int t = 0; t < m; ++t) {
        std::fill(columns, columns + n, 0);
        const std::size_t first = static_cast<std::size_t>(t) * static_cast<std::size_t>(w.span);
        for (std::size_t k = first; k < first + static_cast<std::size_t>(w.span); ++k) {
            const int weight = w.weight[k];
            if (weight == 0) continue;
            const std::uint8_t* row = source.at + w.source[k] * source.rowStep;
            if (source.pixelStep == 1)
                addRow<1>(columns, row, n, weight, 1);
            else
                addRow<0>(columns, row, n, weight, source.pixelStep);
        }
        std::uint8_t* out = target.at + t * target.rowStep;
        if (narrow)
            shrinkRow<std::int32_t>(columns, w.source.data(), w.weight.data(), w.span, m, divisor, out,
                                    target.pixelStep);
        else
            shrinkRow<long long>(columns, w.source.data(), w.weight.data(), w.span, m, divisor, out,
                                 target.pixelStep);
    }
}

void boxAverageDownscale(const Bitmap24& box, int n, int m, Bitmap24& target) {
    if (target.width() != m || target.height() != m) target.resize(m, m);
    LevelDownscaler downscaler;
    const auto from = static_cast<std::ptrdiff_t>(box.stride()),
               to = static_cast<std::ptrdiff_t>(target.stride());
    for (int c = 0; c < 3; ++c)
        downscaler.shrink({box.bits() + c, 3, from}, n, m, {target.bits() + c, 3, to});
}

double deviationQuality(double n, double sum, double squares) {
    if (n < 2.0) return 0.0;
    return std::sqrt(std::max(0.0, (n * squares - sum * sum) / ((n - 1.0) * n)));
}

double localContrastQuality(const T2dArrays& f, int n) {
    const int blocks = n / 8;
    const int side = blocks + 1;
    std::vector<float> mean(static_cast<std::size_t>(side) * side, 0.0f);
    std::vector<float> contrast(mean.size(), 0.0f);
    const auto at = [side](int i, int j) { return static_cast<std::size_t>(i / 8) * side + j / 8; };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) mean[at(i, j)] += f[i][j];
    for (float& m : mean) {
        m *= 0.015625f;
        if (m <= 0.0f) m = 1.0f;
    }
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const float m = mean[at(i, j)];
            contrast[at(i, j)] -= (f[i][j] - m) / m;
        }
    }
    double total = 0.0;
    for (float c : contrast) total += c;
    return total / (static_cast<double>(blocks) * blocks);
}

namespace {

// Only trivially destructible objects live in this frame, so the longjmp skips no destructor.
bool encode(jpeg_compress_struct& jpeg, JpegErrorManager& errors, const Bitmap24& box, int n, int quality,
            unsigned char** buffer, unsigned long* size) {
    if (setjmp(errors.jump) != 0) return false;
    jpeg_create_compress(&jpeg);
    jpeg_mem_dest(&jpeg, buffer, size);
    jpeg.image_width = static_cast<JDIMENSION>(n);
    jpeg.image_height = static_cast<JDIMENSION>(n);
    jpeg.input_components = 3;
    jpeg.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&jpeg);
    jpeg_set_quality(&jpeg, quality, TRUE);
    jpeg_start_compress(&jpeg, TRUE);
    while (jpeg.next_scanline < jpeg.image_height) {
        // libjpeg only reads the rows it is given.
        JSAMPROW row = const_cast<JSAMPROW>(box.row(static_cast<int>(jpeg.next_scanline)));
        jpeg_write_scanlines(&jpeg, &row, 1);
    }
    jpeg_finish_compress(&jpeg);
    return true;
}

}  // namespace

std::size_t compressedSize(const Bitmap24& box, int n, double Compresfactor) {
    const int quality = static_cast<int>(std::nearbyint(std::clamp(Compresfactor, 10.0, 100.0)));
    jpeg_compress_struct jpeg{};
    JpegErrorManager errors{};
    jpeg.err = installJpegErrors(errors);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool ok = encode(jpeg, errors, box, n, quality, &buffer, &size);
    jpeg_destroy_compress(&jpeg);
    std::free(buffer);
    if (!ok) throw KestraveError("The alignment box could not be compressed for the quality estimate.");
    return static_cast<std::size_t>(size);
}

}  // namespace kestrave
