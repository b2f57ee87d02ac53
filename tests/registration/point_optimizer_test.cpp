// The point optimizer: one point is the optimizer loop on that point's shifts, filed back into its
// slot; the points run from the highest down and slot 0 ends as point 1; a difference never
// measured raises no point's cut, and a point with none measured gets the cut 0.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

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

// Frame j of the bench shows the scene moved by (shiftX, shiftY), which its alignment found
// exactly, for every point.
void moveFrame(PointBench& bench, int j, int shiftX, int shiftY) {
    bench.bench.setFrame(j, shiftX, shiftY, shiftX, shiftY, 500.0f + j);
    TFrameRec& rec = bench.bench.model->FrameTable[j];
    for (int p = 1; p <= bench.points.Alignpoints; ++p) {
        rec.Slots[p].X = rec.Slots[p].SavedX = shiftX;
        rec.Slots[p].Y = rec.Slots[p].SavedY = shiftY;
    }
}

// Points aligned on the whole-frame box measured against another frame of the input (its picture
// the reference): their shifts are filed as shifts from the frame the points were placed on, the
// same as measured against that frame, and slot 0 and the feature end as point 1's.
TEST(PointOptimizer, AgainstAnotherFrameTheShiftsStayThoseFromThePlacementFrame) {
    std::vector<std::unique_ptr<PointBench>> benches;
    for (const int reference : {-1, 5}) {
        PointBench& bench = *benches.emplace_back(std::make_unique<PointBench>(2));
        moveFrame(bench, 5, 3, -2);
        bench.input.wholeFrameStart = true;
        bench.input.referenceFrame = reference;
        if (reference >= 0) bench.bench.registration.Image1 = bench.bench.source.pictures[5];
        ASSERT_FALSE(bench.run().cancelled);
    }
    for (int j = 0; j < Frames; ++j) {
        for (int p = 0; p <= 2; ++p) {
            const TAlignSlotRec& placed = benches[0]->bench.model->FrameTable[j].Slots[p];
            const TAlignSlotRec& other = benches[1]->bench.model->FrameTable[j].Slots[p];
            EXPECT_EQ(other.X, placed.X) << j << " slot " << p;
            EXPECT_EQ(other.Y, placed.Y) << j << " slot " << p;
            EXPECT_EQ(other.SavedX, placed.SavedX) << j << " slot " << p;
        }
    }
    EXPECT_EQ(benches[1]->bench.program.FeatureX, benches[1]->points.PointPos[1].X);
    EXPECT_EQ(benches[1]->bench.program.FeatureY, benches[1]->points.PointPos[1].Y);
}

// The square 20..60 of the picture, around a point at (40, 40), becomes flat ground: one level and
// a ripple of a level or two.
void flattenAroundPoint2(Bitmap24& picture) {
    for (int y = 20; y <= 60; ++y)
        for (int x = 20; x <= 60; ++x)
            std::fill_n(picture.pixel(x, y), 3, static_cast<std::uint8_t>(100 + (x * 7 + y * 13) % 3));
}

// A point whose box on the reference holds nothing (a flat plain) places its zone as the nearest
// point that holds does, in every frame.
TEST(PointOptimizer, APointOnFlatGroundFollowsTheNearestPointThatHolds) {
    PointBench bench(3);
    setAlignPoints(bench.points, std::vector<AlignPoint>{{80, 80, 64}, {40, 40, 32}, {120, 120, 32}});
    Bitmap24& reference = bench.bench.registration.Image1;
    flattenAroundPoint2(reference);
    bench.input.wholeFrameStart = true;
    ASSERT_FALSE(bench.run().cancelled);
    int apart = 0;
    for (int j = 0; j < Frames; ++j) {
        const TAlignSlotRec* slots = bench.bench.model->FrameTable[j].Slots;
        EXPECT_EQ(slots[2].X, slots[1].X) << j;
        EXPECT_EQ(slots[2].Y, slots[1].Y) << j;
        EXPECT_NE(slots[2].Difference, 1e7f) << j << ": the zone keeps its frames";
        apart += slots[3].X != slots[1].X || slots[3].Y != slots[1].Y;
    }
    EXPECT_EQ(apart, 0) << "point 3 holds detail and finds the same shifts as point 1";
    EXPECT_TRUE(boxHoldsNothing(reference, 40, 40, 16));
    EXPECT_FALSE(boxHoldsNothing(reference, 120, 120, 16));
}

// A box is judged to hold anything on the placement picture when one is given, not on the
// reference: a reference made from a stack shows a faint edge no frame can lock on, and a flat
// patch of the reference says nothing of the frames when the placement picture holds detail there.
TEST(PointOptimizer, ABoxIsJudgedOnThePlacementPictureWhenOneIsGiven) {
    struct Case {
        const char* name;
        bool flatReference, flatPlacement, placementGiven, follows;
    };
    const Case cases[] = {
        {"flat on the reference alone", true, false, false, true},
        {"flat on the placement picture", false, true, true, true},
        {"detail on the placement picture", true, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PointBench bench(3);
        setAlignPoints(bench.points, std::vector<AlignPoint>{{80, 80, 64}, {40, 40, 32}, {120, 120, 32}});
        Bitmap24& reference = bench.bench.registration.Image1;
        Bitmap24 placement = reference;
        if (c.flatReference) flattenAroundPoint2(reference);
        if (c.flatPlacement) flattenAroundPoint2(placement);
        if (c.placementGiven) bench.input.placementPicture = &placement;
        bench.input.wholeFrameStart = true;
        const PointOptimizerResult result = bench.run();
        ASSERT_FALSE(result.cancelled);
        using Followers = std::vector<std::pair<int, int>>;
        const Followers expected = c.follows ? Followers{{2, 1}} : Followers{};
        EXPECT_EQ(result.followers, expected);
    }
}

// Point 1 on flat ground follows its nearest point that holds (or, when none holds, keeps the
// alignment's shifts): slot 0 must end where point 1's zone went, since the stack places every
// zone at slot 0 plus the zone's offset from point 1. Under "Multi-Quantity", on the whole-frame
// start and from the reference frame the points were placed on; resampled, the optimizer's shifts
// are in resampled pixels, and slot 0 must say which unit it holds.
TEST(PointOptimizer, AFollowingPointOneLeavesSlotZeroWhereItsZoneWent) {
    struct Case {
        const char* name;
        bool multiQuantity, wholeFrameStart, noneHolds, resampled;
    };
    for (const Case c : {Case{"Multi-Quantity", true, false, false, false},
                         Case{"whole-frame start", false, true, false, false},
                         Case{"no point holds", false, true, true, false},
                         Case{"no point holds, resampled", false, true, true, true}}) {
        SCOPED_TRACE(c.name);
        PointBench bench(3);
        setAlignPoints(bench.points, std::vector<AlignPoint>{{40, 40, 32}, {80, 80, 64}, {120, 120, 32}});
        bench.points.Alignpoints = 3;
        Bitmap24& reference = bench.bench.registration.Image1;
        for (int y = 0; y < reference.height(); ++y)
            for (int x = 0; x < reference.width(); ++x) {
                if (!c.noneHolds && (x > 64 || y > 64)) continue;
                std::uint8_t* pixel = reference.pixel(x, y);
                pixel[0] = pixel[1] = pixel[2] = static_cast<std::uint8_t>(100 + (x * 7 + y * 13) % 3);
            }
        for (int j = 0; j < Frames; ++j) bench.bench.model->FrameTable[j].Slots[1].Quality = 2.0f;
        bench.input.MultiQuantity = c.multiQuantity;
        bench.input.wholeFrameStart = c.wholeFrameStart;
        bench.bench.options.search.Resampled = c.resampled;
        bench.bench.options.search.ResampleFactor = 2.0f;
        const PointOptimizerResult result = bench.run();
        ASSERT_FALSE(result.cancelled);
        ASSERT_FALSE(result.followers.empty());
        EXPECT_EQ(result.followers.front(), (std::pair<int, int>{1, c.noneHolds ? 0 : 2}));
        // A best point quality of 0 (never measured) counts as 1.0, the key of rank 0 with it.
        if (c.multiQuantity) {
            EXPECT_EQ(bench.bench.model->FrameRanking[0].Key, 1.0f);
            for (int p = 1; p <= 3; ++p) EXPECT_EQ(bench.points.PointBestQuality[p], 1.0f) << p;
        }
        for (int j = 0; j < Frames; ++j) {
            const TFrameRec& rec = bench.bench.model->FrameTable[j];
            EXPECT_EQ(rec.Slots[0].X, rec.Slots[1].X) << j;
            EXPECT_EQ(rec.Slots[0].Y, rec.Slots[1].Y) << j;
            EXPECT_EQ(rec.Slots[0].ShiftScale, rec.Slots[1].ShiftScale) << j;
            EXPECT_EQ(rec.Slots[0].SavedX, rec.Slots[1].SavedX) << j;
            if (!c.noneHolds) {
                EXPECT_EQ(rec.Slots[1].X, rec.Slots[2].X) << j;
            }
        }
    }
}

// Every point's start is one pixel or more off the true shift, with a difference no candidate can
// beat. Started from its measured difference a point keeps its start; after a pass on the
// whole-frame box, measured on none of the points' boxes, every point's optimizer starts afresh
// and finds the true shift.
TEST(PointOptimizer, TheWholeFrameStartStartsEveryPointAfresh) {
    for (const bool wholeFrame : {false, true}) {
        SCOPED_TRACE(wholeFrame);
        PointBench bench(2);
        for (int j = 0; j < Frames; ++j)
            for (int p = 1; p <= 2; ++p) bench.bench.model->FrameTable[j].Slots[p].Difference = 0.0f;
        bench.input.wholeFrameStart = wholeFrame;
        ASSERT_FALSE(bench.run().cancelled);
        for (int j = 0; j < Frames; ++j)
            for (int p = 1; p <= 2; ++p) {
                const TAlignSlotRec& slot = bench.bench.model->FrameTable[j].Slots[p];
                EXPECT_EQ(slot.X, wholeFrame ? j % 3 - 1 : slot.SavedX) << j << " point " << p;
            }
    }
}

// A grey square picture `size` pixels wide: level(x, y) plus seeded noise of `noise` levels
// peak to peak, clamped to 0..255.
template <class Level>
Bitmap24 greyPicture(int size, unsigned seed, int noise, const Level& level) {
    Bitmap24 picture(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int grain = static_cast<int>((seed >> 16) % static_cast<unsigned>(noise + 1)) - noise / 2;
            const double v = level(x, y) + grain;
            std::fill_n(picture.pixel(x, y), 3, static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)));
        }
    return picture;
}

// Which boxes can carry the alignment of every frame: enough detail over the noise, summed over
// the box, and a box of 64 pixels or more.
TEST(PointOptimizer, ABoxCarriesTheAlignmentWithEnoughDetailOverItsNoise) {
    struct Case {
        const char* name;
        int half;         // half side of the box
        double contrast;  // peak-to-peak of a sine across the box, levels
        bool carries;
    };
    const Case cases[] = {
        {"noise alone", 32, 0, false},
        {"faint detail", 32, 4, false},
        // Either side of what the frames were found to need: about 2770 over the noise (faint
        // maria threw frames off at 2787) and about 4170 (ground with 4160 aligned them well).
        {"detail that threw frames off", 32, 12.6, false},
        {"detail that aligned them", 32, 15.6, true},
        {"clear detail", 32, 40, true},
        {"clear detail in a 32-pixel box", 16, 40, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bitmap24 picture = greyPicture(96, 4321, 12, [&](int x, int y) {
            return 100 + c.contrast / 2 * std::sin(x * 0.3) * std::cos(y * 0.25);
        });
        EXPECT_EQ(boxCarriesAlignment(picture, 48, 48, c.half), c.carries);
    }
}

// Which boxes hold something to lock on: noise alone does not, any structure above it does.
TEST(PointOptimizer, ABoxHoldsNothingWhenItVariesNoMoreThanItsNoise) {
    struct Case {
        const char* name;
        double slope;   // levels per pixel across the box
        double crater;  // depth of a 6-pixel bowl at the centre
        int noise;      // peak-to-peak noise, levels
        bool nothing;
    };
    const Case cases[] = {
        {"flat, no noise", 0, 0, 0, true},
        {"noise alone", 0, 0, 12, true},
        {"a faint slope under the noise", 0.4, 0, 12, false},
        {"a crater in the noise", 0, 40, 12, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bitmap24 picture = greyPicture(64, 12345, c.noise, [&](int x, int y) {
            const double r = std::hypot(x - 32, y - 32);
            return 100 + c.slope * x + (r < 6 ? -c.crater * (1 - r / 6) : 0.0);
        });
        EXPECT_EQ(boxHoldsNothing(picture, 32, 32, 24), c.nothing);
    }
}

TEST(PointOptimizer, TheResultIsTheSameAtOneAndEightThreads) {
    std::vector<std::vector<TAlignSlotRec>> results;
    for (const int threads : {1, 8}) {
        const ThreadCountScope scope(threads);
        PointBench bench(3);
        bench.input.wholeFrameStart = true;
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
