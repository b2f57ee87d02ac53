#pragma once
// Handlers of the Stack page: the stacking run (`StackButtonClick`), the quality and difference
// cut-offs (`StackSliderChange`, `LimitStackChange`) and the stack graph window.

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "frames/frame_source.h"
#include "registration/alignment_points.h"
#include "registration/frame_limit.h"
#include "stacking/stack_options.h"

namespace kestrave {

class TMainForm;
struct StackResult;

// The options of a stacking run as the controls and the program state hold them.
StackOptions readStackOptions(const TMainForm& form);

// The alignment points as a stack places by them: multi-point mode needs at least two points.
StackPointSet stackPointSet(const AlignmentPoints& arrays, const PointLimits& limits, bool MultiQuantity);

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
    // The stack graph of one alignment point and its two cut-offs. Writing the controls runs
    // these; they draw the point's graph and set its cut-offs once the per-point graphs exist.
    void AlignmentpointstackgraphChange();
    void QUALSliderMalignChange();
    void DifSliderMalignChange();

    // Put before the captions of `Stacklabel` ("Reference" while a reference frame is stacked).
    std::string StackLabelPrefix;

    // Where a stack reads its frames: a new source of the current input (the default), or frames
    // a test holds in memory.
    void setFrameSourceFactory(FrameSourceFactory factory) { frameSources_ = std::move(factory); }

private:
    std::unique_ptr<FrameSource> inputFrames();
    void prepareStackRun(const StackOptions& options);
    // A multi-point stack with points that no frame of the stack can place (never measured, or
    // cut off in every frame): the user is told that their zones will stay empty.
    void warnOfEmptyZones(const StackOptions& options);
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
