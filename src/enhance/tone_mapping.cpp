#include "enhance/tone_mapping.h"

#include <algorithm>
#include <cmath>

#include "enhance/clamped_round.h"
#include "enhance/colour_conversions.h"
#include "frames/pixel_helpers.h"

namespace kestrave {

namespace {

// C / (C + (f × Ia)^m) × 255 for one channel (C and Ia on the 0..1 scale). A black pixel of a
// stack whose means are all zero would divide 0 by 0; that and any other undefined result (a
// negative adaptation level raised to a fractional power) shows as 0.
float compress(double c, double ia, const PhotoreceptorParameters& p) {
    const double out = c / (c + std::pow(p.f * ia, p.m)) * 255.0;
    return std::isfinite(out) ? static_cast<float>(out) : 0.0f;
}

}  // namespace

PhotoreceptorParameters photoreceptorParameters(const ToneMapOptions& options) {
    PhotoreceptorParameters p;
    p.f = std::exp(-std::clamp(options.Intensity * 0.0005 * 16.0 - 8.0, -8.0, 8.0));
    p.m = std::clamp(options.Contrast / 2001.0 * 0.7 + 0.3, 0.0, 1.0);
    p.a = std::clamp(options.LightAdaptation / 1001.0, 0.0, 1.0);
    p.c = std::clamp(options.ColourAdaptation / 1001.0, 0.0, 1.0);
    return p;
}

ToneMapper::ToneMapper(const ToneTables& tables, const ToneMapOptions& options, const StackMeans& means)
    : tables_(tables), options_(options), means_(means), photoreceptor_(photoreceptorParameters(options)) {}

RgbValue ToneMapper::colour(float r, float g, float b) const {
    return options_.Tonegraph ? throughCurves(r, g, b) : photoreceptor(r, g, b);
}

float ToneMapper::mono(float v) const {
    float out = equalised(v);
    if (options_.Tonegraph) out = toneCurve(out);
    return std::isnan(out) ? 0.0f : std::clamp(out, 0.0f, 255.0f);
}

RgbValue ToneMapper::photoreceptor(float r, float g, float b) const {
    const PhotoreceptorParameters& p = photoreceptor_;
    const double l = Luma709(r, g, b) / 255.0;
    auto channel = [&](float value, float stackMean) {
        const double c = value / 255.0;
        const double global = (1.0 - p.c) * means_.Luminance + p.c * stackMean;
        const double local = (1.0 - p.c) * l + p.c * c;
        return compress(c, (1.0 - p.a) * global + p.a * local, p);
    };
    return {channel(r, means_.Red), channel(g, means_.Green), channel(b, means_.Blue)};
}

RgbValue ToneMapper::throughCurves(float r, float g, float b) const {
    float h = 0.0f, s = 0.0f, v = 0.0f;
    RGBtoHSV(r, g, b, h, s, v);
    v = std::clamp(toneCurve(equalised(v)), 0.0f, 255.0f);
    // A grey has hue 0 and saturation 0, which the inverse conversion refuses.
    if (h == 0.0f && s == 0.0f) s = 0.01f;
    RgbValue out;
    HSVtoRGB(h, s, v, out.r, out.g, out.b);
    return out;
}

float ToneMapper::equalised(float v) const {
    if (options_.LogHist) {
        const double v1 = v * static_cast<double>(options_.LogHistFactor) / 255.0;
        return static_cast<float>(v1 / (1.0 + v1) * 512.0);
    }
    return tables_.ToneHistogram[clampedRound(v / 255.0 * ToneHistogramLast, 0, ToneHistogramLast)];
}

float ToneMapper::toneCurve(float v) const {
    return static_cast<float>(tables_.ToneCurve[clampedRound(v / 255.0 * ToneCurveLast, 0, ToneCurveLast)] *
                              255.0);
}

}  // namespace kestrave
