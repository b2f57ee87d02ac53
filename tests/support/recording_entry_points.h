#pragma once
// The window's entry points and the stages other areas run, for a controller built alone, and the
// steps a project's load asks of other areas: each call is recorded by name (a stage by the handler
// the window hands it to) and does nothing else; the values asked for are the defaults (header
// only: the support library stays Qt-free and does not link the shell).

#include <algorithm>
#include <string>
#include <vector>

#include "pipeline/optimize_and_stack.h"
#include "shell/area_stages.h"
#include "shell/project_replay_ports.h"
#include "shell/window_entry_points.h"

namespace kestrave::test {

class RecordingEntryPoints : public WindowEntryPoints, public AreaStages, public ReferenceStages {
public:
    // The entry points called, in order.
    std::vector<std::string> calls;
    bool called(const std::string& entry) const { return std::ranges::count(calls, entry) > 0; }

    void selectTab(int) override { calls.push_back("selectTab"); }
    void waitForContinue() override { calls.push_back("waitForContinue"); }
    void CancelButtonClick() override { calls.push_back("CancelButtonClick"); }
    void ShowMemoryUsage() override { calls.push_back("ShowMemoryUsage"); }
    // The stages other areas run, named after the handlers the window hands them to.
    void stackFrames() override { calls.push_back("StackButtonClick"); }
    void processStack() override { calls.push_back("ProcessButtonClick"); }
    void processWholePicture() override { calls.push_back("DoAllClick"); }
    void saveProcessedPicture() override { calls.push_back("SaveBMP2buttonClick"); }
    void limitFrames() override { calls.push_back("SetLimitClick"); }
    void optimizeAndStack() override { calls.push_back("AlignStackButtonClick"); }
    void optimizeAlignPoints() override { calls.push_back("Optimize_AllAlignpoints"); }
    // What one area asks of another's handlers; the frame shown again is the preview's own and
    // leaves no record.
    void showFrameAgain() override {}
    void showCutoffsAgain() override { calls.push_back("StackSliderChange"); }
    void openPointCutoffs() override { calls.push_back("openPointCutoffs"); }
    void renderAgain() override { calls.push_back("Layer1sliderChanged"); }
    // The stages of "Create" besides those above; the settings and the limit asked for are the
    // defaults.
    CreateReferenceSettings stackSettings() override { return {}; }
    void applyStackSettings(const CreateReferenceSettings&) override {
        calls.push_back("applyReferenceSettings");
    }
    int frameLimit() override { return 0; }
    void setFrameLimit(int, bool) override { calls.push_back("limitReferenceFrames"); }
    void setStackLabelPrefix(const std::string&) override { calls.push_back("setStackCaptionPrefix"); }
    void process() override { calls.push_back("ProcessButtonClick"); }
    void waitForUser() override { calls.push_back("waitForContinue"); }
    void realignOnProcessed() override { calls.push_back("RestartAlignClick"); }
};

// The steps a project's load asks of other areas, recorded by name alike; no input is taken.
class RecordingReplaySteps : public ProjectReplayPorts {
public:
    std::vector<std::string> calls;

    bool takeInput(const InputPlan&) override { return calls.push_back("takeInput"), false; }
    void takeFrameList(const std::filesystem::path&) override { calls.push_back("takeFrameList"); }
    void applyBoxSize() override { calls.push_back("applyBoxSize"); }
    void loadDarkFrame(const std::string&, int) override { calls.push_back("loadDarkFrame"); }
    void loadFlatField(const std::string&, int) override { calls.push_back("loadFlatField"); }
    void showRegistrationGraph() override { calls.push_back("showRegistrationGraph"); }
};

}  // namespace kestrave::test
