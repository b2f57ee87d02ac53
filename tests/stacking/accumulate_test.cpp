// Per-frame accumulation through whole stacking runs on in-memory frames: placement, scale,
// corrections, weights, channels, alignment points and the sigma clip.

#include <gtest/gtest.h>

#include <cmath>

#include "stack_test_support.h"

namespace kestrave {
namespace {

using test::makePlane;
using test::StackBench;

float truthAt(int x, int y) {
    return static_cast<float>(100.0 + 50.0 * std::sin(x / 7.0) + 20.0 * std::cos(y / 5.0));
}

TEST(Accumulate, WholePixelShiftMovesFrameColumnsOntoTheCanvas) {
    StackBench bench(100, 30, 1);
    bench.source.frames.push_back(makePlane(100, 30, [](int x, int y) { return x + 1000.0f * y; }));
    bench.model->FrameTable[0].Slots[0].X = 3;
    bench.model->FrameTable[0].Slots[0].Y = -2;
    ASSERT_EQ(bench.stack().outcome, StackOutcome::Stacked);
    const T2dArrays& g = bench.section.StackPlanes[1];
    // Frame columns 3..99 fill canvas columns 0..96; frame rows 0..27 canvas rows 2..29.
    for (int x = 0; x < 100; ++x)
        for (int y = 0; y < 30; ++y) {
            const bool covered = x <= 96 && y >= 2;
            ASSERT_EQ(g[x][y], covered ? (x + 3) + 1000.0f * (y - 2) : 0.0f) << x << "," << y;
        }
}

// Whole-pixel shifts: every canvas pixel is the float sum of sample x brightness over the frames
// that cover it, taken in list order, divided by the summed brightness. Checked to the bit
// against that sum, for the sample kinds and corrections the stacking loop takes.
TEST(Accumulate, WholePixelShiftsSumEveryFrameInListOrder) {
    struct Case {
        const char* name;
        FrameSamples kind;
        bool colour;
        bool darkFlat;
    };
    const Case cases[] = {{"raw mono", FrameSamples::Raw, false, false},
                          {"raw colour", FrameSamples::Raw, true, false},
                          {"raw dark and flat", FrameSamples::Raw, false, true},
                          {"16-bit grey", FrameSamples::HighBit, false, false}};
    constexpr int W = 41, H = 23, Frames = 5;
    const int shifts[Frames][2] = {{0, 0}, {3, -2}, {-5, 4}, {1, 7}, {-2, -1}};
    const float brightness[Frames] = {0.7f, 1.3f, 1.0f, 0.45f, 2.2f};
    const auto sampleAt = [](int f, int x, int y) {
        return static_cast<float>((37 * f + 11 * x + 5 * y + x * y) % 251) + 0.25f * static_cast<float>(f);
    };
    const auto darkAt = [](int x, int y) { return static_cast<float>(128 * ((x + 2 * y) % 7)); };
    const auto flatAt = [](int x, int y) { return 0.75f + 0.125f * static_cast<float>((x + y) % 5); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StackBench bench(W, H, Frames);
        bench.source.kind = c.kind;
        bench.options.IntensBalance = true;
        if (c.colour) {
            bench.model->InputIsSER = bench.model->InputIsSeries = true;
            bench.options.Colourstack = true;
        }
        if (c.darkFlat) {
            for (int ch = 0; ch < 3; ++ch) {
                bench.section.DarkPlanes[ch] = makePlane(W, H, darkAt);
                bench.section.FlatPlanes[ch] = makePlane(W, H, flatAt);
            }
            bench.options.Usedarkframe = bench.options.UseFlatfield = true;
        }
        for (int f = 0; f < Frames; ++f) {
            // 16-bit frames hold whole words, read back on the byte scale.
            bench.source.frames.push_back(makePlane(W, H, [&](int x, int y) {
                return c.kind == FrameSamples::HighBit ? std::floor(sampleAt(f, x, y) * 200.0f)
                                                       : sampleAt(f, x, y);
            }));
            bench.model->FrameTable[f].Slots[0].X = shifts[f][0];
            bench.model->FrameTable[f].Slots[0].Y = shifts[f][1];
            bench.model->FrameTable[f].Slots[0].Brightness = brightness[f];
        }
        ASSERT_EQ(bench.stack().outcome, StackOutcome::Stacked);
        for (int X = 0; X < W; ++X)
            for (int Y = 0; Y < H; ++Y) {
                float sum = 0.0f, weight = 0.0f;
                for (int f = 0; f < Frames; ++f) {
                    const int x = X + shifts[f][0], y = Y + shifts[f][1];
                    if (x < 0 || y < 0 || x >= W || y >= H) continue;
                    float v = bench.source.frames[static_cast<std::size_t>(f)][x][y];
                    if (c.kind == FrameSamples::HighBit) v *= 0.00392156862745098f;
                    if (c.darkFlat) v = (v - darkAt(x, y) * 0.0078125f) / flatAt(x, y);
                    sum += v * brightness[f];
                    weight += brightness[f];
                }
                if (weight == 0.0f) continue;
                const float expected = sum * (1.0f / weight);
                for (int ch = c.colour ? 0 : 1; ch <= (c.colour ? 2 : 1); ++ch)
                    ASSERT_EQ(bench.section.StackPlanes[ch][X][Y], expected) << ch << " at " << X << "," << Y;
                ASSERT_EQ(bench.section.StackWeightPlane[X][Y], weight) << X << "," << Y;
            }
    }
}

TEST(Accumulate, SixteenNoisyFramesCutTheNoiseFourfold) {
    StackBench bench(120, 90, 16);
    const auto noise = test::gaussian(10.0, 7);
    for (int i = 0; i < 16; ++i)
        bench.source.frames.push_back(
            makePlane(120, 90, [&](int x, int y) { return truthAt(x, y) + noise(); }));
    ASSERT_EQ(bench.stack().outcome, StackOutcome::Stacked);
    double sum = 0, squares = 0;
    for (int x = 0; x < 120; ++x)
        for (int y = 0; y < 90; ++y) {
            const double d = bench.section.StackPlanes[1][x][y] - truthAt(x, y);
            sum += d;
            squares += d * d;
        }
    const double n = 120.0 * 90.0;
    const double sigma = std::sqrt(squares / n - (sum / n) * (sum / n));
    EXPECT_NEAR(sigma, 10.0 / std::sqrt(16.0), 0.25);
}

TEST(Accumulate, SamplesEnterOnTheByteScaleWithDarkAndFlatApplied) {
    // 16-bit words count 1/255 each; 8-bit bytes as they are.
    StackBench words(8, 6, 1);
    words.source.kind = FrameSamples::HighBit;
    words.source.frames.push_back(makePlane(8, 6, [](int, int) { return 25500.0f; }));
    words.stack();
    EXPECT_FLOAT_EQ(words.section.StackPlanes[1][4][3], 100.0f);

    StackBench bytes(8, 6, 1);
    bytes.source.kind = FrameSamples::Bitmap;
    bytes.source.frames.push_back(makePlane(8, 6, [](int, int) { return 100.0f; }));
    // The dark planes hold 128 times the dark frame; the flat is relative to its mean.
    for (int c = 0; c < 3; ++c) {
        bytes.section.DarkPlanes[c] = makePlane(8, 6, [](int, int) { return 1280.0f; });
        bytes.section.FlatPlanes[c] = makePlane(8, 6, [](int x, int) { return x < 4 ? 0.5f : 2.0f; });
    }
    bytes.options.Usedarkframe = bytes.options.UseFlatfield = true;
    const StackResult corrected = bytes.stack();
    EXPECT_FALSE(corrected.darkSwitchedOff);
    EXPECT_FLOAT_EQ(bytes.section.StackPlanes[1][1][3], (100.0f - 10.0f) / 0.5f);
    EXPECT_FLOAT_EQ(bytes.section.StackPlanes[1][6][3], (100.0f - 10.0f) / 2.0f);

    // A dark of another size would be read outside its planes: it is switched off, with a word.
    bytes.section.DarkPlanes[1] = T2dArrays(2, 2);
    bytes.messages.clearHistory();
    const StackResult mismatched = bytes.stack();
    EXPECT_TRUE(mismatched.darkSwitchedOff);
    ASSERT_FALSE(bytes.messages.history().empty());
    EXPECT_EQ(bytes.messages.history()[0].caption, "Imagesize error");
    EXPECT_EQ(bytes.messages.history()[0].text, " darkframe size does not match imagesize !!");
    EXPECT_FLOAT_EQ(bytes.section.StackPlanes[1][1][3], 100.0f / 0.5f);
}

TEST(Accumulate, BrightnessBalanceWeighsEachFrame) {
    StackBench bench(6, 5, 3);
    for (const float v : {100.0f, 200.0f, 40.0f})
        bench.source.frames.push_back(makePlane(6, 5, [v](int, int) { return v; }));
    bench.model->FrameTable[0].Slots[0].Brightness = 1.0f;
    bench.model->FrameTable[1].Slots[0].Brightness = 3.0f;
    bench.model->FrameTable[2].Slots[0].Brightness = 0.0f;  // counts as 0.001
    bench.stack();
    EXPECT_FLOAT_EQ(bench.section.StackPlanes[1][2][2], 340.0f / 3.0f);  // balance off: the plain mean
    bench.options.IntensBalance = true;
    bench.stack();
    EXPECT_NEAR(bench.section.StackPlanes[1][2][2], (100.0 + 600.0 + 0.04) / 4.001, 1e-3);
    EXPECT_NEAR(bench.section.StackWeightPlane[2][2], 4.001, 1e-5);
}

TEST(Accumulate, EveryColourChannelIsDividedByItsOwnWeight) {
    // FITS colour input: each frame feeds the channel it names, luminance included.
    StackBench fits(6, 5, 7);
    fits.model->InputIsFIT = fits.model->InputIsSeries = true;
    fits.options.Colourstack = true;
    fits.options.Histostretch = true;
    const int channels[] = {0, 1, 1, 1, 2, 0, 3};
    const float values[] = {40, 100, 110, 120, 150, 60, 200};
    for (int i = 0; i < 7; ++i) {
        fits.source.frames.push_back(makePlane(6, 5, [&](int, int) { return values[i]; }));
        fits.source.channel.push_back(channels[i]);
    }
    const StackResult result = fits.stack();
    EXPECT_FLOAT_EQ(fits.section.StackPlanes[0][3][2], 50.0f);
    EXPECT_FLOAT_EQ(fits.section.StackPlanes[1][3][2], 110.0f);
    EXPECT_FLOAT_EQ(fits.section.StackPlanes[2][3][2], 150.0f);
    EXPECT_FLOAT_EQ(fits.section.LumPlane[3][2], 200.0f);
    EXPECT_TRUE(result.luminanceStacked);
    EXPECT_EQ(result.ChannelFrameCount, (std::array<int, 4>{2, 3, 1, 1}));

    // SER without debayering: the raw value goes to all three channels, each the plain mean.
    StackBench ser(6, 5, 3);
    ser.model->InputIsSER = ser.model->InputIsSeries = true;
    ser.options.Colourstack = true;
    for (const float v : {10.0f, 20.0f, 60.0f})
        ser.source.frames.push_back(makePlane(6, 5, [v](int, int) { return v; }));
    ser.stack();
    for (int c = 0; c < 3; ++c) EXPECT_FLOAT_EQ(ser.section.StackPlanes[c][1][1], 30.0f) << c;
}

TEST(Accumulate, InterlacedFieldsTakeTheirOwnRowsAndShifts) {
    // Even rows (field 0) hold 10x, odd rows (field 1) 10x + 1. Field 0 is registered at slot 2
    // (one pixel right), field 1 at slot 0 (no shift).
    StackBench bench(20, 10, 1);
    bench.source.kind = FrameSamples::Bitmap;
    bench.source.frames.push_back(makePlane(20, 10, [](int x, int y) { return 10.0f * x + y % 2; }));
    bench.model->FrameTable[0].Slots[2].X = 1;
    bench.options.interlaced = true;
    bench.options.Colourstack = true;
    bench.stack();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 19; ++x)
            ASSERT_EQ(bench.section.StackPlanes[1][x][y], y % 2 == 0 ? 10.0f * (x + 1) : 10.0f * x + 1)
                << x << "," << y;

    // Every row of both fields: odd rows interpolated from field 0 count too.
    bench.options.interlaceinterpolation = 1;
    bench.stack();
    EXPECT_EQ(bench.section.StackWeightPlane[5][4], 2.0f);
    EXPECT_EQ(bench.section.StackPlanes[1][5][3], (10.0f * 6 + 10.0f * 5 + 1) / 2);
}

// Two enabled alignment points at (20, 20) and (60, 20), every difference under their cuts.
void setTwoPoints(StackPointSet& points) {
    points.MultiPointMode = true;
    points.Alignpoints = 2;
    points.PointPos[1] = {20, 20};
    points.PointPos[2] = {60, 20};
    for (int p = 1; p <= 2; ++p) {
        points.PointEnabled[p] = true;
        points.PointDifferenceCut[p] = 1e6f;
    }
}

// Two alignment points at (20, 20) and (60, 20); the left half of every frame's content is
// displaced d pixels right, the right half d pixels left, so the two zones move 2 d apart.
void stackTwoZones(bool fastStack, int d, bool seams) {
    SCOPED_TRACE(testing::Message() << "fast " << fastStack << ", d " << d << ", seams " << seams);
    StackBench bench(80, 40, 3);
    for (int i = 0; i < 3; ++i)
        bench.source.frames.push_back(
            makePlane(80, 40, [d](int x, int y) { return x < 40 ? truthAt(x - d, y) : truthAt(x + d, y); }));
    StackPointSet& points = bench.options.Points;
    setTwoPoints(points);
    bench.options.FastStack = fastStack;
    bench.options.Seams = seams;
    bench.options.SeamWidths = 3.0f;
    for (int i = 0; i < 3; ++i) {
        TFrameRec& rec = bench.model->FrameTable[i];
        rec.Slots[0].X = d;
        rec.Slots[1].X = d;
        rec.Slots[2].X = -d;
        rec.Slots[1].Difference = rec.Slots[2].Difference = 1.0f;
    }
    const StackResult result = bench.stack();
    ASSERT_EQ(result.outcome, StackOutcome::Stacked);
    EXPECT_EQ(result.StackListCount, 3);  // the flagged count
    EXPECT_EQ(fastStack, !result.MultiStackimage.empty());
    // The zones tile the stack: every pixel the frames cover holds all three frames (the seam's
    // blend adds half a frame's weight at most), and away from the seam each zone is in place.
    for (int x = d + 1; x < 79 - d; ++x)
        for (int y = 0; y < 40; ++y) {
            const float weight = bench.section.StackWeightPlane[x][y];
            ASSERT_GE(weight, 3.0f) << x << "," << y;
            ASSERT_LE(weight, 4.5f) << x << "," << y;
            if (x < 35 || x > 44) {
                ASSERT_NEAR(bench.section.StackPlanes[1][x][y], truthAt(x, y), 1.0) << x << "," << y;
            }
        }

    // A frame whose points are all out of use (here: never measured) adds nothing.
    for (int p = 1; p <= 2; ++p) points.PointDifferenceCut[p] = 2e7f;
    for (int i = 0; i < 3; ++i)
        bench.model->FrameTable[i].Slots[1].Difference = bench.model->FrameTable[i].Slots[2].Difference =
            1e7f;
    ASSERT_EQ(bench.stack().outcome, StackOutcome::Stacked);
    EXPECT_EQ(bench.section.StackWeightPlane[10][10], 1.0f);  // no weight, stored as 1
    EXPECT_EQ(bench.section.StackPlanes[1][10][10], 0.0f);
}

TEST(Accumulate, AlignmentPointZonesTakeTheirOwnShiftsAndTileTheStack) {
    for (bool fastStack : {false, true})
        for (int d : {1, 2, 3})
            for (bool seams : {false, true}) stackTwoZones(fastStack, d, seams);
}

// Point 2 lies one pixel further in two of four frames: its mean shift is half a pixel, and once
// removed every zone's move is half a pixel off a whole one. Each frame's move is rounded on its
// own (halves to even, to 0): the left zone shows the ramp where it lies.
TEST(Accumulate, AZoneMovesByEachFramesOwnRoundedShift) {
    StackBench bench(80, 40, 4);
    for (int i = 0; i < 4; ++i)
        bench.source.frames.push_back(makePlane(80, 40, [](int x, int) { return 2.0f * x; }));
    setTwoPoints(bench.options.Points);
    bench.options.Macorrect = true;
    for (int i = 0; i < 4; ++i) {
        TFrameRec& rec = bench.model->FrameTable[i];
        rec.Slots[2].X = i < 2 ? 0 : 1;
        rec.Slots[1].Difference = rec.Slots[2].Difference = 1.0f;
    }
    ASSERT_EQ(bench.stack().outcome, StackOutcome::Stacked);
    for (int x = 4; x < 30; ++x) ASSERT_FLOAT_EQ(bench.section.StackPlanes[1][x][10], 2.0f * x) << x;
}

TEST(Accumulate, SigmaClipRejectsAHotPixelThatThePlainMeanKeeps) {
    StackBench bench(16, 12, 20);
    const auto noise = test::gaussian(2.0, 11);
    for (int i = 0; i < 20; ++i)
        bench.source.frames.push_back(
            makePlane(16, 12, [&](int x, int y) { return 120.0f + x + y + noise(); }));
    double clean = 0;
    for (const T2dArrays& f : bench.source.frames) clean += f[5][6];
    clean /= 20;
    bench.source.frames[7][5][6] = 255.0f;

    bench.stack();
    EXPECT_GT(bench.section.StackPlanes[1][5][6] - clean, (255.0 - clean) / 20 - 0.5);

    bench.options.Statistical = true;
    const StackResult first = bench.stack();
    EXPECT_TRUE(first.SigmaFinalPass);
    bench.options.SigmaFinalPass = true;
    const StackResult final = bench.stack();
    EXPECT_FALSE(final.SigmaFinalPass);
    EXPECT_NEAR(bench.section.StackPlanes[1][5][6], clean, 0.5);
    EXPECT_EQ(bench.section.StackWeightPlane[5][6], 19.0f);
}

// Half the samples of one pixel at 100, half at 200: with k = 0.5 both halves lie outside
// 150 +- 25. The pixel keeps the plain mean of its samples; its neighbours are clipped as usual.
TEST(Accumulate, APixelWhoseEverySampleIsClippedKeepsTheirMean) {
    for (const bool colour : {false, true}) {
        StackBench bench(8, 8, 10);
        for (int i = 0; i < 10; ++i)
            bench.source.frames.push_back(makePlane(
                8, 8, [i](int x, int y) { return x == 3 && y == 4 ? (i % 2 ? 200.0f : 100.0f) : 50.0f; }));
        bench.options.Colourstack = colour;
        bench.options.Statistical = true;
        bench.options.Statisticspin = 0.5f;
        bench.stack();
        bench.options.SigmaFinalPass = true;
        ASSERT_EQ(bench.stack().outcome, StackOutcome::Stacked);
        for (int c = colour ? 0 : 1; c <= (colour ? 2 : 1); ++c) {
            EXPECT_FLOAT_EQ(bench.section.StackPlanes[c][3][4], 150.0f) << c;
            EXPECT_FLOAT_EQ(bench.section.StackPlanes[c][2][4], 50.0f) << c;
        }
    }
}

TEST(Accumulate, SigmaSidesSwitchedOffAcceptEverySample) {
    // Samples at 0, at the byte limit and far above it (FITS) all stay when neither side clips.
    StackBench bench(4, 4, 4);
    bench.model->InputIsFIT = true;
    for (const float v : {0.0f, 255.0f, 1000.0f, -40.0f})
        bench.source.frames.push_back(makePlane(4, 4, [v](int, int) { return v; }));
    bench.options.Statistical = true;
    bench.options.Sigmalo = bench.options.sigmahi = false;
    bench.stack();
    bench.options.SigmaFinalPass = true;
    bench.stack();
    EXPECT_FLOAT_EQ(bench.section.StackPlanes[1][2][2], (255.0f + 1000.0f - 40.0f) / 4.0f);
    EXPECT_EQ(bench.section.StackWeightPlane[2][2], 4.0f);

    // With the highest value rejected, the running maximum starts at the first sample, so a
    // pixel whose samples are all negative still loses only its maximum.
    StackBench negative(4, 4, 3);
    negative.model->InputIsFIT = true;
    for (const float v : {-30.0f, -10.0f, -20.0f})
        negative.source.frames.push_back(makePlane(4, 4, [v](int, int) { return v; }));
    negative.options.Statistical = negative.options.RejectMax = true;
    negative.options.Sigmalo = false;
    negative.stack();
    EXPECT_FLOAT_EQ(negative.section.WorkPlanes[1][1][1], -10.0f);
    negative.options.SigmaFinalPass = true;
    negative.stack();
    EXPECT_FLOAT_EQ(negative.section.StackPlanes[1][1][1], -25.0f);
}

}  // namespace
}  // namespace kestrave
