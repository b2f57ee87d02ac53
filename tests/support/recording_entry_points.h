#pragma once
// The window's entry points for a controller built alone, and the steps a project's load asks of
// other areas: each call is recorded by name and does nothing else; the values asked for are the
// defaults (header only: the support library stays Qt-free and does not link the shell).

#include <algorithm>
#include <string>
#include <vector>

#include "shell/project_replay_ports.h"
#include "shell/window_entry_points.h"

namespace kestrave::test {

class RecordingEntryPoints : public WindowEntryPoints {
public:
    // The entry points called, in order.
    std::vector<std::string> calls;
    bool called(const std::string& entry) const { return std::ranges::count(calls, entry) > 0; }

    void selectTab(int) override { calls.push_back("selectTab"); }
    void waitForContinue() override { calls.push_back("waitForContinue"); }
    void CancelButtonClick() override { calls.push_back("CancelButtonClick"); }
    void StackButtonClick() override { calls.push_back("StackButtonClick"); }
    void StackSliderChange() override { calls.push_back("StackSliderChange"); }
    void ResampledClick() override { calls.push_back("ResampledClick"); }
    void DrizzlingClick() override { calls.push_back("DrizzlingClick"); }
    void ShowstackgraphClick() override { calls.push_back("ShowstackgraphClick"); }
    void redrawPointCutoffs() override { calls.push_back("redrawPointCutoffs"); }
    void openPointCutoffs() override { calls.push_back("openPointCutoffs"); }
    StackOptions readStackOptions() const override { return {}; }
    StackOutcome runStack(const StackOptions&, const StackRun&) override {
        return calls.push_back("runStack"), StackOutcome::Failed;
    }
    void setStackLabelPrefix(const std::string&) override { calls.push_back("setStackLabelPrefix"); }
    void ProcessButtonClick() override { calls.push_back("ProcessButtonClick"); }
    void DoAllClick() override { calls.push_back("DoAllClick"); }
    void Layer1sliderChanged() override { calls.push_back("Layer1sliderChanged"); }
    void showProcessedView() override { calls.push_back("showProcessedView"); }
    void mirrorColourprocess2(bool) override { calls.push_back("mirrorColourprocess2"); }
    void ShowWaveletschemeClick() override { calls.push_back("ShowWaveletschemeClick"); }
    void UpdateFinalBitmap() override { calls.push_back("UpdateFinalBitmap"); }
    void SaveBMP2buttonClick() override { calls.push_back("SaveBMP2buttonClick"); }
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
