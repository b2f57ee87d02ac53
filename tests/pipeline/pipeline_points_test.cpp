#include <gtest/gtest.h>

#include "pipeline/pipeline.h"
#include "support/scripted_messages.h"

namespace kestrave {
namespace {

TEST(PipelinePoints, ASaveSwitchesTheRunsMasterFrameModeOn) {
    Pipeline pipeline;
    test::ScriptedMessages messages;
    SaveContext context = pipeline.saveContext(messages, {"a.avi"}, nullptr, "V1");
    EXPECT_FALSE(pipeline.state().MasterFrameMode);
    // The context holds the run's own flag, not a copy of it.
    context.MasterFrameMode = true;
    EXPECT_TRUE(pipeline.state().MasterFrameMode);
    EXPECT_EQ(context.inputFiles, std::vector<std::filesystem::path>{"a.avi"});
}

TEST(PipelinePoints, AMasterFrameTakesEveryFrameInOrderWithEqualWeight) {
    Pipeline pipeline;
    std::vector<PipelineChange> heard;
    const auto subscription = pipeline.subscribe([&](PipelineChange change) { heard.push_back(change); });
    pipeline.prepareMasterFrame(2);
    EXPECT_TRUE(pipeline.state().MasterFrameMode);
    EXPECT_EQ(pipeline.state().activepage, TMainTab::tabStack);
    EXPECT_FALSE(pipeline.model().FitStretch);
    for (int rank = 0; rank <= 2; ++rank) {
        EXPECT_EQ(pipeline.model().FrameRanking[rank].Frame, rank);
        EXPECT_EQ(pipeline.model().FrameTable[rank].Slots[0].Quality, 1.0f);
    }
    EXPECT_EQ(heard, (std::vector{PipelineChange::Frames, PipelineChange::Stage}));
}

}  // namespace
}  // namespace kestrave
