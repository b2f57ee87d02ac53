#include "enhance/final_image.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <numbers>
#include <stdexcept>

#include "enhance/clamped_round.h"
#include "enhance/colour_conversions.h"
#include "platform/parallel.h"

namespace kestrave {

namespace {

constexpr float SampleScale = 1.0f / 256.0f;

// cos θ and sin θ of θ = −angle·π/180, exact at multiples of 90 degrees.
void turnCosSin(double angle, double& c, double& s) {
    if (!std::isfinite(angle)) angle = 0.0;
    const double quarters = angle / 90.0;
    if (quarters == std::trunc(quarters) && std::fabs(quarters) < 1e15) {
        static constexpr double Cos[4] = {1.0, 0.0, -1.0, 0.0};
        static constexpr double Sin[4] = {0.0, -1.0, 0.0, 1.0};  // sin(−q·90°)
        const auto q = static_cast<std::size_t>(((static_cast<long long>(quarters) % 4) + 4) % 4);
        c = Cos[q];
        s = Sin[q];
        return;
    }
    const double theta = -angle * std::numbers::pi / 180.0;
    c = std::cos(theta);
    s = std::sin(theta);
}

}  // namespace

bool isTurned(double angle) {
    return std::isfinite(angle) && angle != 0.0;
}

void resetHueCurves(CurveObjects& curves, HueCurveTables& tables) {
    for (TBSpline* curve : {&curves.HueSpline, &curves.SatSpline, &curves.LightSpline}) resetHueCurve(*curve);
    for (std::vector<float>* table : {&tables.HueCurveTable, &tables.SatCurveTable, &tables.LightCurveTable})
        table->assign(HueCurveTableSize, 0.0f);
}

std::array<int, HueHistogramSize> hueHistogramBars(const HueHistogram& histogram) {
    const std::uint32_t largest =
        std::max<std::uint32_t>(*std::max_element(histogram.begin(), histogram.end()), 1);
    std::array<int, HueHistogramSize> bars{};
    for (std::size_t i = 0; i < bars.size(); ++i)
        bars[i] = clampedRound(static_cast<double>(histogram[i]) / largest * 50.0, 0, 50);
    return bars;
}

void checkFinalTables(const FinalSettings& settings) {
    constexpr auto size = static_cast<std::size_t>(HueCurveTableSize);
    if (settings.SatCurveTable.size() < size || settings.HueCurveTable.size() < size ||
        settings.LightCurveTable.size() < size)
        throw std::invalid_argument("the colour curve tables need 3601 entries");
}

FinalHsv adjustFinalColour(FinalHsv colour, const FinalSettings& settings) {
    const auto k = static_cast<std::size_t>(clampedRound(colour.H * 10.0, 0, HueCurveTableSize - 1));
    const float dh = static_cast<float>(settings.H0) + 2.0f * settings.HueCurveTable[k];
    const float ds = static_cast<float>(settings.S0) + 2.0f * settings.SatCurveTable[k];
    const float dl = static_cast<float>(settings.L0) + 2.0f * settings.LightCurveTable[k];
    // std::clamp would keep a NaN; fmax/fmin turn it into the lower bound.
    const auto clampTo = [](float v, float hi) { return std::fmin(std::fmax(v, 0.0f), hi); };
    return {clampTo(colour.H + dh, 360.0f), clampTo(colour.S + ds, 255.0f), clampTo(colour.V + dl, 255.0f)};
}

RotationMap::RotationMap(double angle, double centreX, double centreY, double sourceCentreX,
                         double sourceCentreY, int sourceWidth, int sourceHeight)
    : cx_(centreX),
      cy_(centreY),
      sx0_(sourceCentreX),
      sy0_(sourceCentreY),
      width_(std::max(sourceWidth, 0)),
      height_(std::max(sourceHeight, 0)) {
    turnCosSin(angle, c_, s_);
}

bool RotationMap::tap(int x, int y, BilinearTap& tap) const {
    const double dx = x - cx_;
    const double dy = y - cy_;
    const double u = dx * c_ - dy * s_ + sx0_;
    const double v = dx * s_ + dy * c_ + sy0_;
    // trunc(u) lies in 0..W−1 exactly when −1 < u < W; tested in floating point so that no
    // far-off point is converted to an integer.
    if (!(u > -1.0 && u < width_ && v > -1.0 && v < height_)) return false;
    tap.x0 = static_cast<int>(u);
    tap.y0 = static_cast<int>(v);
    tap.x1 = std::min(tap.x0 + 1, width_ - 1);
    tap.y1 = std::min(tap.y0 + 1, height_ - 1);
    const double fx = std::max(u - tap.x0, 0.0);
    const double fy = std::max(v - tap.y0, 0.0);
    tap.w00 = (1.0 - fx) * (1.0 - fy);
    tap.w10 = fx * (1.0 - fy);
    tap.w01 = (1.0 - fx) * fy;
    tap.w11 = fx * fy;
    return true;
}

RotationMap finalRotation(const FinalSettings& settings, int width, int height, int sourceWidth,
                          int sourceHeight) {
    const double cx = width * 0.5;
    const double cy = height * 0.5;
    const double sx0 = settings.RotationCentreSet ? settings.RotationCentreX : cx;
    const double sy0 = settings.RotationCentreSet ? settings.RotationCentreY : cy;
    return {settings.Angle, cx, cy, sx0, sy0, sourceWidth, sourceHeight};
}

FinalPicture renderFinal(const TTIFFBitMap& ResultImage16, int width, int height,
                         const FinalSettings& settings) {
    checkFinalTables(settings);
    FinalPicture out;
    if (width <= 0 || height <= 0) return out;
    out.image = Bitmap24(width, height);
    const bool samples = ResultImage16.HighBitsAllocated();
    const int sourceWidth = samples ? std::min(width, ResultImage16.width()) : 0;
    const int sourceHeight = samples ? std::min(height, ResultImage16.height()) : 0;
    const bool turned = isTurned(settings.Angle);
    const RotationMap map = finalRotation(settings, width, height, sourceWidth, sourceHeight);
    std::mutex histogramLock;
    parallelForRange(0, height, [&](std::ptrdiff_t first, std::ptrdiff_t last) {
        HueHistogram counts{};
        BilinearTap tap;
        for (auto row = first; row < last; ++row) {
            const int y = static_cast<int>(row);
            std::uint8_t* pixel = out.image.row(y);
            for (int x = 0; x < width; ++x, pixel += 3) {
                float rgb[3] = {0.0f, 0.0f, 0.0f};
                if (!turned) {
                    if (x < sourceWidth && y < sourceHeight) {
                        const std::uint16_t* in = ResultImage16.HighBitRow(y) + 3 * x;
                        for (int c = 0; c < 3; ++c) rgb[c] = in[c] * SampleScale;
                    }
                } else if (map.tap(x, y, tap)) {
                    for (int c = 0; c < 3; ++c) {
                        rgb[c] = static_cast<float>(tap.sum([&](int sx, int sy) {
                                     return static_cast<double>(ResultImage16.HighBitRow(sy)[3 * sx + c]);
                                 })) *
                                 SampleScale;
                    }
                }
                FinalHsv hsv;
                RGBtoHSV(rgb[0], rgb[1], rgb[2], hsv.H, hsv.S, hsv.V);
                if (hsv.V > 100.0f) ++counts[static_cast<std::size_t>(clampedRound(hsv.H, 0, 360))];
                hsv.S *= 255.0f;
                const FinalHsv adjusted = adjustFinalColour(hsv, settings);
                HSVtoRGBTriple(clampedRound(adjusted.H, 0, 360), clampedRound(adjusted.S, 0, 255),
                               clampedRound(adjusted.V, 0, 255), pixel);
            }
        }
        const std::lock_guard lock(histogramLock);
        for (std::size_t i = 0; i < counts.size(); ++i) out.histogram[i] += counts[i];
    });
    return out;
}

Bitmap24 FlipBitmap(bool FlipY, bool FlipX, const Bitmap24& Source) {
    const int w = Source.width();
    const int h = Source.height();
    Bitmap24 flipped(w, h);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* in = Source.row(FlipY ? h - 1 - y : y);
        std::uint8_t* out = flipped.row(y);
        if (!FlipX) {
            std::memcpy(out, in, 3 * static_cast<std::size_t>(w));
            continue;
        }
        for (int x = 0; x < w; ++x) std::memcpy(out + 3 * x, in + 3 * (w - 1 - x), 3);
    }
    return flipped;
}

Bitmap24 RotatePreviewImage(const Bitmap24& picture, int CentreX, int CentreY, float Angle) {
    const int w = picture.width();
    const int h = picture.height();
    Bitmap24 turned(std::max(w, 0), std::max(h, 0));
    if (picture.empty()) return turned;
    const RotationMap map(Angle, CentreX, CentreY, CentreX, CentreY, w, h);
    parallelFor(0, h, [&](std::ptrdiff_t row) {
        const int y = static_cast<int>(row);
        BilinearTap tap;
        std::uint8_t* out = turned.row(y);
        for (int x = 0; x < w; ++x, out += 3) {
            if (!map.tap(x, y, tap)) continue;
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<std::uint8_t>(clampedRound(
                    tap.sum([&](int sx, int sy) { return static_cast<double>(picture.pixel(sx, sy)[c]); }), 0,
                    255));
        }
    });
    return turned;
}

TEdgeRect startCropRect(int X, int Y) {
    return TEdgeRect{X, X, Y, Y};
}

void dragCropCorner(TEdgeRect& crop, int X, int Y) {
    if (crop.Left == -1) return;
    // The pointer may leave the picture to the left or top; -1 would read as "no rectangle".
    crop.Right = std::max(X, 0);
    crop.Bottom = std::max(Y, 0);
}

TEdgeRect releasedCropRect(const TEdgeRect& crop) {
    const TEdgeRect ordered = orderedCorners(crop);
    // A click without a drag is no rectangle (a 0 × 0 crop would make an empty image).
    if (ordered.Left == ordered.Right || ordered.Top == ordered.Bottom) return TEdgeRect{};
    return ordered;
}

std::string cropDragText(const TEdgeRect& crop, int X, int Y) {
    const long long w = std::llabs(static_cast<long long>(X) - crop.Left);
    const long long h = std::llabs(static_cast<long long>(Y) - crop.Top);
    return "x:" + std::to_string(crop.Left) + ",y:" + std::to_string(crop.Top) + " w:" + std::to_string(w) +
           " h:" + std::to_string(h);
}

std::optional<TEdgeRect> cropArea(const TEdgeRect& crop, int width, int height) {
    if (crop.Left == -1) return std::nullopt;
    TEdgeRect area = orderedCorners(crop);
    area.Left = std::clamp(area.Left, 0, std::max(width, 0));
    area.Right = std::clamp(area.Right, 0, std::max(width, 0));
    area.Top = std::clamp(area.Top, 0, std::max(height, 0));
    area.Bottom = std::clamp(area.Bottom, 0, std::max(height, 0));
    if (area.Right <= area.Left || area.Bottom <= area.Top) return std::nullopt;
    return area;
}

Bitmap24 cropBitmap(const Bitmap24& picture, const TEdgeRect& crop) {
    const std::optional<TEdgeRect> area = cropArea(crop, picture.width(), picture.height());
    if (!area) return picture;
    Bitmap24 cropped(area->Right - area->Left, area->Bottom - area->Top);
    for (int y = 0; y < cropped.height(); ++y)
        std::memcpy(cropped.row(y), picture.pixel(area->Left, area->Top + y),
                    3 * static_cast<std::size_t>(cropped.width()));
    return cropped;
}

std::optional<float> pointedHue(const TTIFFBitMap& ResultImage16, int X, int Y, int width, int height) {
    if (!ResultImage16.HighBitsAllocated() || X < 0 || Y < 0 || X >= std::min(width, ResultImage16.width()) ||
        Y >= std::min(height, ResultImage16.height()))
        return std::nullopt;
    const std::uint16_t* p = ResultImage16.HighBitRow(Y) + 3 * X;
    if (std::max({p[0], p[1], p[2]}) < 100) return std::nullopt;
    float h = 0.0f, s = 0.0f, v = 0.0f;
    RGBtoHSV(p[0], p[1], p[2], h, s, v);
    return h;
}

}  // namespace kestrave
