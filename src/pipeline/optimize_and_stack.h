#pragma once
// Optimize-and-stack and "Create": the two commands of the optimizer page that run the optimizer,
// the stacking and the wavelet processing one after the other. The sequence and its decisions
// live here; each stage it hands on (the stacking and the processing with the options in force,
// the wait for the user, the realignment) is reached through a port named after the stage, which
// the window implements with its pages and a test with plain values.

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

// The stacking and processing stages, run with the options their owner holds.
class StackStages {
public:
    virtual ~StackStages() = default;
    // Stacks the frames up to the frame limit, the stack count back at the whole limit; true when
    // a stack was completed.
    virtual bool stack() = 0;
    // Processes the stack just made.
    virtual void process() = 0;
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

// Optimize-and-stack with the single box: the optimizer passes until the gain falls below the
// threshold (also with the "Single run optimizer"), then the stack, the processing area and the
// wavelet processing. Panel 2 of the status bar is cleared after the passes.
OptimizeAndStackResult optimizeAndStack(OptimizerContext& context, ImageDataSection& section,
                                        const OptimizerOptions& options, const StackScaleOptions& scale,
                                        StackStages& stages);

// The settings "Create" changes for the reference stack and puts back afterwards: the stacking
// options' part and the alignment's part (the method and the multi-point mode).
struct CreateStackSettings {
    double ResampleSpin = 2.0;
    bool Drizzling = false;
    bool Histostretch = false;
    bool Expandstack = false;
    bool Multi = false;
};
struct CreateAlignSettings {
    int AlignMethodIndex = 0;
    bool MultiPointMode = false;
};
struct CreateReferenceSettings : CreateStackSettings, CreateAlignSettings {};

// The stages "Create" runs besides its own decisions: the stacking settings it changes for the
// reference stack, the frame limit it narrows, optimize-and-stack as a whole, the processing, the
// user's wait and the realignment on the result.
class ReferenceStages {
public:
    virtual ~ReferenceStages() = default;
    virtual CreateReferenceSettings stackSettings() = 0;
    // Puts the settings in force as the options' values; nothing runs because of them.
    virtual void applyStackSettings(const CreateReferenceSettings& settings) = 0;
    // The last ranking position the optimizer and the stack take.
    virtual int frameLimit() = 0;
    // Only ranking positions 0..last take part. With `wholeLimit` the limit is the one kept
    // between runs, the stack count and the frame shown become the whole limit too; without, it
    // narrows the limit for this run alone.
    virtual void setFrameLimit(int last, bool wholeLimit) = 0;
    // Put before the stacking captions ("Reference" while the reference stack is made).
    virtual void setStackLabelPrefix(const std::string& prefix) = 0;
    // Optimize, stack and process, as the command does.
    virtual void optimizeAndStack() = 0;
    virtual void process() = 0;
    virtual void showRegistrationGraph() {}
    // Waits, the processing still open to the user, until the user says to continue or cancels;
    // returns at once in a batch run.
    virtual void waitForUser() = 0;
    // Processes the whole picture, not only the processing area.
    virtual void processWholePicture() = 0;
    // Makes the processed picture the new reference (restartAlignment) and returns to the
    // optimizer.
    virtual void realignOnProcessed() = 0;
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

// "Create": the best Refframes frames are optimized, stacked (resampling 1, without
// drizzling, expansion and multi-point mode) and processed; after the user's "Continue" (and
// "Do All" unless it was used or the area covers the whole picture) the processed picture
// becomes the reference. The frame limit and the changed settings are put back however it ends.
// DoAllDone is the program state's flag that "Do All" raises.
CreateReferenceResult createReferenceFrame(FrameModel& model, ProgramState& program,
                                           AlignmentState& alignment, OptimizerState& optimizer,
                                           const ImageDataSection& section, ProgressPort& progress,
                                           MessagePort& messages, const CreateReferenceOptions& options,
                                           ReferenceStages& stages);

}  // namespace kestrave
