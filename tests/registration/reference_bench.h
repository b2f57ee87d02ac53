#pragma once
// A bench for the reference and feature-pick tests: the engine, the states and the model of one
// input, a preview picture, and stand-ins for the window and the alignment that record what they
// were asked to do.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "registration/feature_pick.h"

namespace kestrave::test {

// A grey picture whose level at (x, y) is level(x, y), rounded half to even and kept in 0..255.
Bitmap24 greyPicture(int width, int height, const std::function<double(int, int)>& level);

// Records every call in `calls` ("show 3", "apply", "accepted", "computed once") and keeps the
// values it was given.
class RecordingWindow : public ReferenceWindow {
public:
    void showFrame(int position) override;
    void applyAutomaticValues(const AutomaticFilterValues& values) override;
    void featureAccepted() override { calls.push_back("accepted"); }
    void referenceComputedOnce() override { calls.push_back("computed once"); }

    std::vector<std::string> calls;
    std::vector<AutomaticFilterValues> applied;
    // Runs on every showFrame, e.g. to put that frame's picture into the preview.
    std::function<void(int)> onShow;
};

// Answers AlignFrame from `answers` (true once they run out) and notes the state it was called in.
class RecordingAligner : public FrameAligner {
public:
    explicit RecordingAligner(std::vector<std::string>& calls) : calls_(calls) {}
    bool AlignFrame() override;

    std::vector<bool> answers;
    std::function<void()> onAlign;
    int count = 0;

private:
    std::vector<std::string>& calls_;
};

struct ReferenceBench {
    // A frame of width x height shown in the preview as black, and the engine set up for n.
    ReferenceBench(int width, int height, int n);

    FftEngine fft;
    RegistrationState registration;
    ProgramState program;
    std::unique_ptr<FrameModel> model = std::make_unique<FrameModel>();
    std::unique_ptr<ImageDataSection> section = std::make_unique<ImageDataSection>();
    Bitmap24 preview;
    BatchMessagePresenter messages{[](const std::string&) {}};
    NullProgress progress;
    RecordingWindow window;
    RecordingAligner aligner{window.calls};
    ReferenceContext context{fft, registration, program, *model, *section, preview, messages};

    // CalculateReferenceFFT on the preview with `options`.
    AutomaticFilterValues reference(const ReferenceOptions& options = {});
    // The captions of the messages shown so far.
    std::vector<std::string> captions() const;
};

}  // namespace kestrave::test
