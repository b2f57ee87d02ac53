#pragma once
// What the tests reach inside a pipeline and the program never does: the run's state, writable,
// for a test that sets up a state directly, an announcement of the test's choosing, a stack made
// and not kept, a stack kept that no stacking stage made, and a project's records taken without
// its input.

#include <filesystem>
#include <utility>

#include "pipeline/pipeline.h"

namespace kestrave {

struct PipelineTestAccess {
    static RunState& run(Pipeline& pipeline) { return pipeline.run_; }
    static void announce(const Pipeline& pipeline, PipelineChange change) { pipeline.announce(change); }
    static void useBoxSizeItem(Pipeline& pipeline, int item) { pipeline.useBoxSizeItem(item); }
    static const StackResult& keepStack(Pipeline& pipeline, StackResult&& result, bool colour) {
        return pipeline.keepStack(std::move(result), colour);
    }
    static StackResult stack(Pipeline& pipeline, const StackOptions& options, FrameSource& frames,
                             ProgressPort& progress, MessagePort& messages) {
        return pipeline.stack(options, frames, progress, messages);
    }
    static SigmaStackRun sigmaStack(Pipeline& pipeline, const StackOptions& options, FrameSource& frames,
                                    ProgressPort& progress, MessagePort& messages,
                                    const std::filesystem::path& eventLog) {
        return pipeline.sigmaStack(options, frames, progress, messages, eventLog);
    }
    static void takeProject(Pipeline& pipeline, const ProjectData& project, bool interlaced, int lastFrame,
                            ProgressPort& progress) {
        pipeline.takeProject(project, interlaced, lastFrame, progress);
    }
};

// The run's state of `pipeline`, writable.
inline RunState& editRun(Pipeline& pipeline) {
    return PipelineTestAccess::run(pipeline);
}

}  // namespace kestrave
