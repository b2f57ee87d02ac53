// The frame limit: the limit at the preview position, the quality limit it gives the optimizer,
// "None" as alignment method, the reference-frame count, the per-point limit, and the state a new
// reference leaves.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>

#include "frames/pixel_helpers.h"
#include "reference_bench.h"
#include "registration/frame_limit.h"
#include "registration/frame_limit_reference.h"
#include "registration/optimizer_passes.h"

using namespace kestrave;

namespace {

struct LimitBench {
    explicit LimitBench(int frames) {
        for (int j = 0; j < frames; ++j) {
            model->FrameRanking[j].Frame = (j * 7) % frames;  // a ranking that is not the frame order
            model->FrameRanking[j].Key = static_cast<float>(200 - 10 * j);
            model->FrameTable[model->FrameRanking[j].Frame].Slots[0].Difference = static_cast<float>(j);
        }
        input.PreviewSliderMax = frames - 1;
        input.checked.assign(static_cast<std::size_t>(frames), true);
    }
    FrameLimitResult limit() { return limitFrames(*model, program, optimizer, points, input); }

    std::unique_ptr<FrameModel> model = std::make_unique<FrameModel>();
    ProgramState program;
    OptimizerState optimizer;
    PointLimits points;
    FrameLimitInput input;
};

}  // namespace

TEST(FrameLimit, LimitAtThePreviewPositionSetsTheQualityLimitAndTheSliders) {
    LimitBench bench(20);
    bench.input.PreviewSliderValue = 5;  // key 150 of the best 200
    bench.input.checked[3] = false;
    const FrameLimitResult result = bench.limit();
    EXPECT_EQ(result.LimitCount, 5);
    EXPECT_EQ(result.sliderMaximum, 5);
    EXPECT_FLOAT_EQ(bench.optimizer.RelativeLimit, 0.75f);
    EXPECT_EQ(result.OptimizeQualitySpin, std::optional<double>(70.0));  // Round(15) x 5 - 5
    EXPECT_EQ(bench.points.PointQualityCut[1], 70.0f);
    EXPECT_EQ(result.stackFramesChecked, (std::vector<bool>{true, true, true, false, true, true}));
    EXPECT_EQ(result.qualities, (std::vector<double>{200, 190, 180, 170, 160, 150}));
    EXPECT_EQ(result.differences, (std::vector<double>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(result.statusText, "Processing limited to 6 frames");
    EXPECT_EQ(result.Refframes, std::optional<double>(2.0));  // 50 > 5 div 2
    EXPECT_FALSE(result.ToStackPage);
    EXPECT_EQ(bench.program.ProcessStage, TProcessStage::stAligned);
    EXPECT_EQ(bench.program.activepage, TMainTab::tabStack);

    // The optimizer then takes exactly the limited positions.
    for (int j = 0; j < 20; ++j)
        EXPECT_EQ(aboveRelativeLimit(*bench.model, j, bench.optimizer.RelativeLimit), j <= 5) << j;

    // A spin within 5 of the limit stays; a count at most half the limit stays.
    bench.input.OptimizeQualitySpin = 74.0;
    bench.input.Refframes = 2.0;
    const FrameLimitResult again = bench.limit();
    EXPECT_FALSE(again.OptimizeQualitySpin.has_value());
    EXPECT_FALSE(again.Refframes.has_value());
}

TEST(FrameLimit, PreviewAtTheBestFrameKeepsTwoFramesAtTheFullQualityLimit) {
    LimitBench bench(10);
    bench.model->FrameRanking[0].Key = 0.0f;  // a best key of 0 counts as 1e-20
    bench.model->FrameRanking[1].Key = 0.0f;
    const FrameLimitResult result = bench.limit();
    EXPECT_EQ(result.LimitCount, 1);
    EXPECT_EQ(result.stackFramesChecked.size(), 2u);
    EXPECT_FLOAT_EQ(bench.optimizer.RelativeLimit, 1.0f);
    EXPECT_EQ(result.OptimizeQualitySpin, std::optional<double>(95.0));
    EXPECT_EQ(result.statusText, "Processing limited to 2 frames");
    EXPECT_TRUE(aboveRelativeLimit(*bench.model, 0, bench.optimizer.RelativeLimit));
}

TEST(FrameLimit, NoAlignmentTurnsTheRankingIntoTheFrameOrder) {
    LimitBench bench(12);
    bench.input.AlignMethodIndex = AlignMethodNone;
    bench.input.PreviewSliderValue = 4;
    const FrameLimitResult result = bench.limit();
    EXPECT_TRUE(result.ToStackPage);
    // The whole ranking, so that every frame keeps exactly one position.
    for (int j = 0; j < 12; ++j) EXPECT_EQ(bench.model->FrameRanking[j].Frame, j);
}

TEST(FrameLimit, ReferenceFrameCountStaysWithinTheLimit) {
    EXPECT_EQ(RefframesChange(60.0, 40), std::optional<double>(40.0));
    EXPECT_FALSE(RefframesChange(40.0, 40).has_value());
    EXPECT_FALSE(RefframesChange(12.0, 40).has_value());

    LimitBench bench(100);
    bench.input.PreviewSliderValue = 30;
    EXPECT_EQ(bench.limit().Refframes, std::optional<double>(15.0));
}

TEST(FrameLimit, EveryPointKeepsItsOwnBestFrames) {
    LimitBench bench(10);
    bench.input.Alignpoints = 2;
    bench.input.MultiQuantity = true;
    bench.input.PreviewSliderValue = 2;  // each point keeps its best three
    // Point 1 likes the low frame numbers, point 2 the high ones; frame 9 was dropped.
    for (int f = 0; f < 10; ++f) {
        bench.model->FrameTable[f].Slots[1].Quality = static_cast<float>(100 - f);
        bench.model->FrameTable[f].Slots[2].Quality = static_cast<float>(f);
        bench.model->FrameTable[f].Slots[1].Difference = static_cast<float>(f);
        bench.model->FrameTable[f].Slots[2].Difference = static_cast<float>(2 * f);
    }
    bench.model->FrameTable[9].Dropped = true;
    const FrameLimitResult result = bench.limit();

    EXPECT_EQ(bench.points.PointQualityCut[1], 98.0f);  // third best of point 1
    EXPECT_EQ(bench.points.PointQualityCut[2], 7.0f);   // third best of point 2
    EXPECT_EQ(bench.points.PointQualityCutInit[2], 7.0f);
    EXPECT_EQ(bench.points.PointDifferenceCut[1], 9.0f);
    EXPECT_EQ(bench.points.PointDifferenceCut[2], 18.0f);
    EXPECT_EQ(bench.points.PointLimitCount[1], 3);
    EXPECT_EQ(bench.points.PointLimitCount[2], 2);  // 7, 8 and the dropped 9
    std::vector<int> kept;
    for (int f = 0; f < 10; ++f)
        if (!bench.model->FrameTable[f].Excluded) kept.push_back(f);
    EXPECT_EQ(kept, (std::vector<int>{0, 1, 2, 7, 8}));
    ASSERT_TRUE(result.checked.has_value());
    int lastKept = 0;
    for (int j = 0; j < 10; ++j) {
        const bool in = !bench.model->FrameTable[bench.model->FrameRanking[j].Frame].Excluded;
        EXPECT_EQ((*result.checked)[static_cast<std::size_t>(j)], in) << j;
        if (in) lastKept = j;
    }
    EXPECT_EQ(result.LimitCount, lastKept);
    EXPECT_EQ(result.stackFramesChecked.size(), static_cast<std::size_t>(lastKept) + 1);
}

TEST(FrameLimit, SimpleLimitGivesEveryPointTheLimitedFrames) {
    LimitBench bench(30);
    bench.input.Alignpoints = 3;
    bench.input.PreviewSliderValue = 24;
    const FrameLimitResult result = bench.limit();
    EXPECT_EQ(result.LimitCount, 24);
    for (int p = 1; p <= 3; ++p) EXPECT_EQ(bench.points.PointLimitCount[p], 24) << p;
    EXPECT_EQ(bench.points.PointLimitCount[4], 0);
}

TEST(FrameLimit, NewReferenceMarksTheLimitedFramesAndStartsThePassCountAgain) {
    auto model = std::make_unique<FrameModel>();
    AlignmentState alignment;
    alignment.OptimizePass = 4;
    for (int j = 0; j < 6; ++j) {
        model->FrameRanking[j].Frame = 5 - j;
        model->FrameTable[j].Slots[0].Difference = 3.0f;
        model->FrameTable[j].Improvement = 1.0f;
    }
    markFramesForNewReference(*model, alignment, 3);
    for (int j = 0; j < 6; ++j) {
        const TFrameRec& rec = model->FrameTable[model->FrameRanking[j].Frame];
        EXPECT_EQ(rec.Slots[0].Difference, j <= 3 ? NewReferenceDifference : 3.0f) << j;
        EXPECT_EQ(rec.Improvement, j <= 3 ? RunStartImprovement : 1.0f) << j;
    }
    EXPECT_EQ(alignment.OptimizePass, 0);
}

TEST(FrameLimit, ProcessedPictureBecomesTheReference) {
    test::ReferenceBench bench(160, 120, 64);
    bench.program.FeatureX = 70;
    bench.program.FeatureY = 50;
    bench.program.TrackOffsetX = 4;
    bench.program.TrackOffsetY = -2;
    bench.program.progstatus = TProgStatus::psOptimized;
    OptimizerState optimizer;
    const Bitmap24 processed =
        test::greyPicture(160, 120, [](int x, int y) { return (x * 3 + y * 5) % 200; });
    restartAlignment(bench.fft, bench.registration, bench.program, optimizer, *bench.model, *bench.section,
                     processed, {}, bench.messages);
    EXPECT_TRUE(optimizer.NewReferenceMade);
    EXPECT_EQ(optimizer.ReferenceImage.byteCount(), processed.byteCount());
    EXPECT_TRUE(std::equal(processed.bits(), processed.bits() + processed.byteCount(),
                           optimizer.ReferenceImage.bits()));
    EXPECT_TRUE(std::equal(processed.bits(), processed.bits() + processed.byteCount(),
                           bench.registration.Image1.bits()));
    EXPECT_EQ(bench.registration.BoxLeft, 38);
    EXPECT_EQ(bench.registration.BoxTop, 18);
    EXPECT_EQ(bench.program.TrackOffsetX, 0);
    EXPECT_EQ(bench.program.TrackOffsetY, 0);
    EXPECT_EQ(bench.program.progstatus, TProgStatus::psFeatureSet);
    // The reference box comes from the processed picture.
    EXPECT_EQ(bench.registration.FFTWindowPlane[0][0], static_cast<float>((38 * 3 + 18 * 5) % 200));
}

// The quality limit typed after the pass places the slider as the pass does, and "Limit" then
// keeps the frames above it (keys 200, 190, … 10).
TEST(FrameLimit, QualityLimitPlacesTheSliderAndTheLimitKeepsTheFramesAboveIt) {
    LimitBench bench(20);
    const struct {
        double percent;
        int droppedRank;  // -1: none
        int position;
    } cases[] = {{50.0, -1, 9}, {96.0, -1, 0}, {0.0, -1, 19}, {50.0, 4, 3}, {100.0, -1, 0}};
    for (const auto& c : cases) {
        for (int j = 0; j < 20; ++j)
            bench.model->FrameTable[bench.model->FrameRanking[j].Frame].Dropped = j == c.droppedRank;
        EXPECT_EQ(qualityCutoffPosition(*bench.model, 19, c.percent), c.position)
            << c.percent << " " << c.droppedRank;
    }
    EXPECT_EQ(framesKeptByLimit(0), 2);
    EXPECT_EQ(framesKeptByLimit(9), 10);
    bench.input.PreviewSliderValue = qualityCutoffPosition(*bench.model, 19, 50.0);
    EXPECT_EQ(bench.limit().LimitCount + 1, framesKeptByLimit(bench.input.PreviewSliderValue));
}
