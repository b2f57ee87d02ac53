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

void TMainForm::stackFrames() { stack->StackButtonClick(); }
void TMainForm::processStack() { wavelet->ProcessButtonClick(); }
void TMainForm::processWholePicture() { wavelet->DoAllClick(); }
void TMainForm::saveProcessedPicture() { save->SaveBMP2buttonClick(); }

}  // namespace kestrave
