// "Process": pending flags, the resampled image size, decomposing only when the layers are out
// of date, and identical results on one thread and on many.

#include <gtest/gtest.h>

#include <memory>

#include "enhance/channel_composition.h"
#include "enhance/wavelet_decomposition.h"
#include "enhance/wavelet_processing.h"
#include "test_image.h"

using namespace kestrave;
using kestrave::test::TestImage;
using kestrave::test::ThreadCountScope;

namespace {

class StatusLog : public NullProgress {
public:
    void setStatus(int panel, const std::string& text) override {
        if (panel == 2) texts.push_back(text);
    }
    std::vector<std::string> texts;
};

WaveletProcessOptions colourOptions(TConvolveMethod method) {
    WaveletProcessOptions options;
    options.Colourstack = true;
    options.Convolvemethod = method;
    options.steps = {TWaveletScheme::Dyadic, 1.0, 0.0};
    return options;
}

}  // namespace

TEST(WaveletProcessing, BeginClearsThePendingFlagsAndDerivesTheResampledSize) {
    EXPECT_EQ(resampledImageSize(640, 480, {.Resampled = true, .ResampleFactor = 1.5f}).width, 959);
    EXPECT_EQ(resampledImageSize(640, 480, {.Resampled = true, .ResampleFactor = 1.5f}).height, 719);
    EXPECT_EQ(
        resampledImageSize(640, 480, {.Resampled = true, .Drizzle2 = true, .ResampleFactor = 3.0f}).width,
        1279);
    EXPECT_EQ(resampledImageSize(3000, 100, {.Resampled = true, .ResampleFactor = 2.0f}).width, MaxFrameSize);

    auto model = std::make_unique<FrameModel>();
    model->FrameWidth = 100;
    model->FrameHeight = 80;
    model->ImageWidth = 123;
    model->ImageHeight = 45;
    beginWaveletProcessing(*model, {});
    EXPECT_EQ(model->ImageWidth, 123);  // not resampled: the stacked size stands
    beginWaveletProcessing(*model, {.Resampled = true, .ResampleFactor = 2.0f});
    EXPECT_EQ(model->ImageWidth, 199);
    EXPECT_EQ(model->ImageHeight, 159);
}

TEST(WaveletProcessing, DecomposesOnlyWhenTheLayersAreOutOfDate) {
    TestImage image(64, 48);
    for (int c = 0; c < 3; ++c) image.fillRandom(image.section.StackPlanes[c], 20 + c);
    ProgramState state;
    ASSERT_TRUE(state.LayersDirty);
    StatusLog progress;
    const WaveletFilter filter;
    const WaveletProcessOptions options = colourOptions(TConvolveMethod::Default);
    EXPECT_TRUE(decomposeWhenDirty(image.section, 64, 48, state, filter, options, progress));
    EXPECT_FALSE(state.LayersDirty);
    EXPECT_EQ(progress.texts,
              (std::vector<std::string>{"Calculating Layer 1", "Calculating Layer 2", "Calculating Layer 3",
                                        "Calculating Layer 4", "Calculating Layer 5", "Calculating Layer 6",
                                        "Calculating wavelets done"}));
    // Composed from the stack, then split: layers plus residual give the stack back.
    double sum = image.section.WorkPlanes[2][30][20];
    for (int n = 1; n <= 6; ++n) sum += image.section.LayerPlanes[n][2][30][20];
    EXPECT_NEAR(sum, image.section.StackPlanes[2][30][20], 1e-3);

    // Clean layers: nothing is recomposed or recomputed (a second split would split the residual).
    const std::string layers = TestImage::bytes(image.section.LayerPlanes[3][1]);
    const std::string residual = TestImage::bytes(image.section.WorkPlanes[1]);
    progress.texts.clear();
    EXPECT_FALSE(decomposeWhenDirty(image.section, 64, 48, state, filter, options, progress));
    EXPECT_TRUE(TestImage::bytes(image.section.LayerPlanes[3][1]) == layers);
    EXPECT_TRUE(TestImage::bytes(image.section.WorkPlanes[1]) == residual);
    EXPECT_EQ(progress.texts, (std::vector<std::string>{"Calculating wavelets done"}));

    // Dirty again: the working image is composed afresh from the stack, so the result repeats.
    state.LayersDirty = true;
    decomposeWhenDirty(image.section, 64, 48, state, filter, options, progress);
    EXPECT_TRUE(TestImage::bytes(image.section.LayerPlanes[3][1]) == layers);
    EXPECT_TRUE(TestImage::bytes(image.section.WorkPlanes[1]) == residual);
}

TEST(WaveletProcessing, AnImageLargerThanItsPlanesIsRefusedAndStaysDirty) {
    TestImage image(64, 48);
    ProgramState state;
    StatusLog progress;
    EXPECT_THROW(decomposeWhenDirty(image.section, 128, 96, state, WaveletFilter(),
                                    colourOptions(TConvolveMethod::Default), progress),
                 WaveletError);
    EXPECT_TRUE(state.LayersDirty);
}

TEST(WaveletProcessing, ResultsAreIdenticalOnOneThreadAndOnEight) {
    auto run = [](int threads, TConvolveMethod method) {
        ThreadCountScope scope(threads);
        TestImage image(300, 220, 23, 17, 256, 190);
        for (int c = 0; c < 3; ++c) image.fillRandom(image.section.StackPlanes[c], 40 + c);
        ProgramState state;
        WaveletFilter filter;
        BuildGaussianLayers(filter, 0.1f, {0.3f, 0.5f, 0.7f, 0.9f, 1.1f, 1.3f});
        StatusLog progress;
        decomposeWhenDirty(image.section, 300, 220, state, filter, colourOptions(method), progress);
        std::string result;
        for (int c = 0; c < 3; ++c) {
            result += TestImage::bytes(image.section.WorkPlanes[c]);
            for (int n = 1; n <= 6; ++n) result += TestImage::bytes(image.section.LayerPlanes[n][c]);
        }
        RGBShifter(image.section, 300, 220, SearchBox{150, 110, 40, 40}, state, progress);
        result += std::to_string(state.RedShiftX) + "," + std::to_string(state.RedShiftY) + "," +
                  std::to_string(state.BlueShiftX) + "," + std::to_string(state.BlueShiftY);
        return result;
    };
    for (const auto method : {TConvolveMethod::Default, TConvolveMethod::Gaussian}) {
        EXPECT_TRUE(run(1, method) == run(8, method)) << "filter " << static_cast<int>(method);
    }
}
