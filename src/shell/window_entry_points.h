#pragma once
// The handlers one area of the window calls in another. A controller holds its own page and tool
// windows, the pipeline and this port — never another controller — so the controllers are made
// in any order, with no second wiring, and each can be built alone in a test. The main window
// implements the port by forwarding each entry point to the controller that owns it.
//
// Handlers call each other where the program's own steps do: "Create" runs optimize, stack and
// process inside itself, a finished stack is processed.

#include <functional>
#include <string>

#include "frames/frame_source.h"
#include "stacking/stack_frames.h"
#include "stacking/stack_options.h"

namespace kestrave {

class WindowEntryPoints {
public:
    virtual ~WindowEntryPoints() = default;

    // The window: the tab strip, the "Continue" wait, cancelling.
    virtual void selectTab(int tab) = 0;
    virtual void waitForContinue() = 0;
    virtual void CancelButtonClick() = 0;

    // The stacking.
    using StackRun = std::function<StackResult(const StackOptions&, FrameSource&)>;
    virtual void StackButtonClick() = 0;
    virtual void StackSliderChange() = 0;
    virtual void ResampledClick() = 0;
    virtual void DrizzlingClick() = 0;
    virtual void ShowstackgraphClick() = 0;
    virtual void redrawPointCutoffs() = 0;
    virtual void openPointCutoffs() = 0;
    virtual StackOptions readStackOptions() const = 0;
    virtual StackOutcome runStack(const StackOptions& options, const StackRun& run) = 0;
    virtual void setStackLabelPrefix(const std::string& prefix) = 0;

    // The wavelet page.
    virtual void ProcessButtonClick() = 0;
    virtual void DoAllClick() = 0;
    virtual void Layer1sliderChanged() = 0;
    virtual void showProcessedView() = 0;
    virtual void mirrorColourprocess2(bool colour) = 0;

    // The image-info window, the final page and the saving.
    virtual void ShowWaveletschemeClick() = 0;
    virtual void UpdateFinalBitmap() = 0;
    virtual void SaveBMP2buttonClick() = 0;
};

}  // namespace kestrave
