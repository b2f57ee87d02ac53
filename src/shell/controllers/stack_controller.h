#pragma once
// Handlers of the Stack page: the stacking run (`StackButtonClick`), the quality and difference
// cut-offs (`StackSliderChange`, `LimitStackChange`), the stack graph window with each alignment
// point's own cut-offs, the alignment sections over the stack and the stack-depth view.

#include <QObject>
#include <QRect>
#include <functional>
#include <memory>
#include <string>

#include "pipeline/pipeline.h"
#include "registration/alignment_point_types.h"
#include "registration/frame_limit_values.h"
#include "stacking/stack_cutoff_values.h"
#include "stacking/stack_options.h"
#include "stacking/stack_result.h"

class QImage;
class QProgressBar;
class QWidget;

namespace kestrave {

class FrameSource;
class WindowEntryPoints;
class AreaStages;
class AlignPage;
class Pipeline;
class ShellPorts;
class OptimizePage;
class StackPage;
class TabStrip;
class WaveletPage;
struct FrameWindows;
struct PointWindows;
struct RegistrationWindows;
struct ToolWindows;

// What the Stack page's handlers work with: the program state, the main window (its title names
// the frame at the quality cut-off), the pages whose options a stack reads or whose views it
// moves on, the frame, registration and point windows, the tab strip and the progress bar.
struct StackControllerParts {
    Pipeline& pipeline;
    ShellPorts& ports;
    QWidget& window;
    StackPage& stackPage;
    AlignPage& alignPage;
    OptimizePage& optimizePage;
    WaveletPage& waveletPage;
    FrameWindows& frameWindows;
    RegistrationWindows& registrationWindows;
    PointWindows& pointWindows;
    ToolWindows& tools;
    TabStrip& Tabpages;
    QProgressBar& ProgressBar1;
    // The processing again once the processed view no longer shows the stack depth.
    AreaStages& stages;
    // The handlers of the other areas, reached through the window.
    WindowEntryPoints& entries;
};

class StackController : public QObject {
public:
    using FrameSourceFactory = std::function<std::unique_ptr<FrameSource>()>;

    explicit StackController(const StackControllerParts& parts);
    ~StackController() override;

    // The options of a stacking run as the controls and the program state hold them.
    StackOptions readStackOptions() const;
    // The alignment points as a stack sees them: positions, switches and the per-point cut-offs.
    StackPointSet readStackPoints() const;

    // Stacks the ranked, aligned frames of the current input; refused while another long
    // operation runs for the user. A completed run shows the stack and opens the later pages; a
    // cancel, a declined question or a failure leaves the previous stack and program state.
    void StackButtonClick();
    // The stacking's progress text in the Stack page's label (" Stacking", "Finishing stack").
    void showStackActivity(const std::string& text);
    // A stacking stage run by `run` (one stacking run, or the passes of a sigma stack; a completed
    // stack kept by it) from frames of the current input, inside the frame StackButtonClick gives
    // its own run: refused while another long operation runs for the user, the pages disabled
    // meanwhile, the kept stack shown, an error of `run` reported. Returns the outcome of the
    // stage `run` ended (Failed when the run was refused or threw).
    using StackRun = std::function<StackEnd(const StackOptions&, FrameSource&)>;
    StackOutcome runStack(const StackOptions& options, const StackRun& run);
    // The cut-offs moved: the frame at the quality cut-off is read into the preview and shown on
    // the stack picture with the alignment points, the stack size and lowest quality go to the
    // status bar, and the cut-off lines move on the stack graph.
    void StackSliderChange();
    // A move of the quality cut-off ended: in multi-point mode on the stack page every point's
    // quality cut-off follows it (within the point's graph).
    void StackSliderChanged();
    // "Limit to maximum frameno:" sets the quality cut-off; a number above the last rank of the
    // range takes the slider's end.
    void LimitStackChange();

    // The stack graph of the point `Alignmentpointstackgraph` names: its entering frames sorted by
    // quality, the point's remembered slider positions, its box on the stack picture.
    void AlignmentpointstackgraphChange();
    // The point's quality cut-off: the quality at the slider's position in the sorted graph (only
    // in multi-point mode once the points are optimized).
    void QUALSliderMalignChange();
    // The point's difference cut-off: the slider's thousandths of the point's largest difference.
    void DifSliderMalignChange();
    // Back on the Optimize page after a multi-point stack: every point's cut-off is drawn again at
    // its quality position, and the stack slider reaches to the last point's.
    void redrawPointCutoffs();
    // A new alignment pass ahead: every point's quality cut-off opened to its whole graph, and
    // the stack slider with it.
    void openPointCutoffs();
    // The stack style: "None", "Resampling" (refused for 16-bit input) or "Drizzling".
    void ResampleDrizzlegroupClick();
    // "Multi" ticked or cleared: the stacks use the alignment points or not.
    void MultiClick();
    // Drizzling and resampling exclude each other; the wavelet page's Drizzle2 follows Drizzling.
    void DrizzlingClick();
    // The stacking settings "Create" changes for its reference stack and puts back afterwards, as
    // the page holds them; put in force, the drizzling choice is followed as its click does.
    CreateStackSettings referenceSettings() const;
    void applyReferenceSettings(const CreateStackSettings& settings);
    // Put before the stacking captions ("Reference" while "Create" makes its reference stack).
    void setStackCaptionPrefix(const std::string& prefix);
    void ResampledClick();
    // The resampling factor follows its spin within 1..4; the drizzle factor takes the value.
    void ResampleSpinChange();
    // Shows or hides the stack graph window as `Showstackgraph` says and places the cut-offs on
    // it; with alignment points also every point's graph.
    void ShowstackgraphClick();
    void ShowStacklistClick();
    // "View Stacksize": the processed view shows how many frames each pixel took (with the depth
    // at every alignment point) while `depthShown` (the button is down), or the rendering again.
    void ShowStackCountClick(bool depthShown);
    // The zones of the switched-on alignment points over the stack.
    void AlignmentpointsClick();
    // A point switched on or off in the list.
    void AlignmentpointlistClick();
    void AlignmentpointswindowRollClose();
    void PCheck2Click();
    // The fast multi-point method cannot resample or drizzle: a warning, nothing changed.
    void FastStackClick();
    // The stack filter's editor: "Reset", "Set", "Active" and the preset chooser
    // `Stackfiltermethod`.
    void StackfilterresetbuttonClick();
    void StackfiltersetbuttonClick();
    void StackfiltersetClick();
    void StackfiltermethodChange();

    // Where a stack reads its frames: a new source of the current input (the default), or frames
    // a test holds in memory.
    void setFrameSourceFactory(FrameSourceFactory factory) { frameSources_ = std::move(factory); }

private:
    void connectStackFilter();
    // What the Stack page shows after the other areas' operations, redrawn from the run when the
    // pipeline announces them: the stack slider follows the frame limit and the stack count.
    void hearRun(PipelineChange change);
    void showTakenInput();
    // While an optimize step of the Optimize page runs (however it ends), the stack options wait
    // and the last stack's graph goes.
    void followOptimizerRun();
    // The Stack page's Multi box follows the placing of alignment points.
    void showPlacing();
    // A project's load: its points' mode on the Multi box, their graphs once their cut-offs are
    // filed again.
    void showReplayStep();
    // The Stack page's passes follow the run: greyed when the input is given up or a pass over the
    // frames stopped, open again as the alignment, its absence or a project's load allow.
    void followPasses(PipelineChange change);
    // The Stack page entered: the stack graph drawn anew while it shows; the Optimize page
    // entered: the points' cut-offs drawn again.
    void enterPage(int tab);
    // The stack slider shows the stack count within its range.
    void showStackCount();
    std::unique_ptr<FrameSource> inputFrames();
    void prepareStackRun();
    // A multi-point stack with points that no frame of the stack can place (never measured, or
    // cut off in every frame): the user is told that their zones will stay empty.
    void warnOfEmptyZones(const StackOptions& options);
    void finishStackRun();
    void showStack(const StackResult& stack);
    // The stack image shows the stack, or the frame at the quality cut-off.
    void showStackPicture(const Bitmap24& picture);
    void showStackImage(const QImage& picture);
    void showFrameAtCutoff(int frame);

    // Multi-point mode with at least two points.
    bool multiPoint() const;
    // The points 1..pointCount() there are (at most the 99 of the arrays).
    int pointCount() const;
    // Point p is ticked in Alignmentpointlist (without a line for it: switched on in the arrays).
    bool pointChecked(int p) const;
    // The point Alignmentpointstackgraph names, kept within 1..99.
    int shownPoint() const;
    PointStackGraph pointGraph(int p) const;
    // Chart10 draws the graph.
    void showPointGraph(const PointStackGraph& graph);
    // The cut-off lines on Chart9 and on Chart10.
    void placeCutoffIndicators();
    void placePointIndicators();
    // Counts point p's frames to stack inside its cuts and writes them to Stackframelabel.
    void showPointCutoffs(int p, const PointStackGraph& graph, double qualityDivisor);
    // Point p's box on the stack, centred on the point shifted onto the stack canvas.
    QRect pointBox(int p) const;
    void showPointBox(int p, bool crossed);
    // The stack picture without anything drawn over it (when there is a stack).
    void restoreStackPicture();
    // The zones of the ticked points over the stack picture.
    void showPointZones();

    StackControllerParts parts_;
    FrameSourceFactory frameSources_;
    bool inSliderChange_ = false;
    // Every change the run announces (`hearRun`).
    Pipeline::Subscription runHeard_;
    // The optimizer run under way has locked the stack options.
    bool optimizerRunLocked_ = false;
    // The passes follow the run (`followPasses`): the inputs given up and whether the series'
    // frames are gone, as last heard.
    int inputsGivenUp_ = 0;
    bool framesGone_ = true;
};

}  // namespace kestrave
