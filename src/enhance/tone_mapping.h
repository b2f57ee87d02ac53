#pragma once
// Tone mapping of rendered pixels (values on the 0..255 scale), used per pixel by the render pass
// while tone mapping is active. Colour pixels are compressed either by a photoreceptor model
// (UseGraph off) or through the tone histogram and the tone curve in HSV space (UseGraph on);
// monochrome values go through the tone histogram (or the LogHist map) and, with UseGraph on,
// the tone curve. Everything here is read-only after construction, so render rows may call it
// from several threads.

#include "enhance/tone_options.h"
#include "enhance/tone_tables.h"

namespace kestrave {

// f: intensity, m: contrast exponent, a: light adaptation, c: colour adaptation.
struct PhotoreceptorParameters {
    double f = 1.0;
    double m = 1.0;
    double a = 0.0;
    double c = 0.0;
};
PhotoreceptorParameters photoreceptorParameters(const ToneMapOptions& options);

struct RgbValue {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

class ToneMapper {
public:
    // Keeps a reference to the tables: they must outlive the mapper (one render pass).
    ToneMapper(const ToneTables& tables, const ToneMapOptions& options, const StackMeans& means);

    // (r, g, b) → (r', g', b'), all on the 0..255 scale.
    RgbValue colour(float r, float g, float b) const;
    // V → V' for monochrome images, clamped to 0..255.
    float mono(float v) const;

    const PhotoreceptorParameters& parameters() const { return photoreceptor_; }

private:
    RgbValue photoreceptor(float r, float g, float b) const;
    RgbValue throughCurves(float r, float g, float b) const;
    // The LogHist map or the tone histogram, both giving values near 0..255.
    float equalised(float v) const;
    float toneCurve(float v) const;

    const ToneTables& tables_;
    ToneMapOptions options_;
    StackMeans means_;
    PhotoreceptorParameters photoreceptor_;
};

}  // namespace kestrave
