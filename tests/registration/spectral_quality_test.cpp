// The spectral quality figure: which bins the band takes, the raw and the relative figure, the
// Human Visual band, where the figure is stored, the chart's power spectrum, and a blur ladder on
// the synthesiser's planet whose figure falls with every step.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "frames/gamma_table.h"
#include "reference_bench.h"
#include "registration/spectral_quality.h"
#include "synth/planet.h"
#include "synth/random.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

using Profile = std::array<float, kRadialBins>;

Profile profileWith(std::initializer_list<std::pair<int, float>> bins) {
    Profile profile{};
    for (const auto& [bin, value] : bins) profile[static_cast<std::size_t>(bin)] = value;
    return profile;
}

struct QualityBench {
    QualityBench() {
        InitFFT(fft, 128);
        BuildGammaTable(*gamma, 1.0f);  // entry k = k / 30000 + 1e-6
    }
    FrameQualityReadout estimate(const FrameQualityInput& input) {
        return EstimateFrameQuality(fft, *gamma, input, *model);
    }
    FftEngine fft;
    std::unique_ptr<GammaTableArray> gamma = std::make_unique<GammaTableArray>();
    std::unique_ptr<FrameModel> model = std::make_unique<FrameModel>();
};

FrameQualityInput band(int lo, int dx, TProgStatus progstatus = TProgStatus::psAligned) {
    FrameQualityInput input;
    input.QualityFilter = lo;
    input.QualFilterDX = dx;
    input.progstatus = progstatus;
    return input;
}

// The planet of the sample recordings, in 0..255, blurred by a Gaussian of deviation sigma
// (edges repeated) and quantised to bytes.
Bitmap24 blurredPlanet(int size, double sigma) {
    synth::SeededRandom random(7);
    const synth::PlanetModel planet = synth::makePlanet(random, size, size);
    std::vector<double> image(static_cast<std::size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image[static_cast<std::size_t>(y) * size + x] =
                255.0 * synth::luminance(synth::planetColour(planet, x, y));
    if (sigma > 0.0) {
        const int radius = static_cast<int>(std::ceil(4.0 * sigma));
        std::vector<double> weights;
        double sum = 0.0;
        for (int k = -radius; k <= radius; ++k)
            sum += weights.emplace_back(std::exp(-k * k / (2.0 * sigma * sigma)));
        for (double& w : weights) w /= sum;
        const auto pass = [&](int stepX, int stepY) {
            std::vector<double> out(image.size(), 0.0);
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    for (int k = -radius; k <= radius; ++k) {
                        const int sx = std::clamp(x + k * stepX, 0, size - 1);
                        const int sy = std::clamp(y + k * stepY, 0, size - 1);
                        out[static_cast<std::size_t>(y) * size + x] +=
                            weights[static_cast<std::size_t>(k + radius)] *
                            image[static_cast<std::size_t>(sy) * size + sx];
                    }
            image = std::move(out);
        };
        pass(1, 0);
        pass(0, 1);
    }
    return greyPicture(size, size,
                       [&](int x, int y) { return image[static_cast<std::size_t>(y) * size + x]; });
}

}  // namespace

TEST(Spectral, BandTakesTheBinsStrictlyBetweenItsEnds) {
    const Profile profile = profileWith({{2, 10.0f}, {13, 1.0f}, {14, 2.0f}, {15, 3.0f}, {16, 4.0f}});
    EXPECT_DOUBLE_EQ(spectralBandSums(profile, 12, 5).band, 10.0);  // bins 13 .. 16
    EXPECT_DOUBLE_EQ(spectralBandSums(profile, 13, 5).band, 9.0);   // bin 13 is the excluded end
    EXPECT_DOUBLE_EQ(spectralBandSums(profile, 12, 4).band, 6.0);   // bin 16 is the excluded end
    EXPECT_DOUBLE_EQ(spectralBandSums(profile, 12, 1).band, 0.0);   // no bin lies between
    EXPECT_DOUBLE_EQ(spectralBandSums(profile, 12, 5).total, 20.0);
}

TEST(Spectral, BandReachingPastBin50StopsThereAndOneWhollyAboveItTakesItsOwnBins) {
    Profile profile{};
    for (int i = 0; i < kRadialBins; ++i) profile[static_cast<std::size_t>(i)] = static_cast<float>(i);
    const double total = 50.0 * 51.0 / 2.0;  // bins 0 .. 50
    // Reaching past bin 50: bins 46 .. 50 only.
    EXPECT_DOUBLE_EQ(spectralBandSums(profile, 45, 20).band, 46 + 47 + 48 + 49 + 50);
    EXPECT_DOUBLE_EQ(spectralBandSums(profile, 49, 5).band, 50.0);
    // Wholly above bin 50: the bins it covers (here 51 .. 54), the total still over 0 .. 50.
    const SpectralBandSums above = spectralBandSums(profile, 50, 5);
    EXPECT_DOUBLE_EQ(above.band, 51 + 52 + 53 + 54);
    EXPECT_DOUBLE_EQ(above.total, total);
    // Up to bin 255 at most.
    EXPECT_DOUBLE_EQ(spectralBandSums(profile, 250, 50).band, 251 + 252 + 253 + 254 + 255);
}

TEST(Spectral, FigureIsTheBandDuringThePassAndItsShareOtherwise) {
    QualityBench bench;
    bench.fft.RadialProfile = profileWith({{2, 10.0f}, {13, 1.0f}, {14, 2.0f}, {15, 3.0f}, {16, 4.0f}});
    bench.fft.RadialProfileMax = 10.0f;
    FrameQualityInput input = band(12, 5);
    input.CurrentFrame = 7;
    EXPECT_FLOAT_EQ(bench.estimate(input).quality, 10.0f);
    EXPECT_FLOAT_EQ(bench.model->FrameTable[7].Slots[0].Quality, 10.0f);

    input.progstatus = TProgStatus::psFeatureSet;
    const FrameQualityReadout readout = bench.estimate(input);
    EXPECT_FLOAT_EQ(readout.quality, 0.5f);
    EXPECT_EQ(readout.title, "Frame 7 Quality =0.50000");

    // Interlaced input: field 0 goes to slot 2, field 1 to slot 0.
    input.progstatus = TProgStatus::psAligned;
    input.interlaced = true;
    input.CurrentFrame = 3;
    bench.estimate(input);
    EXPECT_FLOAT_EQ(bench.model->FrameTable[3].Slots[2].Quality, 10.0f);
    EXPECT_EQ(bench.model->FrameTable[3].Slots[0].Quality, 0.0f);
    input.InterlaceField = 1;
    bench.fft.RadialProfile[14] = 5.0f;
    bench.estimate(input);
    EXPECT_FLOAT_EQ(bench.model->FrameTable[3].Slots[0].Quality, 13.0f);
    EXPECT_FLOAT_EQ(bench.model->FrameTable[3].Slots[2].Quality, 10.0f);

    // A method that grades the picture keeps the figure it stored.
    FrameQualityInput image = band(12, 5);
    image.QualityFromImage = true;
    image.CurrentFrame = 9;
    bench.model->FrameTable[9].Slots[0].Quality = 31250.0f;
    const FrameQualityReadout kept = bench.estimate(image);
    EXPECT_EQ(kept.quality, 31250.0f);
    EXPECT_EQ(kept.title, "Frame 9 Quality =31250.00000");
}

TEST(Spectral, HumanVisionBandEndsAtBin60WhateverItsWidth) {
    QualityBench bench;
    for (int i = 0; i < 70; ++i) bench.fft.RadialProfile[static_cast<std::size_t>(i)] = 1.0f;
    bench.fft.RadialProfileMax = 1.0f;
    FrameQualityInput input = band(12, 1);
    input.QualityHumanVision = true;
    EXPECT_FLOAT_EQ(bench.estimate(input).quality, 38.0f);  // bins 13 .. 50
    input.QualFilterDX = 50;
    EXPECT_FLOAT_EQ(bench.estimate(input).quality, 38.0f);
    input.QualityFilter = 55;  // wholly above bin 50: bins 56 .. 59
    EXPECT_FLOAT_EQ(bench.estimate(input).quality, 4.0f);
}

TEST(Spectral, ChartShowsBins0To50RelativeToTheLargestThroughTheGammaTable) {
    QualityBench bench;
    bench.fft.RadialProfile = profileWith({{0, 1.0f}, {3, 2.0f}, {50, 0.5f}, {51, 2.0f}});
    bench.fft.RadialProfileMax = 2.0f;
    FrameQualityReadout readout = bench.estimate(band(12, 5));
    ASSERT_EQ(readout.spectrum.size(), 51u);
    EXPECT_DOUBLE_EQ(readout.spectrum[0], (*bench.gamma)[500]);
    EXPECT_DOUBLE_EQ(readout.spectrum[3], (*bench.gamma)[1000]);
    EXPECT_DOUBLE_EQ(readout.spectrum[50], (*bench.gamma)[250]);
    EXPECT_DOUBLE_EQ(readout.spectrum[1], (*bench.gamma)[0]);
    EXPECT_DOUBLE_EQ(readout.bottomIncrement, 0.1 * 51);

    // The largest bin grows by 1e-10 on every call.
    bench.fft.RadialProfile.fill(0.0f);
    bench.fft.RadialProfileMax = 0.0f;
    for (int k = 0; k < 3; ++k) bench.estimate(band(12, 5));
    EXPECT_NEAR(bench.fft.RadialProfileMax, 3e-10, 1e-16);

    // The weighted profile's fixed bin 0 can lie above its largest weighted bin: full scale.
    bench.fft.RadialProfile[0] = 1e-6f;
    bench.fft.RadialProfileMax = 1e-8f;
    readout = bench.estimate(band(12, 5));
    EXPECT_DOUBLE_EQ(readout.spectrum[0], (*bench.gamma)[1000]);
}

TEST(Spectral, BlurLadderMakesTheClassicFigureFallStrictly) {
    constexpr int Size = 256;
    constexpr int N = 128;
    // The band comes from the sharp picture, as the feature pick sets it.
    ReferenceBench bench(Size, Size, N);
    bench.registration.BoxLeft = bench.registration.BoxTop = (Size - N) / 2;
    bench.program.ProcessStage = TProcessStage::stFeatureSet;
    bench.registration.UserBoxPlaced = true;
    bench.preview = blurredPlanet(Size, 0.0);
    const ReferenceOptions options = withAutomaticValues({}, bench.reference());
    bench.registration.UserBoxPlaced = false;
    bench.program.ProcessStage = TProcessStage::stReferenceReady;
    ASSERT_LT(options.QualityFilter, 50.0);

    QualityBench quality;
    double lastRaw = INFINITY;
    double lastShare = INFINITY;
    for (double sigma : {0.0, 0.5, 1.0, 1.5, 2.0}) {
        bench.preview = blurredPlanet(Size, sigma);
        bench.reference(options);  // leaves the box's profile in the engine
        quality.fft.RadialProfile = bench.fft.RadialProfile;
        quality.fft.RadialProfileMax = bench.fft.RadialProfileMax;
        FrameQualityInput input =
            band(static_cast<int>(options.QualityFilter), static_cast<int>(options.QualFilterDX));
        const double raw = quality.estimate(input).quality;
        input.progstatus = TProgStatus::psFeatureSet;
        const double share = quality.estimate(input).quality;
        SCOPED_TRACE(sigma);
        EXPECT_LT(raw, lastRaw);
        EXPECT_LT(share, lastShare);
        EXPECT_GT(share, 0.0);
        lastRaw = raw;
        lastShare = share;
    }
}
