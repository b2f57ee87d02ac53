// The transform itself: direction, scaling, orientation, accuracy against a double-precision
// DFT, the round trip at every size and independence of the thread count.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "registration/fft.h"
#include "support/thread_count_scope.h"

using namespace kestrave;
using test::ThreadCountScope;

namespace {

void fillRandom(T2dArrays& plane, unsigned seed, float low, float high) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(low, high);
    for (std::size_t c = 0; c < plane.cellCount(); ++c) plane.data()[c] = value(random);
}

float largestMagnitude(const T2dArrays& plane) {
    float largest = 0.0f;
    for (std::size_t c = 0; c < plane.cellCount(); ++c)
        largest = std::max(largest, std::fabs(plane.data()[c]));
    return largest;
}

// Direct evaluation of X[k][l] = sum x[i][j] e^(sign 2 pi i (ik + jl) / N) in double precision.
std::vector<std::complex<double>> naiveDft(const T2dArrays& re, const T2dArrays& im, int sign) {
    const int n = re.xCount();
    std::vector<std::complex<double>> out(static_cast<std::size_t>(n) * n);
    for (int k = 0; k < n; ++k)
        for (int l = 0; l < n; ++l) {
            std::complex<double> sum = 0.0;
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) {
                    const double angle = sign * 2.0 * std::numbers::pi * ((i * k + j * l) % n) / n;
                    sum += std::complex<double>(re[i][j], im[i][j]) * std::polar(1.0, angle);
                }
            out[static_cast<std::size_t>(k) * n + l] = sum;
        }
    return out;
}

}  // namespace

TEST(Fft, InitFftSetsSizeTablesAndClearsPlanesOnResize) {
    FftEngine fft;
    InitFFT(fft, 32);
    EXPECT_EQ(fft.FFTSize, 32);
    EXPECT_EQ(fft.FFTHalf, 16);
    EXPECT_EQ(fft.FFTBits, 4);
    EXPECT_EQ(fft.FFTRe.xCount(), 32);
    EXPECT_EQ(fft.FFTIm.yCount(), 32);
    fft.FFTRe[3][4] = 7.0f;
    InitFFT(fft, 512);
    EXPECT_EQ(fft.FFTBits, 8);
    EXPECT_EQ(fft.FFTHalf, 256);
    EXPECT_EQ(fft.FFTRe.cellCount(), 512u * 512u);
    EXPECT_EQ(largestMagnitude(fft.FFTRe), 0.0f);

    // Bit reversal over log2(N) bits: five bits at 32, nine at 512.
    EXPECT_EQ(BitReverse(1, 5), 16);
    EXPECT_EQ(BitReverse(6, 5), 12);
    EXPECT_EQ(BitReverse(1, 9), 256);
    EXPECT_EQ(BitReverse(0x1F0, 9), 0x01F);
    const auto& rev = fft.plan.bitReversal();
    ASSERT_EQ(rev.size(), 512u);
    std::vector<bool> seen(512, false);
    for (int k = 0; k < 512; ++k) {
        EXPECT_EQ(rev[static_cast<std::size_t>(rev[static_cast<std::size_t>(k)])], k);
        seen[rev[static_cast<std::size_t>(k)]] = true;
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](bool s) { return s; }));
}

TEST(Fft, ImpulseGivesPositiveExponentAlongTheFirstIndex) {
    for (int n : {32, 128}) {
        FftEngine fft;
        InitFFT(fft, n);
        fft.FFTRe[1][0] = 1.0f;
        FFT2DForward(fft);
        // X[k][l] = e^(+2 pi i k / N) for every l: the phase turns with the first index only.
        for (int k = 0; k < n; ++k)
            for (int l = 0; l < n; l += 7) {
                const double angle = 2.0 * std::numbers::pi * k / n;
                EXPECT_NEAR(fft.FFTRe[k][l], std::cos(angle), 1e-6) << n << " " << k << " " << l;
                EXPECT_NEAR(fft.FFTIm[k][l], std::sin(angle), 1e-6) << n << " " << k << " " << l;
            }
        // The inverse of a single frequency is the conjugate phase ramp, scaled by 1/N^2.
        fft.FFTRe.Clear();
        fft.FFTIm.Clear();
        fft.FFTRe[0][1] = 1.0f;
        FFT2DInverse(fft);
        for (int j = 0; j < n; ++j) {
            const double angle = -2.0 * std::numbers::pi * j / n;
            EXPECT_NEAR(fft.FFTRe[5][j] * n * n, std::cos(angle), 1e-5) << j;
            EXPECT_NEAR(fft.FFTIm[5][j] * n * n, std::sin(angle), 1e-5) << j;
        }
    }
}

TEST(Fft, AgreesWithDoubleDftAt32) {
    FftEngine fft;
    InitFFT(fft, 32);
    fillRandom(fft.FFTRe, 1, -100.0f, 255.0f);
    fillRandom(fft.FFTIm, 2, -50.0f, 50.0f);
    const T2dArrays re = fft.FFTRe, im = fft.FFTIm;

    const auto forward = naiveDft(re, im, +1);
    FFT2DForward(fft);
    double peak = 0.0, error = 0.0;
    for (int k = 0; k < 32; ++k)
        for (int l = 0; l < 32; ++l) {
            const auto expected = forward[static_cast<std::size_t>(k) * 32 + l];
            peak = std::max(peak, std::abs(expected));
            error =
                std::max(error, std::abs(expected - std::complex<double>(fft.FFTRe[k][l], fft.FFTIm[k][l])));
        }
    EXPECT_LT(error, 1e-4 * peak);

    // The inverse of an arbitrary spectrum: sign -1 and 1/N^2.
    fft.FFTRe = re;
    fft.FFTIm = im;
    const auto inverse = naiveDft(re, im, -1);
    FFT2DInverse(fft);
    error = 0.0;
    for (int k = 0; k < 32; ++k)
        for (int l = 0; l < 32; ++l) {
            const auto expected = inverse[static_cast<std::size_t>(k) * 32 + l] / 1024.0;
            error =
                std::max(error, std::abs(expected - std::complex<double>(fft.FFTRe[k][l], fft.FFTIm[k][l])));
        }
    EXPECT_LT(error, 1e-4 * peak / 1024.0);
}

TEST(Fft, OneDimensionalTransformOfBitReversedVector) {
    for (int n : {32, 64}) {
        FftEngine fft;
        InitFFT(fft, n);
        std::vector<float> x(static_cast<std::size_t>(n));
        std::mt19937 random(3);
        std::uniform_real_distribution<float> value(-1.0f, 1.0f);
        for (float& v : x) v = value(random);
        std::vector<float> re(x.size()), im(x.size(), 0.0f);
        const auto& rev = fft.plan.bitReversal();
        for (std::size_t k = 0; k < x.size(); ++k) re[rev[k]] = x[k];
        std::vector<float> re2 = re, im2 = im;
        FFT1D(fft, re.data(), im.data(), FftDirection::Forward);
        ScaledFFT1D(fft, re2.data(), im2.data(), FftDirection::Inverse);
        for (int k = 0; k < n; ++k) {
            std::complex<double> forward = 0.0, inverse = 0.0;
            for (int m = 0; m < n; ++m) {
                const double angle = 2.0 * std::numbers::pi * ((m * k) % n) / n;
                forward += double{x[static_cast<std::size_t>(m)]} * std::polar(1.0, angle);
                inverse += double{x[static_cast<std::size_t>(m)]} * std::polar(1.0, -angle);
            }
            const auto kk = static_cast<std::size_t>(k);
            EXPECT_NEAR(re[kk], forward.real(), 1e-5) << n << " " << k;
            EXPECT_NEAR(im[kk], forward.imag(), 1e-5) << n << " " << k;
            EXPECT_NEAR(re2[kk], inverse.real() / n, 1e-6) << n << " " << k;
            EXPECT_NEAR(im2[kk], inverse.imag() / n, 1e-6) << n << " " << k;
        }
    }
}

TEST(Fft, RoundTripReturnsTheInputAtEverySize) {
    for (int n : {32, 64, 128, 256, 512}) {
        FftEngine fft;
        InitFFT(fft, n);
        fillRandom(fft.FFTRe, static_cast<unsigned>(n), 0.0f, 255.0f);
        const T2dArrays original = fft.FFTRe;
        FFT2DForward(fft);
        FFT2DInverse(fft);
        const float largest = largestMagnitude(original);
        float error = 0.0f;
        for (std::size_t c = 0; c < original.cellCount(); ++c) {
            error = std::max(error, std::fabs(fft.FFTRe.data()[c] - original.data()[c]));
            error = std::max(error, std::fabs(fft.FFTIm.data()[c]));
        }
        EXPECT_LE(error, 1e-5f * largest) << "N = " << n;
    }
    // An all-zero plane stays zero.
    FftEngine fft;
    InitFFT(fft, 64);
    FFT2DForward(fft);
    EXPECT_EQ(largestMagnitude(fft.FFTRe), 0.0f);
    EXPECT_EQ(largestMagnitude(fft.FFTIm), 0.0f);
}

TEST(Fft, ResultIsIdenticalAtOneAndEightThreads) {
    auto transform = [](int threads) {
        const ThreadCountScope scope(threads);
        FftEngine fft;
        InitFFT(fft, 512);
        fillRandom(fft.FFTRe, 11, 0.0f, 255.0f);
        fillRandom(fft.FFTIm, 12, -5.0f, 5.0f);
        FFT2DForward(fft);
        std::vector<float> spectrum(fft.FFTRe.data(), fft.FFTRe.data() + fft.FFTRe.cellCount());
        spectrum.insert(spectrum.end(), fft.FFTIm.data(), fft.FFTIm.data() + fft.FFTIm.cellCount());
        FFT2DInverse(fft);
        spectrum.insert(spectrum.end(), fft.FFTRe.data(), fft.FFTRe.data() + fft.FFTRe.cellCount());
        return spectrum;
    };
    const auto one = transform(1);
    const auto eight = transform(8);
    ASSERT_EQ(one.size(), eight.size());
    EXPECT_EQ(std::memcmp(one.data(), eight.data(), one.size() * sizeof(float)), 0);
}

// A spectrum that is 0 outside the lines of a band mask (the correlation's whitened spectrum):
// leaving those lines out of the inverse transform gives every cell the value of the whole
// transform (a cell of 0 may differ in its sign alone); and transforming forward only the lines
// of the band gives those lines exactly. For narrow and wide bands, at sizes transformed on one
// thread and one spread over the workers.
TEST(Fft, TransformsOfTheBandLinesEqualTheWholeTransforms) {
    for (int n : {64, 256, 512}) {
        for (double radius : {3.0, 10.0, n / 3.0}) {
            SCOPED_TRACE(std::to_string(n) + " " + std::to_string(radius));
            FftEngine whole, band;
            InitFFT(whole, n);
            BuildFFTBandMask(whole, radius);
            fillRandom(whole.FFTRe, 21, -50.0f, 50.0f);
            fillRandom(whole.FFTIm, 22, -50.0f, 50.0f);
            int skipped = 0;
            for (int i = 0; i < n; ++i) {
                for (int j = 0; j < n; ++j) {
                    if (whole.FFTBandMask[i][j] != 0) continue;
                    whole.FFTRe[i][j] = whole.FFTIm[i][j] = 0.0f;
                }
                skipped += whole.FFTBandLines[static_cast<std::size_t>(i)] == 0;
            }
            ASSERT_GT(skipped, 0);
            // The lines outside the band are not read: garbage there changes nothing.
            InitFFT(band, n);
            FftEngine realOnly;
            InitFFT(realOnly, n);
            band.FFTRe = whole.FFTRe;
            band.FFTIm = whole.FFTIm;
            for (int i = 0; i < n; ++i) {
                if (whole.FFTBandLines[static_cast<std::size_t>(i)] != 0) continue;
                std::fill(band.FFTRe[i], band.FFTRe[i] + n, 1e9f);
                std::fill(band.FFTIm[i], band.FFTIm[i] + n, -1e9f);
            }
            realOnly.FFTRe = band.FFTRe;
            realOnly.FFTIm = band.FFTIm;
            FFT2DInverse(whole);
            FFT2DInverseOfLines(band, whole.FFTBandLines);
            FFT2DInverseOfLines(realOnly, whole.FFTBandLines, true);
            for (std::size_t c = 0; c < whole.FFTRe.cellCount(); ++c) {
                ASSERT_EQ(band.FFTRe.data()[c], whole.FFTRe.data()[c]) << c;
                ASSERT_EQ(band.FFTIm.data()[c], whole.FFTIm.data()[c]) << c;
                ASSERT_EQ(realOnly.FFTRe.data()[c], whole.FFTRe.data()[c]) << c;
            }
            // Forward, the lines of the band come out as in the whole transform, bit for bit.
            band.FFTRe = whole.FFTRe;
            band.FFTIm = whole.FFTIm;
            FFT2DForward(whole);
            FFT2DForwardOfLines(band, whole.FFTBandLines);
            for (int i = 0; i < n; ++i) {
                if (whole.FFTBandLines[static_cast<std::size_t>(i)] == 0) continue;
                ASSERT_EQ(std::memcmp(band.FFTRe[i], whole.FFTRe[i], n * sizeof(float)), 0) << i;
                ASSERT_EQ(std::memcmp(band.FFTIm[i], whole.FFTIm[i], n * sizeof(float)), 0) << i;
            }
            // A real picture's band lines come out the same when its imaginary plane is not read
            // (here full of garbage).
            fillRandom(whole.FFTRe, 23, -50.0f, 50.0f);
            std::fill(whole.FFTIm.data(), whole.FFTIm.data() + whole.FFTIm.cellCount(), 0.0f);
            band.FFTRe = whole.FFTRe;
            fillRandom(band.FFTIm, 24, -1e6f, 1e6f);
            FFT2DForward(whole);
            FFT2DForwardOfLines(band, whole.FFTBandLines, true);
            for (int i = 0; i < n; ++i) {
                if (whole.FFTBandLines[static_cast<std::size_t>(i)] == 0) continue;
                ASSERT_EQ(std::memcmp(band.FFTRe[i], whole.FFTRe[i], n * sizeof(float)), 0) << i;
                ASSERT_EQ(std::memcmp(band.FFTIm[i], whole.FFTIm[i], n * sizeof(float)), 0) << i;
            }
        }
    }
}
