#pragma once
// The alignment of one frame: the alignment box of the frame is correlated with the reference
// spectrum (phase correlation: the reference spectrum times the conjugate of the frame spectrum
// reduced to its phase, transformed back; the highest cell gives the shift), the lock on the
// feature is tested, the shift and the tracking of the box are updated, and the aligned box is
// compared with the reference picture and graded by the chosen quality method.
//
// The work splits into parts that depend only on the frame's picture and read-only inputs
// (correlateBox, gradeAlignedBox: any thread, each with its own AlignScratch) and the parts that
// follow the frames in order and may ask the user (FrameAlignment::decide and ::finish: the
// thread that runs the pass).

#include <array>
#include <memory>
#include <vector>

#include "frames/frame_model.h"
#include "frames/gamma_table.h"
#include "frames/image_data_section.h"
#include "frames/program_state.h"
#include "platform/bitmap24.h"
#include "platform/level_bitmap.h"
#include "platform/message_port.h"
#include "platform/progress_port.h"
#include "registration/align_state.h"
#include "registration/feature_pick.h"
#include "registration/fft.h"
#include "registration/quality_measures.h"
#include "registration/quality_plugin.h"
#include "registration/registration_state.h"
#include "registration/spectral_quality.h"

namespace kestrave {

enum class AlignCursor { Default, Cross, Hourglass };

// What the window shows of one aligned frame.
struct AlignedFrameView {
    int frame = 0;
    int field = 0;
    const Bitmap24* picture = nullptr;
    // The feature was pointed out by a click: nothing is drawn on the picture.
    bool clicked = false;
    // The feature's position in this frame (a circle of radius 15 for the spectral methods).
    int featureX = 0;
    int featureY = 0;
    bool spectral = false;
    // The aligned box: top-left corner and side.
    int boxLeft = 0;
    int boxTop = 0;
    int boxSize = 0;
    // The free box's rubber band moved by the shift (free-box mode only).
    bool freeBox = false;
    int shiftX = 0;
    int shiftY = 0;
    // The power spectrum and the title of the "Registration " chart.
    FrameQualityReadout readout;
};

// What the alignment needs of the window. Every call has a default that does nothing, so tests
// and batch runs only override what they look at.
class AlignmentView {
public:
    virtual ~AlignmentView() = default;
    virtual void setCursor(AlignCursor /*cursor*/) {}
    // The correlation surface, when "FFT Graph" (ShowFFTbox) is checked.
    virtual void showCorrelationSurface(const Bitmap24& /*picture*/) {}
    // Before a manual click: the spectrum window is hidden.
    virtual void hideSpectrumWindow() {}
    // Before every wait for a click: the picture of the frame the click is for.
    virtual void showClickFrame(const Bitmap24& /*picture*/) {}
    // Around the lost-lock question: the spectrum window and both registration windows are
    // hidden, then shown again as ShowFFTbox and ShowGraphbox say.
    virtual void hideAlignmentWindows() {}
    virtual void restoreAlignmentWindows() {}
    // The frame was deselected: its entry in SelectFramesChecklist is unchecked.
    virtual void frameDeselected(int /*frame*/) {}
    // "All" was answered: Ignoredefault is checked.
    virtual void ignoreMisalignedChecked() {}
    // After a click on a frame of an AVI list: the preview slider goes to the frame's position
    // in its file.
    virtual void showSegmentPosition(int /*position*/) {}
    virtual void frameAligned(const AlignedFrameView& /*view*/) {}
    // The box was partly off screen: the registration chart says so.
    virtual void boxOffscreen() {}
    // The registration chart shows the power spectrum of every k-th frame of a pass (the frames
    // whose number is a multiple of k). A view that draws only now and then may ask for fewer:
    // the spectra of the other frames are then not worked out where their quality does not need
    // them, and their readout has no spectrum. Asked once per pass.
    virtual int framesPerSpectrum() const { return 1; }
};

// Everything the alignment works on.
struct AlignContext {
    FftEngine& fft;
    RegistrationState& registration;
    AlignmentState& alignment;
    ProgramState& program;
    FrameModel& model;
    const ImageDataSection& section;
    const GammaTableArray& GammaTable;
    MessagePort& messages;
    ProgressPort& progress;
    AlignmentView& view;
    // Where the window delivers a click the alignment waits for (WaitForClick, ClickX, ClickY),
    // when that is not `registration` (an alignment point aligned beside others has a
    // registration state of its own).
    RegistrationState* clicks = nullptr;
};

// Working memory of one thread.
struct AlignScratch {
    FftEngine fft;
    Bitmap24 box;
    // The bytes of the box's pixels and the same shrunk for the gradient figure, one plane per
    // byte of a pixel.
    LevelDownscaler downscaler;
    std::vector<std::uint8_t> boxBytes;
    std::vector<std::uint8_t> smallLevels;
};

// The reference picture's levels over the box around the feature, read once for all the frames
// graded against it: cell [x + h][y + h] of `lines` (n lines of n cells) holds the green byte of
// reference pixel (FeatureX + x, FeatureY + y) where the pixel exists, else 0; `sums` is their
// summed-area table ((n + 1) x (n + 1): entry [x][y] sums the cells [0, x) x [0, y)), so that
// the sum over any part of the box is exact.
struct ReferenceLevels {
    int n = 0;
    std::vector<float> lines;
    std::vector<std::uint64_t> sums;
};

// The read-only inputs of correlateBox and gradeAlignedBox, shared by every thread of a pass:
// nothing they point at changes while frames are measured.
struct AlignInputs {
    const AlignOptions* options = nullptr;
    // The band mask and the size.
    const FftEngine* engine = nullptr;
    // The reference spectrum and picture, the box corner and the weighting centre.
    const RegistrationState* registration = nullptr;
    int FeatureX = 0;
    int FeatureY = 0;
    int FrameWidth = 0;
    int FrameHeight = 0;
    // The dark plane subtracted from the box levels; null when none is.
    const T2dArrays* dark = nullptr;
    const QualityPlugin* plugin = nullptr;
    // The reference's levels read once (used without colour when made for the engine's size), or
    // null: the reference picture is then read for every grade.
    const ReferenceLevels* referenceLevels = nullptr;
    // The view's framesPerSpectrum.
    int framesPerSpectrum = 1;
    // Whether the chart shows the spectrum of `frame`.
    bool chartsSpectrumOf(int frame) const { return frame % framesPerSpectrum == 0; }
};

// The correlation of the box read at (BoxLeft + tx, BoxTop + ty).
struct Correlation {
    int tx = 0;
    int ty = 0;
    bool boxOffscreen = false;
    float peak = 0.0f;
    // The highest cell, first in scan order (first index outer).
    int pi = 0;
    int pj = 0;
    // The radial profile of the box's spectrum (only for the methods that grade the picture, and
    // only when `charted`).
    bool charted = true;
    std::array<float, kRadialBins> profile{};
    float profileMax = 0.0f;
    // The correlation surface (only with ShowFFTbox).
    Bitmap24 surface;
};

// `charted`: the chart shows this frame's spectrum (see AlignInputs::chartsSpectrumOf).
Correlation correlateBox(const AlignInputs& inputs, const FramePixels& frame, int tx, int ty,
                         AlignScratch& scratch, bool charted = true);

// The shift a measured peak stands for: the peak index unwrapped into -(h - 1) .. h, negated.
int shiftOfPeak(int index, int n);

// The comparison of the box aligned by (sx, sy) with the reference picture and its grade.
struct Grade {
    int sx = 0;
    int sy = 0;
    double difference = 0.0;
    float meanF = 0.0f;
    bool alignedOffscreen = false;
    // The figure of a method that grades the picture itself.
    float imageQuality = 0.0f;
    // The radial profile of the aligned box's spectrum (spectral methods only).
    std::array<float, kRadialBins> profile{};
    float profileMax = 0.0f;
};

Grade gradeAlignedBox(const AlignInputs& inputs, const FramePixels& frame, int sx, int sy,
                      AlignScratch& scratch);

// How the lock test and the shift came out for one frame.
struct Verdict {
    // A cancel ended the click wait after a lost lock: nothing more is written for the frame.
    bool skipped = false;
    // The feature was pointed out by a click.
    bool clicked = false;
    // False: the feature was pointed out anew; the frame is to be aligned once more.
    bool result = true;
    int sx = 0;
    int sy = 0;
    bool boxOffscreen = false;
};

class FrameAlignment : public FrameAligner {
public:
    // `preview` is the picture AlignFrame aligns. Loads the quality plug-in when the method
    // asks for it (throws QualityPluginError when it cannot be used).
    FrameAlignment(AlignContext& context, const AlignOptions& options, const Bitmap24& preview);

    // Aligns frame CurrentFrame, shown in the preview; false when the user has just pointed the
    // feature out again after a lost lock.
    bool AlignFrame() override;
    // The same for the picture `frame` (CurrentFrame and InterlaceField are set by the caller).
    bool alignPicture(const Bitmap24& frame);

    // The offset of the box from (BoxLeft, BoxTop) for the next frame: the tracking offset, plus
    // the predicted step with "Predict track"; none without "Track object".
    std::array<int, 2> boxOffset() const;
    // Lock test, shift and tracking of CurrentFrame from its correlation; may ask the user, who
    // then points at the feature on `frame`.
    Verdict decide(const Correlation& correlation, const Bitmap24& frame);
    // Writes the difference, brightness and quality of CurrentFrame and shows the frame.
    void finish(const Verdict& verdict, const Correlation& correlation, const Grade& grade,
                const Bitmap24& frame);

    // Reads the reference's levels around the feature once, for a pass that grades every frame
    // against them (the reference must not change while the object is used).
    void keepReferenceLevels();

    const AlignInputs& inputs() const { return inputs_; }
    AlignScratch& scratch() { return scratch_; }
    // Shows the correlation surface when there is one.
    void showSurface(const Correlation& correlation);

    // Frames whose difference, brightness and quality were written (set by finish) when the
    // caller keeps the list.
    std::vector<bool>* measured = nullptr;

private:
    // The correlation peak (pi, pj) in the box read at offset (tx, ty), or a click's position.
    struct PeakPosition {
        int tx = 0;
        int ty = 0;
        int pi = 0;
        int pj = 0;
    };
    void takeManualClick(PeakPosition& peak, Verdict& verdict, const Bitmap24& picture);
    bool testLock(float measuredPeak, PeakPosition& peak, Verdict& verdict, bool& newSegment,
                  const Bitmap24& picture);
    bool askAfterLostLock(PeakPosition& peak, Verdict& verdict, bool& newSegment, const Bitmap24& picture);
    void placeShift(const PeakPosition& peak, Verdict& verdict);
    void track(const Verdict& verdict, bool newSegment);
    bool waitForClick(const Bitmap24& frame);
    void deselect(int frame);

    AlignContext& context_;
    AlignOptions options_;
    const Bitmap24& preview_;
    std::unique_ptr<QualityPlugin> plugin_;
    AlignInputs inputs_;
    ReferenceLevels referenceLevels_;
    AlignScratch scratch_;
};

}  // namespace kestrave
