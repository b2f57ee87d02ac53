#include "pipeline/pipeline.h"

#include <gtest/gtest.h>

#include "support/pipeline_test_access.h"

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

}  // namespace
}  // namespace kestrave
