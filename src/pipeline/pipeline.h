#pragma once
// The pipeline: everything one run of the program works on, in one owner, and the operations that
// carry the work from an input to the final picture. The window, the batch runner and every test
// build their own; there are no hidden globals. It never touches a widget.
//
// Reading: every part of the run's state is read through a const accessor (`state()`, `model()`,
// `images()`, …).
//
// Changing: through an operation, which takes what the controls say as an options struct, does
// the stage's work on the run's state and returns its result. After an operation the pipeline
// announces what changed (`PipelineChange`) to its observers: a page that shows that part of the
// run redraws itself from the announcement, so the handler that started the work never reaches
// into another page.
//
// One stage from the click to the picture, for a newcomer: the Stack page's "Stack" button runs
// the Stack controller's handler. It reads the page's controls into `StackOptions`, makes the
// factors the program's (`useStackFactors`), opens the frames of the input (`inputFrames`) and
// calls `makeStack`, which stacks the ranked, aligned frames into the image planes (`images()`),
// moves the program state on (`state().progstatus`) and, for a completed stack, keeps it (`stack()`),
// gives the stack picture, its value range, means and luminance histogram to the wavelet data
// (`wavelet()`), keeps the frame limit the stack left (`frameLimit()`) and announces `Stack` and
// `FrameLimit`; the controller shows the picture on its page. Entering the Wavelet page processes that stack
// (`process`) and renders it; when the render is over
// (`finishRender`) the pipeline announces `Processed`, so the Final page's picture follows.
//
// The program changes the state only through operations, and only the pipeline announces. Tests that
// build a run's state directly reach it through `PipelineTestAccess`, which only the tests define.
//
// The operations are grouped by stage, one class and header each (input_stage.h, align_stage.h,
// optimize_stage.h, stack_stage.h, wavelet_stage.h, final_stage.h, project_stage.h); the run's
// state and the announcements they share are `PipelineCore`'s (pipeline_core.h). A stage that runs
// another stage's operation does it through the whole pipeline (`self()`).

#include "pipeline/align_stage.h"
#include "pipeline/final_stage.h"
#include "pipeline/input_stage.h"
#include "pipeline/optimize_stage.h"
#include "pipeline/pipeline_core.h"
#include "pipeline/project_stage.h"
#include "pipeline/stack_stage.h"
#include "pipeline/wavelet_stage.h"

namespace kestrave {

class Pipeline final : public InputStage,
                       public AlignStage,
                       public OptimizeStage,
                       public StackStage,
                       public WaveletStage,
                       public FinalStage,
                       public ProjectStage {
public:
    Pipeline() = default;
};

}  // namespace kestrave
