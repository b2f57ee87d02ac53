// The optimizer passes and loops: convergence of many frames with a total that never rises, the
// same result at any thread count, the stop rules, the restart after a new reference, the
// relative limit and cancel.

#include <gtest/gtest.h>

#include <tuple>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "optimizer_bench.h"
#include "support/thread_count_scope.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

struct TrueShift {
    double x, y;
};

// 40 frames of a 64 box, each shifted by a random sub-pixel amount and starting from its
// rounded shift moved by up to one pixel.
std::vector<TrueShift> randomShifts(OptimizerBench& bench, int frames, unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<double> shift(-4.0, 4.0);
    std::uniform_int_distribution<int> disturbance(-1, 1);
    std::vector<TrueShift> truth;
    for (int j = 0; j < frames; ++j) {
        const TrueShift t{shift(engine), shift(engine)};
        truth.push_back(t);
        bench.setFrame(j, t.x, t.y, static_cast<int>(std::nearbyint(t.x)) + disturbance(engine),
                       static_cast<int>(std::nearbyint(t.y)) + disturbance(engine));
    }
    return truth;
}

// The frame's records, byte for byte.
std::vector<unsigned char> recordBytes(const FrameModel& model, int frames) {
    std::vector<unsigned char> bytes;
    for (int j = 0; j < frames; ++j) {
        const TFrameRec& rec = model.FrameTable[j];
        const auto* p = reinterpret_cast<const unsigned char*>(&rec.Slots[0]);
        bytes.insert(bytes.end(), p, p + sizeof(TAlignSlotRec));
        for (float v : {rec.SubPixelX, rec.SubPixelY, rec.Improvement}) {
            unsigned char b[sizeof v];
            std::memcpy(b, &v, sizeof v);
            bytes.insert(bytes.end(), b, b + sizeof v);
        }
    }
    return bytes;
}

}  // namespace

TEST(Optimize, FortyFramesConvergeAndTheTotalNeverRises) {
    OptimizerBench bench(200, 200, 40, 64);
    const std::vector<TrueShift> truth = randomShifts(bench, 40, 11);
    std::string passStatus;
    bench.progress.onPoll = [&passStatus](NullProgress& progress) {
        if (passStatus.empty()) passStatus = progress.status(3);
    };
    const OptimizerRunResult run = bench.optimize();
    EXPECT_EQ(passStatus.rfind("Optimizing 41 frames", 0), 0u) << passStatus;
    EXPECT_FALSE(run.cancelled);
    ASSERT_GE(bench.observer.sums.size(), 2u);
    EXPECT_LT(bench.observer.sums[0], 40 * 1e7 * 0.001);
    for (std::size_t k = 1; k < bench.observer.sums.size(); ++k) {
        EXPECT_LE(bench.observer.sums[k], bench.observer.sums[k - 1]) << "pass " << k;
    }
    EXPECT_EQ(bench.alignment.DifferenceSum, bench.observer.sums.back());
    int close = 0;
    for (int j = 0; j < 40; ++j) {
        const TFrameRec& rec = bench.model->FrameTable[j];
        const double ex = rec.Slots[0].X + rec.SubPixelX - truth[j].x;
        const double ey = rec.Slots[0].Y + rec.SubPixelY - truth[j].y;
        close += std::abs(ex) <= 0.15 && std::abs(ey) <= 0.15;
    }
    EXPECT_GE(close, 38);
    EXPECT_EQ(bench.alignment.OptimizePass, run.passes);
    EXPECT_FALSE(bench.optimizer.InOptimizePass);
    EXPECT_EQ(bench.program.progstatus, TProgStatus::psOptimized);
    EXPECT_EQ(bench.program.ProcessStage, TProcessStage::stAligned);
    EXPECT_EQ(bench.program.activepage, TMainTab::tabStack);
    EXPECT_EQ(bench.progress.status(3).rfind("Optimizer(n=40) : Last improvement :", 0), 0u);
}

// Nor on whether the grey frames are read as their levels alone (with the prefilter and the gamma
// the patches are 24-bit pictures again; without them they stay levels).
TEST(Optimize, ResultDoesNotDependOnTheNumberOfThreadsNorOnReadingLevels) {
    for (bool filtered : {true, false}) {
        auto run = [filtered](int threads, bool levels = false) {
            ThreadCountScope scope(threads);
            OptimizerBench bench(200, 200, 40, 64);
            bench.source.levels = levels;
            randomShifts(bench, 40, 23);
            bench.options.search.Filteralignment = filtered;
            bench.options.search.Pregamma = filtered;
            BuildGammaTable(*bench.gamma, 0.8f);
            bench.optimize();
            return std::tuple{recordBytes(*bench.model, 40), bench.observer.sums, bench.observer.boxes};
        };
        const auto one = run(1);
        for (const auto& other : {run(8), run(8, true), run(1, true)}) {
            EXPECT_EQ(std::get<0>(one), std::get<0>(other)) << filtered;
            EXPECT_EQ(std::get<1>(one), std::get<1>(other)) << filtered;
            EXPECT_EQ(std::get<2>(one), std::get<2>(other)) << filtered;
        }
    }
}

TEST(Optimize, SingleRunOptimizerRunsOnePassOptimizeAndStackLoopsOn) {
    OptimizerBench bench(200, 200, 6, 64, 3, 0.05);
    randomShifts(bench, 6, 5);
    bench.options.search.FastOptim = true;
    EXPECT_EQ(bench.optimize().passes, 1);

    randomShifts(bench, 6, 5);
    const OptimizerRunResult stacked = optimizeBeforeStacking(bench.context, bench.options);
    EXPECT_GE(stacked.passes, 2);
    EXPECT_EQ(bench.program.activepage, TMainTab::tabStack);
}

TEST(Optimize, AfterAPassThatRaisedTheTotalAThresholdOf33GoesOnAnd34Stops) {
    for (int threshold : {33, 34}) {
        OptimizerBench bench(160, 160, 8, 32);
        randomShifts(bench, 8, 9);
        bench.model->FrameTable[7].Excluded = true;  // still counted in the total
        bench.options.OptimizeSpin = threshold;
        bench.observer.onPassStart = [&](int pass) {
            if (pass == 1) bench.model->FrameTable[7].Slots[0].Difference = 1e9f;
        };
        const OptimizerRunResult run = bench.optimize();
        ASSERT_GE(bench.observer.sums.size(), 2u);
        EXPECT_GT(bench.observer.sums[1], bench.observer.sums[0]);
        if (threshold == 33) {
            ASSERT_EQ(run.passes, 3);
            EXPECT_EQ(bench.observer.passes[2].optimized, 7);  // every frame was taken again
        } else {
            EXPECT_EQ(run.passes, 2);
        }
    }
}

TEST(Optimize, ReferenceWindowIsBuiltEvenWhenTheBestFrameIsLeftOut) {
    OptimizerBench bench(160, 160, 10, 32);
    const std::vector<TrueShift> truth = randomShifts(bench, 10, 13);
    bench.model->FrameTable[0].Excluded = true;
    bench.optimizer.RelativeLimit = 0.95f;  // keys 100 - j: positions 0..5
    bench.optimize();
    EXPECT_EQ(bench.observer.charts[0].quality.size(), 5u);
    for (int j = 1; j <= 5; ++j) {
        const TFrameRec& rec = bench.model->FrameTable[j];
        EXPECT_NEAR(rec.Slots[0].X + rec.SubPixelX, truth[j].x, 0.2) << j;
        EXPECT_NEAR(rec.Slots[0].Y + rec.SubPixelY, truth[j].y, 0.2) << j;
    }
    for (int j = 6; j < 10; ++j) EXPECT_EQ(bench.model->FrameTable[j].SubPixelX, 0.0f) << j;

    // A frame listed twice (positions past the ranked frames) is optimized once.
    bench.model->FrameTable[0].Excluded = false;
    bench.optimizer.RelativeLimit = 0.0f;
    bench.options.lastPosition = 12;
    bench.observer.positions.clear();
    bench.optimize();
    EXPECT_EQ(bench.observer.passes[0].optimized, 10);
    EXPECT_LT(*std::max_element(bench.observer.positions.begin(), bench.observer.positions.end()), 10);

    // The limit set at position 0 keeps position 0.
    OptimizerBench best(160, 160, 4, 32);
    randomShifts(best, 4, 13);
    best.model->FrameRanking[0].Key = 1234.567f;
    best.optimizer.RelativeLimit = best.model->FrameRanking[0].Key / best.model->FrameRanking[0].Key;
    best.optimize();
    EXPECT_EQ(best.observer.charts[0].quality.size(), 1u);
    EXPECT_EQ(best.observer.positions.front(), 0);
}

TEST(Optimize, CancelEndsThePassBetweenChunksAndStillPublishesTheTotal) {
    OptimizerBench bench(160, 160, 40, 32);
    randomShifts(bench, 40, 17);
    int polls = 0;
    bench.progress.onPoll = [&](NullProgress& port) {
        if (++polls == 2) port.setCancelRequested(true);
    };
    const OptimizerRunResult run = bench.optimize();
    EXPECT_TRUE(run.cancelled);
    EXPECT_EQ(run.passes, 1);
    EXPECT_EQ(bench.observer.passes[0].optimized, 32);
    EXPECT_TRUE(bench.observer.passes[0].cancelled);
    double sum = 0.0;
    for (int j = 0; j < 40; ++j) sum += bench.model->FrameTable[j].Slots[0].Difference;
    EXPECT_DOUBLE_EQ(bench.alignment.DifferenceSum, sum * 0.001);
    EXPECT_FALSE(bench.optimizer.InOptimizePass);
    EXPECT_EQ(bench.model->FrameTable[35].Slots[0].Difference, 1e7f);  // not reached
}

TEST(Optimize, NewReferenceRestartsEveryFrameAgainstTheProcessedPicture) {
    OptimizerBench bench(160, 160, 6, 32);
    const std::vector<TrueShift> truth = randomShifts(bench, 6, 19);
    for (int j = 0; j < 6; ++j) bench.model->FrameTable[j].AlignDifference = 4.0f;
    bench.optimizer.RegistrationCaption = "Reg";
    bench.optimizer.NewReferenceMade = true;
    // The processed picture shows the scene one pixel to the right of the old reference.
    bench.optimizer.ReferenceImage = bench.scene.picture(160, 160, 1.0, 0.0);
    bench.program.BatchMode = true;
    const OptimizerRunResult run = bench.optimize();
    EXPECT_FALSE(run.Warnings.has_value());  // no question in a batch run
    EXPECT_EQ(bench.observer.captions.front(), "Reg Restarting optimizer ");
    for (bool unmeasured : bench.observer.charts[0].unmeasured) EXPECT_TRUE(unmeasured);
    for (int j = 0; j < 6; ++j) {
        const TFrameRec& rec = bench.model->FrameTable[j];
        EXPECT_NEAR(rec.Slots[0].X + rec.SubPixelX, truth[j].x - 1.0, 0.2) << j;
    }

    // Outside a batch run the user is asked; No keeps the alignment's differences, and the
    // "do not repeat" box turns the warnings off.
    ScriptedMessages messages;
    messages.answer = mrNo;
    messages.checkBox = true;
    bench.program.BatchMode = false;
    OptimizerContext asking{*bench.model, bench.program, bench.registration, bench.alignment, bench.optimizer,
                            *bench.gamma, bench.source,  bench.progress,     messages,        bench.observer};
    bench.observer.charts.clear();
    const OptimizerRunResult declined = Optimize_Alignpoint(asking, bench.options);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Optimizer restart");
    EXPECT_EQ(messages.shown[0].text, " A new reference was created, continue ?");
    EXPECT_EQ(messages.shown[0].checkBoxCaption, "Ignore this type of warning ");
    EXPECT_EQ(declined.Warnings, std::optional<bool>(false));
    EXPECT_EQ(bench.observer.charts[0].difference[0], 4.0);

    // Without a new reference the caption gives the root of the mean and largest difference.
    bench.optimizer.NewReferenceMade = false;
    bench.observer.captions.clear();
    bench.optimize();
    EXPECT_EQ(bench.observer.captions.front(), "Reg Average pixel difference :2.000 max :2.000");
}

TEST(Optimize, OptimizeAndStackAsksWhenAPassRaisedTheTotal) {
    for (std::uint16_t answer : {mrYes, mrNo}) {
        OptimizerBench bench(160, 160, 5, 32);
        randomShifts(bench, 5, 29);
        for (int j = 0; j < 5; ++j) bench.model->FrameTable[j].AlignDifference = 4.0f;
        bench.model->FrameTable[4].Excluded = true;
        bench.observer.onPassStart = [&](int pass) {
            if (pass == 0) bench.model->FrameTable[4].Slots[0].Difference = 1e6f;
        };
        ScriptedMessages messages;
        messages.answer = answer;
        OptimizerContext asking{*bench.model,    bench.program, bench.registration, bench.alignment,
                                bench.optimizer, *bench.gamma,  bench.source,       bench.progress,
                                messages,        bench.observer};
        bench.progress.setCancelRequested(true);  // a stale request is cleared first
        const OptimizerRunResult run = optimizeBeforeStacking(asking, bench.options);
        EXPECT_FALSE(run.cancelled);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].caption, "Optimizing");
        EXPECT_EQ(messages.shown[0].text, "Differences increased due to new reference, continue ?");
        EXPECT_EQ(messages.shown[0].checkBoxCaption, " Do not repeat this type of warning ");
        EXPECT_EQ(run.Warnings, std::optional<bool>(true));
        if (answer == mrYes) {
            // Every frame restarted: the next pass measured them all again.
            ASSERT_GE(bench.observer.charts.size(), 2u);
            EXPECT_TRUE(bench.observer.charts[1].unmeasured[0]);
        } else {
            EXPECT_EQ(run.passes, 1);  // the total before the pass is kept: no gain, no more passes
        }
    }
}
