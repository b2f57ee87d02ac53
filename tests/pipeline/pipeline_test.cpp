#include "pipeline/pipeline.h"

#include "output/project_file.h"
#include "output/project_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

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
        {false, 40, 40, 1000, true}, {false, 40, 40, 1000, false}, {true, 30, 30, 30, true},
        {false, 31, 30, 30, false},  {false, -3, 0, 30, true},     {true, 0, 0, 30, false},
        {true, -1, 0, 30, false},    {true, 1, 0, 1, true},        {false, 5, 1, 1, true},
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

// A new input is taken only when its files are there and its first frame reads: the window is
// told of a missing or unreadable file before it is asked anything, and the current input stays
// until the window agrees to give it up and has put its controls back.
TEST(Pipeline, AnInputIsTakenOnlyOnceItsFilesReadAndTheWindowAgrees) {
    test::TempDir dir;
    const test::SampleRecording recording = test::writeSampleRecording(dir.path());
    const std::filesystem::path broken = dir / "broken.ser";
    std::ofstream(broken) << "not a video";
    struct Steps final : InputTakePorts {
        bool agree = true;
        std::vector<std::string> calls;
        void missingFile(const std::string& file) override { calls.push_back("missing " + file); }
        void unreadable(const std::exception&) override { calls.push_back("unreadable"); }
        std::optional<InputStretches> giveUpCurrent() override {
            calls.push_back("give up");
            return agree ? std::optional<InputStretches>(InputStretches{}) : std::nullopt;
        }
        FrameSourceOptions prepareFor(const ProbedInput& probed) override {
            calls.push_back(std::string("prepare ") + inputKindName(probed.filter));
            return {};
        }
    };
    const std::string missing = (dir / "gone.ser").string();
    const struct {
        std::string file;
        bool agree;
        std::vector<std::string> calls;
        bool taken;
    } cases[] = {
        {missing, true, {"missing " + missing}, false},
        {broken.string(), true, {"unreadable"}, false},
        {recording.path.string(), false, {"give up"}, false},
        {recording.path.string(), true, {"give up", "prepare SER"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Pipeline pipeline;
        std::vector<PipelineChange> heard;
        const auto subscription = pipeline.subscribe([&](PipelineChange change) { heard.push_back(change); });
        Steps steps;
        steps.agree = c.agree;
        const std::optional<InputTaken> taken =
            pipeline.takeInput(InputPlan{InputFilter::SER, {c.file}, false}, steps);
        EXPECT_EQ(steps.calls, c.calls);
        ASSERT_EQ(taken.has_value(), c.taken);
        EXPECT_EQ(heard, c.taken ? std::vector{PipelineChange::Input} : std::vector<PipelineChange>{});
        EXPECT_EQ(pipeline.input().lastIndex, c.taken ? recording.truth.options.frames - 1 : 0);
        if (taken) {
            EXPECT_EQ(taken->record.lastIndex, recording.truth.options.frames - 1);
        }
    }
}

// A project is opened for loading only when its input is there and holds it: a missing video is
// told by name, a project of more frames than the video has is refused.
TEST(Pipeline, AProjectOpensOnlyWhenItsInputIsThereAndHoldsIt) {
    test::TempDir dir;
    const test::SampleRecording recording = test::writeSampleRecording(dir.path());
    const int frames = recording.truth.options.frames;
    const Pipeline pipeline;
    const struct {
        std::string video;
        int sequencelength;
        bool missing;
        bool refused;
    } cases[] = {
        {recording.path.filename().string(), frames, false, false},
        {"gone.ser", frames, true, false},
        {recording.path.filename().string(), frames + 1, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.video + " " + std::to_string(c.sequencelength));
        ProjectData project;
        project.InputType = TInputType::itSER;
        project.SerName = (dir / c.video).string();
        project.sequencelength = c.sequencelength;
        project.excluded.assign(static_cast<std::size_t>(c.sequencelength), false);
        project.points = {{48, 36, 64}};
        project.slots.assign(1, std::vector<ProjectSlot>(static_cast<std::size_t>(c.sequencelength)));
        const std::filesystem::path file = dir / "scene.ksp";
        writeProject(file, project);
        if (c.refused) {
            EXPECT_THROW(pipeline.openProject(file), ProjectError);
            continue;
        }
        const ProjectOpening opening = pipeline.openProject(file);
        EXPECT_EQ(opening.read.project.sequencelength, c.sequencelength);
        EXPECT_EQ(opening.missingInput.empty(), !c.missing);
        if (c.missing) {
            EXPECT_NE(opening.missingInput.find("gone.ser"), std::string::npos) << opening.missingInput;
        } else {
            EXPECT_EQ(opening.plan.files, std::vector<std::string>{recording.path.string()});
        }
    }
}

}  // namespace
}  // namespace kestrave
