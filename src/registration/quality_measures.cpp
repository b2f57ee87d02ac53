#include "registration/quality_measures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

// Along one axis, n source pixels are spread over m target pixels: measured in units of 1 / m of
// a source pixel, source pixel s covers [s m, (s + 1) m) and target pixel t covers [t n, (t + 1) n).
// The weight of s in t is the length of their overlap; the weights of one target pixel sum to n.
struct Overlap {
    int source = 0;
    int weight = 0;
};

std::vector<std::vector<Overlap>> overlaps(int n, int m) {
    std::vector<std::vector<Overlap>> result(static_cast<std::size_t>(m));
    for (int t = 0; t < m; ++t) {
        const long long lo = static_cast<long long>(t) * n, hi = lo + n;
        for (int s = static_cast<int>(lo / m); s < n && static_cast<long long>(s) * m < hi; ++s) {
            const long long w = std::min(hi, (s + 1LL) * m) - std::max(lo, static_cast<long long>(s) * m);
            if (w > 0) result[static_cast<std::size_t>(t)].push_back({s, static_cast<int>(w)});
        }
    }
    return result;
}

// total / divisor rounded half to even; both are not negative.
std::uint8_t roundedQuotient(long long total, long long divisor) {
    long long q = total / divisor;
    const long long r2 = 2 * (total % divisor);
    if (r2 > divisor || (r2 == divisor && (q & 1) != 0)) ++q;
    return static_cast<std::uint8_t>(std::min(q, 255LL));
}

}  // namespace

void boxAverageDownscale(const Bitmap24& box, int n, int m, Bitmap24& target) {
    const auto weights = overlaps(n, m);
    if (target.width() != m || target.height() != m) target.resize(m, m);
    // Rows first: n rows of m weighted sums per byte, exact in integers.
    std::vector<long long> rows(static_cast<std::size_t>(n) * m * 3);
    for (int y = 0; y < n; ++y) {
        const std::uint8_t* source = box.row(y);
        long long* out = rows.data() + static_cast<std::size_t>(y) * m * 3;
        for (int t = 0; t < m; ++t) {
            long long sums[3] = {0, 0, 0};
            for (const Overlap& o : weights[static_cast<std::size_t>(t)])
                for (int c = 0; c < 3; ++c)
                    sums[c] += static_cast<long long>(o.weight) * source[3 * o.source + c];
            for (int c = 0; c < 3; ++c) out[3 * t + c] = sums[c];
        }
    }
    const long long divisor = static_cast<long long>(n) * n;
    for (int t = 0; t < m; ++t) {
        std::uint8_t* out = target.row(t);
        for (int x = 0; x < m; ++x) {
            long long sums[3] = {0, 0, 0};
            for (const Overlap& o : weights[static_cast<std::size_t>(t)]) {
                const long long* in = rows.data() + (static_cast<std::size_t>(o.source) * m + x) * 3;
                for (int c = 0; c < 3; ++c) sums[c] += o.weight * in[c];
            }
            for (int c = 0; c < 3; ++c) out[3 * x + c] = roundedQuotient(sums[c], divisor);
        }
    }
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
