#include "shell/controllers/calibration_controller.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <filesystem>

#include "shell/area_stages.h"
#include "shell/busy_cursor.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/shell_ports.h"
#include "shell/unsaved_result.h"
#include "shell/window_entry_points.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"

namespace kestrave {

namespace {

constexpr int StackTab = static_cast<int>(TMainTab::tabStack);

}  // namespace

CalibrationController::CalibrationController(const CalibrationControllerParts& parts)
    : menu(&parts.window, parts.frameWindows), parts_(parts) {
    QToolButton& item = parts.Flatdarkbutton;
    item.setMenu(menu.PopupMenu1);
    item.setPopupMode(QToolButton::InstantPopup);
    connect(menu.LoadDarkframe1, &QAction::triggered, this, &CalibrationController::LoadDarkframeClick);
    connect(menu.LoadFlatfield1, &QAction::triggered, this, &CalibrationController::FlatfieldbuttonClick);
    // A master frame's stack replaces the stack and its result: an unsaved result is asked about first.
    for (QAction* create : {menu.CreateDarkframe1, menu.CreateFlatfield1})
        connect(create, &QAction::triggered, this, [this] {
            runPassOverResult(parts_.pipeline, parts_.ports, parts_.stages, PassOverResult::MasterFrame,
                              [this] { CreateDarkframeClick(); });
        });
}

void CalibrationController::LoadDarkframeClick() {
    loadFromDialog(CalibrationKind::Dark);
}

void CalibrationController::FlatfieldbuttonClick() {
    loadFromDialog(CalibrationKind::Flat);
}

void CalibrationController::loadFromDialog(CalibrationKind kind) {
    TFileDialog& dialog = parts_.OpenDialog;
    if (!parts_.ports.dialogs().Execute(dialog)) return;
    const std::string file = dialog.FileName.string();
    // The filter chosen says how the file is read, whatever its name.
    const int type = dialog.FilterIndex;
    parts_.pipeline.nameCalibrationFile(kind, file, type);
    // A FITS file's type is remembered once it was opened, a picture's once it was read.
    const bool loaded = load(kind, file, type, CalibrationOrigin::Dialog);
    if (parts_.ports.regSettings && (loaded || isFitsCalibration(type)))
        parts_.ports.regSettings->WriteString(kRegFilesSection, "LastDarkFlattype",
                                              lastDarkFlatType(kind, type));
}

void CalibrationController::LoadDarkframeFile(const std::string& FileName, int FileType) {
    load(CalibrationKind::Dark, FileName, FileType, CalibrationOrigin::Project);
}

void CalibrationController::LoadFlatfieldFile(const std::string& FileName, int FileType) {
    parts_.pipeline.setCalibrationFileType(CalibrationKind::Flat, FileType);
    load(CalibrationKind::Flat, FileName, FileType, CalibrationOrigin::Project);
}

bool CalibrationController::load(CalibrationKind kind, const std::string& file, int type,
                                 CalibrationOrigin origin) {
    try {
        const BusyCursor busy;
        const CalibrationLoad result =
            parts_.pipeline.loadCalibrationFile(kind, file, type, origin, parts_.ports.messages());
        return result.loaded;
    } catch (const CalibrationError& error) {
        // The run switched the frame off (`Pipeline::calibrationSwitching()`).
        parts_.ports.messages().show(error.message());
    }
    return false;
}

void CalibrationController::CreateDarkframeClick() {
    const LongOperation operation(parts_.ports.operations);
    if (!operation) return;
    // Every frame of the input, in frame order and with equal weight.
    const int last = parts_.pipeline.input().lastIndex;
    parts_.pipeline.prepareMasterFrame(last);
    parts_.stackPage.setPassButtonsEnabled(true);
    parts_.entries.selectTab(StackTab);
    parts_.pipeline.setStackCount(last);
    parts_.stages.stackFrames();
}

}  // namespace kestrave
