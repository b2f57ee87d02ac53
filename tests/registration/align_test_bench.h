#pragma once
// A bench for the alignment tests and the alignment benchmark: synthesised recordings rendered
// as 8-bit grey pictures, a frame source over them in memory, and the engine, states, model and
// ports of one input with a view that records what the alignment showed.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frames/frame_source.h"
#include "frames/gamma_table.h"
#include "registration/alignment_pass.h"
#include "registration/reference.h"
#include "support/memory_frame_source.h"
#include "synth/random.h"
#include "synth/recording.h"

namespace kestrave::test {

// Still air: every frame the scene moved by its truth's shift and blurred by its truth's blur,
// without warp, flicker or noise (tests then set the truth they need).
inline synth::SynthOptions stillAir(int width, int height, int frames, std::uint64_t seed = 3) {
    synth::SynthOptions options;
    options.width = width;
    options.height = height;
    options.frames = frames;
    options.seed = seed;
    options.warp = 0.0;
    options.flicker = 0.0;
    options.noise = 0.0;
    return options;
}

// Pictures cut from one large canvas of fine random texture (random levels averaged over 3 x 3
// pixels), each moved by a whole-pixel shift: content moves by (sx, sy). Phase correlation finds
// such shifts exactly.
inline std::vector<Bitmap24> texturedFrames(int width, int height,
                                            const std::vector<std::array<int, 2>>& shifts,
                                            std::uint64_t seed = 21) {
    int margin = 1;
    for (const auto& s : shifts) margin = std::max({margin, std::abs(s[0]) + 1, std::abs(s[1]) + 1});
    const int cw = width + 2 * margin, ch = height + 2 * margin;
    synth::SeededRandom random(seed);
    std::vector<double> noise(static_cast<std::size_t>(cw) * ch);
    for (double& v : noise) v = random.uniform(0.0, 255.0);
    std::vector<Bitmap24> frames;
    for (const auto& s : shifts) {
        Bitmap24& picture = frames.emplace_back(width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int cx = x + margin - s[0], cy = y + margin - s[1];
                double sum = 0.0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        sum += noise[static_cast<std::size_t>(std::clamp(cy + dy, 0, ch - 1)) * cw +
                                     static_cast<std::size_t>(std::clamp(cx + dx, 0, cw - 1))];
                const auto v = static_cast<std::uint8_t>(std::lrint(sum / 9.0));
                SetRGBTriple(v, v, v, picture.pixel(x, y));
            }
        }
    }
    return frames;
}

// Frames [first, first + count) of an 8-bit mono recording as grey 24-bit pictures.
inline std::vector<Bitmap24> greyFrames(const synth::Recording& recording, int first, int count) {
    const int w = recording.options.width, h = recording.options.height;
    const std::vector<std::uint16_t> samples = synth::renderFrames(recording, first, count);
    std::vector<Bitmap24> frames(static_cast<std::size_t>(count));
    for (int f = 0; f < count; ++f) {
        Bitmap24& picture = frames[static_cast<std::size_t>(f)];
        picture.resize(w, h);
        const std::uint16_t* frame = samples.data() + static_cast<std::size_t>(f) * w * h;
        for (int y = 0; y < h; ++y) {
            std::uint8_t* row = picture.row(y);
            for (int x = 0; x < w; ++x) {
                const auto v = static_cast<std::uint8_t>(frame[static_cast<std::size_t>(y) * w + x]);
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
            }
        }
    }
    return frames;
}

// Notes what the alignment showed.
class RecordingView : public AlignmentView {
public:
    void frameDeselected(int frame) override { deselected.push_back(frame); }
    void ignoreMisalignedChecked() override { ignoreChecked = true; }
    void showSegmentPosition(int position) override { segmentPositions.push_back(position); }
    void frameAligned(const AlignedFrameView& view) override { aligned.push_back(view.frame); }
    void boxOffscreen() override { ++offscreenNotes; }
    void setCursor(AlignCursor cursor) override { lastCursor = cursor; }

    std::vector<int> deselected;
    std::vector<int> segmentPositions;
    std::vector<int> aligned;
    bool ignoreChecked = false;
    int offscreenNotes = 0;
    AlignCursor lastCursor = AlignCursor::Default;
};

// Keeps the window caption besides what NullProgress keeps.
class CaptionProgress : public NullProgress {
public:
    void setCaption(const std::string& text) override { caption = text; }
    std::string caption;
};

// One input of width x height frames, aligned with a box of side n.
struct AlignBench {
    AlignBench(int width, int height, int n, int frameCount) {
        model->FrameWidth = model->ImageWidth = model->FrameWidthRaw = width;
        model->FrameHeight = model->ImageHeight = model->FrameHeightRaw = height;
        model->InputType = TInputType::itSER;
        model->InputIsSeries = model->InputIsSER = true;
        model->SerName = "bench.ser";
        model->usedframes = frameCount;
        for (int k = 0; k < frameCount; ++k) model->FrameNames[k] = "Frame " + std::to_string(k);
        InitFFT(fft, n);
        BuildFFTBandMask(fft, 10.0);
        BuildGammaTable(*gamma, 1.0f);
        program.ProcessStage = TProcessStage::stFeatureSet;
        passOptions.lastFrame = frameCount - 1;
    }

    // Picks the feature (x, y) on `reference` and computes the reference spectrum from the box
    // around it, with the automatic filter radius and quality band written into the options.
    void pick(const Bitmap24& reference, int x, int y) {
        program.FeatureX = x;
        program.FeatureY = y;
        registration.BoxLeft = x - fft.FFTSize / 2;
        registration.BoxTop = y - fft.FFTSize / 2;
        // A radius set by hand stays; otherwise the automatic one applies.
        registration.UserBoxPlaced = !registration.FFTFilterManual;
        if (registration.FFTFilterManual) BuildFFTBandMask(fft, fftFilter);
        ReferenceOptions options;
        options.spectralQuality = !align().quality.fromImage();
        options.HVSWeighting = align().quality.HVSWeighting;
        options.FFTFilter = fftFilter;
        options.QualityFilter = align().QualityFilter;
        options.QualFilterDX = align().QualFilterDX;
        options.interlaced = align().interlaced;
        options.Interlacehoriz = align().Interlacehoriz;
        options.levels = align().levels;
        const AutomaticFilterValues values =
            CalculateReferenceFFT(fft, registration, program, *model, *section, reference, options, messages);
        registration.UserBoxPlaced = false;
        fftFilter = values.FFTFilter.value_or(fftFilter);
        align().QualityFilter = values.QualityFilter.value_or(align().QualityFilter);
        align().QualFilterDX = values.QualFilterDX.value_or(align().QualFilterDX);
        program.ProcessStage = TProcessStage::stReferenceReady;
    }

    AlignOptions& align() { return passOptions.align; }

    // The context with another message port.
    AlignContext contextWith(MessagePort& port) {
        return {fft, registration, alignment, program, *model, *section, *gamma, port, progress, view};
    }

    void setQualityItem(int item) { align().quality = QualityMethodComboChange(item, 12.0, 5.0).grading; }

    AlignmentPassResult run(FrameSource& source) { return Alignallframes(context, passOptions, source); }

    std::vector<std::string> captions() const {
        std::vector<std::string> result;
        for (const Message& message : messages.history()) result.push_back(message.caption);
        return result;
    }

    FftEngine fft;
    RegistrationState registration;
    AlignmentState alignment;
    ProgramState program;
    std::unique_ptr<FrameModel> model = std::make_unique<FrameModel>();
    std::unique_ptr<ImageDataSection> section = std::make_unique<ImageDataSection>();
    std::unique_ptr<GammaTableArray> gamma = std::make_unique<GammaTableArray>();
    BatchMessagePresenter messages{[](const std::string&) {}};
    CaptionProgress progress;
    RecordingView view;
    AlignContext context{fft,      registration, alignment, program,  *model,
                         *section, *gamma,       messages,  progress, view};
    AlignmentPassOptions passOptions;
    double fftFilter = 10.0;
};

// Spearman's rank correlation of two equally long series without ties.
inline double rankCorrelation(const std::vector<double>& a, const std::vector<double>& b) {
    const auto ranks = [](const std::vector<double>& v) {
        std::vector<std::size_t> order(v.size());
        for (std::size_t i = 0; i < v.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return v[x] < v[y]; });
        std::vector<double> rank(v.size());
        for (std::size_t r = 0; r < order.size(); ++r) rank[order[r]] = static_cast<double>(r);
        return rank;
    };
    const std::vector<double> ra = ranks(a), rb = ranks(b);
    double d2 = 0.0;
    for (std::size_t i = 0; i < ra.size(); ++i) d2 += (ra[i] - rb[i]) * (ra[i] - rb[i]);
    const double n = static_cast<double>(ra.size());
    return 1.0 - 6.0 * d2 / (n * (n * n - 1.0));
}

}  // namespace kestrave::test
