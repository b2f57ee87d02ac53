// The reference spectrum: the levels of the box, the automatic FFT filter radius and quality band
// with the rules that keep the user's own values, the band-limited spectrum and the stored
// reference picture.

#include <gtest/gtest.h>

#include <cmath>

#include "reference_bench.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

constexpr double TwoPi = 6.283185307179586;

// A grating of `cycles` periods per n pixels along x on a mid-grey ground.
Bitmap24 grating(int width, int height, int n, int cycles) {
    return greyPicture(width, height,
                       [=](int x, int) { return 128.0 + 100.0 * std::cos(TwoPi * cycles * x / n); });
}

// A picture carrying the profile's energy mostly at low frequencies: a smooth blob plus ripples.
Bitmap24 blob(int width, int height) {
    return greyPicture(width, height, [=](int x, int y) {
        const double dx = x - width / 2.0, dy = y - height / 2.0;
        return 40.0 + 150.0 * std::exp(-(dx * dx + dy * dy) / 300.0) +
               20.0 * std::sin(x * 0.9) * std::cos(y * 0.6);
    });
}

}  // namespace

TEST(Reference, BlackBoxGivesRadiusZeroAndTheSpinsSmallestRadius) {
    ReferenceBench bench(200, 150, 64);
    bench.program.ProcessStage = TProcessStage::stFeatureSet;
    bench.registration.BoxLeft = 40;
    bench.registration.BoxTop = 30;
    const AutomaticFilterValues values = bench.reference();
    EXPECT_EQ(values.radiusBins, 0);
    EXPECT_EQ(values.FFTFilter, FFTFilterMin);
    EXPECT_TRUE(bench.registration.FFTFilterArmed);
    // The mean 1e-10 of the black box leaves only zero frequency, which the 2-bin mask passes.
    const float dc = bench.registration.RefSpectrumRe[0][0];
    EXPECT_NEAR(dc, -64.0 * 64.0 * 1e-10, 1e-12);
    int passing = 0;
    for (int i = 0; i < 64; ++i) {
        for (int j = 0; j < 64; ++j) {
            passing += bench.fft.FFTBandMask[i][j];
            EXPECT_EQ(bench.registration.RefSpectrumIm[i][j], 0.0f);
            if (i != 0 || j != 0) {
                EXPECT_EQ(bench.registration.RefSpectrumRe[i][j], 0.0f);
            }
        }
    }
    EXPECT_EQ(passing, 9);  // radii 0, 1 and sqrt 2 lie below 2.0
}

TEST(Reference, AutomaticRadiusOfAGratingIsItsFrequency) {
    const struct { int n, cycles; } cases[] = {{128, 20}, {64, 12}, {256, 37}};
    for (const auto& c : cases) {
        ReferenceBench bench(400, 300, c.n);
        bench.preview = grating(400, 300, c.n, c.cycles);
        bench.program.ProcessStage = TProcessStage::stFeatureSet;
        bench.registration.BoxLeft = 17;
        bench.registration.BoxTop = 5;
        const AutomaticFilterValues values = bench.reference();
        SCOPED_TRACE(c.n);
        EXPECT_NEAR(values.radiusBins, c.cycles, 1);
        EXPECT_EQ(values.FFTFilter, static_cast<double>(values.radiusBins));
        // The reference is the box's spectrum limited to the new radius.
        for (int i = 0; i < c.n; ++i) {
            for (int j = 0; j < c.n; ++j) {
                const bool passes = values.radiusBins > bench.fft.FFTFreqRadius[i][j];
                ASSERT_EQ(bench.fft.FFTBandMask[i][j], passes ? 1 : 0);
                if (!passes) {
                    ASSERT_EQ(bench.registration.RefSpectrumRe[i][j], 0.0f);
                }
            }
        }
    }
}

TEST(Reference, UserValuesSurviveARecomputeExceptDuringAFreshPick) {
    ReferenceBench bench(200, 150, 64);
    bench.preview = blob(200, 150);
    bench.registration.BoxLeft = 60;
    bench.registration.BoxTop = 40;

    // Only the feature pick (ProcessStage 3) sets the radius; the band follows every recompute
    // while the user has not set it.
    bench.program.ProcessStage = TProcessStage::stReferenceReady;
    AutomaticFilterValues values = bench.reference();
    EXPECT_FALSE(values.FFTFilter);
    EXPECT_TRUE(values.QualityFilter && values.QualFilterDX);
    EXPECT_TRUE(bench.registration.QualityFilterArmed);
    bench.registration.QualityFilterArmed = false;

    bench.program.ProcessStage = TProcessStage::stFeatureSet;
    bench.registration.FFTFilterManual = true;
    bench.registration.QualityFilterManual = true;
    values = bench.reference();
    EXPECT_FALSE(values.FFTFilter);
    EXPECT_FALSE(values.QualityFilter);
    EXPECT_FALSE(values.QualFilterDX);
    EXPECT_FALSE(bench.registration.FFTFilterArmed);
    EXPECT_FALSE(bench.registration.QualityFilterArmed);

    // A fresh pick overrides the radius and the band's start, never a hand-set width.
    bench.registration.UserBoxPlaced = true;
    values = bench.reference();
    EXPECT_TRUE(values.FFTFilter);
    EXPECT_TRUE(values.QualityFilter);
    EXPECT_FALSE(values.QualFilterDX);
    EXPECT_TRUE(bench.registration.QualityFilterArmed);

    // Human Visual keeps a hand-set start even then, never sets the width, and leaves the arming
    // flag as it was.
    ReferenceOptions humanVision;
    humanVision.HVSWeighting = 1;
    bench.registration.QualityFilterArmed = false;
    values = bench.reference(humanVision);
    EXPECT_FALSE(values.QualityFilter);
    bench.registration.QualityFilterManual = false;
    values = bench.reference(humanVision);
    EXPECT_TRUE(values.QualityFilter);
    EXPECT_FALSE(values.QualFilterDX);
    EXPECT_FALSE(bench.registration.QualityFilterArmed);

    // A method that grades the picture gets no band at all.
    ReferenceOptions fromImage;
    fromImage.spectralQuality = false;
    values = bench.reference(fromImage);
    EXPECT_FALSE(values.QualityFilter);
    EXPECT_FALSE(values.QualFilterDX);
}

TEST(Reference, AutomaticQualityBandFollowsTheEnergyOfTheProfile) {
    FftEngine fft;
    InitFFT(fft, 64);  // bins 0 .. 32 make the total
    fft.RadialProfile.fill(0.0f);
    for (int b = 0; b < 10; ++b) fft.RadialProfile[b] = 10.0f;
    fft.RadialProfile[40] = 1000.0f;  // beyond N/2: not part of the total
    // 65 of the total 100 are reached with 7 bins; the next 20 take two bins more.
    QualityBandBins band = automaticQualityBand(fft, 0);
    EXPECT_EQ(band.start, 7);
    EXPECT_EQ(band.end, 9);
    EXPECT_EQ(automaticQualityBand(fft, 1).start, 5);  // half the total

    // The width looks no further than bin N/2.
    InitFFT(fft, 32);
    fft.RadialProfile.fill(0.0f);
    fft.RadialProfile[0] = 65.0f;
    fft.RadialProfile[10] = 15.0f;
    fft.RadialProfile[20] = 100.0f;
    band = automaticQualityBand(fft, 0);
    EXPECT_EQ(band.start, 1);
    EXPECT_EQ(band.end, 17);

    std::array<float, kRadialBins> flat{};
    flat.fill(1.0f);
    EXPECT_EQ(binCountReaching(flat, 0, 255, 0.0), 0);
    EXPECT_EQ(binCountReaching(flat, 0, 255, 3.0), 3);
    EXPECT_EQ(binCountReaching(flat, 250, 400, 100.0), 256);  // never beyond the last bin
}

TEST(Reference, AutomaticBandValuesStayWithinTheSpinLimits) {
    ReferenceBench bench(400, 300, 256);
    bench.program.ProcessStage = TProcessStage::stFeatureSet;
    bench.registration.BoxLeft = 100;
    bench.registration.BoxTop = 20;
    // One grating holds nearly all energy: the band starts after it and the next fifth of the
    // energy is never reached within N/2, so the width is as large as the spin allows.
    bench.preview = grating(400, 300, 256, 20);
    AutomaticFilterValues values = bench.reference();
    ASSERT_TRUE(values.QualityFilter && values.QualFilterDX);
    EXPECT_EQ(*values.QualityFilter, 20.0);
    EXPECT_EQ(*values.QualFilterDX, QualFilterDXMax);
    // A black box: every count is 0 and each spin holds its smallest value.
    bench.preview = greyPicture(400, 300, [](int, int) { return 0.0; });
    values = bench.reference();
    EXPECT_EQ(values.QualityFilter, QualityFilterMin);
    EXPECT_EQ(values.QualFilterDX, QualFilterDXMin);
    EXPECT_EQ(withAutomaticValues({}, values).QualityFilter, QualityFilterMin);
    EXPECT_EQ(withAutomaticValues({}, AutomaticFilterValues{}).FFTFilter, 10.0);
}

TEST(Reference, BoxLevelsTakeOffBiasAndTheAlignmentDarkPlaneAndAreZeroOutsideTheFrame) {
    ReferenceBench bench(64, 48, 32);
    bench.preview = Bitmap24(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) SetRGBTriple(x < 32 ? 200 : 30, 100, 50, bench.preview.pixel(x, y));
    bench.section->DarkPlanes[1] = T2dArrays(48, 64);
    bench.section->DarkPlanes[2] = T2dArrays(48, 64);
    for (int x = 0; x < 64; ++x)
        for (int y = 0; y < 48; ++y) {
            bench.section->DarkPlanes[1][x][y] = 1280.0f;  // a dark level of 10
            bench.section->DarkPlanes[2][x][y] = 5000.0f;
        }
    bench.registration.BoxLeft = 20;
    bench.registration.BoxTop = 30;  // rows 48 .. 61 of the box lie outside the frame
    ReferenceOptions options;
    options.levels.biasSubtract = true;
    options.levels.bias = 50.4;  // rounded to 50
    options.levels.darkSubtract = true;
    bench.reference(options);
    const T2dArrays& levels = bench.registration.FFTWindowPlane;
    const float bright = 200 * 0.299f + 100 * 0.587f + 50 * 0.114f;
    const float dim = 30 * 0.299f + 100 * 0.587f + 50 * 0.114f;
    EXPECT_FLOAT_EQ(levels[0][0], bright - 50.0f - 10.0f);  // column 20
    EXPECT_FLOAT_EQ(levels[20][17], dim - 50.0f - 10.0f);   // column 40, row 47
    EXPECT_EQ(levels[20][18], 0.0f);                        // row 48: outside
    EXPECT_TRUE(bench.messages.history().empty());

    // Below the bias the level is 0 before the dark frame is taken off.
    options.levels.bias = 90.0;
    bench.reference(options);
    EXPECT_FLOAT_EQ(levels[20][0], -10.0f);
    EXPECT_FLOAT_EQ(levels[0][0], bright - 90.0f - 10.0f);

    // A box wholly outside the frame reads nothing.
    bench.registration.BoxLeft = -40;
    bench.reference(options);
    for (int x = 0; x < 32; ++x)
        for (int y = 0; y < 32; ++y) ASSERT_EQ(levels[x][y], 0.0f);
}

TEST(Reference, DarkFrameThatDoesNotCoverTheFrameIsLeftOutWithAWarning) {
    ReferenceBench bench(64, 48, 32);
    bench.preview = greyPicture(64, 48, [](int, int) { return 100.0; });
    bench.section->DarkPlanes[1] = T2dArrays(2, 2);  // the planes before any dark frame is loaded
    bench.section->DarkPlanes[1][0][0] = 1280.0f;
    ReferenceOptions options;
    options.levels.darkSubtract = true;
    bench.reference(options);
    EXPECT_EQ(bench.captions(), std::vector<std::string>{"Warning"});
    EXPECT_FLOAT_EQ(bench.registration.FFTWindowPlane[0][0], 100.0f);
    EXPECT_FLOAT_EQ(bench.registration.FFTWindowPlane[31][31], 100.0f);
}

TEST(Reference, PreviewSmallerThanTheFrameSizeIsReadOnlyWhereItExists) {
    ReferenceBench bench(64, 48, 32);
    bench.preview = greyPicture(40, 30, [](int, int) { return 80.0; });
    bench.registration.BoxLeft = 20;
    bench.registration.BoxTop = 10;
    bench.reference();
    EXPECT_FLOAT_EQ(bench.registration.FFTWindowPlane[19][19], 80.0f);
    EXPECT_EQ(bench.registration.FFTWindowPlane[20][19], 0.0f);
    EXPECT_EQ(bench.registration.FFTWindowPlane[19][20], 0.0f);
    EXPECT_EQ(bench.registration.Image1.width(), 40);
}

TEST(Reference, StoredPictureIsTheReferenceFrameWithOneFieldsLinesForInterlacedInput) {
    ReferenceBench bench(6, 5, 32);
    bench.preview = Bitmap24(6, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            SetRGBTriple(static_cast<std::uint8_t>(10 * x + y), static_cast<std::uint8_t>(50 * y + 1),
                         static_cast<std::uint8_t>(x * y), bench.preview.pixel(x, y));
    bench.reference();
    ASSERT_EQ(bench.registration.Image1.byteCount(), bench.preview.byteCount());
    EXPECT_TRUE(std::equal(bench.preview.bits(), bench.preview.bits() + bench.preview.byteCount(),
                           bench.registration.Image1.bits()));

    // Fields one above the other: rows 1 and 3 become the byte-wise mean of their neighbours.
    ReferenceOptions options;
    options.interlaced = true;
    bench.reference(options);
    const Bitmap24& picture = bench.registration.Image1;
    for (int x = 0; x < 6; ++x) {
        const std::uint8_t* p = picture.pixel(x, 1);
        EXPECT_EQ(p[2], (10 * x + 0 + 10 * x + 2) / 2);
        EXPECT_EQ(p[1], (1 + 101) / 2);
        EXPECT_EQ(p[0], (0 + 2 * x) / 2);
        EXPECT_EQ(picture.pixel(x, 3)[1], (101 + 201) / 2);
        EXPECT_EQ(picture.pixel(x, 4)[1], 201);  // the last row has no row below: kept
        EXPECT_EQ(picture.pixel(x, 2)[1], 101);
    }

    // Fields side by side: columns 1 and 3 (not 5, the last) become the mean of left and right.
    options.Interlacehoriz = true;
    bench.reference(options);
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(picture.pixel(1, y)[2], (0 + y + 20 + y) / 2);
        EXPECT_EQ(picture.pixel(3, y)[0], (2 * y + 4 * y) / 2);
        EXPECT_EQ(picture.pixel(5, y)[2], 50 + y);
        EXPECT_EQ(picture.pixel(1, y)[1], 50 * y + 1);
    }
}
