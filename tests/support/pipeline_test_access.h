#pragma once
// What the tests reach inside a pipeline and the program never does: the run's state, writable,
// for a test that sets up a state directly, an announcement of the test's choosing, and a stack
// kept that no stacking stage made.

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
};

// The run's state of `pipeline`, writable.
inline RunState& editRun(Pipeline& pipeline) {
    return PipelineTestAccess::run(pipeline);
}

}  // namespace kestrave
