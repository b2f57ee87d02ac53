// Drizzling: the drop table, where a drizzled star lands for a known sub-pixel shift, and drops
// that fall beyond the planes.

#include <gtest/gtest.h>

#include <cmath>

#include "stack_test_support.h"
#include "stacking/drizzle.h"

namespace kestrave {
namespace {

using test::StackBench;

TEST(Accumulate, DrizzleDropTableSpreadsThePixelOverTheCellsItCovers) {
    // Pixfrac 100 and factor 2: the drop is two stack pixels long and starts one stack pixel
    // (half a frame pixel) after the target.
    const DropAxis centred = drizzleDropAxis(0.0f, 2.0f, 100.0f);
    ASSERT_EQ(centred.first, 1);
    ASSERT_EQ(centred.count, 2);
    EXPECT_FLOAT_EQ(centred.weight[0], 0.5f);
    EXPECT_FLOAT_EQ(centred.weight[1], 0.5f);
    EXPECT_FLOAT_EQ(centred.weight[0] * centred.weight[1], 0.25f);  // four cells of 0.25

    // Content a quarter pixel to the right is moved back: weights 0.25, 0.5, 0.25 from cell 0.
    const DropAxis quarter = drizzleDropAxis(0.25f, 2.0f, 100.0f);
    ASSERT_EQ(quarter.first, 0);
    ASSERT_EQ(quarter.count, 3);
    EXPECT_FLOAT_EQ(quarter.weight[0], 0.25f);
    EXPECT_FLOAT_EQ(quarter.weight[1], 0.5f);
    EXPECT_FLOAT_EQ(quarter.weight[2], 0.25f);

    // Pixfrac 80: the drop is 1.6 stack pixels, 1.0 in cell 1 and 0.6 in cell 2.
    const DropAxis small = drizzleDropAxis(0.0f, 2.0f, 80.0f);
    ASSERT_EQ(small.count, 2);
    EXPECT_FLOAT_EQ(small.weight[0], 0.625f);
    EXPECT_FLOAT_EQ(small.weight[1], 0.375f);

    // Factor 3: the drop spans three stack pixels from 1.5.
    const DropAxis triple = drizzleDropAxis(0.0f, 3.0f, 100.0f);
    ASSERT_EQ(triple.first, 1);
    ASSERT_EQ(triple.count, 4);
    EXPECT_FLOAT_EQ(triple.weight[0], 0.5f / 3.0f);
    EXPECT_FLOAT_EQ(triple.weight[1], 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(triple.weight[3], 0.5f / 3.0f);

    // A shift beyond half a pixel is not a sub-pixel shift: it stays on the table at 0.5.
    const DropAxis far = drizzleDropAxis(3.0f, 2.0f, 100.0f);
    const DropAxis half = drizzleDropAxis(0.5f, 2.0f, 100.0f);
    EXPECT_EQ(far.first, half.first);
    EXPECT_EQ(far.count, half.count);
    EXPECT_EQ(far.weight, half.weight);
}

constexpr int StarWidth = 48, StarHeight = 40;

// A Gaussian star whose content lies `offset` pixels right of and below (20, 18).
T2dArrays starFrame(double offset) {
    return test::makePlane(StarWidth, StarHeight, [&](int x, int y) {
        const double dx = x - (20.0 + offset), dy = y - (18.0 + offset);
        return static_cast<float>(200.0 * std::exp(-(dx * dx + dy * dy) / (2 * 1.6 * 1.6)));
    });
}

// The sub-pixel shift the optimizer finds for `frame` against `reference` at whole shift
// `shift`: D(a) is the mean squared difference of reference(x) and frame(x + shift + a) over a
// window round the star, and the offset is (D(1) - D(-1)) / ((D(0) - max(D(1), D(-1))) * 2).
float optimizerSubPixelX(const T2dArrays& reference, const T2dArrays& frame, int shift) {
    const auto difference = [&](int a) {
        double sum = 0;
        for (int x = 8; x < 32; ++x)
            for (int y = 8; y < 28; ++y) {
                const double d = reference[x][y] - frame[x + shift + a][y + shift];
                sum += d * d;
            }
        return sum / (24 * 20);
    };
    const double minus = difference(-1), centre = difference(0), plus = difference(1);
    double m = std::max(plus, minus);
    if (m <= 0) m = 1e-5;
    if (m == centre) m = centre + 0.01;
    return static_cast<float>((plus - minus) / ((centre - m) * 2));
}

// Drizzles the frame registered at slot-0 shift `shift` and sub-pixel shift `sub` (both axes)
// and returns the star's centroid in frame pixels.
std::array<double, 2> drizzledCentroid(const T2dArrays& frame, int shift, float sub) {
    StackBench bench(StarWidth, StarHeight, 1);
    bench.options.Drizzling = bench.options.Drizzle2 = true;
    bench.options.Pixfrac = 100.0f;
    bench.source.frames.push_back(frame);
    TFrameRec& rec = bench.model->FrameTable[0];
    rec.Slots[0].X = rec.Slots[0].Y = shift;
    rec.SubPixelX = rec.SubPixelY = sub;
    EXPECT_EQ(bench.stack().outcome, StackOutcome::Stacked);
    double sum = 0, sx = 0, sy = 0;
    for (int x = 0; x < bench.section.AllocWidth; ++x)
        for (int y = 0; y < bench.section.AllocHeight; ++y) {
            const double v = bench.section.StackPlanes[1][x][y];
            sum += v;
            sx += v * x;
            sy += v * y;
        }
    return {sx / sum / 2.0, sy / sum / 2.0};
}

TEST(Accumulate, DrizzledStarAtAKnownSubPixelShiftLandsOnTheReference) {
    const T2dArrays reference = starFrame(0.0);
    const std::array<double, 2> target = drizzledCentroid(reference, 0, 0.0f);
    for (const double sub : {0.3, -0.4, 0.1}) {
        const T2dArrays frame = starFrame(2 + sub);
        // The optimizer's estimate has the sign of the content's displacement.
        const float measured = optimizerSubPixelX(reference, frame, 2);
        EXPECT_GT(measured * sub, 0.0) << sub;
        // With the exact sub-pixel shift the drop takes the star back onto the reference; adding
        // the shift instead (the drop moved by +sub) puts it twice as far off as not drizzling.
        const std::array<double, 2> removed = drizzledCentroid(frame, 2, static_cast<float>(sub));
        const std::array<double, 2> added = drizzledCentroid(frame, 2, static_cast<float>(-sub));
        EXPECT_NEAR(removed[0], target[0], 0.01) << sub;
        EXPECT_NEAR(removed[1], target[1], 0.01) << sub;
        EXPECT_NEAR(added[0] - target[0], 2.0 * sub, 0.01) << sub;
        // With the optimizer's own estimate the star lands within 0.1 pixel of the reference.
        const std::array<double, 2> estimated = drizzledCentroid(frame, 2, measured);
        EXPECT_NEAR(estimated[0], target[0], 0.1) << sub;
    }
}

TEST(Accumulate, DrizzleDropsBeyondTheLargestCanvasAreLeftOut) {
    // A 3000-pixel frame drizzled twice over reaches stack column 5998; the canvas stops at 4096.
    StackBench bench(3000, 3, 2);
    bench.options.Drizzling = bench.options.Drizzle2 = true;
    for (int i = 0; i < 2; ++i)
        bench.source.frames.push_back(test::makePlane(3000, 3, [](int, int) { return 50.0f; }));
    const StackResult result = bench.stack();
    ASSERT_EQ(result.outcome, StackOutcome::Stacked);
    EXPECT_EQ(result.ImageWidth, MaxFrameSize);
    EXPECT_EQ(bench.section.StackWeightPlane.xCount(), MaxFrameSize + SectionPlaneMargin);
    EXPECT_FLOAT_EQ(bench.section.StackPlanes[1][MaxFrameSize - 1][2], 50.0f);
}

}  // namespace
}  // namespace kestrave
