#include "registration/fft.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <new>

namespace kestrave {

void FftBytePlane::reset(int n) {
    n_ = n;
    cells_.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0);
}

namespace {

// Distance of cell [i][j] from zero frequency in unshifted spectrum order: index i stands for
// frequency i below h and i - N from h on.
float frequencyRadius(int i, int j, int n) {
    const int h = n / 2;
    const int di = (i + h) % n - h, dj = (j + h) % n - h;
    return static_cast<float>(std::sqrt(static_cast<double>(di * di + dj * dj)));
}

// The bin table of size n, made afresh.
std::shared_ptr<const RadialBins> makeRadialBins(int n) {
    auto table = std::make_shared<RadialBins>();
    table->ofCell.assign(static_cast<std::size_t>(n) * n, -1);
    // bin = Round(radius - 1): zero frequency falls into bin -1 and is left out, like every
    // radius beyond 255.5; bin 255 therefore never receives a sample.
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const double bin = std::nearbyint(static_cast<double>(frequencyRadius(i, j, n)) - 1.0);
            if (bin < 0.0 || bin > kRadialBins - 2) continue;
            table->ofCell[static_cast<std::size_t>(i) * n + j] = static_cast<std::int16_t>(bin);
            ++table->cells[static_cast<std::size_t>(bin)];
        }
    }
    return table;
}

bool binsOfSize(const std::shared_ptr<const RadialBins>& bins, int n) {
    return bins && bins->ofCell.size() == static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
}

// `shared`: the bin table of size n the engine takes instead of its own, or null.
void setSize(FftEngine& fft, int n, const std::shared_ptr<const RadialBins>& shared) {
    assert(n >= 32 && n <= 512 && (n & (n - 1)) == 0);
    int bits = 0;
    while ((1 << bits) < n) ++bits;
    fft.FFTSize = n;
    fft.FFTBits = bits - 1;
    fft.FFTHalf = n / 2;
    if (fft.plan.size() != n) {
        fft.plan = FftPlan(n);
        fft.FFTRe.reset(n, n);
        fft.FFTIm.reset(n, n);
    }
    if (binsOfSize(shared, n))
        fft.radialBins = shared;
    else if (!binsOfSize(fft.radialBins, n))
        fft.radialBins = makeRadialBins(n);
    BuildTransferTable(fft, 0.45, 4.5);
}

}  // namespace

void InitFFT(FftEngine& fft, int n) {
    setSize(fft, n, nullptr);
    if (fft.FFTFreqRadius.xCount() != n || fft.FFTBandMask.size() != n) {
        fft.FFTFreqRadius.reset(n, n);
        fft.FFTBandMask.reset(n);
        fft.FFTBandLines.assign(static_cast<std::size_t>(n), 0);
    }
    for (int i = 0; i < n; ++i) {
        float* radius = fft.FFTFreqRadius[i];
        for (int j = 0; j < n; ++j) radius[j] = frequencyRadius(i, j, n);
    }
}

void InitFFTWorkspace(FftEngine& fft, const FftEngine& main) {
    setSize(fft, main.FFTSize, main.radialBins);
}

void FFT2DForward(FftEngine& fft) {
    fft.plan.transformAlongFirstIndex(fft.FFTRe.data(), fft.FFTIm.data(), FftDirection::Forward, 1.0f);
    fft.plan.transformAlongSecondIndex(fft.FFTRe.data(), fft.FFTIm.data(), FftDirection::Forward, 1.0f);
}

void FFT2DInverse(FftEngine& fft) {
    const float scale = 1.0f / static_cast<float>(fft.FFTSize);
    fft.plan.transformAlongSecondIndex(fft.FFTRe.data(), fft.FFTIm.data(), FftDirection::Inverse, scale);
    fft.plan.transformAlongFirstIndex(fft.FFTRe.data(), fft.FFTIm.data(), FftDirection::Inverse, scale);
}

void FFT2DForwardOfLines(FftEngine& fft, const std::vector<std::uint8_t>& lines, bool realInput) {
    assert(static_cast<int>(lines.size()) == fft.FFTSize);
    fft.plan.transformAlongFirstIndex(
        fft.FFTRe.data(), fft.FFTIm.data(), FftDirection::Forward, 1.0f,
        {.realInput = realInput, .writeRows = realInput ? lines.data() : nullptr});
    fft.plan.transformSomeAlongSecondIndex(fft.FFTRe.data(), fft.FFTIm.data(), FftDirection::Forward, 1.0f,
                                           lines.data());
}

void FFT2DInverseOfLines(FftEngine& fft, const std::vector<std::uint8_t>& lines, bool realOnly) {
    assert(static_cast<int>(lines.size()) == fft.FFTSize);
    const float scale = 1.0f / static_cast<float>(fft.FFTSize);
    fft.plan.transformSomeAlongSecondIndex(fft.FFTRe.data(), fft.FFTIm.data(), FftDirection::Inverse, scale,
                                           lines.data());
    fft.plan.transformAlongFirstIndex(fft.FFTRe.data(), fft.FFTIm.data(), FftDirection::Inverse, scale,
                                      {.readRows = lines.data(), .realOnly = realOnly});
}

void FFT1D(const FftEngine& fft, float* re, float* im, FftDirection direction) {
    fft.plan.transformLine(re, im, direction);
}

void ScaledFFT1D(const FftEngine& fft, float* re, float* im, FftDirection direction) {
    FFT1D(fft, re, im, direction);
    const float scale = 1.0f / static_cast<float>(fft.FFTSize);
    for (int k = 0; k < fft.FFTSize; ++k) re[k] *= scale, im[k] *= scale;
}

void BuildFFTBandMask(FftEngine& fft, double filterRadius) {
    for (int i = 0; i < fft.FFTSize; ++i) {
        const float* radius = fft.FFTFreqRadius[i];
        std::uint8_t* mask = fft.FFTBandMask[i];
        for (int j = 0; j < fft.FFTSize; ++j) mask[j] = filterRadius > radius[j] ? 1 : 0;
    }
    fft.FFTBandLines.assign(static_cast<std::size_t>(fft.FFTSize), 0);
    for (int i = 0; i < fft.FFTSize; ++i)
        fft.FFTBandLines[static_cast<std::size_t>(i)] = std::any_of(
            fft.FFTBandMask[i], fft.FFTBandMask[i] + fft.FFTSize, [](std::uint8_t m) { return m != 0; });
}

void BuildTransferTable(FftEngine& fft, double gamma, double slope) {
    if (gamma == 1.0) gamma = 0.999999;
    // The knee is where the linear segment slope * x meets the power curve x^gamma.
    const double knee = std::pow(slope, 1.0 / (gamma - 1.0));
    for (int k = 0; k < kTransferEntries; ++k) {
        const double x = k * 0.001;
        fft.TransferTable[static_cast<std::size_t>(k)] = x < knee ? slope * x : std::pow(x + 1e-6, gamma);
    }
}

}  // namespace kestrave
