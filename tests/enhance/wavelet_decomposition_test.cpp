// The à trous decomposition: what the kernels do to an impulse and a constant, that layers and
// residual add back up to the input, which planes it touches, and the single-layer view.

#include <gtest/gtest.h>

#include <cmath>

#include "enhance/wavelet_decomposition.h"
#include "test_image.h"

using namespace kestrave;
using kestrave::test::TestImage;

namespace {

WaveletProcessOptions monoOptions(TConvolveMethod method = TConvolveMethod::Default) {
    WaveletProcessOptions options;
    options.Convolvemethod = method;
    return options;
}

void decompose(TestImage& image, const WaveletFilter& filter, const WaveletProcessOptions& options) {
    for (int n = 1; n <= WaveletLayerCount; ++n) {
        ComputeWaveletLayer(image.section, image.width, image.height, filter, options, n);
    }
}

}  // namespace

TEST(WaveletDecomposition, ImpulseSpreadsAsTheDefaultKernelSays) {
    TestImage image(41, 41);
    T2dArrays& work = image.section.WorkPlanes[1];
    work[20][20] = 1.0f;
    const WaveletFilter filter;  // centre 50/98, neighbours 6/98
    WaveletProcessOptions options = monoOptions();
    const double centre = 50.0 / 98.0, side = 6.0 / 98.0;

    ComputeWaveletLayer(image.section, 41, 41, filter, options, 1);
    const T2dArrays& layer1 = image.section.LayerPlanes[1][1];
    EXPECT_NEAR(layer1[20][20], 1.0 - centre, 1e-6);
    EXPECT_NEAR(layer1[21][19], -side, 1e-6);
    EXPECT_NEAR(layer1[19][20], -side, 1e-6);
    EXPECT_EQ(layer1[22][20], 0.0f);
    EXPECT_NEAR(work[21][21], side, 1e-6);  // the working image is now the smoothed copy
    EXPECT_EQ(work[22][22], 0.0f);

    // Layer 2 of the linear scheme with step 3 takes its taps three pixels apart.
    options.steps.LevelStep = 3.0;
    ComputeWaveletLayer(image.section, 41, 41, filter, options, 2);
    const T2dArrays& layer2 = image.section.LayerPlanes[2][1];
    EXPECT_NEAR(layer2[20][20], centre - centre * centre, 1e-6);
    EXPECT_NEAR(layer2[23][20], -side * centre, 1e-6);
    EXPECT_NEAR(layer2[22][20], -side * side, 1e-6);  // the first layer's spread, three pixels on
    EXPECT_EQ(layer2[26][20], 0.0f);                  // reached only by a zero-weight outer tap
}

TEST(WaveletDecomposition, ImpulseSpreadsAsTheSeparableGaussianSays) {
    TestImage image(61, 61);
    image.section.WorkPlanes[1][30][30] = 1.0f;
    WaveletFilter filter;
    BuildGaussianLayers(filter, 0.1f, {0.6f, 0.6f, 0.6f, 0.6f, 0.6f, 0.6f});
    const auto& taps = filter.LayerTaps[3];
    const int h = filter.LayerHalfWidth[3];
    ASSERT_GE(h, 2);
    WaveletProcessOptions options = monoOptions(TConvolveMethod::Gaussian);
    options.steps.LevelStep = 2.0;
    ComputeWaveletLayer(image.section, 61, 61, filter, options, 3);

    const T2dArrays& layer = image.section.LayerPlanes[3][1];
    auto tap = [&](int k) { return static_cast<double>(taps[k + GaussianMaxHalfWidth]); };
    EXPECT_NEAR(layer[30][30], 1.0 - tap(0) * tap(0), 1e-6);
    EXPECT_NEAR(layer[32][30], -tap(1) * tap(0), 1e-6);
    EXPECT_NEAR(layer[32][34], -tap(1) * tap(2), 1e-6);
    EXPECT_EQ(layer[31][30], 0.0f);                // between the taps
    EXPECT_EQ(layer[30 + 2 * (h + 1)][30], 0.0f);  // beyond the half width
}

TEST(WaveletDecomposition, FlatPictureGivesFlatLayersUpToItsBorder) {
    // A layer of a flat picture must be as flat on the border as inside (0 for the default kernel;
    // the Gaussian's taps beyond its half width are missing everywhere alike), or a raised layer
    // weight draws a frame round every result. The plane margin must not be read.
    constexpr float c = 100.0f;
    struct Case {
        TConvolveMethod method;
        WaveletStepOptions steps;
        int width, height;
    };
    const Case cases[] = {
        {TConvolveMethod::Default, {TWaveletScheme::Dyadic, 1.0, 0.0}, 150, 90},
        {TConvolveMethod::Gaussian, {TWaveletScheme::Dyadic, 1.0, 0.0}, 150, 90},
        // Taps further out than the picture is wide or high.
        {TConvolveMethod::Default, {TWaveletScheme::Linear, 7.0, 9.0}, 23, 9},
        {TConvolveMethod::Gaussian, {TWaveletScheme::Linear, 7.0, 9.0}, 23, 9},
        {TConvolveMethod::Default, {TWaveletScheme::Linear, 3.0, 0.0}, 1, 5},
    };
    WaveletFilter filter;
    BuildGaussianLayers(filter, 0.1f, {0.4f, 0.6f, 0.8f, 1.0f, 1.2f, 1.4f});
    for (const Case& test : cases) {
        TestImage image(test.width, test.height);
        T2dArrays& work = image.section.WorkPlanes[1];
        TestImage::fill(work, -5000.0f);
        for (int x = 0; x < test.width; ++x)
            for (int y = 0; y < test.height; ++y) work[x][y] = c;
        WaveletProcessOptions options = monoOptions(test.method);
        options.steps = test.steps;
        decompose(image, filter, options);
        for (int n = 1; n <= 6; ++n) {
            const T2dArrays& layer = image.section.LayerPlanes[n][1];
            const float inner = layer[test.width / 2][test.height / 2];
            if (test.method == TConvolveMethod::Default) {
                EXPECT_LE(std::fabs(inner), 1e-4f * c);
            }
            float largest = 0.0f;
            for (int x = 0; x < test.width; ++x)
                for (int y = 0; y < test.height; ++y)
                    largest = std::max(largest, std::fabs(layer[x][y] - inner));
            EXPECT_LE(largest, 1e-4f * c) << "layer " << n << " of case " << (&test - cases);
        }
    }
}

TEST(WaveletDecomposition, EdgePixelsAreFilteredAsTheMirroredPictureFiltersThem) {
    // Mirroring a picture about its first column and first row gives a picture whose inner pixels
    // see what the original's edge pixels see; both decompositions must agree on the original part.
    constexpr int w = 37, h = 29;
    constexpr int bw = 2 * w - 1, bh = 2 * h - 1;
    for (const auto method : {TConvolveMethod::Default, TConvolveMethod::Gaussian}) {
        TestImage small(w, h);
        small.fillRandom(small.section.WorkPlanes[1], 23);
        TestImage big(bw, bh);
        for (int x = 0; x < bw; ++x)
            for (int y = 0; y < bh; ++y)
                big.section.WorkPlanes[1][x][y] =
                    small.section.WorkPlanes[1][std::abs(x - (w - 1))][std::abs(y - (h - 1))];
        WaveletFilter filter;
        BuildGaussianLayers(filter, 0.1f, {0.3f, 0.5f, 0.7f, 0.9f, 1.1f, 1.3f});
        WaveletProcessOptions options = monoOptions(method);
        options.steps = {TWaveletScheme::Linear, 2.0, 3.0};
        decompose(small, filter, options);
        decompose(big, filter, options);
        for (int n = 1; n <= 6; ++n) {
            double largestError = 0.0;
            for (int x = 0; x < w; ++x)
                for (int y = 0; y < h; ++y)
                    largestError = std::max<double>(
                        largestError, std::fabs(small.section.LayerPlanes[n][1][x][y] -
                                                big.section.LayerPlanes[n][1][x + w - 1][y + h - 1]));
            EXPECT_LT(largestError, 1e-3) << "layer " << n;
        }
    }
}

TEST(WaveletDecomposition, LayersAndResidualAddUpToTheInputInsideTheAreaOnly) {
    for (const auto method : {TConvolveMethod::Default, TConvolveMethod::Gaussian}) {
        TestImage image(120, 90, 17, 11, 64, 50);
        WaveletProcessOptions options;
        options.Colourstack = true;
        options.Convolvemethod = method;
        options.steps = {TWaveletScheme::Linear, 2.0, 3.0};
        for (int c = 0; c < 3; ++c) image.fillRandom(image.section.WorkPlanes[c], 7 + c);
        const std::array<T2dArrays, 3> input = {image.section.WorkPlanes[0], image.section.WorkPlanes[1],
                                                image.section.WorkPlanes[2]};
        WaveletFilter filter;
        BuildGaussianLayers(filter, 0.1f, {0.2f, 0.4f, 0.6f, 0.8f, 1.0f, 1.2f});
        decompose(image, filter, options);

        for (int c = 0; c < 3; ++c) {
            const T2dArrays& residual = image.section.WorkPlanes[c];
            double largestError = 0.0;
            for (int x = 0; x < 120; ++x) {
                for (int y = 0; y < 90; ++y) {
                    const bool inArea = x >= 17 && x < 17 + 64 && y >= 11 && y < 11 + 50;
                    if (!inArea) {
                        ASSERT_EQ(residual[x][y], input[c][x][y]) << "outside the area at " << x << "," << y;
                        continue;
                    }
                    double sum = residual[x][y];
                    for (int n = 1; n <= 6; ++n) sum += image.section.LayerPlanes[n][c][x - 17][y - 11];
                    largestError = std::max(largestError, std::fabs(sum - input[c][x][y]));
                }
            }
            EXPECT_LT(largestError, 1e-3) << "channel " << c;
        }
    }
}

TEST(WaveletDecomposition, MonochromeAndLrgbWorkLeaveTheOtherChannelsUntouched) {
    for (const bool lrgb : {false, true}) {
        TestImage image(50, 40);
        WaveletProcessOptions options;
        options.Colourstack = lrgb;
        options.LRGB2 = lrgb;
        for (int c = 0; c < 3; ++c) image.fillRandom(image.section.WorkPlanes[c], 3 + c);
        for (int n = 1; n <= 6; ++n) {
            TestImage::fill(image.section.LayerPlanes[n][0], 7.0f);
            TestImage::fill(image.section.LayerPlanes[n][2], 7.0f);
        }
        const std::string red = TestImage::bytes(image.section.WorkPlanes[0]);
        decompose(image, WaveletFilter(), options);
        EXPECT_TRUE(TestImage::bytes(image.section.WorkPlanes[0]) == red);
        for (int n = 1; n <= 6; ++n) {
            EXPECT_EQ(image.section.LayerPlanes[n][0][5][5], 7.0f);
            EXPECT_EQ(image.section.LayerPlanes[n][2][5][5], 7.0f);
        }
        EXPECT_NE(image.section.LayerPlanes[1][1][5][5], 0.0f);
    }
}

TEST(WaveletDecomposition, DegenerateKernelsFollowTheirNormalisation) {
    TestImage image(30, 30);
    image.fillRandom(image.section.WorkPlanes[1], 11);
    const T2dArrays input = image.section.WorkPlanes[1];

    // All zero: the sum 0 counts as 1, every tap is skipped, layer 1 is the image.
    WaveletFilter zeros;
    SetWaveletKernel(zeros, KernelSpins{});
    ComputeWaveletLayer(image.section, 30, 30, zeros, monoOptions(), 1);
    EXPECT_EQ(image.section.LayerPlanes[1][1][12][17], input[12][17]);
    EXPECT_EQ(image.section.WorkPlanes[1][12][17], 0.0f);

    // All -1: the sum -25 turns every weight into +0.04, a plain 5 × 5 mean.
    image.section.WorkPlanes[1] = input;
    WaveletFilter mean;
    KernelSpins minusOnes;
    minusOnes.fill(-1);
    SetWaveletKernel(mean, minusOnes);
    ComputeWaveletLayer(image.section, 30, 30, mean, monoOptions(), 1);
    double expected = 0.0;
    for (int dx = -2; dx <= 2; ++dx) {
        for (int dy = -2; dy <= 2; ++dy) expected += input[12 + dx][17 + dy];
    }
    EXPECT_NEAR(image.section.WorkPlanes[1][12][17], expected / 25.0, 1e-3);

    // A negative weight counts in the sum but its tap is skipped: centre 10 and one -2 give 10 / 8.
    image.section.WorkPlanes[1] = input;
    WaveletFilter negative;
    KernelSpins spins{};
    spins[12] = 10;
    spins[13] = -2;
    SetWaveletKernel(negative, spins);
    ComputeWaveletLayer(image.section, 30, 30, negative, monoOptions(), 1);
    EXPECT_NEAR(image.section.WorkPlanes[1][12][17], 1.25 * input[12][17], 1e-4);
}

TEST(WaveletDecomposition, GaussianResultDoesNotDependOnWhatTheScratchPlaneHeld) {
    // The column pass reads rows above and below the area; the row pass must have filled them.
    auto run = [](float scratchContent) {
        TestImage image(80, 80, 20, 20, 40, 40);
        image.fillRandom(image.section.WorkPlanes[1], 5);
        TestImage::fill(image.section.ScratchPlane, scratchContent);
        WaveletFilter filter;
        BuildGaussianLayers(filter, 0.1f, {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f});
        WaveletProcessOptions options = monoOptions(TConvolveMethod::Gaussian);
        options.steps.LevelStep = 2.0;
        ComputeWaveletLayer(image.section, 80, 80, filter, options, 1);
        return TestImage::bytes(image.section.LayerPlanes[1][1]) +
               TestImage::bytes(image.section.WorkPlanes[1]);
    };
    EXPECT_TRUE(run(0.0f) == run(1.0e6f));
}

TEST(WaveletDecomposition, PlanesTooSmallForTheImageAreRefused) {
    TestImage image(40, 40);
    EXPECT_THROW(ComputeWaveletLayer(image.section, 60, 40, WaveletFilter(), monoOptions(), 1), WaveletError);
    image.section.LayerPlanes[1][1] = T2dArrays(10, 10);
    EXPECT_THROW(ComputeWaveletLayer(image.section, 40, 40, WaveletFilter(), monoOptions(), 1), WaveletError);
    // An image without pixels has an empty area: nothing to do.
    EXPECT_NO_THROW(ComputeWaveletLayer(image.section, 0, 0, WaveletFilter(), monoOptions(), 1));
}

TEST(WaveletLayerView, NegativeValuesShowRedPositiveGreenScaledToTheInnerRange) {
    TestImage image(40, 40, 5, 5, 30, 30);
    T2dArrays& layer = image.section.LayerPlanes[2][1];
    layer[15][15] = -2.0f;  // the minimum of the inner part
    layer[16][15] = 2.0f;   // its maximum
    layer[0][0] = 50.0f;    // in the 10-pixel border: shown, but not part of the range
    Bitmap24 picture(40, 40);
    picture.fill(9, 9, 9);
    DrawWaveletLayer(image.section, 40, 40, 2, picture);

    auto rgb = [&](int x, int y) {
        const std::uint8_t* p = picture.pixel(x, y);
        return std::array<int, 3>{p[2], p[1], p[0]};
    };
    EXPECT_EQ(rgb(20, 20), (std::array<int, 3>{255, 0, 0}));  // b = 0
    EXPECT_EQ(rgb(21, 20), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(rgb(5, 5), (std::array<int, 3>{0, 255, 0}));  // clamped
    EXPECT_EQ(rgb(10, 10), (std::array<int, 3>{0, 0, 0}));  // zero shows black
    EXPECT_EQ(rgb(2, 2), (std::array<int, 3>{9, 9, 9}));    // outside the area

    // A layer that is 0 everywhere (range 0, taken as 1) draws black.
    TestImage::fill(layer, 0.0f);
    DrawWaveletLayer(image.section, 40, 40, 2, picture);
    EXPECT_EQ(rgb(20, 20), (std::array<int, 3>{0, 0, 0}));
}
