#pragma once
// The window's entry points for a controller built alone: each call is recorded by name and does
// nothing else; the values asked for are the defaults (header only: the support library stays
// Qt-free and does not link the shell).

#include <algorithm>
#include <string>
#include <vector>

#include "registration/reference.h"
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
    void ProcessViewfullClick() override { calls.push_back("ProcessViewfullClick"); }
    void FormResize() override { calls.push_back("FormResize"); }
    void PreviewSliderChange() override { calls.push_back("PreviewSliderChange"); }
    void showPicture() override { calls.push_back("showPicture"); }
    int lastIndex() const override { return 0; }
    FrameSourceOptions readSourceOptions() const override { return {}; }
    void fillFrameList(const std::vector<std::string>&) override { calls.push_back("fillFrameList"); }
    void openInputFile(const std::string&, InputFilter) override { calls.push_back("openInputFile"); }
    void loadFrameList(const std::filesystem::path&) override { calls.push_back("loadFrameList"); }
    bool takeProjectInput(const InputPlan&) override { return calls.push_back("takeProjectInput"), false; }
    void LoadDarkframeFile(const std::string&, int) override { calls.push_back("LoadDarkframeFile"); }
    void LoadFlatfieldFile(const std::string&, int) override { calls.push_back("LoadFlatfieldFile"); }
    void AlignmethodClick() override { calls.push_back("AlignmethodClick"); }
    void FFTsizeGroupClick() override { calls.push_back("FFTsizeGroupClick"); }
    void applyDebayerSwitch() override { calls.push_back("applyDebayerSwitch"); }
    void DrawRegistrationGraph() override { calls.push_back("DrawRegistrationGraph"); }
    void ShowgraphboxClick() override { calls.push_back("ShowgraphboxClick"); }
    void QualityMethodComboChange() override { calls.push_back("QualityMethodComboChange"); }
    void mirrorColourstack(bool) override { calls.push_back("mirrorColourstack"); }
    ReferenceOptions readReferenceOptions() const override { return {}; }
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

}  // namespace kestrave::test
