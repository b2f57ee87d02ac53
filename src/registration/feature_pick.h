#pragma once
// Choosing the alignment box: its size (32 to 512 pixels, never larger than the image), the
// feature the user clicks on the preview, and the recalculation of the reference spectrum from
// the box around that feature on the reference frame, followed by the alignment of that frame.
// The window drives these routines from its handlers; what they need from the window and from the
// alignment code arrives through the two small interfaces below.

#include "frames/frame_model.h"
#include "frames/image_data_section.h"
#include "frames/program_state.h"
#include "platform/bitmap24.h"
#include "platform/message_port.h"
#include "platform/progress_port.h"
#include "registration/fft.h"
#include "registration/reference.h"
#include "registration/registration_state.h"

namespace kestrave {

// The alignment of one frame as the reference recalculation calls it; the alignment code
// implements it.
class FrameAligner {
public:
    virtual ~FrameAligner() = default;
    // Aligns the frame now shown in the preview. False when the user has just pointed the feature
    // out again after a lost lock; the caller then aligns the same frame once more.
    virtual bool AlignFrame() = 0;
};

// What the recalculation and the feature pick need of the window.
class ReferenceWindow {
public:
    virtual ~ReferenceWindow() = default;
    // Moves the preview slider to `position` and shows the frame there: its picture arrives in the
    // preview bitmap that the ReferenceContext refers to.
    virtual void showFrame(int position) = 0;
    // Writes each value that is set into FFTFilterspin, QualityFilter and QualFilterDX. No such
    // write counts as the user's: the change handlers must see FFTFilterArmed and
    // QualityFilterArmed lowered during the writes, and the flags are put back afterwards to what
    // they were when this was called.
    virtual void applyAutomaticValues(const AutomaticFilterValues& values) = 0;
    // The feature pick accepted a feature; called before the reference is computed.
    virtual void featureAccepted() {}
    // The feature pick computed the reference once and is about to compute it again.
    virtual void referenceComputedOnce() {}
};

// Everything the routines below work on. `preview` is the preview bitmap that the frame readers
// fill; ReferenceWindow::showFrame refills it.
struct ReferenceContext {
    FftEngine& fft;
    RegistrationState& registration;
    ProgramState& program;
    const FrameModel& model;
    const ImageDataSection& section;
    const Bitmap24& preview;
    MessagePort& messages;
};

// The FFTsizeGroup item whose box (fftSizeForItem) fits an image of width x height: `itemIndex`
// (at most the last item), or the largest smaller one; -1 when not even the smallest box fits.
int fittingBoxSizeItem(int itemIndex, int width, int height);

// Keeps the box inside a frame of width x height: BoxLeft within 0 .. width - n, BoxTop within
// 0 .. height - n (0 where the frame is narrower than the box).
void clampBoxToFrame(RegistrationState& registration, int n, int frameWidth, int frameHeight);

struct FftSizeChoice {
    // The FFTsizeGroup item in force; the window selects it without running its click handler.
    int itemIndex = 0;
    // The engine was set up for the box size; false without an input or for a frame too small.
    bool applied = false;
    // A chosen feature was dropped (the user was asked to choose again); disable Alignbutton.
    bool featureDropped = false;
};

// A new box size chosen in FFTsizeGroup. A picked feature is dropped (outside the free-box mode)
// and the user asked to choose again. With an input, the item steps down to the largest box that
// fits the image; an image smaller than the smallest box is refused with a message. Otherwise the
// engine is set up for the size, the band mask built for `fftFilter`, the box kept inside the frame,
// the box outline that follows the mouse left in place, and ProcessStage set to 2.
FftSizeChoice chooseFftSize(ReferenceContext& context, int itemIndex, double fftFilter, bool freeBox);

// Resets the tracking, places the box around the feature, shows the reference frame, computes the
// reference, writes the automatic values into the controls and aligns the reference frame (twice
// when the first alignment ends with the feature pointed out again). Returns the automatic values.
AutomaticFilterValues recalculateReference(ReferenceContext& context, const ReferenceOptions& options,
                                           ReferenceWindow& window, FrameAligner& aligner);

// A click on the preview, in frame pixels (already scaled when the preview is shown fitted).
struct PreviewClick {
    int x = 0;
    int y = 0;
    // The preview slider position (a rank once the frames are ranked).
    int position = 0;
    // A new input is still being set up.
    bool settingUpInput = false;
    // The centre of a free box the user dragged, rather than a clicked feature (the border
    // warning says so).
    bool freeBox = false;
};

enum class PickResult {
    ClickTaken,        // an alignment waited for this click: ClickX/ClickY hold it
    Ignored,           // the input is still being set up, or the frame shown is excluded
    TooCloseToBorder,  // refused with the "Alignment warning"
    FeatureAccepted,   // the feature is picked and the reference computed
};

// The pick of a feature by a left click on the preview, or of the centre of a free box dragged on
// it (the window has already dealt with the right button and sized the box, and calls this only
// with an input loaded). The feature must lie more than half a box inside every border of the image.
// An accepted feature becomes the centre of the box and the shown frame the reference frame; the
// reference is computed twice (the second time after referenceComputedOnce) and ProcessStage
// becomes 4.
PickResult pickFeature(ReferenceContext& context, const PreviewClick& click, const ReferenceOptions& options,
                       ReferenceWindow& window, FrameAligner& aligner, ProgressPort& progress);

}  // namespace kestrave
