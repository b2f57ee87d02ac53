#pragma once
// Handlers of dark frames and flat fields: the items of the "Flat/Dark" speed-bar menu (load
// through the dialog, create by stacking every frame of the input) and the reloads a project asks
// for. The Align page's controller shows what they do to the page's calibration switches.

#include <QObject>
#include <string>

class QToolButton;
class QWidget;

#include "frames/calibration_types.h"
#include "shell/pages/calibration_menu.h"

namespace kestrave {

class WindowEntryPoints;
class AreaStages;
class Pipeline;
class ShellPorts;
class StackPage;
struct FrameWindows;
struct TFileDialog;

// What the calibration handlers work with: the program state, the main window (the menu's
// owner), the speed bar's "Flat/Dark" item, the dialog that picks the files, the Align page's
// calibration boxes, the Stack page's buttons, the stack slider, and the controllers a master
// frame's stack goes through.
struct CalibrationControllerParts {
    Pipeline& pipeline;
    ShellPorts& ports;
    QWidget& window;
    QToolButton& Flatdarkbutton;
    TFileDialog& OpenDialog;
    StackPage& stackPage;
    FrameWindows& frameWindows;
    // The stack of a master frame.
    AreaStages& stages;
    // The handlers of the other areas, reached through the window.
    WindowEntryPoints& entries;
};

class CalibrationController : public QObject {
public:
    explicit CalibrationController(const CalibrationControllerParts& parts);

    // "Load Darkframe" / "Load Flatfield": the file chosen in OpenDialog (its filter entry is the
    // file type) becomes the dark frame or flat field, and its check box is checked; a cancelled
    // dialog changes nothing. A load that fails is reported and leaves the box unchecked (a FITS
    // file too large also disabled).
    void LoadDarkframeClick();
    void FlatfieldbuttonClick();
    // The project's reload, by name and type: the box is enabled; a file that no longer exists
    // is reported and unchecks it; a type other than 1..4 loads nothing. No settings are written.
    void LoadDarkframeFile(const std::string& FileName, int FileType);
    void LoadFlatfieldFile(const std::string& FileName, int FileType);
    // "Create Darkframe" / "Create Flatfield": stacks every frame of the input with equal weight
    // into a master frame (what it becomes depends only on the recording), to be saved as
    // special FITS and loaded back.
    void CreateDarkframeClick();

    CalibrationMenu menu;

private:
    void loadFromDialog(CalibrationKind kind);
    // Loads into the kind's planes; false when nothing was loaded (reported, box unchecked).
    bool load(CalibrationKind kind, const std::string& file, int type, CalibrationOrigin origin);

    CalibrationControllerParts parts_;
};

}  // namespace kestrave
