#pragma once
// Handlers of the Optimize page: the optimizer ("Optimize"), the reference-frame count, a new
// reference from the best frames ("Create"), optimize-and-stack and the realignment on the
// processed picture. Each reads the controls into the core's options, calls the core and shows
// what it returns. The batch runner calls MakerefClick and AlignStackButtonClick as the buttons
// do; in a batch run they ask nothing and never wait.

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

#include "pipeline/pipeline.h"
#include "registration/optimizer_options.h"
#include "shell/unsaved_result.h"

class QProgressBar;
class QAbstractButton;

namespace kestrave {

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
struct OptimizerPorts;
struct OptimizerWindows;
struct PointWindows;
struct RegistrationWindows;
struct ToolWindows;

// What the Optimize page's handlers work with: the program state, the pages whose options the
// optimizer reads or whose views it moves on, the frame, point and optimizer windows, the tab
// strip and progress bar, and the controllers whose steps optimize-and-stack and "Create" run.
struct OptimizeControllerParts {
    Pipeline& pipeline;
    ShellPorts& ports;
    OptimizePage& optimizePage;
    AlignPage& alignPage;
    StackPage& stackPage;
    WaveletPage& waveletPage;
    FrameWindows& frameWindows;
    PointWindows& pointWindows;
    RegistrationWindows& registrationWindows;
    OptimizerWindows& optimizerWindows;
    ToolWindows& tools;
    TabStrip& Tabpages;
    QProgressBar& ProgressBar1;
    // The stacking and the processing that optimize-and-stack and "Create" run.
    AreaStages& stages;
    // The handlers of the other areas, reached through the window.
    WindowEntryPoints& entries;
    // The stages "Create" runs, each the window's area's own: the Stack page's settings and
    // captions, the Align page's method and frame limit, this page's optimize-and-stack, graph and
    // realignment, the processing and the wait.
    ReferenceStages& referenceStages;
};

// The optimizer's options as the controls hold them; the passes walk the ranked frames the frame
// limit keeps.
OptimizerOptions readOptimizerOptions(const OptimizeControllerParts& parts);

class OptimizeController : public QObject {
public:
    explicit OptimizeController(const OptimizeControllerParts& parts);
    ~OptimizeController() override;

    // "Optimize": the optimizer loop on the frames up to the limit.
    void OptimizebuttonClick();
    // The reference-frame count stays below the number of limited frames.
    void RefframesChange();
    // "Create": the best Refframes frames are optimized, stacked and processed; after the user's
    // "Continue" the processed picture becomes the reference. The frame limit and the settings it
    // changes are put back however it ends.
    void MakerefClick();
    // Optimize, stack and process in one action.
    void AlignStackButtonClick();
    // The optimizer once per alignment point, from the last down to point 1; then each point's
    // stack graph, and with MultiOptimtoWavelet or "Automatic processing" the stack and the
    // wavelet processing. `afterPointAlignment`: the run ends a point alignment's automatic
    // processing rather than being the Optimize page's own step (the Stack page stays as it is).
    void Optimize_AllAlignpoints(bool afterPointAlignment = false);
    // The processed picture becomes the reference picture and the work returns to alignment.
    void RestartAlignClick();
    // The registration graph of the frames up to the limit, under the optimizer's caption.
    void showRegistrationGraph();

    // Small option handlers of the page.
    void ContourClick();
    void SearchAreaChange();
    // "Difference" shows the registration windows (the optimizer's chart once it has points);
    // "Movements" the window of the frames' shifts.
    void OptimizegraphClick();
    void ShowMovementwindowClick();

    // The prefilter's editor: "Reset", "Set", "Active" and the preset chooser `Filtertype`.
    void ResetPrefilterClick();
    void SetprefilterClick();
    void FilteralignmentClick();
    void FiltertypeChange();

private:
    class PassView;
    class PointProgress;
    class StackSteps;

    void connectPrefilter();
    // A click on `button` runs `handler`, asked first as a pass of `kind` over an unsaved result.
    void connectPass(QAbstractButton& button, PassOverResult kind, void (OptimizeController::*handler)());
    // The page follows what the other areas' operations change in the run, as the pipeline
    // announces it.
    void hearOtherAreas();
    // While a stack run works the page's options wait; "Restart align" shows when the run's canvas
    // is the frame's own, and goes while resampling is chosen.
    void heardFromOtherArea(PipelineChange change);

    // Runs `work` with the optimizer's ports: the input's frames read as an optimizer pass reads them.
    void withPasses(const std::function<void(const OptimizerPorts&)>& work);
    // Runs an optimizer run (`run` answers whether a cancel ended its passes) over the ranking
    // positions 0..last. A cancel in the run's first pass, or a failure before that pass ended,
    // leaves the frames' records as they were before the run.
    void runOptimizer(int last, const std::function<bool(const OptimizerPorts&)>& run);
    void showError(const char* caption, const std::exception& error);

    OptimizeControllerParts parts_;
    Pipeline& pipeline_;
    ShellPorts& ports_;
    OptimizePage& page_;
    std::unique_ptr<PassView> view_;
    Pipeline::Subscription otherAreasHeard_;
    // The inputs given up and the features accepted when the page last heard the run.
    int inputsGivenUp_ = 0;
    int featuresAccepted_ = 0;
    // A series was taken: the frame limit committed for it next bounds the reference frames.
    bool newSeriesLimit_ = false;
    // The series in hand has no frames left (its list was emptied).
    bool framesGone_ = false;
};

}  // namespace kestrave
