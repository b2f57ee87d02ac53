// The point optimizer: one point is the optimizer loop on that point's shifts, filed back into its
// slot; the points run from the highest down and slot 0 ends as point 1; a difference never
// measured raises no point's cut, and a point with none measured gets the cut 0.

#include <gtest/gtest.h>

#include "optimizer_bench.h"
#include "registration/point_optimizer.h"
#include "support/thread_count_scope.h"

namespace kestrave::test {
namespace {

constexpr int Frames = 10;

class OrderObserver : public PointOptimizerObserver {
public:
    void pointStarting(int point, int) override { started.push_back(point); }
    std::vector<int> started;
};

// Frame j shows the scene moved by (j % 3 - 1 + 0.3, 1 - j % 2 - 0.2); the alignment found the
// whole shift one pixel off in x.
void setFrames(OptimizerBench& bench) {
    for (int j = 0; j < Frames; ++j)
        bench.setFrame(j, j % 3 - 1 + 0.3, 1 - j % 2 - 0.2, j % 3, 1 - j % 2, 500.0f + j);
}

struct PointBench {
    OptimizerBench bench{160, 160, Frames, 64};
    AlignmentPoints points;
    PointLimits limits;
    OrderObserver observer;
    PointOptimizerInput input;

    // Points 1..count at the feature with the 64 box, each starting from the alignment's shifts
    // moved by the point's number.
    explicit PointBench(int count) {
        setFrames(bench);
        std::vector<AlignPoint> placed(static_cast<std::size_t>(count),
                                       {bench.program.FeatureX, bench.program.FeatureY, 64});
        setAlignPoints(points, placed);
        points.Alignpoints = count;
        for (int j = 0; j < Frames; ++j) {
            TFrameRec& rec = bench.model->FrameTable[j];
            for (int p = 1; p <= count; ++p) {
                TAlignSlotRec& slot = rec.Slots[p];
                slot = rec.Slots[0];
                slot.X = slot.SavedX = rec.Slots[0].SavedX + (p - 1);
                slot.Difference = rec.AlignDifference + p;
                slot.Quality = 1.0f;
            }
            rec.Slots[0] = {};
        }
        input.lastFrame = Frames - 1;
        input.DifSliderMalign = 1000;
    }
    PointOptimizerResult run() {
        return Optimize_AllAlignpoints(bench.context, bench.options, points, limits, input, observer);
    }
};

TEST(PointOptimizer, OnePointIsTheOptimizerOnItsShiftsFiledBack) {
    OptimizerBench single(160, 160, Frames, 64);
    setFrames(single);
    for (int j = 0; j < Frames; ++j) single.model->FrameTable[j].AlignDifference += 1.0f;
    single.optimize();

    PointBench point(1);
    ASSERT_FALSE(point.run().cancelled);
    float largest = 0.0f;
    for (int j = 0; j < Frames; ++j) {
        const TAlignSlotRec& expected = single.model->FrameTable[j].Slots[0];
        for (int slot : {0, 1}) {
            const TAlignSlotRec& got = point.bench.model->FrameTable[j].Slots[slot];
            EXPECT_EQ(got.X, expected.X) << j << " slot " << slot;
            EXPECT_EQ(got.Y, expected.Y) << j << " slot " << slot;
            EXPECT_EQ(got.Difference, expected.Difference) << j << " slot " << slot;
        }
        largest = std::max(largest, expected.Difference);
    }
    EXPECT_FLOAT_EQ(point.limits.PointDifferenceCut[1], largest);
    EXPECT_EQ(point.observer.started, std::vector<int>{1});
    EXPECT_EQ(point.bench.program.progstatus, TProgStatus::psOptimized);
}

// Every frame excluded: nothing is optimized and every difference stays as the alignment left it.
TEST(PointOptimizer, NeverMeasuredDifferencesRaiseNoCut) {
    struct Case {
        const char* name;
        bool excludeAll;
    };
    for (const Case c : {Case{"frame 4 left out", false}, Case{"every frame left out", true}}) {
        SCOPED_TRACE(c.name);
        PointBench bench(3);
        FrameModel& model = *bench.bench.model;
        for (int j = 0; j < Frames; ++j) {
            model.FrameTable[j].Slots[2].Difference = 1e7f;
            model.FrameTable[j].Excluded = c.excludeAll || j == 4;
        }
        bench.run();
        EXPECT_EQ(bench.observer.started, (std::vector<int>{3, 2, 1}));
        EXPECT_EQ(model.FrameTable[4].Slots[2].Difference, 1e7f) << "an excluded frame is not optimized";
        float measured = 0.0f;
        for (int j = 0; j < Frames; ++j)
            if (j != 4) measured = std::max(measured, model.FrameTable[j].Slots[2].Difference);
        EXPECT_EQ(bench.limits.PointDifferenceCut[2], c.excludeAll ? 0.0f : measured);
        EXPECT_LT(bench.limits.PointDifferenceCut[2], 1e7f);
        // Slot 0 ends as point 1, with point 1's start in the saved shift.
        for (int j = 0; j < Frames; ++j) {
            const TFrameRec& rec = model.FrameTable[j];
            EXPECT_EQ(rec.Slots[0].X, rec.Slots[1].X) << j;
            EXPECT_EQ(rec.Slots[0].SavedX, rec.Slots[1].SavedX) << j;
            EXPECT_EQ(rec.AlignDifference, 500.0f + j + 1.0f) << j;
        }
    }
}

TEST(PointOptimizer, TheResultIsTheSameAtOneAndEightThreads) {
    std::vector<std::vector<TAlignSlotRec>> results;
    for (const int threads : {1, 8}) {
        const ThreadCountScope scope(threads);
        PointBench bench(3);
        bench.run();
        std::vector<TAlignSlotRec>& slots = results.emplace_back();
        for (int j = 0; j < Frames; ++j)
            for (int p = 0; p <= 3; ++p) slots.push_back(bench.bench.model->FrameTable[j].Slots[p]);
    }
    for (std::size_t k = 0; k < results[0].size(); ++k) {
        EXPECT_EQ(results[0][k].X, results[1][k].X) << k;
        EXPECT_EQ(results[0][k].Y, results[1][k].Y) << k;
        EXPECT_EQ(results[0][k].Difference, results[1][k].Difference) << k;
    }
}

TEST(PointOptimizer, AFrameOutsideTheRankingCountsAsRankZero) {
    PointBench bench(1);
    EXPECT_EQ(rankOfFrame(*bench.bench.model, 3, Frames - 1), 3);
    EXPECT_EQ(rankOfFrame(*bench.bench.model, 40, Frames - 1), 0);
}

}  // namespace
}  // namespace kestrave::test
