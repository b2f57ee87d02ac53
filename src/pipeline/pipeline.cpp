#include "pipeline/pipeline.h"

namespace kestrave {

void Pipeline::announce(PipelineChange change) const {
    // An observer may subscribe another while it is told: those hear the next change.
    const std::size_t count = observers_.size();
    for (std::size_t i = 0; i < count; ++i) observers_[i](change);
}

}  // namespace kestrave
