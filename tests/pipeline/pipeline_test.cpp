#include "pipeline/pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/pipeline_test_access.h"
#include "support/sample_recording.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

TEST(Pipeline, ObserversHearAnnouncementsWhileTheirSubscriptionLives) {
    Pipeline pipeline;
    std::vector<std::pair<int, PipelineChange>> heard;
    Pipeline::Subscription first =
        pipeline.subscribe([&](PipelineChange change) { heard.emplace_back(1, change); });
    {
        const Pipeline::Subscription second =
            pipeline.subscribe([&](PipelineChange change) { heard.emplace_back(2, change); });
        PipelineTestAccess::announce(pipeline, PipelineChange::Stack);
    }
    PipelineTestAccess::announce(pipeline, PipelineChange::Frames);
    // An observer that ends its own subscription while it is told is not called again.
    first = pipeline.subscribe([&](PipelineChange change) {
        heard.emplace_back(3, change);
        first = Pipeline::Subscription();
    });
    PipelineTestAccess::announce(pipeline, PipelineChange::Input);
    PipelineTestAccess::announce(pipeline, PipelineChange::Input);
    const std::vector<std::pair<int, PipelineChange>> expected{{1, PipelineChange::Stack},
                                                               {2, PipelineChange::Stack},
                                                               {1, PipelineChange::Frames},
                                                               {3, PipelineChange::Input}};
    EXPECT_EQ(heard, expected);
}

TEST(Pipeline, OperationsChangeTheStateAndSayWhat) {
    Pipeline pipeline;
    std::vector<PipelineChange> heard;
    const auto subscription = pipeline.subscribe([&](PipelineChange change) { heard.push_back(change); });
    PipelineTestAccess::useBoxSizeItem(pipeline, 3);
    pipeline.setMultiPointMode(true);
    pipeline.finishOptimizeAndStack();
    EXPECT_EQ(pipeline.boxSizeItem(), 3);
    EXPECT_TRUE(pipeline.alignPoints().MultiPointMode);
    EXPECT_EQ(pipeline.state().ProcessStage, TProcessStage::stAligned);
    EXPECT_EQ(pipeline.state().activepage, TMainTab::tabAbout);
    EXPECT_EQ(heard, (std::vector{PipelineChange::BoxSize, PipelineChange::Points, PipelineChange::Stage}));
}

// The stack count moves within its range as the stack slider does: clamped into 0..last, a range
// ending at its start refused, and heard only when something changed.
TEST(Pipeline, TheStackCountStaysInItsRange) {
    struct Step {
        bool range;  // a new end of the range, else a new count
        int value;
        int count, last;
        bool heard;
    };
    const Step steps[] = {
        {false, 40, 40, 1000, true},  {false, 40, 40, 1000, false}, {true, 30, 30, 30, true},
        {false, 31, 30, 30, false},   {false, -3, 0, 30, true},     {true, 0, 0, 30, false},
        {true, -1, 0, 30, false},     {true, 1, 0, 1, true},        {false, 5, 1, 1, true},
        {true, 30, 1, 30, true},
    };
    Pipeline pipeline;
    int heard = 0;
    const auto subscription = pipeline.subscribe([&](PipelineChange change) {
        EXPECT_EQ(change, PipelineChange::StackCount);
        ++heard;
    });
    for (const Step& step : steps) {
        const int before = heard;
        if (step.range)
            pipeline.setStackCountRange(step.value);
        else
            pipeline.setStackCount(step.value);
        EXPECT_EQ(pipeline.stackCount().value, step.count) << step.value;
        EXPECT_EQ(pipeline.stackCount().last, step.last) << step.value;
        EXPECT_EQ(heard - before, step.heard ? 1 : 0) << step.value;
    }
}

// The input's last frame index is the run's from the moment the input is taken, and a reset before
// the next input leaves it; a frame read for the stack graph's cut-off is announced as the
// preview's once it is read, a failed read announces nothing.
TEST(Pipeline, TheInputKeepsItsLastIndexAndACutoffFrameIsAnnounced) {
    test::TempDir dir;
    const test::SampleRecording recording = test::writeSampleRecording(dir.path());
    Pipeline pipeline;
    NullProgress progress;
    std::vector<PipelineChange> heard;
    const auto subscription = pipeline.subscribe([&](PipelineChange change) { heard.push_back(change); });
    EXPECT_THROW(pipeline.showFrameAtCutoff(0), KestraveError);
    EXPECT_EQ(pipeline.input().lastIndex, 0);

    const InputRecord record = pipeline.takeInput(
        probeInput(planInput({recording.path.string()}, InputFilter::SER), false), {}, false, false, false);
    EXPECT_EQ(record.lastIndex, recording.truth.options.frames - 1);
    EXPECT_EQ(pipeline.input().lastIndex, record.lastIndex);
    pipeline.resetBeforeInput();
    pipeline.resetForInput(ResetControls{}, progress);
    EXPECT_EQ(pipeline.input().lastIndex, record.lastIndex);

    heard.clear();
    pipeline.showFrame(5, {}, false, false);
    const Bitmap24 fifth = pipeline.input().PreviewBitmap;
    pipeline.showFrame(0, {}, false, false);
    EXPECT_TRUE(heard.empty());
    pipeline.showFrameAtCutoff(5);
    EXPECT_EQ(heard, std::vector{PipelineChange::Preview});
    const Bitmap24& shown = pipeline.input().PreviewBitmap;
    ASSERT_EQ(shown.byteCount(), fifth.byteCount());
    EXPECT_TRUE(std::equal(shown.bits(), shown.bits() + shown.byteCount(), fifth.bits()));
}

}  // namespace
}  // namespace kestrave
