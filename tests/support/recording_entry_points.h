#pragma once
// The window's entry points and the stages other areas run, for a controller built alone: each
// call is recorded by name (a stage by the handler the window hands it to) and does nothing else;
// the values asked for are the defaults (header only: the support library stays
// Qt-free and does not link the shell).

#include <algorithm>
#include <string>
#include <vector>

#include "registration/reference.h"
#include "shell/area_stages.h"
#include "shell/window_entry_points.h"

namespace kestrave::test {

class RecordingEntryPoints : public WindowEntryPoints, public AreaStages {
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

    // The stages other areas run, named after the handlers the window hands them to.
    void stackFrames() override { calls.push_back("StackButtonClick"); }
    void processStack() override { calls.push_back("ProcessButtonClick"); }
    void processWholePicture() override { calls.push_back("DoAllClick"); }
    void saveProcessedPicture() override { calls.push_back("SaveBMP2buttonClick"); }
};

}  // namespace kestrave::test
