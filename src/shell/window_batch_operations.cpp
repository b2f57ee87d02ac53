#include "shell/window_batch_operations.h"

#include "frames/per_input_reset.h"
#include "shell/application_context.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/save_controller.h"
#include "shell/controllers/shell_controller.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/main_form.h"
#include "shell/pages/align_page.h"
#include "shell/pages/optimize_page.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

WindowBatchOperations::WindowBatchOperations(TMainForm& form) : form_(form), app_(form.app) {}

template <typename Handler>
bool WindowBatchOperations::run(Handler&& handler) {
    const int errors = app_.messages().errorsShown();
    handler();
    if (app_.CancelRequested()) {
        app_.progress().setCancelRequested(false);
        return false;
    }
    return app_.messages().errorsShown() == errors;
}

bool WindowBatchOperations::SelectFileButtonClick(const std::string& file) {
    app_.input.BatchInputFile = file;
    return run([&] { form_.input->SelectFileButtonClick(); }) &&
           app_.state.ProcessStage >= TProcessStage::stInputLoaded;
}

BatchInput WindowBatchOperations::input() {
    return {app_.model.ImageWidth, app_.model.ImageHeight,
            fftSizeForItem(form_.alignPage->FFTsizeGroup->ItemIndex()), app_.model.SingleImage};
}

void WindowBatchOperations::setFeature(int x, int y) {
    app_.state.FeatureX = x;
    app_.state.FeatureY = y;
}

bool WindowBatchOperations::RecalcFFTbuttonClick() {
    return false;
}

bool WindowBatchOperations::AlignallButtonClick() {
    return false;
}

void WindowBatchOperations::setPreviewSlider(int position) {
    form_.alignPage->PreviewSlider->setValue(position);
}

bool WindowBatchOperations::SetLimitClick() {
    return false;
}

void WindowBatchOperations::setRefframes(int frames) {
    form_.optimizePage->Refframes->setValue(frames);
}

bool WindowBatchOperations::MakerefClick(const std::function<bool()>& atContinue) {
    (void)atContinue;
    return false;
}

bool WindowBatchOperations::applyScheme(const std::filesystem::path& scheme) {
    WaveletController& wavelet = *form_.wavelet;
    wavelet.loadwaveletdialog.FileName = scheme;
    return run([&] { wavelet.loadschemebuttonClick(true); }) && run([&] { wavelet.DoAllClick(); }) &&
           app_.state.DoAllDone;
}

void WindowBatchOperations::ContinuebuttonClick() {
    form_.shell->ContinuebuttonClick();
}

bool WindowBatchOperations::AlignStackButtonClick() {
    return false;
}

int WindowBatchOperations::saveFilterIndex() {
    return form_.dialogs.WaveletSave.FilterIndex;
}

std::vector<std::filesystem::path> WindowBatchOperations::inputFiles() {
    return kestrave::inputFiles(app_.model);
}

bool WindowBatchOperations::SaveBMP2buttonClick(const std::filesystem::path& fileName, int filterIndex) {
    TFileDialog& dialog = form_.dialogs.WaveletSave;
    dialog.FileName = fileName;
    dialog.FilterIndex = filterIndex;
    // The saver's question before a partly processed image is answered Yes in a batch run; the
    // log says so.
    if (!app_.state.DoAllDone)
        app_.messages().show({.caption = "Image not fully processed",
                              .text = "You have NOT used the DO ALL function, perform this now ? Yes",
                              .dlgType = mtInformation,
                              .buttons = mbOK});
    app_.shell.ImageSaved = false;
    return run([&] { form_.save->SaveBMP2buttonClick(); }) && app_.shell.ImageSaved;
}

}  // namespace kestrave
