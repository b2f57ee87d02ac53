// Tables and read-outs of the FFT engine: transfer curve, frequency radius and band mask, the
// radial profile with and without the human-vision weighting, and the spectrum picture.

#include <gtest/gtest.h>

#include <cmath>

#include "registration/fft.h"
#include "registration/wavelength_colours.h"

using namespace kestrave;

namespace {

Rgb8 pixelAt(const Bitmap24& picture, int x, int y) {
    const std::uint8_t* p = picture.pixel(x, y);
    return {p[2], p[1], p[0]};
}

Rgb8 grey(int level) {
    const auto l = static_cast<std::uint8_t>(level);
    return {l, l, l};
}

}  // namespace

TEST(Fft, TransferTableEntries) {
    FftEngine fft;
    InitFFT(fft, 32);
    EXPECT_DOUBLE_EQ(fft.TransferTable[0], 0.0);
    EXPECT_NEAR(fft.TransferTable[64], 0.288, 1e-12);  // below the knee 0.0649144: 4.5 x
    EXPECT_NEAR(fft.TransferTable[65], 0.2923, 5e-5);  // above it: (x + 1e-6)^0.45
    EXPECT_NEAR(fft.TransferTable[1000], 1.0000004, 5e-8);
    // A gamma of exactly 1 is taken as 0.999999: the knee vanishes and the curve is the power.
    BuildTransferTable(fft, 1.0, 4.5);
    // 0.001001 ^ 0.999999 and 0.500001 ^ 0.999999.
    EXPECT_NEAR(fft.TransferTable[1], 0.0010010069136864100, 1e-12);
    EXPECT_NEAR(fft.TransferTable[500], 0.50000134657340354, 1e-12);
}

TEST(Fft, FrequencyRadiusWrapsRoundAndBandMaskIsALowPassDisc) {
    FftEngine fft;
    InitFFT(fft, 64);
    EXPECT_EQ(fft.FFTFreqRadius[0][0], 0.0f);
    EXPECT_EQ(fft.FFTFreqRadius[1][0], 1.0f);
    EXPECT_EQ(fft.FFTFreqRadius[63][0], 1.0f);
    EXPECT_EQ(fft.FFTFreqRadius[3][4], 5.0f);
    EXPECT_EQ(fft.FFTFreqRadius[61][60], 5.0f);
    EXPECT_FLOAT_EQ(fft.FFTFreqRadius[32][32], 32.0f * std::sqrt(2.0f));
    BuildFFTBandMask(fft, 10.0);
    EXPECT_EQ(fft.FFTBandMask[0][0], 1);
    EXPECT_EQ(fft.FFTBandMask[9][0], 1);
    EXPECT_EQ(fft.FFTBandMask[0][55], 1);
    EXPECT_EQ(fft.FFTBandMask[10][0], 0);  // the radius must be strictly below the setting
    EXPECT_EQ(fft.FFTBandMask[6][8], 0);
    EXPECT_EQ(fft.FFTBandMask[58][57], 1);  // radius 9.2 across the wrap
    EXPECT_EQ(fft.FFTBandMask[32][32], 0);
    BuildFFTBandMask(fft, 10.1);
    EXPECT_EQ(fft.FFTBandMask[10][0], 1);
}

TEST(Fft, RadialProfileAveragesRingsAndLeavesZeroFrequencyOut) {
    FftEngine fft;
    InitFFT(fft, 64);
    fft.RadialProfile.fill(3.0f);
    RadialSpectrum(fft, 0, 0);
    for (float bin : fft.RadialProfile) EXPECT_EQ(bin, 0.0f);
    EXPECT_EQ(fft.RadialProfileMax, 0.0f);

    // Zero frequency alone: radius 0 falls into bin -1 and is not counted.
    fft.FFTRe[0][0] = 500.0f;
    RadialSpectrum(fft, 0, 0);
    for (float bin : fft.RadialProfile) EXPECT_EQ(bin, 0.0f);

    // One frequency at radius 5 lands in bin Round(5 - 1) = 4, averaged over the ring
    // 4.5 <= r < 5.5; the magnitude counts through the imaginary part too.
    fft.FFTRe[0][0] = 0.0f;
    fft.FFTIm[3][4] = -200.0f;
    int ring = 0;
    for (int i = 0; i < 64; ++i)
        for (int j = 0; j < 64; ++j)
            if (std::nearbyint(fft.FFTFreqRadius[i][j] - 1.0) == 4.0) ++ring;
    RadialSpectrum(fft, 0, 0);
    EXPECT_NEAR(fft.RadialProfile[4], 1.0 / ring, 1e-6);
    EXPECT_EQ(fft.RadialProfileMax, fft.RadialProfile[4]);
    for (int b = 0; b < kRadialBins; ++b) {
        if (b == 4) continue;
        EXPECT_EQ(fft.RadialProfile[static_cast<std::size_t>(b)], 0.0f) << b;
    }

    ClearRadialSpectrum(fft);
    EXPECT_EQ(fft.RadialProfile[4], 0.0f);
}

TEST(Fft, RadialProfileNeverFillsBin255) {
    FftEngine fft;
    InitFFT(fft, 512);
    fft.FFTRe[256][0] = 1.0f;  // radius 256: bin 255
    fft.FFTRe[255][0] = 1.0f;  // radius 255: bin 254
    RadialSpectrum(fft, 0, 0);
    EXPECT_GT(fft.RadialProfile[254], 0.0f);
    EXPECT_EQ(fft.RadialProfile[255], 0.0f);
}

// A worker's engine has no distance plane of its own: its profile of any spectrum must still be
// the main engine's, bin for bin.
TEST(Fft, WorkspaceEngineReadsOutTheMainEnginesProfile) {
    for (int n : {64, 512}) {
        FftEngine full, worker;
        InitFFT(full, n);
        InitFFTWorkspace(worker, full);
        EXPECT_EQ(worker.FFTFreqRadius.xCount(), 0);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                full.FFTRe[i][j] = worker.FFTRe[i][j] =
                    static_cast<float>((i * 7919 + j * 104729) % 1000) - 500.0f;
                full.FFTIm[i][j] = worker.FFTIm[i][j] = static_cast<float>((i * 31 + j * 17) % 97);
            }
        }
        for (int mode : {0, 1}) {
            RadialSpectrum(full, mode, 3);
            RadialSpectrum(worker, mode, 3);
            EXPECT_EQ(full.RadialProfile, worker.RadialProfile) << n << " " << mode;
            EXPECT_EQ(full.RadialProfileMax, worker.RadialProfileMax);
        }
        // Made a full engine later, it gains the tables it lacked.
        InitFFT(worker, n);
        EXPECT_EQ(worker.FFTFreqRadius[3][4], 5.0f);
    }
}

TEST(Fft, HumanVisionWeightingPeaksAtTheChosenCentre) {
    FftEngine fft;
    InitFFT(fft, 64);
    for (std::size_t c = 0; c < fft.FFTRe.cellCount(); ++c) fft.FFTRe.data()[c] = 1.0f;
    RadialSpectrum(fft, 0, 4);
    const float flat = fft.RadialProfile[10];
    EXPECT_NEAR(flat, 1.0, 1e-4);

    // Peak of 2.6 (0.0192 + t) e^(-1.3 t) at t = 0.75, that is bin 0.75 * C * N / 64 = 3 for C = 4.
    RadialSpectrum(fft, 1, 4);
    EXPECT_EQ(fft.RadialProfile[0], 1e-6f);
    int peak = 1;
    for (int b = 1; b < kRadialBins; ++b)
        if (fft.RadialProfile[static_cast<std::size_t>(b)] >
            fft.RadialProfile[static_cast<std::size_t>(peak)])
            peak = b;
    EXPECT_EQ(peak, 3);
    EXPECT_EQ(fft.RadialProfileMax, fft.RadialProfile[3]);
    const double t = 10.0 / 64.0 * 64.0 / 4.0;
    EXPECT_NEAR(fft.RadialProfile[10], flat * 2.6 * (0.0192 + t) * std::exp(-1.3 * t), 1e-6);

    // A centre of 0 behaves as 1.
    RadialSpectrum(fft, 1, 0);
    const auto centreZero = fft.RadialProfile;
    RadialSpectrum(fft, 1, 1);
    EXPECT_EQ(centreZero, fft.RadialProfile);
}

TEST(Fft, SpectrumPictureCentresZeroFrequencyAndColoursTheLevels) {
    FftEngine fft;
    InitFFT(fft, 32);
    const int h = 16;
    Bitmap24 black = SpectrumToBitmap(fft, fft.FFTRe, &fft.FFTIm, 1.0f);
    ASSERT_EQ(black.width(), 32);
    ASSERT_EQ(black.height(), 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(pixelAt(black, x, y), grey(0));

    fft.FFTRe[0][0] = 1000.0f;  // v just below 1: level 255, the colour of 635 nm
    fft.FFTRe[1][0] = -100.0f;  // v = 0.1: level Round(0.1^0.45 * 255) = 90, grey
    fft.FFTIm[0][1] = 50.0f;    // v = 0.05: below the knee, level Round(4.5 * 0.05 * 255) = 57
    const Bitmap24 picture = SpectrumToBitmap(fft, fft.FFTRe, &fft.FFTIm, 1.0f);
    EXPECT_EQ(pixelAt(picture, h, h), WavelengthToRGB(635.0));
    EXPECT_EQ(pixelAt(picture, h + 1, h), grey(90));  // x follows the first index
    EXPECT_EQ(pixelAt(picture, h, h + 1), grey(57));  // y follows the second
    EXPECT_EQ(pixelAt(picture, 0, 0), grey(0));

    fft.ContourMode = true;
    const Bitmap24 contours = SpectrumToBitmap(fft, fft.FFTRe, &fft.FFTIm, 1.0f);
    EXPECT_EQ(pixelAt(contours, h, h), grey(0));  // level 255 lies on a contour band
    EXPECT_EQ(pixelAt(contours, h + 1, h), grey(90));
    EXPECT_EQ(pixelAt(contours, h, h + 1), grey(0));  // 55..69 is a contour band
    fft.ContourMode = false;

    // At or above the threshold a pixel shows the blue of its level; without the imaginary
    // plane the magnitude is |Re|.
    const Bitmap24 blue = SpectrumToBitmap(fft, fft.FFTRe, nullptr, 0.08f);
    EXPECT_EQ(pixelAt(blue, h, h), (Rgb8{0, 0, 255}));
    EXPECT_EQ(pixelAt(blue, h + 1, h), (Rgb8{0, 0, 90}));
    EXPECT_EQ(pixelAt(blue, h, h + 1), grey(0));
}

TEST(Fft, SpectrumPictureLevelAboveTheGreenEdgeTakesAWavelengthColour) {
    FftEngine fft;
    InitFFT(fft, 32);
    fft.FFTRe[0][0] = 1.0e6f;
    // v such that the level is 151 (wavelength 531 nm): T[k] * 255 rounds to 151 for k = 314.
    fft.FFTRe[2][0] = 0.314f * 1.0e6f;
    const Bitmap24 picture = SpectrumToBitmap(fft, fft.FFTRe, &fft.FFTIm, 1.0f);
    EXPECT_EQ(std::nearbyint(fft.TransferTable[314] * 255.0), 151.0);
    EXPECT_EQ(pixelAt(picture, 18, 16), (Rgb8{97, 255, 0}));
    EXPECT_EQ(pixelAt(picture, 16, 16), WavelengthToRGB(635.0));
}
