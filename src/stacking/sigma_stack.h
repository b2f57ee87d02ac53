#pragma once
// The sigma-clipping stack: the stacking run twice over the same frames. The statistics pass
// gathers the running mean and spread of every stack pixel (without the stack filter, every
// frame weighing 1) and turns them into clip bounds; the clipped pass stacks every sample that
// lies strictly between the bounds of its pixel, and a recording run also logs the samples that
// reach the upper bound as sigma events.
//
// The clipped pass runs only on the statistics of a completed first pass: a cancel, a declined
// question, no frames or a failure there end the whole run, and nothing more is published.

#include <filesystem>
#include <string>
#include <vector>

#include "stacking/stack_frames.h"
#include "stacking/stack_result.h"

namespace kestrave {

// Runs both passes with `options` as the controls give them; the run sets Statistical and
// SigmaFinalPass itself, and neither pass resamples or drizzles. With options.Recordsigma the
// clipped pass logs its events into `eventLog`, which is deleted first and written when the pass
// ends; a log that cannot be deleted or written is reported (the stack stands). More events in a
// frame than are kept are announced. Both results leave SigmaFinalPass cleared.
SigmaStackRun sigmaStack(FrameModel& model, ProgramState& state, ImageDataSection& section,
                         const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                         MessagePort& messages, const std::filesystem::path& eventLog = {});

}  // namespace kestrave
