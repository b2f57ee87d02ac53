#pragma once
// What the pages show of a project's load as it goes (announced as `ProjectStep`).

#include <cstdint>

namespace kestrave {

// The step of a project's load the pages show next, announced as `ProjectStep` before the window
// carries the step out (`Pipeline::replayShown()`): the project's reference frame shown with the
// alignment's steps open, the registration graph's switch ticked, the
// feature's hint put away before the reference is computed again, the alignment's tool windows
// shown as chosen after it, the preview at the stack count the project recorded, the optimizer's
// passes ready once the project reached the stack, the alignment points' graphs drawn once their
// cut-offs are filed again.
enum class ReplayShown : std::uint8_t {
    None,
    ProjectTaken,
    RegistrationGraph,
    BeforeReference,
    AfterReference,
    StackControls,
    PointCutoffs,
    OptimizerPasses
};
struct ReplayShowing {
    ReplayShown step = ReplayShown::None;
    // StackControls: the preview's position (the project's stack slider).
    int previewPosition = 0;
};

}  // namespace kestrave
