// The chained optimizer operations run on a pipeline without a window: each stage they hand on
// goes to a test port that notes it, and what the user does during the wait counts afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "pipeline/pipeline.h"
#include "support/pipeline_test_access.h"
#include "support/scripted_messages.h"

namespace kestrave {
namespace {

// Stages that only note their calls; the stack succeeds unless told otherwise.
class NotedStages : public StackStages, public ReferenceStages {
public:
    bool stack() override {
        calls.push_back("stack");
        if (onStack) onStack();
        return stacks;
    }
    void process() override { calls.push_back("process"); }

    CreateReferenceSettings stackSettings() override { return settings; }
    void applyStackSettings(const CreateReferenceSettings& value) override { settings = value; }
    int frameLimit() override { return limit; }
    void setFrameLimit(int last, bool wholeLimit) override {
        if (wholeLimit) limit = last;
    }
    void setStackLabelPrefix(const std::string&) override {}
    void optimizeAndStack() override { calls.push_back("optimize and stack"); }
    void waitForUser() override {
        calls.push_back("wait");
        if (onWait) onWait();
    }
    void processWholePicture() override { calls.push_back("do all"); }
    void realignOnProcessed() override { calls.push_back("realign"); }

    bool stacks = true;
    CreateReferenceSettings settings;
    int limit = 20;
    std::vector<std::string> calls;
    std::function<void()> onStack;
    std::function<void()> onWait;
};

struct OptimizeRun {
    OptimizeRun() {
        RunState& run = editRun(pipeline);
        run.model.FramesRanked = true;
        for (int j = 0; j < 30; ++j) run.model.FrameRanking[j].Frame = 29 - j;
        run.images.ProcessAreaSize = 512;
        run.images.AllocWidth = 640;
        run.images.AllocHeight = 480;
    }
    std::vector<PipelineChange> heard;
    Pipeline pipeline;
    const Pipeline::Subscription subscription =
        pipeline.subscribe([this](PipelineChange change) { heard.push_back(change); });
    NotedStages stages;
    NullProgress progress;
    test::ScriptedMessages messages;
};

// In multi-point mode "Create" does not count "Do All" as done: the user is asked after the wait
// unless the wavelet page's Do All was used during it.
TEST(PipelineOptimize, CreateAsksForDoAllOnlyWhenTheUserDidNotRunItDuringTheWait) {
    for (const bool doneDuringWait : {false, true}) {
        SCOPED_TRACE(doneDuringWait);
        OptimizeRun run;
        run.stages.settings.MultiPointMode = true;
        if (doneDuringWait) run.stages.onWait = [&] { editRun(run.pipeline).state.DoAllDone = true; };
        CreateReferenceOptions options;
        options.Refframes = 8;
        options.Optimizegraph = false;
        const CreateReferenceResult result =
            run.pipeline.createReference(options, run.stages, run.progress, run.messages);
        EXPECT_EQ(result.outcome, CreateReferenceOutcome::Created);
        std::vector<std::string> expected{"optimize and stack", "process", "wait"};
        if (!doneDuringWait) expected.push_back("do all");
        expected.push_back("realign");
        EXPECT_EQ(run.stages.calls, expected);
        EXPECT_EQ(run.messages.shown.size(), doneDuringWait ? 1u : 2u);
        EXPECT_EQ(run.stages.limit, 20);
        EXPECT_EQ(run.heard, std::vector{PipelineChange::Stage});
    }
}

// After the points' optimizer: only a completed, uncancelled stack ends the stage and is processed.
TEST(PipelineOptimize, PointsStackIsProcessedOnlyWhenCompletedAndNotCancelled) {
    struct Case {
        bool stacks;
        bool cancelDuringStack;
        bool processed;
    };
    for (const Case c : {Case{true, false, true}, Case{false, false, false}, Case{true, true, false}}) {
        SCOPED_TRACE(testing::Message() << c.stacks << c.cancelDuringStack);
        OptimizeRun run;
        editRun(run.pipeline).state.ProcessStage = TProcessStage::stReferenceReady;
        run.stages.stacks = c.stacks;
        if (c.cancelDuringStack) run.stages.onStack = [&] { run.progress.setCancelRequested(true); };
        EXPECT_EQ(run.pipeline.stackAndProcessPoints(run.stages, run.progress), c.processed);
        const std::vector<std::string> expected =
            c.processed ? std::vector<std::string>{"stack", "process"} : std::vector<std::string>{"stack"};
        EXPECT_EQ(run.stages.calls, expected);
        EXPECT_EQ(run.pipeline.state().ProcessStage,
                  c.processed ? TProcessStage::stAligned : TProcessStage::stReferenceReady);
        EXPECT_EQ(run.heard,
                  c.processed ? std::vector{PipelineChange::Stage} : std::vector<PipelineChange>{});
    }
}

// The frame limit has one home: whichever stage set it last, the limit or a stack's rank bound,
// is what its readers find, and each change is announced for the sliders that show it.
TEST(PipelineOptimize, FrameLimitIsWhatTheLastStageLeft) {
    OptimizeRun run;
    run.pipeline.commitFrameLimit({.stackBound = 12});
    EXPECT_EQ(run.pipeline.frameLimit(), 12);
    StackResult stack;
    stack.outcome = StackOutcome::Stacked;
    stack.StackSliderTag = 5;
    PipelineTestAccess::keepStack(run.pipeline, std::move(stack), false);
    EXPECT_EQ(run.pipeline.frameLimit(), 5);
    EXPECT_EQ(run.heard,
              (std::vector{PipelineChange::FrameLimit, PipelineChange::Stack, PipelineChange::FrameLimit}));
}

// "Limit" commits its whole result at once: the ranked frames kept, the stacks' bound, the stack
// count and its range all become the last position kept, whatever the run held before (a range
// narrower or wider than the new limit, a count anywhere in it), and the sliders hear it once,
// with everything in place by then.
TEST(PipelineOptimize, LimitCommitsTheFrameLimitAndTheStackCountTogether) {
    struct Case {
        const char* before;
        FrameLimitCommit previous;
        int position;  // where the preview slider stands
        int last;      // the last position kept
    };
    const Case cases[] = {
        {"a new run", {}, 7, 7},
        {"a wider limit, the count at its end",
         {.ranks = 20, .countRange = 20, .stackBound = 20, .stackCount = 20},
         5,
         5},
        {"a narrower range, the count at its end",
         {.ranks = 3, .countRange = 3, .stackBound = 3, .stackCount = 3},
         12,
         12},
        {"a count below the new limit", {.countRange = 25, .stackCount = 2}, 18, 18},
        {"the best frame alone: two are kept", {}, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        OptimizeRun run;
        run.pipeline.commitFrameLimit(c.previous);
        struct Seen {
            int rankLimit, frameLimit, count, countRange;
        };
        std::vector<Seen> seen;
        const Pipeline::Subscription sliders = run.pipeline.subscribe([&](PipelineChange change) {
            const Pipeline& p = run.pipeline;
            if (change == PipelineChange::FrameLimit || change == PipelineChange::StackCount)
                seen.push_back({p.rankLimit(), p.frameLimit(), p.stackCount().value, p.stackCount().last});
        });
        run.heard.clear();
        FrameLimitInput input;
        input.PreviewSliderValue = c.position;
        input.PreviewSliderMax = 29;
        input.checked.assign(30, true);
        EXPECT_EQ(run.pipeline.limitFrames(input).sliderMaximum, c.last);

        EXPECT_EQ(run.pipeline.rankLimit(), c.last);
        EXPECT_EQ(run.pipeline.frameLimit(), c.last);
        EXPECT_EQ(run.pipeline.stackCount().value, c.last);
        EXPECT_EQ(run.pipeline.stackCount().last, c.last);
        EXPECT_EQ(std::count(run.heard.begin(), run.heard.end(), PipelineChange::FrameLimit), 1);
        EXPECT_EQ(std::count(run.heard.begin(), run.heard.end(), PipelineChange::StackCount), 0);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].rankLimit, c.last);
        EXPECT_EQ(seen[0].frameLimit, c.last);
        EXPECT_EQ(seen[0].count, c.last);
        EXPECT_EQ(seen[0].countRange, c.last);
    }
}

// The other stages commit the parts they set and leave the rest: a new reference's narrowed limit
// keeps the stacks' bound, a stack's bound keeps the ranked frames, and a range that would end at
// its start (an input of one frame) is refused while the bound still comes in force.
TEST(PipelineOptimize, AFrameLimitCommitKeepsWhatItDoesNotSet) {
    OptimizeRun run;
    EXPECT_EQ(run.pipeline.rankLimit(), 100);  // before any input
    run.pipeline.commitFrameLimit({.ranks = 20, .countRange = 20, .stackBound = 20, .stackCount = 15});
    struct Step {
        const char* stage;
        FrameLimitCommit commit;
        int rankLimit, frameLimit, count, countRange;
    };
    const Step steps[] = {
        {"narrowed for a reference", {.ranks = 4, .countRange = 4}, 4, 20, 4, 4},
        {"a stack's bound", {.stackBound = 3}, 4, 3, 4, 4},
        {"a range ending at its start", {.ranks = 0, .countRange = 0, .stackBound = 0}, 4, 0, 4, 4},
        {"put back whole",
         {.ranks = 20, .countRange = 20, .stackBound = 20, .stackCount = 20},
         20,
         20,
         20,
         20},
        {"a count beyond the range", {.stackCount = 30}, 20, 20, 20, 20},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.stage);
        run.heard.clear();
        run.pipeline.commitFrameLimit(step.commit);
        EXPECT_EQ(run.pipeline.rankLimit(), step.rankLimit);
        EXPECT_EQ(run.pipeline.frameLimit(), step.frameLimit);
        EXPECT_EQ(run.pipeline.stackCount().value, step.count);
        EXPECT_EQ(run.pipeline.stackCount().last, step.countRange);
        EXPECT_EQ(run.heard, std::vector{PipelineChange::FrameLimit});
    }
}

// Each point the points' optimizer starts is shown first, then its own box size comes in force
// (announced, for the Align page's choice), then the window's pending events are handled.
TEST(PipelineOptimize, EachPointStartsWithItsOwnBoxSize) {
    OptimizeRun run;
    editRun(run.pipeline).alignPoints.Alignpoints = 2;
    editRun(run.pipeline).alignPoints.PointFFTIndex[2] = 3;
    std::vector<std::string> steps;
    struct Window : PointOptimizerObserver {
        explicit Window(std::vector<std::string>& steps) : steps(steps) {}
        void pointStarting(int point, int) override { steps.push_back("point " + std::to_string(point)); }
        std::vector<std::string>& steps;
    } window(steps);
    const auto boxSizes = run.pipeline.subscribe([&](PipelineChange change) {
        if (change == PipelineChange::BoxSize)
            steps.push_back("box " + std::to_string(run.pipeline.boxSizeItem()));
    });
    // The window's events cancel the run at the first point.
    run.progress.onPoll = [&](NullProgress& progress) {
        steps.push_back("events");
        progress.setCancelRequested(true);
    };
    const FrameSourceOptions read;
    OptimizerObserver observer;
    const PointOptimizerResult result = run.pipeline.optimizePoints(
        OptimizerOptions{}, PointOptimizerInput{}, window, {read, run.progress, run.messages, observer});
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(steps, (std::vector<std::string>{"point 2", "box 3", "events"}));
}

// An optimizer run whose recording cannot be opened any more ends all the same: each of the three
// runs fails and announces its end (and nothing else), so that a page showing the frame in work
// lets go of it.
TEST(PipelineOptimize, ARunWhoseFramesCannotBeOpenedStillAnnouncesItsEnd) {
    struct NoPoints : PointOptimizerObserver {
    } points;
    const std::vector<std::function<void(OptimizeRun&, const OptimizerPorts&)>> runs{
        [](OptimizeRun& run, const OptimizerPorts& ports) {
            run.pipeline.optimize(OptimizerOptions{}, ports);
        },
        [](OptimizeRun& run, const OptimizerPorts& ports) {
            run.pipeline.optimizeAndStack(OptimizerOptions{}, StackScaleOptions{}, run.stages, ports);
        },
        [&points](OptimizeRun& run, const OptimizerPorts& ports) {
            run.pipeline.optimizePoints(OptimizerOptions{}, PointOptimizerInput{}, points, ports);
        }};
    for (std::size_t r = 0; r < runs.size(); ++r) {
        SCOPED_TRACE(r);
        OptimizeRun run;
        editRun(run.pipeline).model.InputType = TInputType::itSER;
        editRun(run.pipeline).model.SerName = "/nonexistent/recording.ser";
        const FrameSourceOptions read;
        OptimizerObserver view;
        EXPECT_ANY_THROW(runs[r](run, {read, run.progress, run.messages, view}));
        EXPECT_EQ(run.heard, std::vector{PipelineChange::Optimizer});
        EXPECT_EQ(run.pipeline.optimizerProgress().step, OptimizerProgress::Step::Ended);
        EXPECT_TRUE(run.stages.calls.empty());
    }
}

}  // namespace
}  // namespace kestrave
