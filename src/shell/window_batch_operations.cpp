#include "shell/window_batch_operations.h"

#include "frames/input_plan.h"
#include "platform/scope_exit.h"
#include "shell/application_context.h"
#include "shell/controllers/align_controller.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/optimize_controller.h"
#include "shell/controllers/save_controller.h"
#include "shell/controllers/shell_controller.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/point_windows.h"
#include "shell/window_dialogs.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

WindowBatchOperations::WindowBatchOperations(const WindowBatchParts& parts)
    : parts_(parts), app_(parts.app) {}

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
    app_.pipeline.nameBatchInput(file);
    if (!run([&] { parts_.input.SelectFileButtonClick(); }) ||
        app_.pipeline.state().ProcessStage < TProcessStage::stInputLoaded)
        return false;
    // The alignment box is fitted to the new input, as choosing its size fits it.
    if (!app_.pipeline.model().SingleImage) parts_.alignHandlers.FFTsizeGroupClick();
    return true;
}

BatchInput WindowBatchOperations::input() {
    return {app_.pipeline.model().ImageWidth, app_.pipeline.model().ImageHeight, app_.pipeline.fft().FFTSize,
            app_.pipeline.model().SingleImage};
}

void WindowBatchOperations::setFeature(int x, int y) {
    // What a click on the frame shown in the preview chooses.
    app_.pipeline.chooseFeature(x, y, parts_.align.previewPosition());
}

bool WindowBatchOperations::RecalcFFTbuttonClick() {
    if (!run([&] { parts_.alignHandlers.RecalcFFTbuttonClick(); })) return false;
    app_.pipeline.markReferenceReady();
    return true;
}

bool WindowBatchOperations::AlignallButtonClick() {
    return run([&] { parts_.alignHandlers.AlignallButtonClick(); }) && app_.pipeline.model().FramesRanked &&
           app_.pipeline.state().progstatus == TProgStatus::psAligned;
}

void WindowBatchOperations::setSeams(int width) {
    parts_.points.useSeams(width);
}

bool WindowBatchOperations::alignPoints(const std::filesystem::path& pointsFile) {
    const std::filesystem::path temporary = app_.pipeline.input().inputFolder / TempPointFile;
    std::error_code error;
    if (!std::filesystem::equivalent(pointsFile, temporary, error)) {
        error.clear();
        std::filesystem::copy_file(pointsFile, temporary, std::filesystem::copy_options::overwrite_existing,
                                   error);
    }
    if (error) {
        app_.messages().error("Batch", "The alignment-point file could not be copied to " +
                                           temporary.string() + ": " + error.message());
        return false;
    }
    parts_.dialogs.SaveDialog1.FileName = pointsFile.stem();
    parts_.align.setAlignMethodIndex(AlignMethodMultipoint);
    if (!run([&] { parts_.alignHandlers.AlignmethodClick(); })) return false;
    // One point is aligned as one box on that point; only a file without any point aligns nothing.
    const bool aligned =
        app_.pipeline.model().FramesRanked && app_.pipeline.state().progstatus == TProgStatus::psAligned;
    if (!aligned && app_.pipeline.alignPoints().Alignpoints <= 1)
        app_.messages().error(
            "Batch", "The alignment-point file " + pointsFile.string() + " holds no point on these frames");
    return aligned;
}

void WindowBatchOperations::setPreviewSlider(int position) {
    parts_.align.setPreviewPosition(position);
}

bool WindowBatchOperations::SetLimitClick() {
    return run([&] { parts_.alignHandlers.SetLimitClick(); }) &&
           app_.pipeline.state().ProcessStage == TProcessStage::stAligned;
}

void WindowBatchOperations::setRefframes(int frames) {
    parts_.optimize.setReferenceFrames(frames);
}

bool WindowBatchOperations::MakerefClick(const std::function<bool()>& atContinue) {
    bool continued = false;
    ShellController& shell = parts_.shell;
    shell.batchContinueWork = [&] { continued = atContinue(); };
    const ScopeExit noWork([&] { shell.batchContinueWork = nullptr; });
    app_.pipeline.forgetNewReference();
    return run([&] { parts_.optimizeHandlers.MakerefClick(); }) && continued &&
           app_.pipeline.optimizer().NewReferenceMade;
}

bool WindowBatchOperations::applyScheme(const std::filesystem::path& scheme) {
    WaveletController& wavelet = parts_.wavelet;
    wavelet.loadwaveletdialog.FileName = scheme;
    return run([&] { wavelet.loadschemebuttonClick(true); }) && run([&] { wavelet.DoAllClick(); }) &&
           app_.pipeline.state().DoAllDone;
}

void WindowBatchOperations::ContinuebuttonClick() {
    parts_.shell.ContinuebuttonClick();
}

bool WindowBatchOperations::AlignStackButtonClick() {
    return run([&] { parts_.optimizeHandlers.AlignStackButtonClick(); }) &&
           app_.pipeline.state().progstatus == TProgStatus::psStacked &&
           !app_.pipeline.wavelet().ProcessPicture.empty();
}

int WindowBatchOperations::saveFilterIndex() {
    return parts_.dialogs.WaveletSave.FilterIndex;
}

std::vector<std::filesystem::path> WindowBatchOperations::inputFiles() {
    return kestrave::inputFiles(app_.pipeline.model());
}

bool WindowBatchOperations::SaveBMP2buttonClick(const std::filesystem::path& fileName, int filterIndex) {
    TFileDialog& dialog = parts_.dialogs.WaveletSave;
    dialog.FileName = fileName;
    dialog.FilterIndex = filterIndex;
    // The saver's question before a partly processed image is answered Yes in a batch run; the
    // log says so.
    if (!app_.pipeline.state().DoAllDone)
        app_.messages().inform("Image not fully processed",
                               "You have NOT used the DO ALL function, perform this now ? Yes");
    app_.shell.ImageSaved = false;
    return run([&] { parts_.save.SaveBMP2buttonClick(); }) && app_.shell.ImageSaved;
}

}  // namespace kestrave
