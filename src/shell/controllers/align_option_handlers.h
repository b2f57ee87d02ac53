#pragma once
// Handlers of the Align page's own options that are no part of one pipeline step: how the preview
// shows a frame (negative, preview gamma), the stretch of 16-bit input, the break window's switch,
// "Goto Frame", the save subfolder, and the calibration switches "Darkframe" and "Raw". The
// switches of the page's tool windows are released when those close, the folders the page
// chooses are kept in the run (`Pipeline::folders()`), where the other areas read them, and the
// calibration switches follow what the run's calibration frames did (`Calibration`), and the page
// and its tool windows show the steps of a project's load (`ProjectStep`).

#include <QObject>

#include "pipeline/pipeline.h"

namespace kestrave {

class AlignPage;
class AreaStages;
struct AlignControllerParts;
struct ToolWindows;

class AlignOptionHandlers : public QObject {
public:
    explicit AlignOptionHandlers(const AlignControllerParts& parts);

    // "Preview gamma": its value and "Hold" show while it is checked, "Preview negative" is
    // usable while it is not; the current frame is shown again.
    void PregammaClick();
    // The preview gamma's value (below 0.1 taken as 0.1) builds the gamma table with its inverse;
    // the current frame is shown again.
    void PreviewgammaChange();
    // The current frame is shown again; "Preview gamma" is usable while the negative is off.
    void NegativeimageClick();
    // "Yes" stretches the levels of FITS, TIFF and SER frames without asking; the other items
    // do not stretch them.
    void FittifstretchClick();
    // The break window shows while "Haltwindow" is checked, at the right edge of the picture.
    void HaltwindowClick();
    // "Goto Frame": shows frame Sliderset - 1, the value kept within 1 .. the frame count.
    void SlidersetChange();
    // `Subdirname` can be edited while `Savesubcontrol` is ticked.
    void SaveSubcontrolClick();
    // The dark frame is taken off either in stacking ("Darkframe") or from the raw mosaic before
    // debayering ("Raw"), never both.
    void UsedarkframeClick();
    void RawdarkClick();

private:
    // The folders as the page shows them now become the run's.
    void keepFolders();
    // The calibration switches changed as the run's calibration frames say.
    void showCalibrationSwitching();
    // The Align page's part of a project's load step.
    void showReplayStep();

    AlignPage& page_;
    Pipeline& pipeline_;
    ToolWindows& tools_;
    // The frame at the preview slider's position, shown again.
    AreaStages& stages_;
    // The calibration switches and the project's load steps, as the run announces them.
    Pipeline::Subscription runHeard_;
};

}  // namespace kestrave
