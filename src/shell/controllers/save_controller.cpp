#include "shell/controllers/save_controller.h"

#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "frames/png_io.h"
#include "output/image_savers.h"
#include "platform/errors.h"
#include "shell/busy_cursor.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/image_info_window.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/shell_ports.h"
#include "shell/window_dialogs.h"
#include "shell/window_entry_points.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

// The version text of the About page; a PNG names "Kestrave " + it as its software.
constexpr char VersionCaption[] = "V" KESTRAVE_VERSION;

const Png16Writer writePng = [](const std::filesystem::path& file, const Bitmap24& picture,
                                const TTIFFBitMap& samples,
                                std::string_view version) { SavePNGImage(file, picture, samples, version); };

}  // namespace

SaveContext saveContext(Pipeline& pipeline, ShellPorts& ports) {
    return saveContext(pipeline, ports.messages(), ports.regSettings.get());
}

SaveContext saveContext(Pipeline& pipeline, MessagePort& messages, RegSettings* settings) {
    return pipeline.saveContext(messages, inputFiles(pipeline.model()), settings, VersionCaption);
}

const Png16Writer& windowPngWriter() {
    return writePng;
}

std::vector<std::filesystem::path> inputFiles(const FrameModel& model) {
    std::vector<std::filesystem::path> files;
    for (int s = 0; s <= std::clamp(model.avicount, 0, MaxAviSegments - 1); ++s)
        if (!model.AviSegments[s].FileName.empty()) files.emplace_back(model.AviSegments[s].FileName);
    if (!model.SerName.empty()) files.emplace_back(model.SerName);
    // A SER input names its frames "Frame i"; a series names its files.
    if (model.InputIsSeries && !model.InputIsSER)
        for (int i = 0; i < FrameCapacity && !model.FrameNames[i].empty(); ++i)
            files.emplace_back(model.FrameNames[i]);
    return files;
}

SaveController::SaveController(const SaveControllerParts& parts) : parts_(parts) {
    connect(&parts.stack, &StackPage::saveRequested, this, &SaveController::SaveButtonClick);
    connect(&parts.wavelet, &WaveletPage::saveRequested, this, &SaveController::SaveBMP2buttonClick);
    connect(&parts.align, &AlignPage::saveSubfolderClicked, this, &SaveController::SaveSubcontrolClick);
}

void SaveController::SaveSubcontrolClick() {
    parts_.align.followSaveSubfolderChoice();
}

bool SaveController::chooseFile(TFileDialog& dialog) {
    try {
        dialog.InitialDir = parts_.align.imageSaveFolder();
    } catch (const KestraveError& error) {
        parts_.ports.messages().error("Save error", error.what());
        return false;
    }
    if (!parts_.pipeline.state().BatchMode) return parts_.ports.dialogs().Execute(dialog);
    // The runner's preset name; a name without a folder goes into the save folder.
    if (dialog.FileName.parent_path().empty()) dialog.FileName = dialog.InitialDir / dialog.FileName;
    return true;
}

void runSaveCommand(MessagePort& messages, ProgressPort& progress, bool& ImageSaved,
                    const std::function<SaveOutcome()>& saver) {
    const BusyCursor busy;
    try {
        const SaveOutcome outcome = saver();
        if (outcome.saved()) {
            ImageSaved = true;
            progress.setStatus(2, "Saved " + outcome.written.front().filename().string());
        }
    } catch (const std::exception& error) {
        // Write failures (the older file is left as it was) and images the saver cannot cover.
        messages.error("Save error", error.what());
    }
}

void SaveController::runSaver(const std::function<SaveOutcome()>& saver) {
    runSaveCommand(parts_.ports.messages(), parts_.ports.progress(), parts_.ports.shell.ImageSaved, saver);
}

void SaveController::SaveButtonClick() {
    TFileDialog& dialog = parts_.dialogs.SaveDialog1;
    if (!parts_.pipeline.stack().exists() || !chooseFile(dialog)) return;
    const StackResult& stack = parts_.pipeline.stack().result;
    const StackSaveSources sources{parts_.pipeline.wavelet().Stackimage,
                                   parts_.pipeline.images().StackPlanes,
                                   stack.ImageWidth,
                                   stack.ImageHeight,
                                   parts_.pipeline.stack().Colourstack,
                                   stack.StackMinValue,
                                   stack.StackMaxValue};
    const StackSaveType type = saveFormatAt(stackSaveFormats(), dialog.FilterIndex).type;
    runSaver([&] {
        SaveContext context = saveContext(parts_.pipeline, parts_.ports);
        return saveStackImage(dialog.FileName, type, sources, context, writePng);
    });
}

void SaveController::SaveBMP2buttonClick() {
    const WaveletData& wavelet = parts_.pipeline.wavelet();
    // Nothing processed yet: nothing to save.
    if (wavelet.ProcessPicture.empty()) return;
    {
        SaveContext context = saveContext(parts_.pipeline, parts_.ports);
        if (!parts_.pipeline.state().DoAllDone && confirmDoAll(context)) parts_.entries.DoAllClick();
    }
    TFileDialog& dialog = parts_.dialogs.WaveletSave;
    if (!chooseFile(dialog)) return;

    const ImageInfoWindow& info = parts_.imageInfo;
    StampInfo stamp;
    stamp.ObjectName = info.objectName();
    stamp.DateTime = info.dateTime();
    stamp.Stack = parts_.frameWindows.stackCutoff();
    const WaveletLayerValues values = parts_.wavelet.layerValues();
    stamp.LevelStep = values.initial;
    stamp.Multiplicant = values.step;
    stamp.Layers = values.layers;
    const WaveletSaveSources sources{wavelet.ProcessPicture,
                                     parts_.pipeline.images().ResultImage16,
                                     parts_.pipeline.images().StackPlanes,
                                     parts_.pipeline.model().ImageWidth,
                                     parts_.pipeline.model().ImageHeight,
                                     parts_.wavelet.colourProcessing(),
                                     info.stampsPictures() ? &stamp : nullptr};
    const WaveletSaveType type = saveFormatAt(waveletSaveFormats(), dialog.FilterIndex).type;
    runSaver([&] {
        SaveContext context = saveContext(parts_.pipeline, parts_.ports);
        return saveWaveletImage(dialog.FileName, type, sources, context, writePng);
    });
}

}  // namespace kestrave
