#pragma once
// What the tests reach inside a pipeline and the program never does: the run's state, writable,
// for a test that sets up a state directly, and an announcement of the test's choosing.

#include "pipeline/pipeline.h"

namespace kestrave {

struct PipelineTestAccess {
    static RunState& run(Pipeline& pipeline) { return pipeline.run_; }
    static void announce(const Pipeline& pipeline, PipelineChange change) { pipeline.announce(change); }
    static void useBoxSizeItem(Pipeline& pipeline, int item) { pipeline.useBoxSizeItem(item); }
};

// The run's state of `pipeline`, writable.
inline RunState& editRun(Pipeline& pipeline) {
    return PipelineTestAccess::run(pipeline);
}

}  // namespace kestrave
