#include "enhance/wavelet_decomposition.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "enhance/clamped_round.h"
#include "platform/parallel.h"

namespace kestrave {

namespace {

// One tap of the 5 × 5 kernel at its distance for the current layer.
struct Tap {
    int dx;
    int dy;
    double weight;
};

// Columns [first, last) of the area, each with a buffer of per-row sums; every pixel's sum takes
// the taps in one fixed order, so the split over threads does not change a bit.
template <typename ColumnBody>
void forAreaColumns(const WaveletArea& area, int rows, ColumnBody body) {
    parallelForRange(area.x0, area.x1 + 1, [&](std::ptrdiff_t first, std::ptrdiff_t last) {
        std::vector<double> sums(static_cast<std::size_t>(rows));
        for (auto x = static_cast<int>(first); x < last; ++x) {
            std::fill(sums.begin(), sums.end(), 0.0);
            body(x, sums.data());
        }
    });
}

// The position a tap at `i` reads on a side of `size` pixels: outside the image the picture is
// mirrored about its first and last pixel (…, 2, 1, 0, 1, 2, …, size - 2, size - 1, size - 2, …),
// so an edge pixel sees a full set of taps, as an inner one does, and a flat picture stays flat up
// to its border. Taps further out than the image is wide are mirrored again.
int mirrored(int i, int size) {
    if (i >= 0 && i < size) return i;
    if (size == 1) return 0;
    const long long period = 2LL * (size - 1);
    long long m = i % period;
    if (m < 0) m += period;
    return static_cast<int>(m < size ? m : period - m);
}

// sums[y - firstRow] += weight × column[y + dy] for the rows firstRow..lastRow, the source rows
// mirrored into the image.
void addShiftedColumn(double* sums, const float* column, double weight, int dy, int firstRow, int lastRow,
                      int imageHeight) {
    const int from = std::max(firstRow, -dy);
    const int to = std::min(lastRow, imageHeight - 1 - dy);
    for (int y = firstRow; y <= std::min(lastRow, from - 1); ++y)
        sums[y - firstRow] += weight * column[mirrored(y + dy, imageHeight)];
    for (int y = from; y <= to; ++y) sums[y - firstRow] += weight * column[y + dy];
    for (int y = std::max(firstRow, to + 1); y <= lastRow; ++y)
        sums[y - firstRow] += weight * column[mirrored(y + dy, imageHeight)];
}

// The layer is the working value minus the smoothed value.
void storeLayerColumn(const double* smooth, const float* work, float* layer, const WaveletArea& area) {
    for (int y = area.y0; y <= area.y1; ++y) {
        layer[y - area.y0] = static_cast<float>(work[y] - smooth[y - area.y0]);
    }
}

void defaultFilterLayer(T2dArrays& work, T2dArrays& scratch, T2dArrays& layer, const WaveletArea& area,
                        int imageWidth, int imageHeight, const WaveletFilter& filter, int step) {
    std::vector<Tap> taps;
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const float weight = filter.WaveletKernel5x5[kernelIndex(dx, dy)];
            if (weight > 0.0f) taps.push_back({dx * step, dy * step, weight});
        }
    }
    forAreaColumns(area, area.height(), [&](int x, double* smooth) {
        for (const Tap& tap : taps) {
            const int sx = mirrored(x + tap.dx, imageWidth);
            addShiftedColumn(smooth, work[sx], tap.weight, tap.dy, area.y0, area.y1, imageHeight);
        }
        float* scratchColumn = scratch[x];
        for (int y = area.y0; y <= area.y1; ++y) scratchColumn[y] = static_cast<float>(smooth[y - area.y0]);
        storeLayerColumn(smooth, work[x], layer[x - area.x0], area);
    });
    // Only now, with every tap read, does the smoothed image replace the working image.
    parallelFor(area.x0, area.x1 + 1, [&](std::ptrdiff_t x) {
        std::copy(scratch[static_cast<int>(x)] + area.y0, scratch[static_cast<int>(x)] + area.y1 + 1,
                  work[static_cast<int>(x)] + area.y0);
    });
}

void gaussianFilterLayer(T2dArrays& work, T2dArrays& scratch, T2dArrays& layer, const WaveletArea& area,
                         int imageWidth, int imageHeight, const WaveletFilter& filter, int step, int n) {
    const int halfWidth = filter.LayerHalfWidth[n];
    const auto& taps = filter.LayerTaps[n];
    // The column pass reads the row pass's result up to halfWidth taps above and below the area,
    // so the row pass covers those rows too (within the image).
    const int reach = halfWidth * std::abs(step);
    const int firstRow = std::max(0, area.y0 - reach);
    const int lastRow = std::min(imageHeight - 1, area.y1 + reach);
    forAreaColumns(area, lastRow - firstRow + 1, [&](int x, double* sums) {
        for (int k = -halfWidth; k <= halfWidth; ++k) {
            const int sx = mirrored(x + k * step, imageWidth);
            addShiftedColumn(sums, work[sx], taps[k + GaussianMaxHalfWidth], 0, firstRow, lastRow,
                             imageHeight);
        }
        float* scratchColumn = scratch[x];
        for (int y = firstRow; y <= lastRow; ++y) scratchColumn[y] = static_cast<float>(sums[y - firstRow]);
    });
    forAreaColumns(area, area.height(), [&](int x, double* smooth) {
        for (int k = -halfWidth; k <= halfWidth; ++k) {
            addShiftedColumn(smooth, scratch[x], taps[k + GaussianMaxHalfWidth], k * step, area.y0, area.y1,
                             imageHeight);
        }
        float* workColumn = work[x];
        storeLayerColumn(smooth, workColumn, layer[x - area.x0], area);
        for (int y = area.y0; y <= area.y1; ++y) workColumn[y] = static_cast<float>(smooth[y - area.y0]);
    });
}

}  // namespace

void requirePlaneSize(const T2dArrays& plane, int xCount, int yCount) {
    if (plane.xCount() < xCount || plane.yCount() < yCount) {
        throw WaveletError("The image planes (" + std::to_string(plane.xCount()) + " x " +
                           std::to_string(plane.yCount()) + ") are smaller than the working image needs (" +
                           std::to_string(xCount) + " x " + std::to_string(yCount) +
                           "); stack the image again.");
    }
}

WaveletArea waveletArea(const ImageDataSection& section, int ImageWidth, int ImageHeight) {
    WaveletArea area;
    area.x0 = std::max(section.ProcessAreaX, 0);
    area.y0 = std::max(section.ProcessAreaY, 0);
    area.x1 = std::min(area.x0 + section.ProcessAreaWidth - 1, ImageWidth - 1);
    area.y1 = std::min(area.y0 + section.ProcessAreaHeight - 1, ImageHeight - 1);
    return area;
}

void ComputeWaveletLayer(ImageDataSection& section, int ImageWidth, int ImageHeight,
                         const WaveletFilter& filter, const WaveletProcessOptions& options, int n) {
    assert(n >= 1 && n <= WaveletLayerCount);
    const WaveletArea area = waveletArea(section, ImageWidth, ImageHeight);
    if (area.empty()) return;
    const int step = layerStep(options.steps, n);
    requirePlaneSize(section.ScratchPlane, ImageWidth, ImageHeight);
    for (int c = 0; c < 3; ++c) {
        if (!options.processesChannel(c)) continue;
        T2dArrays& work = section.WorkPlanes[c];
        T2dArrays& layer = section.LayerPlanes[n][c];
        requirePlaneSize(work, ImageWidth, ImageHeight);
        requirePlaneSize(layer, area.width(), area.height());
        if (options.Convolvemethod == TConvolveMethod::Gaussian) {
            gaussianFilterLayer(work, section.ScratchPlane, layer, area, ImageWidth, ImageHeight, filter,
                                step, n);
        } else {
            defaultFilterLayer(work, section.ScratchPlane, layer, area, ImageWidth, ImageHeight, filter,
                               step);
        }
    }
}

void DrawWaveletLayer(const ImageDataSection& section, int ImageWidth, int ImageHeight, int n,
                      Bitmap24& picture) {
    assert(n >= 1 && n <= WaveletLayerCount);
    const WaveletArea area = waveletArea(section, ImageWidth, ImageHeight);
    if (area.empty()) return;
    const T2dArrays& layer = section.LayerPlanes[n][1];
    requirePlaneSize(layer, area.width(), area.height());

    constexpr int Inset = 10;
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (int lx = Inset; lx < area.width() - Inset; ++lx) {
        for (int ly = Inset; ly < area.height() - Inset; ++ly) {
            low = std::min<double>(low, layer[lx][ly]);
            high = std::max<double>(high, layer[lx][ly]);
        }
    }
    if (low > high) low = high = 0.0;  // an area of 20 pixels or less has no inner part
    const double range = high - low > 0.0 ? high - low : 1.0;

    const int lastX = std::min(area.x1, picture.width() - 1);
    const int lastY = std::min(area.y1, picture.height() - 1);
    for (int y = area.y0; y <= lastY; ++y) {
        for (int x = area.x0; x <= lastX; ++x) {
            const float v = layer[x - area.x0][y - area.y0];
            const int b = clampedRound((v - low) / range * 255.0, 0, 255);
            SetRGBTriple(static_cast<std::uint8_t>(v < 0.0f ? 255 - b : 0),
                         static_cast<std::uint8_t>(v > 0.0f ? b : 0), 0, picture.pixel(x, y));
        }
    }
}

}  // namespace kestrave
