// The two read-outs of a spectrum: the false-colour picture of the spectrum window and the
// radial profile that the spectral quality measures use.

#include <algorithm>
#include <cassert>
#include <cmath>
#include <new>

#include "registration/fft.h"
#include "registration/wavelength_colours.h"

namespace kestrave {

namespace {

// |r + i i|.
[[gnu::always_inline]] inline float magnitude(float r, float i) {
    return std::sqrt(r * r + i * i);
}

// |re + i im| of each cell into `mag` (im may be null: then |re|); returns the largest.
float magnitudes(const float* re, const float* im, std::size_t cells, float* mag) {
    float largest = 0.0f;
    for (std::size_t c = 0; c < cells; ++c) {
        mag[c] = magnitude(re[c], im ? im[c] : 0.0f);
        largest = std::max(largest, mag[c]);
    }
    return largest;
}

// The factor that brings the largest magnitude just below 1: 1 / (largest + 1e-5), in double
// precision, so the peak stays below 1.0 even when the magnitudes are far above 1e-5.
double normalisingScale(float largest) {
    return 1.0 / (static_cast<double>(largest) + 1e-5);
}

// Magnitudes of a spectrum, normalised so that the largest one comes just below 1:
// v = |z| / (max|z| + 1e-5).
class NormalisedMagnitudes {
public:
    NormalisedMagnitudes(int n, const T2dArrays& re, const T2dArrays* im) : n_(n), mag_(re.cellCount()) {
        assert(re.xCount() == n && re.yCount() == n);
        assert(im == nullptr || (im->xCount() == n && im->yCount() == n));
        scale_ = normalisingScale(magnitudes(re.data(), im ? im->data() : nullptr, mag_.size(), mag_.data()));
    }

    // Normalised magnitude of cell [i][j], at most 1.
    double operator()(int i, int j) const {
        return std::min(mag_[static_cast<std::size_t>(i) * n_ + j] * scale_, 1.0);
    }

private:
    int n_;
    std::vector<float> mag_;
    double scale_ = 1.0;
};

}  // namespace

void ClearRadialSpectrum(FftEngine& fft) {
    fft.RadialProfile.fill(0.0f);
}

void RadialSpectrum(FftEngine& fft, int mode, int hvsCentre) {
    ClearRadialSpectrum(fft);
    const int n = fft.FFTSize;
    const std::size_t cells = static_cast<std::size_t>(n) * n;
    const RadialBins& radial = *fft.radialBins;
    // The magnitudes normalised as the spectrum picture's, each bin's sum taken in cell order;
    // each magnitude is worked out again rather than kept (the same expression gives the same
    // value).
    const float* re = fft.FFTRe.data();
    const float* im = fft.FFTIm.data();
    float largest = 0.0f;
    for (std::size_t c = 0; c < cells; ++c) largest = std::max(largest, magnitude(re[c], im[c]));
    const double scale = normalisingScale(largest);
    std::array<double, kRadialBins> sums{};
    const std::int16_t* bins = radial.ofCell.data();
    for (std::size_t c = 0; c < cells; ++c)
        if (bins[c] >= 0)
            sums[static_cast<std::size_t>(bins[c])] += std::min(magnitude(re[c], im[c]) * scale, 1.0);
    fft.RadialProfileMax = 0.0f;
    for (std::size_t b = 0; b < kRadialBins; ++b) {
        const int count = radial.cells[b];
        fft.RadialProfile[b] = count > 0 ? static_cast<float>(sums[b] / count) : 0.0f;
        fft.RadialProfileMax = std::max(fft.RadialProfileMax, fft.RadialProfile[b]);
    }
    if (mode != 1) return;
    // Human-vision weighting: a contrast-sensitivity curve 2.6 (0.0192 + t) e^(-1.3 t) over
    // t = (b / N * 64) / C, with its peak at t = 0.75, that is at bin 0.75 * C * N / 64.
    const double centre = hvsCentre == 0 ? 1.0 : hvsCentre;
    fft.RadialProfile[0] = 1e-6f;
    fft.RadialProfileMax = 0.0f;
    for (int b = 1; b < kRadialBins; ++b) {
        const double t = (static_cast<double>(b) / n * 64.0) / centre;
        const double weight = 2.6 * (0.0192 + t) * std::pow(std::exp(-t), 1.3);
        float& bin = fft.RadialProfile[static_cast<std::size_t>(b)];
        bin = static_cast<float>(bin * weight);
        fft.RadialProfileMax = std::max(fft.RadialProfileMax, bin);
    }
}

Bitmap24 SpectrumToBitmap(const FftEngine& fft, const T2dArrays& re, const T2dArrays* im, float threshold) {
    try {
        const int n = fft.FFTSize;
        const int h = fft.FFTHalf;
        const NormalisedMagnitudes v(n, re, im);
        Bitmap24 picture(n, n);
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                // Quadrants exchanged: zero frequency comes to the centre.
                const double value = v((h + x) % n, (h + y) % n);
                const double transfer =
                    fft.TransferTable[static_cast<std::size_t>(std::nearbyint(value * 1000.0))];
                const int level = static_cast<int>(std::nearbyint(std::clamp(transfer * 255.0, 0.0, 255.0)));
                Rgb8 colour{static_cast<std::uint8_t>(level), static_cast<std::uint8_t>(level),
                            static_cast<std::uint8_t>(level)};
                if (level > 150) colour = WavelengthToRGB(level + 380);
                // Contour bands: levels 0-19, 55-69, 105-119, 155-169, 205-219 and 255 turn black
                // (the remainder of a truncating division is negative below level 5).
                if (fft.ContourMode && (level - 5) % 50 < 15) colour = WavelengthToRGB(350);
                if (!(value < threshold)) colour = {0, 0, static_cast<std::uint8_t>(level)};
                SetRGBTriple(colour.r, colour.g, colour.b, picture.pixel(x, y));
            }
        }
        return picture;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace kestrave
