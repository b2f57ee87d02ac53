#pragma once
// The stages one area runs inside another's work: optimize-and-stack and "Create" stack and
// process, a master frame and a single image are stacked, a project's replay stacks and processes
// again, a save processes the whole picture first, the close question saves the processed
// picture, and the automatic processing after an alignment limits, optimizes and stacks. Each stage runs with
// the options its own page holds; the window hands it to the controller of the area that owns it, so that no
// controller is given another area's.

namespace kestrave {

class AreaStages {
public:
    virtual ~AreaStages() = default;
    // The stacking run of the Stack page (refused while another long operation runs for the user).
    virtual void stackFrames() = 0;
    // The processing of the processing area, and of the whole picture ("Do All").
    virtual void processStack() = 0;
    virtual void processWholePicture() = 0;
    // The processed picture saved as the wavelet page's save does.
    virtual void saveProcessedPicture() = 0;
    // The steps after an alignment: "Limit" (the Align page's), and the Optimize page's
    // optimize-and-stack and alignment points' optimizer.
    virtual void limitFrames() = 0;
    virtual void optimizeAndStack() = 0;
    virtual void optimizeAlignPoints() = 0;

    // What one area's step asks of another's handlers: the frame at the preview slider's position
    // shown again (how frames are read, marked or taken changed); the stack graph's cut-offs shown
    // again at the stack count; every point's quality cut-off opened to its whole graph (a new
    // alignment pass ahead); the processed view rendered again (the alignment points' marks or a
    // tool window changed). Asked before the area's handlers exist, nothing runs.
    virtual void showFrameAgain() = 0;
    virtual void showCutoffsAgain() = 0;
    virtual void openPointCutoffs() = 0;
    virtual void renderAgain() = 0;
};

}  // namespace kestrave
