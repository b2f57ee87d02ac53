// The main window's entry points: each forwards to the controller of its area.

#include "registration/reference.h"
#include "shell/controllers/align_controller.h"
#include "shell/controllers/calibration_controller.h"
#include "shell/controllers/final_controller.h"
#include "shell/controllers/image_info_controller.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/save_controller.h"
#include "shell/controllers/shell_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/main_form.h"

namespace kestrave {

void TMainForm::selectTab(int tab) { shell->selectTab(tab); }
void TMainForm::waitForContinue() { shell->waitForContinue(); }
void TMainForm::CancelButtonClick() { shell->CancelButtonClick(); }
void TMainForm::ProcessViewfullClick() { shell->ProcessViewfullClick(); }
void TMainForm::FormResize() { shell->FormResize(); }

void TMainForm::PreviewSliderChange() { input->PreviewSliderChange(); }
void TMainForm::showPicture() { input->showPicture(); }
int TMainForm::lastIndex() const { return input->lastIndex(); }
FrameSourceOptions TMainForm::readSourceOptions() const { return input->readSourceOptions(); }
void TMainForm::fillFrameList(const std::vector<std::string>& items) { input->fillFrameList(items); }
void TMainForm::openInputFile(const std::string& file, InputFilter filter) { input->openInputFile(file, filter); }
void TMainForm::loadFrameList(const std::filesystem::path& file) { input->loadFrameList(file); }
bool TMainForm::takeProjectInput(const InputPlan& plan) { return input->takeProjectInput(plan); }
void TMainForm::LoadDarkframeFile(const std::string& FileName, int FileType) {
    calibration->LoadDarkframeFile(FileName, FileType);
}
void TMainForm::LoadFlatfieldFile(const std::string& FileName, int FileType) {
    calibration->LoadFlatfieldFile(FileName, FileType);
}

void TMainForm::AlignmethodClick() { align->AlignmethodClick(); }
void TMainForm::FFTsizeGroupClick() { align->FFTsizeGroupClick(); }
void TMainForm::applyDebayerSwitch() { align->applyDebayerSwitch(); }
void TMainForm::DrawRegistrationGraph() { align->DrawRegistrationGraph(); }
void TMainForm::ShowgraphboxClick() { align->ShowgraphboxClick(); }
void TMainForm::QualityMethodComboChange() { align->QualityMethodComboChange(); }
void TMainForm::mirrorColourstack(bool colour) { align->mirrorColourstack(colour); }
ReferenceOptions TMainForm::readReferenceOptions() const { return align->readReferenceOptions(); }

void TMainForm::StackButtonClick() { stack->StackButtonClick(); }
void TMainForm::StackSliderChange() { stack->StackSliderChange(); }
void TMainForm::redrawPointCutoffs() { stack->redrawPointCutoffs(); }
void TMainForm::openPointCutoffs() { stack->openPointCutoffs(); }
void TMainForm::ResampledClick() { stack->ResampledClick(); }
void TMainForm::DrizzlingClick() { stack->DrizzlingClick(); }
void TMainForm::ShowstackgraphClick() { stack->ShowstackgraphClick(); }
StackOptions TMainForm::readStackOptions() const { return stack->readStackOptions(); }
StackOutcome TMainForm::runStack(const StackOptions& options, const StackRun& run) {
    return stack->runStack(options, run);
}
void TMainForm::setStackLabelPrefix(const std::string& prefix) { stack->StackLabelPrefix = prefix; }

void TMainForm::ProcessButtonClick() { wavelet->ProcessButtonClick(); }
void TMainForm::DoAllClick() { wavelet->DoAllClick(); }
void TMainForm::Layer1sliderChanged() { wavelet->Layer1sliderChanged(); }
void TMainForm::showProcessedView() { wavelet->showProcessedView(); }
void TMainForm::mirrorColourprocess2(bool colour) { wavelet->mirrorColourprocess2(colour); }

void TMainForm::ShowWaveletschemeClick() { imageInfo->ShowWaveletschemeClick(); }
void TMainForm::UpdateFinalBitmap() { finalImage->UpdateFinalBitmap(); }
void TMainForm::SaveBMP2buttonClick() { save->SaveBMP2buttonClick(); }

}  // namespace kestrave
