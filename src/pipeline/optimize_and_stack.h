#pragma once
// Optimize-and-stack and "Create": the two commands of the optimizer page that run the optimizer,
// the stacking and the wavelet processing one after the other. The sequence and its decisions
// live here; each stage it hands on (the stacking and the processing with the options in force,
// the wait for the user, the realignment) is reached through a port named after the stage, which
// the window implements with its pages and a test with plain values.

#include "frames/frame_model.h"
#include "frames/image_data_section.h"
#include "frames/program_state.h"
#include "pipeline/optimize_and_stack_values.h"
#include "platform/message_port.h"
#include "platform/progress_port.h"
#include "registration/optimizer_passes.h"
#include "registration/optimizer_state.h"

namespace kestrave {

// Stacks wider than this many pixels (taller than ProcessAreaTallStack) have the processing area
// centred on the feature after optimize-and-stack: they do not fit the wavelet page's view.
inline constexpr int ProcessAreaWideStack = 817;
inline constexpr int ProcessAreaTallStack = 625;

// The processing area after a stack: on a stack wider than 817 (taller than 625) pixels it is
// centred on the feature in stack pixels (stackx/stacky: the feature times the resampling factor,
// or twice it when drizzling); it always stays inside the stack.
void centreProcessingArea(ImageDataSection& section, ProgramState& program, const FrameModel& model,
                          const StackScaleOptions& options);

// Optimize-and-stack with the single box: the optimizer passes until the gain falls below the
// threshold (also with the "Single run optimizer"), then the stack, the processing area and the
// wavelet processing. Panel 2 of the status bar is cleared after the passes.
OptimizeAndStackResult optimizeAndStack(OptimizerContext& context, ImageDataSection& section,
                                        const OptimizerOptions& options, const StackScaleOptions& scale,
                                        StackStages& stages);

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
