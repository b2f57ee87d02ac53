// The main window's entry points and the project load's steps: each forwards to the controller of
// its area.

#include "shell/application_context.h"
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
void TMainForm::ShowMemoryUsage() {
    shell->ShowMemoryUsage();
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
void TMainForm::openPointCutoffs() {
    if (stack) stack->openPointCutoffs();
}
void TMainForm::renderAgain() {
    if (wavelet) wavelet->Layer1sliderChanged();
}

// "Create"'s stages: the settings it changes are each held by their own area's page.
CreateReferenceSettings TMainForm::ReferenceSteps::stackSettings() {
    return {form_.stack->referenceSettings(), form_.align->referenceSettings()};
}
void TMainForm::ReferenceSteps::applyStackSettings(const CreateReferenceSettings& settings) {
    form_.stack->applyReferenceSettings(settings);
    form_.align->applyReferenceSettings(settings);
}
int TMainForm::ReferenceSteps::frameLimit() {
    return form_.app.pipeline.rankLimit();
}
void TMainForm::ReferenceSteps::setFrameLimit(int last, bool wholeLimit) {
    form_.align->limitReferenceFrames(last, wholeLimit);
}
void TMainForm::ReferenceSteps::setStackLabelPrefix(const std::string& prefix) {
    form_.stack->setStackCaptionPrefix(prefix);
}
void TMainForm::ReferenceSteps::optimizeAndStack() {
    form_.optimize->AlignStackButtonClick();
}
void TMainForm::ReferenceSteps::process() {
    form_.wavelet->ProcessButtonClick();
}
void TMainForm::ReferenceSteps::showRegistrationGraph() {
    form_.optimize->showRegistrationGraph();
}
void TMainForm::ReferenceSteps::waitForUser() {
    form_.shell->waitForContinue();
}
void TMainForm::ReferenceSteps::processWholePicture() {
    form_.wavelet->DoAllClick();
}
void TMainForm::ReferenceSteps::realignOnProcessed() {
    form_.optimize->RestartAlignClick();
}

}  // namespace kestrave
