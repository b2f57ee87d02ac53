// A project's load run on a pipeline without a window: the steps the replay asks of the window,
// in their order, follow from the stage and the calibration frames the project file holds.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/project_file.h"
#include "pipeline/pipeline.h"
#include "pipeline/project_replay_steps.h"
#include "support/sample_recording.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

// Takes the input as the window does and writes down every step it is asked for.
class RecordingSteps final : public ProjectReplaySteps, private InputTakePorts {
public:
    RecordingSteps(Pipeline& pipeline, RestoredSwitches restored)
        : pipeline_(pipeline),
          restored_(restored),
          // The wavelet values restored are announced in their place among the steps.
          waveletHeard_(pipeline.subscribe([this](PipelineChange change) {
              if (change == PipelineChange::Wavelet) steps.push_back("wavelet");
          })) {}
    std::vector<std::string> steps;

    bool takeInput(const InputPlan& plan) override {
        steps.push_back("takeInput");
        return pipeline_.takeInput(plan, *this).has_value();
    }
    void restoreControls(const ProjectData&) override { steps.push_back("restoreControls"); }
    // The box of 64 pixels, as the restored controls would name it.
    void applyBoxSize() override {
        steps.push_back("applyBoxSize");
        pipeline_.chooseBoxSize(2, 10.0, messages_);
    }
    RestoredSwitches switches() override {
        steps.push_back("switches");
        return restored_;
    }
    void showProject(const ProjectData&) override { steps.push_back("showProject"); }
    void loadDarkFrame(const std::string& file, int type) override {
        steps.push_back("dark " + file + " " + std::to_string(type));
    }
    void loadFlatField(const std::string& file, int type) override {
        steps.push_back("flat " + file + " " + std::to_string(type));
    }
    void showRegistrationGraph() override { steps.push_back("graph"); }
    void enableOptimizePasses() override { steps.push_back("optimizePasses"); }
    void selectTab(TMainTab tab) override { steps.push_back("tab " + std::to_string(static_cast<int>(tab))); }
    void beforeReference() override { steps.push_back("beforeReference"); }
    ReferenceOptions referenceOptions() override { return {}; }
    void afterReference() override { steps.push_back("afterReference"); }
    void enableStackPasses() override { steps.push_back("stackPasses"); }
    void showStackControls(int slider, int cut, int count) override {
        steps.push_back("stackControls " + std::to_string(slider) + " " + std::to_string(cut) + " " +
                        std::to_string(count));
    }
    int pointDifferenceSlider() override {
        steps.push_back("pointCutoffs");
        return 1001;
    }
    void stackAgain() override { steps.push_back("stackAgain"); }
    void processAgain() override { steps.push_back("processAgain"); }

private:
    void missingFile(const std::string&) override {}
    void unreadable(const std::exception&) override {}
    std::optional<InputStretches> giveUpCurrent() override { return InputStretches{}; }
    FrameSourceOptions prepareFor(const ProbedInput&) override { return {}; }

    Pipeline& pipeline_;
    BatchMessagePresenter messages_{[](const std::string&) {}};
    RestoredSwitches restored_;
    Pipeline::Subscription waveletHeard_;
};

TEST(ProjectReplay, TheStepsFollowTheProjectsStageAndCalibrationFrames) {
    const std::vector<std::string> opening{"takeInput", "restoreControls", "applyBoxSize", "switches",
                                           "showProject"};
    struct Case {
        TProgStatus status;
        bool calibration;  // the project names a dark frame and a flat field, and the switches use them
        std::vector<std::string> replay;
        int points = 1;
    };
    const std::vector<Case> cases{
        // Aligned: the stage marked, the graph drawn, the reference computed again.
        {TProgStatus::psAligned, false, {"graph", "beforeReference", "afterReference"}},
        // Optimized, with calibration: dark and flat first, then the Stack page (tab 2) opened
        // before the reference, the graph after it.
        {TProgStatus::psOptimized,
         true,
         {"dark dark.fit 1", "flat flat.fit 2", "optimizePasses", "tab 2", "beforeReference",
          "afterReference", "graph"}},
        // Optimized with two points: each point's cut-offs filed again last, at the difference
        // slider's value.
        {TProgStatus::psOptimized,
         false,
         {"optimizePasses", "tab 2", "beforeReference", "afterReference", "graph", "pointCutoffs"},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.status));
        test::TempDir dir;
        const test::SampleRecording recording = test::writeSampleRecording(dir.path());
        ProjectData project;
        project.InputType = TInputType::itSER;
        project.SerName = recording.path.filename().string();
        project.sequencelength = 24;
        project.usedframes = 24;
        project.progstatus = static_cast<int>(c.status);
        project.refframe = 3;
        project.points = {{48, 36, 64}, {30, 30, 32}};
        project.points.resize(static_cast<std::size_t>(c.points));
        project.excluded.assign(24, false);
        project.slots.resize(project.points.size());
        for (int k = 0; k < 24; ++k) {
            project.ranking.push_back(k);
            // Point p's differences run up to p + 1.
            for (std::size_t p = 0; p < project.slots.size(); ++p)
                project.slots[p].push_back({0, 0, static_cast<float>(k * (p + 2)) / 23.0f, 1.0f});
        }
        if (c.calibration) {
            project.dark = ProjectCalibration{"dark.fit", 1};
            project.flat = ProjectCalibration{"flat.fit", 2};
        }
        writeProject(dir / "night.ksp", project);

        Pipeline pipeline;
        pipeline.setStartState();
        NullProgress progress;
        BatchMessagePresenter messages{[](const std::string&) {}};
        pipeline.createImagePlanes(DefaultProcessAreaItem, progress, messages);
        RecordingSteps steps(pipeline, {false, c.calibration, c.calibration, 23});
        const ProjectLoad load = pipeline.loadProject(dir / "night.ksp", steps, messages, progress);

        ASSERT_TRUE(load.loaded);
        std::vector<std::string> expected = opening;
        expected.insert(expected.end(), c.replay.begin(), c.replay.end());
        EXPECT_EQ(steps.steps, expected);
        EXPECT_EQ(pipeline.state().progstatus, c.status);
        EXPECT_EQ(pipeline.registration().refframe, 3);
        for (int p = 1; p <= c.points && c.points > 1; ++p)
            EXPECT_FLOAT_EQ(pipeline.points().PointDifferenceCut[static_cast<std::size_t>(p)],
                            1.001f * (p + 1));
    }
}

}  // namespace
}  // namespace kestrave
