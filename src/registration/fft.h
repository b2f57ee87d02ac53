#pragma once
// The FFT engine of the registration: one transform size N (32 to 512, a power of two), the
// working planes FFTRe/FFTIm that callers fill and read back, the lookup tables rebuilt whenever
// the size changes, and two read-outs of a spectrum: a false-colour picture and a 256-bin radial
// profile.
//
// Planes are addressed [i][j]; i is the picture x and selects a line of N contiguous cells, j is
// the picture y. The forward transform is X = sum x e^(+2 pi i (ik + jl) / N), unscaled; the
// inverse uses the opposite sign and 1/N per 1-D pass (1/N^2 in all), so forward then inverse
// returns the input.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "frames/plane.h"
#include "platform/bitmap24.h"
#include "registration/fft_kernel.h"

namespace kestrave {

// An N x N plane of bytes addressed [i][j] like the float planes.
class FftBytePlane {
public:
    void reset(int n);
    std::uint8_t* operator[](int i) { return cells_.data() + static_cast<std::size_t>(i) * n_; }
    const std::uint8_t* operator[](int i) const { return cells_.data() + static_cast<std::size_t>(i) * n_; }
    int size() const { return n_; }

private:
    int n_ = 0;
    std::vector<std::uint8_t> cells_;
};

constexpr int kRadialBins = 256;
constexpr int kTransferEntries = 1001;

// The radial profile's bin of each cell of an N x N spectrum, Round(distance from zero frequency
// - 1), or -1 for a cell no bin takes; and the number of cells in each bin.
struct RadialBins {
    std::vector<std::int16_t> ofCell;
    std::array<int, kRadialBins> cells{};
};

struct FftEngine {
    int FFTSize = 0;  // N
    int FFTHalf = 0;  // N / 2
    int FFTBits = 0;  // log2(N) - 1

    // The data being transformed, in place (N x N each).
    T2dArrays FFTRe;
    T2dArrays FFTIm;
    // Distance of [i][j] from zero frequency in unshifted spectrum order: the distance from the
    // centre (h, h) with the four quadrants exchanged.
    T2dArrays FFTFreqRadius;
    // 1 where a frequency passes the FFT filter (see BuildFFTBandMask), else 0; and per line
    // [i][0..N-1] of the mask, 1 where any of its frequencies passes.
    FftBytePlane FFTBandMask;
    std::vector<std::uint8_t> FFTBandLines;
    // The radial profile's bin of each cell, made with the size; the worker engines of a pass
    // share the main engine's table (see InitFFTWorkspace), and a copy of an engine shares it.
    std::shared_ptr<const RadialBins> radialBins;

    // Radial average of the normalised spectrum magnitude, and its largest bin.
    std::array<float, kRadialBins> RadialProfile{};
    float RadialProfileMax = 0.0f;
    // Display transfer curve of the spectrum picture over 0.000 .. 1.000 in steps of 0.001.
    std::array<double, kTransferEntries> TransferTable{};
    // The spectrum picture draws contour lines.
    bool ContourMode = false;

    // Twiddle factors and bit reversal (plan.bitReversal()) of the current size.
    FftPlan plan;
};

// Sets the size (a power of two from 32 to 512) and rebuilds every table; the planes are
// cleared when the size changes. The transfer table is rebuilt with gamma 0.45 and slope 4.5.
void InitFFT(FftEngine& fft, int n);
// The same for an engine that only transforms and reads out spectra (a worker's copy), sized as
// `main`: without the distance plane and the band mask, which such an engine takes from the main
// one, and sharing the main engine's radial bin table rather than making its own.
void InitFFTWorkspace(FftEngine& fft, const FftEngine& main);

// Transforms FFTRe/FFTIm in place, unscaled: first every line along the first index, then every
// line along the second. Callers fill both planes (imaginary part zero for a real image).
void FFT2DForward(FftEngine& fft);
// Inverse transform in place: lines along the second index first, then along the first, each
// 1-D pass scaled by 1/N.
void FFT2DInverse(FftEngine& fft);

// The forward transform on the lines [i][0..N-1] whose lines[i] is not 0 (N flags), each exactly
// as FFT2DForward gives it; the other lines are left half transformed, or with `realInput` (FFTIm
// holds zeros only, and is then not read) holding anything.
void FFT2DForwardOfLines(FftEngine& fft, const std::vector<std::uint8_t>& lines, bool realInput = false);
// The inverse transform of a spectrum that is 0 on every line [i][0..N-1] whose lines[i] is 0 (N
// flags): such lines would stay 0 through the first pass; they are neither transformed nor read
// (they may hold anything). The result equals FFT2DInverse's but for the sign of cells that come
// out 0. With `realOnly` FFTIm is left holding anything, not the result's imaginary part.
void FFT2DInverseOfLines(FftEngine& fft, const std::vector<std::uint8_t>& lines, bool realOnly = false);

// 1-D transform of N elements stored in bit-reversed order (re[plan.bitReversal()[k]] = x[k]);
// the result is in natural order. ScaledFFT1D also multiplies every element by 1/N.
void FFT1D(const FftEngine& fft, float* re, float* im, FftDirection direction);
void ScaledFFT1D(const FftEngine& fft, float* re, float* im, FftDirection direction);

// FFTBandMask := 1 where filterRadius > FFTFreqRadius: a low-pass disc around zero frequency whose
// radius in frequency bins is the FFT filter setting. FFTBandLines follows.
void BuildFFTBandMask(FftEngine& fft, double filterRadius);

// TransferTable[k] for x = k / 1000: slope * x below the knee where slope * x meets x^gamma,
// (x + 1e-6)^gamma above it. A gamma of exactly 1 is taken as 0.999999.
void BuildTransferTable(FftEngine& fft, double gamma, double slope);

// Sets all bins of RadialProfile to 0.
void ClearRadialSpectrum(FftEngine& fft);

// Fills RadialProfile and RadialProfileMax from the spectrum in FFTRe/FFTIm. mode 1 applies the
// human-vision contrast weighting centred by hvsCentre (0 counts as 1); any other mode gives the
// plain profile.
void RadialSpectrum(FftEngine& fft, int mode, int hvsCentre);

// A new N x N picture of the spectrum re (+ i im; im may be null, the magnitude is then |re|)
// with zero frequency at the centre, coloured through the transfer table. Pixels whose
// normalised magnitude is at or above `threshold` are shown in blue. An empty bitmap when the
// memory for it is not available.
Bitmap24 SpectrumToBitmap(const FftEngine& fft, const T2dArrays& re, const T2dArrays* im, float threshold);

}  // namespace kestrave
