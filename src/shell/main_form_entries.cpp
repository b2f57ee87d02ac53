// The main window's entry points and the project load's steps: each forwards to the controller of
// its area.

#include "shell/controllers/align_controller.h"
#include "shell/controllers/calibration_controller.h"
#include "shell/controllers/final_controller.h"
#include "shell/controllers/image_info_controller.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/optimize_controller.h"
#include "shell/controllers/save_controller.h"
#include "shell/controllers/shell_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/main_form.h"

namespace kestrave {

void TMainForm::selectTab(int tab) {
    shell->selectTab(tab);
}
void TMainForm::waitForContinue() {
    shell->waitForContinue();
}
void TMainForm::CancelButtonClick() {
    shell->CancelButtonClick();
}

// The project's load: each step it takes again goes to the controller of its area.
bool TMainForm::takeInput(const InputPlan& plan) {
    return input->takeProjectInput(plan);
}
void TMainForm::takeFrameList(const std::filesystem::path& file) {
    input->loadFrameList(file);
}
void TMainForm::applyBoxSize() {
    align->FFTsizeGroupClick();
}
void TMainForm::loadDarkFrame(const std::string& file, int type) {
    calibration->LoadDarkframeFile(file, type);
}
void TMainForm::loadFlatField(const std::string& file, int type) {
    calibration->LoadFlatfieldFile(file, type);
}
void TMainForm::showRegistrationGraph() {
    align->ShowgraphboxClick();
    align->DrawRegistrationGraph();
}

void TMainForm::stackFrames() {
    stack->StackButtonClick();
}
void TMainForm::processStack() {
    wavelet->ProcessButtonClick();
}
void TMainForm::processWholePicture() {
    wavelet->DoAllClick();
}
void TMainForm::saveProcessedPicture() {
    save->SaveBMP2buttonClick();
}
void TMainForm::limitFrames() {
    align->SetLimitClick();
}
void TMainForm::optimizeAndStack() {
    optimize->AlignStackButtonClick();
}
void TMainForm::optimizeAlignPoints() {
    optimize->Optimize_AllAlignpoints(true);
}
void TMainForm::showFrameAgain() {
    if (input) input->PreviewSliderChange();
}
void TMainForm::showCutoffsAgain() {
    if (stack) stack->StackSliderChange();
}
void TMainForm::applyResamplingChoice() {
    if (stack) stack->ResampledClick();
}
void TMainForm::applyDrizzlingChoice() {
    if (stack) stack->DrizzlingClick();
}
void TMainForm::openPointCutoffs() {
    if (stack) stack->openPointCutoffs();
}
void TMainForm::renderAgain() {
    if (wavelet) wavelet->Layer1sliderChanged();
}

}  // namespace kestrave
