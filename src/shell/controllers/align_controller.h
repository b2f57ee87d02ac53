#pragma once
// Handlers of the Align page: the debayer switch, the alignment method, the alignment box's size,
// the feature pick on the preview (or the free box dragged on it) and the box outline that follows
// the mouse, the recalculation of the reference,
// the quality method and the quality and filter options, the alignment of every frame, the frame
// limit ("Limit"), and the spectrum and registration charts. The batch runner calls SetLimitClick
// as the button does.

#include <QObject>
#include <memory>
#include <utility>
#include <vector>

#include "pipeline/pipeline.h"
#include "registration/quality_method.h"
#include "shell/controllers/align_controller_parts.h"

class QLabel;
class QProgressBar;
class QWidget;

namespace kestrave {

class WindowEntryPoints;
class AreaStages;
class AlignPage;
class AlignOptionHandlers;
class AlignWindow;
class Pipeline;
class ShellPorts;
class OptimizePage;
class PointController;
class StackPage;
class TRxSpinEdit;
class WaveletPage;
struct BoxLevelOptions;
struct FrameWindows;
struct PointWindows;
struct RegistrationWindows;
struct ToolWindows;
struct WindowDialogs;

class AlignController : public QObject {
public:
    explicit AlignController(const AlignControllerParts& parts);
    ~AlignController() override;

    // "Use Debayer" clicked: the switch follows the box, the colour controls follow the switch,
    // and the shown frame is read again.
    void AVIDEBAYClick();
    // The same without reading the frame again (the input selection shows the frame itself).
    void applyDebayerSwitch();
    // The switch between single-box ("Default(single)"), multi-point and no alignment ("None").
    // With an input: "Default(single)" leaves the multi-point mode (its points go to the
    // temporary point file) and returns to the feature picked last; "Multipoint" starts the
    // multi-point setup; "None" stacks the frames as they are, without shifts.
    void AlignmethodClick();

    // A box size chosen in FFTsizeGroup: stepped down to one that fits the image, the FFT set up
    // for it; a feature picked for the old size has to be picked again.
    void FFTsizeGroupClick();
    // A press on the preview at (x, y) of the control: the right button alone deletes the nearest
    // alignment point; otherwise the click an alignment waits for, the start of a free box, or
    // the pick of the feature whose box becomes the reference.
    void PreviewImageMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // The mouse over the preview: its frame position in the status bar; with the free box the
    // rubber band follows it while the left button is held; otherwise the cross cursor where the
    // box fits, and the box outline around it until a feature is picked.
    // With "Show Zoomed Image" ticked the zoom window shows the square around the pointer, enlarged (Ctrl
    // held keeps the square where it is). Before the frames are aligned the move also counts the
    // frames in use.
    void PreviewImageMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    // "Show Zoomed Image" ticked or unticked: the zoom window follows it.
    void PreviewzoomClick();
    // A double click on the caption of the zoom window, the break window or the wavelet zoom
    // unticks "Show Zoomed Image" (and so closes the zoom window).
    void ZoomwindowCaptionDblClick();
    // The mouse wheel anywhere in the window while the user chooses the feature: a step away
    // from the user chooses the next larger box, towards the user the next smaller one.
    void WMMouseWheel(int delta);
    // The release of the mouse on the preview: a dragged free box is sized, kept inside the frame
    // and picked as the feature (or taken as the click an alignment waits for). Every release
    // remembers the feature in force.
    void PreviewImageMouseUp(Qt::MouseButton button, int x, int y);
    // Recomputes the reference from the box around the feature on the reference frame and aligns
    // that frame. A call made while one runs (the automatic values written into the spin edits
    // call it again) returns at once.
    void RecalcFFTbuttonClick();
    // The quality method chosen in QualityMethodCombo: its label and band pointer, the choice kept
    // in CopyAlignmethods, and (once start-up is done and a feature is picked) the reference
    // recomputed with the automatic values.
    void QualityMethodComboChange();

    // The quality and filter options. A press on one of their spin edits arms it: the change that
    // follows is the user's, and the automatic computation leaves that value alone from then on.
    void armQualityFilter();
    void armFFTFilter();
    void QualityFilterChange();
    void CentralHVSChange();
    void CompresfactorChange();
    void AutofilterClick();
    void FFTFilterspinChange();
    void TrackDetectChange();
    void ShowFFTboxClick();
    void ShowgraphboxClick();
    // Option glue: "Colour" is stored as "usecolour", allows LRGB and sets the wavelet page's
    // colour processing alike; "Misalign warning" is stored; manual alignment turns the misalign
    // warning off; the horizontal interlace choice shows only for interlaced input; the bias
    // value only while bias subtraction is ticked.
    void ColourstackClick();
    void MisalignwarningClick();
    void ManualAlignboxClick();
    void InterlacedClick();
    void BlurBoxClick();

    // Aligns and grades every frame, ranks them, and shows the ranking in the sliders, the lists
    // and the registration graph; with "Automatic processing" ticked the limit, optimize-and-stack
    // and the wavelet processing follow.
    void AlignallButtonClick();
    // "Limit": the best frames up to the preview slider's position are kept; the frame limit, the
    // stack count and its range become the last position kept.
    void SetLimitClick();
    // The alignment settings "Create" changes for its reference stack and puts back afterwards:
    // the page's alignment method and the run's multi-point mode.
    CreateAlignSettings referenceSettings() const;
    void applyReferenceSettings(const CreateAlignSettings& settings);
    // "Create"'s frame limit: only ranking positions 0..last take part. With `wholeLimit` the limit
    // is the one kept between runs, the stack count and the frame shown become the whole limit
    // too; without, it narrows the limit for this run alone (the stacks keep their bound).
    void limitReferenceFrames(int last, bool wholeLimit);

    // imgFFT cleared, with " Not defined " in its middle.
    void showSpectrumUndefined();
    // The registration graph of the run: quality, correlation and difference per rank in Chart8,
    // copied into Chart9, and the average and largest difference in the caption of RegiStration2.
    void DrawRegistrationGraph();

    // The handlers of the alignment points and the multi-point window.
    PointController& points() { return *points_; }

    // The quality limit typed or stepped after the alignment pass places the frame slider as the
    // pass does, so that "Limit" keeps the frames above it.
    void OptimizeQualitySpinChange();

    // How a pass over every frame ended, in the window: the ranking and the next step after a
    // finished pass, the reference picture back after a stopped one; the graph's caption, the bar
    // and the status say which (for the one-box pass and the points' passes alike).
    void alignmentEnded(const AlignmentPassResult& result);
    // The box outline over the preview, centred at frame pixel `at`; hidden when it does not fit.
    void showBoxOutline(QPoint at, bool fits);
    // Whether the alignment box of the current size, centred at frame pixel `at`, lies in the frame.
    bool boxFitsAt(QPoint at) const;
    // Back to one box: the saved feature in force again, its reference made again there and its
    // box shown on the preview.
    void backToSavedFeature();
    // After a pass over every frame: the ranking in the sliders, the lists and the registration
    // graph, and the next step (the limit) ready.
    void alignmentFinished(const AlignmentPassResult& result);
    // The pass ended without a ranking: the stored reference picture goes back to the preview.
    void alignmentStopped();

    // The control values the reference computation, the alignment of one frame and the pass read
    // (the reference's are `readReferenceOptions` of align_page_options.h, on its own page).
    ReferenceOptions readReferenceOptions() const;
    AlignOptions readAlignOptions() const;
    AlignmentPassOptions readPassOptions() const;
    // What the page's quality and level options say.

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // "Automatic processing" after the one-box alignment: the limit, then optimize-and-stack,
    // which stacks and processes.
    void processAutomatically();
    // The reference computed again at the feature with the page's options, under the guard below.
    void recomputeReference();
    // Runs one reference computation (the recalculation or the pick) with the re-entry guard up;
    // an error is shown and leaves the reference as far as it got.
    template <typename Work>
    void computeReference(Work work);
    void connectArming(TRxSpinEdit& spin, void (AlignController::*arm)());
    void placeBandPointer(const QualityMethodChoice& choice);
    // The frame pixel under the preview's point (x, y), and the preview's point of frame pixel
    // (x, y): they differ while the preview is fitted to its box.
    QPoint previewPoint(int x, int y) const;
    QPoint shownPoint(int x, int y) const;
    // The free box's rubber band over the preview for BoxMark, hidden when none is dragged.
    void showFreeBoxBand();
    // The free box released: its size, its place, and its centre picked as the feature.
    void placeFreeBox();
    // The controls a pick makes usable, unless the click is one an alignment waits for.
    void enablePickControls();
    // The click an alignment waits for, or the pick of the feature at the click.
    void pickAt(const PreviewClick& click);
    bool inputLoaded() const;
    bool choosingFeature() const;
    // The zoom window's picture for the pointer at (x, y) of the frame.
    void showZoomSquare(int x, int y);

    class WheelWatch;

    // What the page shows of the run as the pipeline announces it: the box size in force, the
    // frame limit's ranked frames, the optimizer's runs (the alignment slider hidden and the
    // spectrum switch off as a pass starts, the frame in work, cleared when the run ends) and the
    // realignment on the processed picture (its automatic filter values).
    void hearRun(PipelineChange change);
    // The optimizer's runs and the realignment (align_optimizer_hearers.cpp).
    void showOptimizerProgress();
    // The frame the alignment slider stands on while an optimizer run works: the one taken
    // before the frame in work (-1 between runs).
    int sliderFrame_ = -1;
    void showRealignValues();

    AlignControllerParts parts_;
    std::unique_ptr<WheelWatch> wheel_;
    Pipeline::Subscription runHeard_;
    Pipeline& pipeline_;
    ShellPorts& ports_;
    std::unique_ptr<AlignWindow> window_;
    std::unique_ptr<PointController> points_;
    // A reference computation is running.
    bool referenceBusy_ = false;
    // The spin edits (and their step buttons) whose press or key arms a filter value.
    std::vector<std::pair<QObject*, void (AlignController::*)()>> arming_;
    // The handlers of the page's own options, its tool windows' switches and its folders.
    std::unique_ptr<AlignOptionHandlers> options_;
};

}  // namespace kestrave
