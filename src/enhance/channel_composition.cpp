#include "enhance/channel_composition.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "enhance/wavelet_decomposition.h"
#include "platform/parallel.h"

namespace kestrave {

namespace {

// The search tries shifts of up to this many pixels each way.
constexpr int SearchRadius = 30;
constexpr int SearchSpan = 2 * SearchRadius + 1;
// Half size limit of the drawn search box.
constexpr int DrawnBoxLimit = 128;

bool inside(int x, int y, int width, int height) {
    return x >= 0 && x < width && y >= 0 && y < height;
}

// dst(x, y) = src(x + shiftX, y + shiftY) over the region, 0 where that point lies outside the
// width × height image.
void shiftedCopy(const T2dArrays& src, T2dArrays& dst, int shiftX, int shiftY, int width, int height,
                 const WaveletArea& region) {
    parallelFor(region.x0, region.x1 + 1, [&](std::ptrdiff_t column) {
        const auto x = static_cast<int>(column);
        float* out = dst[x];
        const int sx = x + shiftX;
        for (int y = region.y0; y <= region.y1; ++y) {
            const int sy = y + shiftY;
            out[y] = inside(sx, sy, width, height) ? src[sx][sy] : 0.0f;
        }
    });
}

// dst = src over the region.
void copyRegion(const T2dArrays& src, T2dArrays& dst, const WaveletArea& region) {
    parallelFor(region.x0, region.x1 + 1, [&](std::ptrdiff_t column) {
        const auto x = static_cast<int>(column);
        std::copy(src[x] + region.y0, src[x] + region.y1 + 1, dst[x] + region.y0);
    });
}

void requireTriple(const PlaneTriple& planes, int xCount, int yCount) {
    for (const T2dArrays& plane : planes) requirePlaneSize(plane, xCount, yCount);
}

// E(dx, dy) = Σ (green - colour shifted by (dx, dy))² over the box, summed in single precision in
// a fixed order.
float squaredDifference(const T2dArrays& green, const T2dArrays& colour, const SearchBox& box, int dx,
                        int dy) {
    float sum = 0.0f;
    for (int i = -box.hx; i <= box.hx; ++i) {
        const float* g = green[box.cx + i] + box.cy;
        const float* c = colour[box.cx + i + dx] + box.cy + dy;
        for (int j = -box.hy; j <= box.hy; ++j) {
            const float d = g[j] - c[j];
            sum += d * d;
        }
    }
    return sum;
}

struct Shift {
    int x = 0;
    int y = 0;
};

// The candidates of one dx are measured in parallel; the choice runs afterwards in scan order,
// so the result does not depend on the threads.
Shift searchShift(const T2dArrays& green, const T2dArrays& colour, const SearchBox& box,
                  ProgressPort& progress) {
    std::array<float, SearchSpan * SearchSpan> errors{};
    if (box.hx >= 0 && box.hy >= 0) {
        for (int dx = -SearchRadius; dx <= SearchRadius; ++dx) {
            parallelFor(0, SearchSpan, [&](std::ptrdiff_t dyIndex) {
                const int dy = static_cast<int>(dyIndex) - SearchRadius;
                errors[(dx + SearchRadius) * SearchSpan + dyIndex] =
                    squaredDifference(green, colour, box, dx, dy);
            });
            progress.setPosition(dx + SearchRadius);
        }
    }
    Shift best;
    float bestError = errors[SearchRadius * SearchSpan + SearchRadius];
    for (int dx = -SearchRadius; dx <= SearchRadius; ++dx) {
        for (int dy = -SearchRadius; dy <= SearchRadius; ++dy) {
            const float e = errors[(dx + SearchRadius) * SearchSpan + dy + SearchRadius];
            if (e < bestError) {
                bestError = e;
                best = {dx, dy};
            }
        }
    }
    return best;
}

bool areaDefined(const TCornerRect& area) {
    return area.X1 >= 0 && area.Y1 >= 0 && area.X2 >= 0 && area.Y2 >= 0;
}

// The composition over a region of non-negative coordinates (for monochrome work it may reach
// the first margin column and row).
void composeRegion(ImageDataSection& section, int width, int height, const ProgramState& state,
                   const WaveletProcessOptions& options, const WaveletArea& region) {
    auto& stack = section.StackPlanes;
    auto& work = section.WorkPlanes;

    if (!options.Colourstack) {
        requirePlaneSize(stack[1], region.x1 + 1, region.y1 + 1);
        requirePlaneSize(work[1], region.x1 + 1, region.y1 + 1);
        copyRegion(stack[1], work[1], region);
        return;
    }

    requireTriple(stack, width, height);
    if (!options.LRGB2) {
        requireTriple(work, width, height);
        copyRegion(stack[1], work[1], region);
        shiftedCopy(stack[0], work[0], state.RedShiftX, state.RedShiftY, width, height, region);
        shiftedCopy(stack[2], work[2], state.BlueShiftX, state.BlueShiftY, width, height, region);
        return;
    }

    requirePlaneSize(work[1], width, height);
    if (options.Lumichannel) {
        requirePlaneSize(section.LumPlane, width, height);
        copyRegion(section.LumPlane, work[1], region);
        return;
    }
    const auto [wR, wG, wB] = state.LRGBWeights;
    parallelFor(region.x0, region.x1 + 1, [&](std::ptrdiff_t column) {
        const auto x = static_cast<int>(column);
        const int rx = x + state.RedShiftX;
        const int bx = x + state.BlueShiftX;
        for (int y = region.y0; y <= region.y1; ++y) {
            float luminance = wG * stack[1][x][y];
            const int ry = y + state.RedShiftY;
            if (inside(rx, ry, width, height)) luminance += wR * stack[0][rx][ry];
            const int by = y + state.BlueShiftY;
            if (inside(bx, by, width, height)) luminance += wB * stack[2][bx][by];
            work[1][x][y] = luminance;
        }
    });
}

}  // namespace

void ApplyRGBShift(ImageDataSection& section, int ImageWidth, int ImageHeight, const ProgramState& state,
                   const WaveletProcessOptions& options) {
    const int width = std::max(ImageWidth, 0);
    const int height = std::max(ImageHeight, 0);
    // Monochrome work takes the first margin column and row along.
    const int margin = options.Colourstack ? 0 : 1;
    composeRegion(section, width, height, state, options,
                  WaveletArea{0, 0, width - 1 + margin, height - 1 + margin});
}

void ApplyRGBShift(ImageDataSection& section, int ImageWidth, int ImageHeight, const ProgramState& state,
                   const WaveletProcessOptions& options, const WaveletArea& region) {
    const int width = std::max(ImageWidth, 0);
    const int height = std::max(ImageHeight, 0);
    const WaveletArea clipped{std::max(region.x0, 0), std::max(region.y0, 0), std::min(region.x1, width - 1),
                              std::min(region.y1, height - 1)};
    if (clipped.empty()) return;
    composeRegion(section, width, height, state, options, clipped);
}

void setShiftsFromSpins(ProgramState& state, const ShiftSpins& spins) {
    auto whole = [](double v) { return static_cast<int>(std::nearbyint(std::clamp(v, -1e6, 1e6))); };
    state.RedShiftX = -whole(spins.RDXSpin);
    state.RedShiftY = whole(spins.RdySpin);
    state.BlueShiftX = -whole(spins.BDXspin);
    state.BlueShiftY = whole(spins.BDYSpin);
}

ShiftSpins spinsForShifts(const ProgramState& state) {
    return {-static_cast<double>(state.RedShiftX), static_cast<double>(state.RedShiftY),
            -static_cast<double>(state.BlueShiftX), static_cast<double>(state.BlueShiftY)};
}

std::array<float, 3> lrgbWeightsFor(int RedLRGBslider, int GreenLRGBSlider, int BlueLRGBSlider) {
    const auto sum = static_cast<float>(RedLRGBslider + GreenLRGBSlider + BlueLRGBSlider);
    return {RedLRGBslider / sum, GreenLRGBSlider / sum, BlueLRGBSlider / sum};
}

std::array<float, 3> lumWeightsFor(double RxSpinEdit1, double RxSpinEdit2, double RxSpinEdit3) {
    return {static_cast<float>(RxSpinEdit1 + 0.000001), static_cast<float>(RxSpinEdit2 + 0.000001),
            static_cast<float>(RxSpinEdit3 + 0.000001)};
}

SearchBox rgbSearchBox(const SearchBoxOptions& options, int ImageWidth, int ImageHeight) {
    const int n = options.FFTSize;
    int half = n / 2;
    double scale = 1.0;
    if (options.Resampled) {
        half = static_cast<int>(std::nearbyint(options.ResampleSpin * n * 0.5));
        scale = options.ResampleSpin;
    }
    if (options.Drizzling) {
        half = n;
        scale = 2.0;
    }
    if (options.forDrawing) half = std::min(half, DrawnBoxLimit);
    SearchBox box{static_cast<int>(std::nearbyint(scale * options.FeatureX)),
                  static_cast<int>(std::nearbyint(scale * options.FeatureY)), half, half};
    const TCornerRect& area = options.RGBArea;
    if (areaDefined(area)) {
        box = {(area.X1 + area.X2) / 2, (area.Y1 + area.Y2) / 2, std::abs(area.X1 - area.X2) / 2,
               std::abs(area.Y1 - area.Y2) / 2};
    }
    // The last column read is cx + hx + 30, which must be at most W - 1.
    if (box.cx + box.hx + SearchRadius >= ImageWidth) box.hx = ImageWidth - SearchRadius - 1 - box.cx;
    if (box.cy + box.hy + SearchRadius >= ImageHeight) box.hy = ImageHeight - SearchRadius - 1 - box.cy;
    if (box.cx - SearchRadius <= box.hx) box.hx = box.cx - SearchRadius;
    if (box.cy - SearchRadius <= box.hy) box.hy = box.cy - SearchRadius;
    return box;
}

ShiftSpins RGBShifter(const ImageDataSection& section, int ImageWidth, int ImageHeight, const SearchBox& box,
                      ProgramState& state, ProgressPort& progress) {
    const auto& stack = section.StackPlanes;
    if (box.hx >= 0 && box.hy >= 0) {
        requireTriple(stack, ImageWidth, ImageHeight);
        if (box.cx - box.hx - SearchRadius < 0 || box.cx + box.hx + SearchRadius >= ImageWidth ||
            box.cy - box.hy - SearchRadius < 0 || box.cy + box.hy + SearchRadius >= ImageHeight) {
            throw WaveletError("The colour shift search box reaches outside the image.");
        }
    }
    progress.setMaximum(SearchSpan - 1);
    progress.setStatus(2, "Search Red ");
    const Shift red = searchShift(stack[1], stack[0], box, progress);
    progress.setStatus(2, "Search Blue ");
    const Shift blue = searchShift(stack[1], stack[2], box, progress);
    state.RedShiftX = red.x;
    state.RedShiftY = red.y;
    state.BlueShiftX = blue.x;
    state.BlueShiftY = blue.y;
    return spinsForShifts(state);
}

void moveProcessAreaToFeature(ImageDataSection& section, int FeatureX, int FeatureY) {
    section.ProcessAreaX = std::clamp(FeatureX - section.ProcessAreaWidth / 2, 0,
                                      std::max(0, section.AllocWidth - section.ProcessAreaWidth));
    section.ProcessAreaY = std::clamp(FeatureY - section.ProcessAreaHeight / 2, 0,
                                      std::max(0, section.AllocHeight - section.ProcessAreaHeight));
}

std::optional<std::string> pixelReadout(const ImageDataSection& section, int x, int y) {
    auto holds = [&](const T2dArrays& plane) {
        return x >= 0 && y >= 0 && x < plane.xCount() && y < plane.yCount();
    };
    const auto& work = section.WorkPlanes;
    if (!holds(section.StackWeightPlane) || !holds(work[0]) || !holds(work[1]) || !holds(work[2])) {
        return std::nullopt;
    }
    char text[200];
    std::snprintf(text, sizeof text, "pixel x:%d y:%d stacksize: %.1f R: %.1f G: %.1f B: %.1f", x, y,
                  static_cast<double>(section.StackWeightPlane[x][y]), static_cast<double>(work[0][x][y]),
                  static_cast<double>(work[1][x][y]), static_cast<double>(work[2][x][y]));
    return std::string(text);
}

}  // namespace kestrave
