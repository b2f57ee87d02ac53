// One optimizer step: the sub-pixel shift of a band-limited scene, the raster's table and tie
// rules, the diamond walk and its bound, the fields of interlaced video, resampled pixels and the
// widest search at the largest box.

#include <gtest/gtest.h>

#include <cmath>

#include "optimizer_bench.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

// A scene without fine detail, like a planet's disc: its differences fall toward the match from
// farther away (the diamond walk is a local search) and change little from one offset to the next.
constexpr double SmoothScene = 0.05;

double shiftX(const TFrameRec& rec) {
    return rec.Slots[0].X + rec.SubPixelX;
}
double shiftY(const TFrameRec& rec) {
    return rec.Slots[0].Y + rec.SubPixelY;
}

int computedEntries(const OptimizeStepResult& result) {
    int n = 0;
    for (float d : result.table) n += d != NotComputed;
    return n;
}

}  // namespace

TEST(Optimize, BandLimitedSubPixelShiftIsFoundFromANearbyStart) {
    for (int n : {64, 128}) {
        OptimizerBench bench(2 * n + 40, 2 * n + 40, 1, n);
        bench.setFrame(0, 3.25, -7.5, 3, -7, 1.0f);  // 1.0: not measured yet
        const OptimizeStepResult result = bench.step(0);
        const TFrameRec& rec = bench.model->FrameTable[0];
        EXPECT_NEAR(shiftX(rec), 3.25, 0.15) << n;
        EXPECT_NEAR(shiftY(rec), -7.5, 0.15) << n;
        EXPECT_TRUE(result.accepted);
        EXPECT_LE(std::abs(rec.SubPixelX), 0.5f);
        // The accepted difference is the table's smallest, and it is stored in the slot.
        float smallest = UnmeasuredStartDifference;
        for (float d : result.table)
            if (d != NotComputed) smallest = std::min(smallest, d);
        EXPECT_FLOAT_EQ(rec.Slots[0].Difference, smallest);
        EXPECT_EQ(result.currentBox.width(), n + 1);
    }
}

TEST(Optimize, CurrentBoxShowsTheFrameAroundTheNewShiftAndBlackBeyondIt) {
    // Shifted far enough that the box reaches past the right and top edges of the frame.
    OptimizerBench bench(160, 160, 1, 64);
    bench.setFrame(0, 60.0, -60.0, 60, -60, 1.0f);
    const OptimizeStepResult result = bench.step(0);
    const TFrameRec& rec = bench.model->FrameTable[0];
    const Bitmap24& frame = bench.source.pictures.at(0);
    const int left = bench.program.FeatureX + rec.Slots[0].X - 32;
    const int top = bench.program.FeatureY + rec.Slots[0].Y - 32;
    ASSERT_EQ(result.currentBox.width(), 65);
    ASSERT_EQ(result.currentBox.height(), 65);
    int outside = 0;
    for (int v = 0; v < 65; ++v)
        for (int u = 0; u < 65; ++u) {
            const int x = left + u, y = top + v;
            const bool inFrame = x >= 0 && y >= 0 && x < 160 && y < 160;
            outside += !inFrame;
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(result.currentBox.pixel(u, v)[c], inFrame ? frame.pixel(x, y)[c] : 0)
                    << u << "," << v;
        }
    EXPECT_GT(outside, 0);
}

TEST(Optimize, TableHoldsExactlyTheSearchedOffsets) {
    OptimizerBench bench(160, 160, 1, 64);
    bench.setFrame(0, 0.3, -0.2, 0, 0, 1.0f);
    bench.options.search.SearchArea = 1;
    const OptimizeStepResult raster = bench.step(0);
    EXPECT_EQ(computedEntries(raster), 9);
    for (int a = -1; a <= 1; ++a)
        for (int b = -1; b <= 1; ++b) EXPECT_NE(raster.at(a, b), NotComputed);
    EXPECT_NEAR(bench.model->FrameTable[0].SubPixelX, 0.3, 0.15);

    // The diamond walk fills no table, so there is no sub-pixel fit.
    bench.setFrame(0, 0.3, -0.2, 0, 0, 1.0f);
    bench.options.search.FastOptim = true;
    const OptimizeStepResult diamond = bench.step(0);
    EXPECT_EQ(computedEntries(diamond), 0);
    EXPECT_EQ(bench.model->FrameTable[0].SubPixelX, 0.0f);
    EXPECT_EQ(bench.model->FrameTable[0].SubPixelY, 0.0f);
}

TEST(Optimize, NoBetterCandidateKeepsTheShiftButStillFitsTheSubPixel) {
    OptimizerBench bench(160, 160, 1, 64);
    bench.setFrame(0, 2.3, 0.0, 2, 0, 1e-3f);  // a start difference no candidate reaches
    TFrameRec& rec = bench.model->FrameTable[0];
    rec.Improvement = 90.0f;
    const OptimizeStepResult result = bench.step(0);
    EXPECT_FALSE(result.accepted);
    EXPECT_EQ(rec.Slots[0].X, 2);
    EXPECT_EQ(rec.Slots[0].Difference, 1e-3f);
    EXPECT_EQ(rec.Improvement, 90.0f);
    EXPECT_NEAR(rec.SubPixelX, 0.3, 0.15);
}

TEST(Optimize, EqualDifferencesKeepTheLastCandidateUnlessInterlaced) {
    // A flat scene makes every candidate's difference 0.
    OptimizerBench bench(120, 120, 1, 32);
    Bitmap24 flat(120, 120);
    flat.fill(90, 90, 90);
    bench.registration.Image1 = flat;
    bench.source.pictures[0] = flat;
    bench.options.search.SearchArea = 3;
    bench.model->FrameTable[0].Slots[0].Difference = 1.0f;
    bench.step(0);
    EXPECT_EQ(bench.model->FrameTable[0].Slots[0].X, 3);  // a before b: the last is (3, 3)
    EXPECT_EQ(bench.model->FrameTable[0].Slots[0].Y, 3);
    EXPECT_EQ(bench.model->FrameTable[0].Improvement, 100.0f);

    bench.options.search.interlaced = true;
    TFrameRec& rec = bench.model->FrameTable[0];
    rec.Slots[2].Difference = 1.0f;
    rec.Slots[0].Difference = 1.0f;
    rec.Slots[0].X = rec.Slots[0].Y = 0;
    bench.step(0, 0);
    EXPECT_EQ(rec.Slots[2].X, -3);  // field 0 works on slot 2 and keeps the first
    EXPECT_EQ(rec.Slots[2].Y, -3);
    EXPECT_EQ(rec.Slots[0].X, 0);
    bench.step(0, 1);
    EXPECT_EQ(rec.Slots[0].X, -3);
}

TEST(Optimize, FieldsAreMeasuredOnTheirOwnInterpolationOfTheFrame) {
    OptimizerBench bench(200, 200, 1, 64);
    bench.setFrame(0, 2.0, -1.0, 0, 0, 1.0f);
    bench.options.search.interlaced = true;
    bench.options.search.SearchArea = 3;
    TFrameRec& rec = bench.model->FrameTable[0];
    rec.Slots[2].Difference = 1.0f;
    bench.step(0, 0);
    const TFrameRec afterField0 = rec;
    bench.step(0, 1);
    EXPECT_EQ(rec.Slots[2].X, 2);
    EXPECT_EQ(rec.Slots[0].X, 2);
    EXPECT_EQ(rec.Slots[0].Y, -1);

    // Field 1 does not see what field 0 did to the picture: measured alone it gives the same.
    rec = afterField0;
    const float field1Difference = [&] {
        TFrameRec copy = afterField0;
        copy.Slots[0].Difference = 1.0f;
        OptimizerWorkspace workspace;
        OptimizeFrame(bench.source.pictures[0], copy, *bench.model, bench.reference(), bench.options.search,
                      *bench.gamma, 1, workspace);
        return copy.Slots[0].Difference;
    }();
    rec.Slots[0].Difference = 1.0f;
    bench.step(0, 1);
    EXPECT_EQ(rec.Slots[0].Difference, field1Difference);
}

TEST(Optimize, DiamondWalkFindsTheWholePixelShiftAndStaysWithinTheRadius) {
    OptimizerBench bench(200, 200, 1, 64, 7, SmoothScene);
    bench.options.search.FastOptim = true;
    bench.setFrame(0, 4.0, -3.0, 0, 0, 1.0f);
    const OptimizeStepResult result = bench.step(0);
    const TFrameRec& rec = bench.model->FrameTable[0];
    EXPECT_EQ(rec.Slots[0].X, 4);
    EXPECT_EQ(rec.Slots[0].Y, -3);
    EXPECT_TRUE(result.accepted);

    // A shift beyond the radius: the walk stops at its edge instead of leaving the windows.
    bench.setFrame(0, 16.0, 0.0, 0, 0, 1.0f);
    bench.step(0);
    EXPECT_LE(std::abs(bench.model->FrameTable[0].Slots[0].X), MaxSearchRadius);
    EXPECT_LE(std::abs(bench.model->FrameTable[0].Slots[0].Y), MaxSearchRadius);
}

TEST(Optimize, StartThatBeatsEveryOffsetIsAcceptedOnceByTheDiamond) {
    OptimizerBench bench(160, 160, 1, 64, 7, SmoothScene);
    bench.options.search.FastOptim = true;
    bench.setFrame(0, 1.5, 1.5, 1, 1, 1e-3f);
    const OptimizeStepResult result = bench.step(0);
    const TFrameRec& rec = bench.model->FrameTable[0];
    EXPECT_TRUE(result.accepted);
    EXPECT_EQ(rec.Slots[0].X, 1);
    EXPECT_EQ(rec.Slots[0].Difference, 1e-3f);
    EXPECT_NEAR(rec.Improvement, 100.0 - 100.0 * 1e-3 / (1e-3 + 1.0), 1e-4);
}

TEST(Optimize, BiasSubtractionLeavesTheMeasuredShiftAlone) {
    // A bias taken off only part of the windows pulls the search toward some offsets; taken off
    // everywhere it only hides the dark parts of both windows alike.
    OptimizerBench bench(200, 200, 1, 64, 7, SmoothScene);
    bench.options.search.Blurbox = true;
    bench.options.search.Bias = 128;
    bench.options.search.SearchArea = 4;
    for (auto shift : {std::pair{3, 2}, std::pair{-3, -2}, std::pair{4, -4}}) {
        bench.setFrame(0, shift.first, shift.second, 0, 0, 1.0f);
        bench.step(0);
        EXPECT_EQ(bench.model->FrameTable[0].Slots[0].X, shift.first);
        EXPECT_EQ(bench.model->FrameTable[0].Slots[0].Y, shift.second);
    }
}

TEST(Optimize, ResampledSearchWorksInResampledPixels) {
    OptimizerBench bench(160, 160, 2, 32);
    bench.options.search.Resampled = true;
    bench.options.search.ResampleFactor = 2.0f;
    bench.options.search.SearchArea = 2;  // 4 resampled pixels
    bench.setFrame(0, 0.0, 0.0, 0, 0, RestartDifference);
    bench.setFrame(1, 2.0, -1.0, 2, -1, RestartDifference);
    bench.step(0);
    bench.step(1);
    const TFrameRec& still = bench.model->FrameTable[0];
    const TFrameRec& moved = bench.model->FrameTable[1];
    // The alignment's start (2, -1) in frame pixels is taken as (4, -2) resampled pixels, and the
    // result says it is in resampled pixels.
    EXPECT_NEAR(shiftX(moved) - shiftX(still), 4.0, 0.5);
    EXPECT_NEAR(shiftY(moved) - shiftY(still), -2.0, 0.5);
    EXPECT_EQ(moved.Slots[0].ShiftScale, 2.0f);
    // A shift already in resampled pixels is taken as it stands.
    bench.model->FrameTable[1].Slots[0].Difference = 1.0f;
    const int before = moved.Slots[0].X;
    bench.step(1);
    EXPECT_NEAR(moved.Slots[0].X, before, 1);
}

TEST(Optimize, WidestSearchAtTheLargestBoxStaysInsideItsWindows) {
    // The 512 box with radius 10 needs windows of 2 (256 + 10) + 1 = 533 cells a side.
    OptimizerBench bench(600, 580, 1, 512, 7, SmoothScene);
    bench.options.search.SearchArea = 10;
    bench.setFrame(0, 6.0, -9.0, 0, 0, 1.0f);
    const OptimizeStepResult raster = bench.step(0);
    EXPECT_EQ(computedEntries(raster), DifferenceTableSide * DifferenceTableSide);
    EXPECT_EQ(bench.model->FrameTable[0].Slots[0].X, 6);
    EXPECT_EQ(bench.model->FrameTable[0].Slots[0].Y, -9);

    bench.options.search.FastOptim = true;
    bench.setFrame(0, -7.0, 5.0, 0, 0, 1.0f);
    bench.step(0);
    EXPECT_EQ(bench.model->FrameTable[0].Slots[0].X, -7);
    EXPECT_EQ(bench.model->FrameTable[0].Slots[0].Y, 5);
}
