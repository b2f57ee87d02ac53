#pragma once
// What the reference computation and the frame alignment need of the window, in one place: the
// preview that shows a frame and the marks of its alignment, the spectrum window, the
// registration chart during alignment, the cursor, the frame lists and the automatic values
// written into the spin edits.

#include <functional>
#include <utility>

#include "pipeline/pipeline.h"
#include "shell/redraw_pacer.h"

class QImage;
class QWidget;

namespace kestrave {

class Bitmap24;
class Pipeline;
class ShellPorts;
struct AlignControllerParts;

class AlignWindow : public ReferenceWindow, public AlignmentView {
public:
    explicit AlignWindow(const AlignControllerParts& parts);
    ~AlignWindow() override;
    AlignWindow(const AlignWindow&) = delete;
    AlignWindow& operator=(const AlignWindow&) = delete;

    // The align stage's ports, with this window as its view and its reference frame's window.
    AlignPorts ports();

    // ReferenceWindow.
    void showFrame(int position) override;
    void applyAutomaticValues(const AutomaticFilterValues& values) override;
    void featureAccepted() override;
    void referenceComputedOnce() override;

    // AlignmentView.
    void setCursor(AlignCursor cursor) override;
    void showCorrelationSurface(const Bitmap24& picture) override;
    void hideSpectrumWindow() override;
    void showClickFrame(const Bitmap24& picture) override;
    void hideAlignmentWindows() override;
    void restoreAlignmentWindows() override;
    void frameDeselected(int frame) override;
    void ignoreMisalignedChecked() override;
    void showSegmentPosition(int position) override;
    void frameAligned(const AlignedFrameView& view) override;
    int framesPerSpectrum() const override;
    void boxOffscreen() override;

    // Told the index of every frame a pass aligns, until it is given none.
    void watchAlignedFrames(std::function<void(int frame)> watch) { frameWatch_ = std::move(watch); }

    // The picture in PreviewImage, at its own size unless the preview is fitted.
    void showPreview(const QImage& picture);
    // imgFFT cleared, with " Not defined " in its middle.
    void showSpectrumUndefined();
    // The spectrum picture stretched over imgFFT.
    void showSpectrum(const Bitmap24& spectrum);

private:
    const AlignControllerParts& parts_;
    Pipeline& pipeline_;
    ShellPorts& ports_;
    // The cursor set over the whole application while alignment runs.
    bool overriding_ = false;
    // Frames aligned in this pass; the preview is drawn for one in ten of them.
    int alignedInPass_ = 0;
    // A pass nobody watches is drawn a few times per second.
    RedrawPacer pacer_;
    std::function<void(int frame)> frameWatch_;
};

}  // namespace kestrave
