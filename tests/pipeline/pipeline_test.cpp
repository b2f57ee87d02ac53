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
    pipeline.useBoxSizeItem(3);
    pipeline.setMultiPointMode(true);
    pipeline.finishOptimizeAndStack();
    EXPECT_EQ(pipeline.boxSizeItem(), 3);
    EXPECT_TRUE(pipeline.alignPoints().MultiPointMode);
    EXPECT_EQ(pipeline.state().ProcessStage, TProcessStage::stAligned);
    EXPECT_EQ(pipeline.state().activepage, TMainTab::tabAbout);
    EXPECT_EQ(heard, (std::vector{PipelineChange::BoxSize, PipelineChange::Points, PipelineChange::Stage}));
}

}  // namespace
}  // namespace kestrave
