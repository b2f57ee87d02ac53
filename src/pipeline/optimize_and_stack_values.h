#pragma once
// What optimize-and-stack and "Create" take and give: how the stack relates to the frames, the
// stages each hands on (which the window implements with its pages and a test with plain values)
// and their outcomes.

#include <string>

#include "pipeline/create_settings.h"
#include "registration/optimizer_options.h"

namespace kestrave {

// How the stack relates to the frames, for placing the processing area.
struct StackScaleOptions {
    bool Resampled = false;
    double ResampleSpin = 2.0;  // the resampling factor
    bool Drizzling = false;
};

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

}  // namespace kestrave
