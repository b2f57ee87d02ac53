#pragma once
// Optimize-and-stack and "Create": the two commands of the optimizer page that run the optimizer,
// the stacking and the wavelet processing one after the other. The sequence and its decisions
// live here; the steps that belong to the window (reading the stacking and wavelet controls,
// showing the pages, waiting for "Continue") arrive as the small interfaces below, which the
// window's controller implements with its handlers (StackButtonClick, ProcessButtonClick,
// DoAllClick, RestartAlignClick).

#include <string>

#include "frames/frame_model.h"
#include "frames/image_data_section.h"
#include "frames/program_state.h"
#include "platform/message_port.h"
#include "platform/progress_port.h"
#include "registration/optimizer_passes.h"
#include "registration/optimizer_state.h"

namespace kestrave {

// Stacks wider than this many pixels (taller than ProcessAreaTallStack) have the processing area
// centred on the feature after optimize-and-stack: they do not fit the wavelet page's view.
inline constexpr int ProcessAreaWideStack = 817;
inline constexpr int ProcessAreaTallStack = 625;

// How the stack relates to the frames, for placing the processing area.
struct StackScaleOptions {
    bool Resampled = false;
    double ResampleSpin = 2.0;  // the resampling factor
    bool Drizzling = false;
};

// The processing area after a stack: on a stack wider than 817 (taller than 625) pixels it is
// centred on the feature in stack pixels (stackx/stacky: the feature times the resampling factor,
// or twice it when drizzling); it always stays inside the stack.
void centreProcessingArea(ImageDataSection& section, ProgramState& program, const FrameModel& model,
                          const StackScaleOptions& options);

// The window's part of optimize-and-stack.
class OptimizeAndStackWindow {
public:
    virtual ~OptimizeAndStackWindow() = default;
    // Restores the stack limit (StackSlider.Value := StackSlider.Tag), shows the spectrum and graph
    // windows as their check boxes say, opens the stacking page and runs StackButtonClick. True when
    // a stack was completed.
    virtual bool StackButtonClick() = 0;
    // Opens the wavelet page and runs ProcessButtonClick.
    virtual void ProcessButtonClick() = 0;
};

enum class OptimizeAndStackOutcome {
    Processed,            // optimized, stacked and processed
    CancelledOptimizing,  // a cancel ended the optimizer
    NotStacked,           // the stack was cancelled or had no frames
};

struct OptimizeAndStackResult {
    OptimizeAndStackOutcome outcome = OptimizeAndStackOutcome::Processed;
    OptimizerRunResult optimizer;
};

// AlignStackButtonClick's work for the single-box method: the optimizer passes until the gain
// falls below the threshold (also with the "Single run optimizer"), then the stack, the
// processing area and the wavelet processing. Panel 2 of the status bar is cleared after the
// passes.
OptimizeAndStackResult optimizeAndStack(OptimizerContext& context, ImageDataSection& section,
                                        const OptimizerOptions& options, const StackScaleOptions& scale,
                                        OptimizeAndStackWindow& window);

// The settings "Create" changes for the reference stack and puts back afterwards.
struct CreateReferenceSettings {
    double ResampleSpin = 2.0;
    bool Drizzling = false;
    bool Histostretch = false;
    bool Expandstack = false;
    bool Multi = false;
    int AlignMethodIndex = 0;
    bool MultiPointMode = false;
};

// The window's part of "Create".
class CreateReferenceWindow {
public:
    virtual ~CreateReferenceWindow() = default;
    virtual CreateReferenceSettings readSettings() = 0;
    // Writes the settings into their controls (click handlers do not run).
    virtual void applySettings(const CreateReferenceSettings& settings) = 0;
    // AlignSlider.MaxValue: the last ranking position optimized.
    virtual int alignSliderMax() = 0;
    // The maxima of AlignSlider and StackSlider, of LimitStack and (with alignment points) of
    // QUALSliderMalign become `last`; with `moveSliders` also StackSlider.Tag and the values of
    // AlignSlider and StackSlider.
    virtual void setFrameLimit(int last, bool moveSliders) = 0;
    // StackLabelPrefix, put before the stacking captions.
    virtual void setStackLabelPrefix(const std::string& prefix) = 0;
    // Optimize, stack and process (AlignStackButtonClick).
    virtual void AlignStackButtonClick() = 0;
    virtual void ProcessButtonClick() = 0;
    virtual void redrawRegistrationGraph() {}
    // Waits, keeping the wavelet page usable, until "Continue" is pressed or the work is cancelled;
    // returns at once in a batch run.
    virtual void waitForContinue() = 0;
    virtual void DoAllClick() = 0;
    // Makes the processed picture the new reference (restartAlignment) and shows the optimizer page.
    virtual void RestartAlignClick() = 0;
};

struct CreateReferenceOptions {
    double Refframes = 50.0;       // frames for the reference
    bool CreateRefMessage = true;  // "Show Messages During Create-reference"
    bool Optimizegraph = true;     // redraw the registration graph
};

enum class CreateReferenceOutcome {
    Created,    // the processed stack is the new reference
    Cancelled,  // a cancel ended it; the settings and the frame limit are as before
};

struct CreateReferenceResult {
    CreateReferenceOutcome outcome = CreateReferenceOutcome::Created;
    bool CreateRefMessage = true;  // the new state of the check box
};

// MakerefClick's work: the best Refframes frames are optimized, stacked (resampling 1, without
// drizzling, expansion and multi-point mode) and processed; after the user's "Continue" (and
// "Do All" unless it was used or the area covers the whole picture) the processed picture
// becomes the reference. The frame limit and the changed settings are put back however it ends.
// DoAllDone is the program state's flag that "Do All" raises.
CreateReferenceResult createReferenceFrame(FrameModel& model, ProgramState& program,
                                           AlignmentState& alignment, OptimizerState& optimizer,
                                           const ImageDataSection& section, ProgressPort& progress,
                                           MessagePort& messages, const CreateReferenceOptions& options,
                                           CreateReferenceWindow& window);

}  // namespace kestrave
