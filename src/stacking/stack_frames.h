#pragma once
// The stacking run: chooses the frames, sizes the stack canvas, reads every listed frame through
// the frame source and adds it (StackFrame), then divides the sums by their weights, fixes the
// value range and renders the stack image and the 16-bit result image with the statistics that
// the wavelet page reads.
//
// The run publishes only when it completes: the image data section, the frame model's image
// size and the program state (progstatus, activepage and LayersDirty) change at the end of a
// completed run, never after a cancel, a declined question or a failure, so a cancelled run
// leaves the previous stack as it was.

#include <array>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/frame_source.h"
#include "frames/image_data_section.h"
#include "frames/program_state.h"
#include "platform/bitmap24.h"
#include "platform/message_port.h"
#include "platform/progress_port.h"
#include "stacking/stack_options.h"
#include "stacking/stack_render.h"
#include "stacking/stack_result.h"

namespace kestrave {

// Runs one stack. Reader errors pass through as exceptions (nothing is published then).
StackResult stackFrames(FrameModel& model, ProgramState& state, ImageDataSection& section,
                        const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                        MessagePort& messages);

}  // namespace kestrave
