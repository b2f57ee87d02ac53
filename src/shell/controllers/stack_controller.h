#pragma once
// Handlers of the Stack page: the stacking run (`StackButtonClick`), the quality and difference
// cut-offs (`StackSliderChange`, `LimitStackChange`) and the stack graph window.

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "frames/frame_source.h"
#include "stacking/stack_frames.h"
#include "stacking/stack_options.h"

namespace kestrave {

class TMainForm;

// The options of a stacking run as the controls and the program state hold them.
StackOptions readStackOptions(const TMainForm& form);

// The global cut-offs as the stack page shows them for the rank r of the quality cut-off.
struct StackCutoffs {
    int frame = 0;  // the frame at rank r
    bool excluded = false;
    // The largest slot-0 difference over the ranks 0..Tag-1 that are not Excluded (a difference
    // never measured does not count).
    float largestDifference = 0.0f;
    // Frames up to rank r inside both cut-offs, counting the one at r itself.
    int stackSize = 0;
    // Quality of the frame at rank stackSize - 1 relative to the best frame, percent.
    double lowQuality = 0.0;
};
StackCutoffs stackCutoffs(const FrameModel& model, int rank, int tag, int differencecut);

class StackController : public QObject {
public:
    using FrameSourceFactory = std::function<std::unique_ptr<FrameSource>()>;

    explicit StackController(TMainForm& form);
    ~StackController() override;

    // Stacks the ranked, aligned frames of the current input; refused while another long
    // operation runs for the user. A completed run shows the stack and opens the later pages; a
    // cancel, a declined question or a failure leaves the previous stack and program state.
    void StackButtonClick();
    // A stack made by `run` (one stacking run, or the passes of a sigma stack) from frames of the
    // current input, inside the frame StackButtonClick gives its own run: refused while another
    // long operation runs for the user, the pages disabled meanwhile, a completed stack shown, an
    // error of `run` reported. Returns the outcome of the stack `run` returned (Failed when the
    // run was refused or threw).
    using StackRun = std::function<StackResult(const StackOptions&, FrameSource&)>;
    StackOutcome runStack(const StackOptions& options, const StackRun& run);
    // The cut-offs moved: the frame at the quality cut-off is read into the preview and shown on
    // the stack picture, the stack size and lowest quality go to the status bar.
    void StackSliderChange();
    // "Limit to maximum frameno:" sets the quality cut-off.
    void LimitStackChange();
    // Drizzling and resampling exclude each other; the wavelet page's Drizzle2 follows Drizzling.
    void DrizzlingClick();
    void ResampledClick();
    // Shows or hides the stack graph window as `Showstackgraph` says; the graph itself is drawn
    // by the stack graphs once they exist.
    void ShowstackgraphClick();

    // Put before the captions of `Stacklabel` ("Reference" while a reference frame is stacked).
    std::string StackLabelPrefix;

    // Where a stack reads its frames: a new source of the current input (the default), or frames
    // a test holds in memory.
    void setFrameSourceFactory(FrameSourceFactory factory) { frameSources_ = std::move(factory); }

private:
    std::unique_ptr<FrameSource> inputFrames();
    void prepareStackRun(const StackOptions& options);
    void finishStackRun();
    void showStack(StackResult&& result, const StackOptions& options);
    // The stack picture, its value range, means and luminance histogram go to the wavelet page.
    void handOverToWaveletPage(StackResult& stack);
    // The stack image shows the stack, or the frame at the quality cut-off.
    void showStackPicture(const Bitmap24& picture);
    void showFrameAtCutoff(int frame);

    TMainForm& form_;
    FrameSourceFactory frameSources_;
    bool inSliderChange_ = false;
};

}  // namespace kestrave
