#include "shell/controllers/save_controller.h"

#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "output/save_formats.h"
#include "output/stamp_info.h"
#include "platform/errors.h"
#include "shell/area_stages.h"
#include "shell/busy_cursor.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/image_info_window.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/shell_ports.h"
#include "shell/unsaved_result.h"
#include "shell/window_dialogs.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

// The version text of the About page; a PNG names "Kestrave " + it as its software.
constexpr char VersionCaption[] = "V" KESTRAVE_VERSION;

}  // namespace

SavePorts savePorts(ShellPorts& ports) {
    return savePorts(ports.messages(), ports.regSettings.get());
}

SavePorts savePorts(MessagePort& messages, RegSettings* settings) {
    return SavePorts{messages, settings, VersionCaption};
}

SaveController::SaveController(const SaveControllerParts& parts) : parts_(parts) {
    connect(&parts.stack, &StackPage::saveRequested, this, &SaveController::SaveButtonClick);
    connect(&parts.wavelet, &WaveletPage::saveRequested, this, &SaveController::SaveBMP2buttonClick);
}

bool SaveController::chooseFile(TFileDialog& dialog) {
    try {
        dialog.InitialDir = parts_.pipeline.saveFolder(parts_.pipeline.folders());
    } catch (const KestraveError& error) {
        parts_.ports.messages().error("Save error", error.what());
        return false;
    }
    if (!parts_.pipeline.state().BatchMode) return parts_.ports.dialogs().Execute(dialog);
    // The runner's preset name; a name without a folder goes into the save folder.
    if (dialog.FileName.parent_path().empty()) dialog.FileName = dialog.InitialDir / dialog.FileName;
    return true;
}

void runSaveCommand(MessagePort& messages, ShellState& shell, const Pipeline& pipeline,
                    const std::function<SaveOutcome()>& saver) {
    const BusyCursor busy;
    try {
        const SaveOutcome outcome = saver();
        if (outcome.saved()) markResultSaved(shell, pipeline);
    } catch (const std::exception& error) {
        // Write failures (the older file is left as it was) and images the saver cannot cover.
        messages.error("Save error", error.what());
    }
}

void SaveController::runSaver(const std::function<SaveOutcome()>& saver) {
    runSaveCommand(parts_.ports.messages(), parts_.ports.shell, parts_.pipeline, saver);
}

void SaveController::SaveButtonClick() {
    TFileDialog& dialog = parts_.dialogs.SaveDialog1;
    if (!parts_.pipeline.stack().exists() || !chooseFile(dialog)) return;
    const StackSaveType type = saveFormatAt(stackSaveFormats(), dialog.FilterIndex).type;
    runSaver([&] { return parts_.pipeline.saveStack(dialog.FileName, type, savePorts(parts_.ports)); });
    parts_.pipeline.restoreInputCaption(parts_.ports.progress(), SavedWork::Image);
}

void SaveController::SaveBMP2buttonClick() {
    const WaveletData& wavelet = parts_.pipeline.wavelet();
    // Nothing processed yet: nothing to save.
    if (wavelet.ProcessPicture.empty()) return;
    if (!parts_.pipeline.state().DoAllDone && parts_.pipeline.wantsDoAllBeforeSave(savePorts(parts_.ports)))
        parts_.stages.processWholePicture();
    TFileDialog& dialog = parts_.dialogs.WaveletSave;
    if (!chooseFile(dialog)) return;

    const ImageInfoWindow& info = parts_.imageInfo;
    ProcessedSaveOptions options;
    options.file = dialog.FileName;
    options.type = saveFormatAt(waveletSaveFormats(), dialog.FilterIndex).type;
    const WaveletSaveValues values = parts_.wavelet.saveValues();
    options.colour = values.colour;
    if (info.stampsPictures()) {
        StampInfo& stamp = options.stamp.emplace();
        stamp.ObjectName = info.objectName();
        stamp.DateTime = info.dateTime();
        stamp.Stack = parts_.pipeline.stackCount().value;
        stamp.LevelStep = values.layers.initial;
        stamp.Multiplicant = values.layers.step;
        stamp.Layers = values.layers.layers;
    }
    runSaver([&] { return parts_.pipeline.saveProcessed(options, savePorts(parts_.ports)); });
    parts_.pipeline.restoreInputCaption(parts_.ports.progress(), SavedWork::Image);
}

}  // namespace kestrave
